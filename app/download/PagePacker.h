// Packs the data records of a HEX file into page blocks and hands every
// completed block to the sender.
//
// The first record of a file opens the page its address lies in. A record
// in a later page sends the open block and opens that page. A record in the
// open page continues after the bytes already there; a gap leaves 0xFF, so
// that every byte keeps its address. A record that goes back behind bytes
// already packed (or into a page already sent) is refused. Data running
// over a page end sends the block and continues in the next page.
#pragma once

#include "download/HexRecord.h"
#include "download/PageBlock.h"

#include <cstdint>
#include <functional>
#include <utility>

class CPagePacker {
public:
    enum class Status {
        Ok,
        SendFailed,    // the sender refused a block
        BadAddress,    // the record goes backwards or beyond the 32-bit space
    };

    // Gets each completed block; false stops the packing.
    using Sender = std::function<bool(PageBlock& block)>;

    explicit CPagePacker(Sender sender) : sender_(std::move(sender)) {}

    // The next record is the first of a new file and opens a new block.
    void BeginFile() { open_ = false; }
    // Packs the data record held in record (record.length bytes at
    // record.base + record.offset).
    Status Add(const HexRecord& record);
    // At the end of a file's data: sends the open block if it holds data.
    Status Finish();

    // Record bytes copied into blocks so far.
    std::uint64_t BytesLoaded() const { return bytesLoaded_; }
    const PageBlock& Block() const { return block_; }

private:
    bool Send();

    Sender sender_;
    PageBlock block_;
    bool open_ = false;
    std::uint64_t bytesLoaded_ = 0;
};
