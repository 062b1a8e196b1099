#include "download/PagePacker.h"

namespace {

constexpr std::uint64_t kPageMask = ~static_cast<std::uint64_t>(PageBlock::kPageSize - 1);
constexpr std::uint64_t kAddressSpace = std::uint64_t{1} << 32;

}  // namespace

bool CPagePacker::Send()
{
    return sender_ && sender_(block_);
}

CPagePacker::Status CPagePacker::Add(const HexRecord& record)
{
    const std::size_t length = record.length <= HexRecord::kMaxData ? record.length
                                                                    : HexRecord::kMaxData;
    const std::uint64_t address = std::uint64_t{record.base} + record.offset;
    if (address + length > kAddressSpace)
        return Status::BadAddress;
    const std::uint64_t page = address & kPageMask;

    if (!open_) {
        block_.Open(static_cast<std::uint32_t>(page), static_cast<std::size_t>(address - page));
        open_ = true;
    } else {
        const std::uint64_t blockStart = block_.PageAddress();
        if (page >= blockStart + PageBlock::kPageSize) {
            if (!Send())
                return Status::SendFailed;
            block_.Open(static_cast<std::uint32_t>(page),
                        static_cast<std::size_t>(address - page));
        } else if (address < blockStart + block_.FillPosition()) {
            return Status::BadAddress;
        } else {
            block_.SkipTo(static_cast<std::size_t>(address - blockStart));
        }
    }

    for (std::size_t i = 0; i < length; ++i) {
        if (block_.Full()) {
            if (!Send())
                return Status::SendFailed;
            block_.Open(block_.PageAddress() + static_cast<std::uint32_t>(PageBlock::kPageSize), 0);
        }
        block_.Put(record.data[i]);
        ++bytesLoaded_;
    }
    return Status::Ok;
}

CPagePacker::Status CPagePacker::Finish()
{
    if (!open_)
        return Status::Ok;
    open_ = false;
    if (block_.FillPosition() > 0 && !Send())
        return Status::SendFailed;
    return Status::Ok;
}
