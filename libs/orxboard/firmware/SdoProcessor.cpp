#include "SdoProcessor.h"

#include <orxboard/orx_protocol.h>

#include <algorithm>
#include <cstring>

namespace orx {

namespace {

constexpr std::uint16_t kMaxSdo = 32767;
// How long a download waits for its next piece from the host.
constexpr std::chrono::milliseconds kPieceWait(2000);

}  // namespace

SdoProcessor::SdoProcessor(FirmwareState& state) : m_state(state), m_upload(kMaxSdo) {}

void SdoProcessor::run()
{
    BoardQueues& q = *m_state.queues;
    while (!m_state.stop && q.waitForHost(1u << ORX_TXQ_SDO, std::chrono::milliseconds(100))) {
        Block block;
        if (!q.take(ORX_TXQ_SDO, block))
            continue;
        if (block.size < ORX_SDO_PIECE_HEADER || orx_block_code(block.data.data()) != ORX_SDO_REQUEST)
            continue;  // a piece of a download given up before
        if (m_state.settings.silentSdo)
            continue;
        acknowledge(orx_get_u16(block.data.data() + ORX_SDOQ_TRANSFER));
        Request request;
        if (!collect(block, request))
            continue;
        execute(request);
    }
}

void SdoProcessor::acknowledge(std::uint16_t transfer)
{
    std::uint8_t note[ORX_HEADER + 2];
    orx_block_begin(note, ORX_SDO_BUSY, 2);
    orx_put_u16(note + ORX_PARAM, transfer);
    m_state.queues->post(ORX_RXQ_SDO, note, sizeof note);
}

bool SdoProcessor::collect(Block first, Request& r)
{
    BoardQueues& q = *m_state.queues;
    for (;;) {
        const std::uint8_t* b = first.data.data();
        r = Request{};
        r.transfer = orx_get_u16(b + ORX_SDOQ_TRANSFER);
        r.node = b[ORX_SDOQ_NODE];
        r.sdo = b[ORX_SDOQ_SDO];
        r.flags = b[ORX_SDOQ_FLAGS];
        r.index = orx_get_u16(b + ORX_SDOQ_INDEX);
        r.sub = b[ORX_SDOQ_SUB];
        r.length = orx_get_u16(b + ORX_SDOQ_LENGTH);
        m_state.sdoTransfer = r.transfer;
        m_state.sdoBusy = true;
        if (!(r.flags & ORX_SDOF_DOWNLOAD))
            return true;
        if (r.length > kMaxSdo)
            return true;  // refused in execute
        auto append = [&](const Block& piece) {
            std::size_t n = piece.size - ORX_SDO_PIECE_HEADER;
            n = std::min<std::size_t>(n, r.length - r.data.size());
            r.data.insert(r.data.end(), piece.data.begin() + ORX_SDO_PIECE_HEADER,
                          piece.data.begin() + ORX_SDO_PIECE_HEADER + static_cast<std::ptrdiff_t>(n));
        };
        append(first);
        bool replaced = false;
        while (r.data.size() < r.length) {
            Block piece;
            if (!q.take(ORX_TXQ_SDO, piece)) {
                Clock::time_point until = Clock::now() + kPieceWait;
                while (!q.take(ORX_TXQ_SDO, piece)) {
                    if (m_state.stop || Clock::now() >= until) {
                        m_state.sdoBusy = false;
                        return false;
                    }
                    q.waitForHost(1u << ORX_TXQ_SDO, std::chrono::milliseconds(20));
                }
            }
            if (piece.size < ORX_SDO_PIECE_HEADER)
                continue;
            std::uint16_t code = orx_block_code(piece.data.data());
            if (code == ORX_SDO_REQUEST) {
                first = piece;
                replaced = true;
                break;
            }
            if (code == ORX_SDO_DATA && orx_get_u16(piece.data.data() + ORX_SDOQ_TRANSFER) == r.transfer)
                append(piece);
        }
        if (!replaced)
            return true;
    }
}

void SdoProcessor::execute(const Request& r)
{
    if (m_state.isCancelled(r.transfer)) {
        m_state.sdoBusy = false;
        return;
    }
    std::int8_t result;
    std::uint32_t abortCode = 0;
    std::int16_t received = 0;
    const bool download = r.flags & ORX_SDOF_DOWNLOAD;
    if (r.sdo != 1 || (r.flags & ORX_SDOF_BLOCK) || (r.node & 0x80) || r.length > kMaxSdo) {
        result = ORX_RESULT_PARAMETER;
    } else {
        std::lock_guard<std::mutex> lock(m_state.engine.mutex());
        if (download)
            result = m_state.engine.writeSdo(r.node, r.index, r.sub, r.data.data(),
                                             static_cast<std::int16_t>(r.length), &abortCode);
        else
            result = m_state.engine.readSdo(r.node, r.index, r.sub, m_upload.data(), kMaxSdo, &received,
                                            &abortCode);
    }
    m_state.sdoBusy = false;
    if (m_state.isCancelled(r.transfer))
        return;
    if (result != ORX_RESULT_OK)
        received = 0;
    std::uint16_t count = download ? 0 : std::min<std::uint16_t>(r.length, static_cast<std::uint16_t>(received));
    answer(r, result, abortCode, static_cast<std::uint16_t>(received), m_upload.data(), count);
}

void SdoProcessor::answer(const Request& r, std::int8_t result, std::uint32_t abortCode, std::uint16_t received,
                          const std::uint8_t* data, std::uint16_t count)
{
    std::uint16_t offset = 0;
    std::uint8_t piece = 0;
    do {
        std::uint16_t n = std::min<std::uint16_t>(static_cast<std::uint16_t>(count - offset), ORX_SDO_PIECE_DATA);
        bool last = offset + n >= count;
        std::uint8_t block[ORX_SDO_BLOCK_MAX];
        orx_block_begin(block, ORX_SDO_ANSWER, static_cast<std::uint16_t>(ORX_SDO_PIECE_HEADER - ORX_HEADER + n));
        orx_put_u16(block + ORX_SDOA_TRANSFER, r.transfer);
        block[ORX_SDOA_PIECE] = piece++;
        block[ORX_SDOA_FLAGS] = last ? ORX_SDOA_LAST : 0;
        block[ORX_SDOA_RESULT] = static_cast<std::uint8_t>(result);
        orx_put_u32(block + ORX_SDOA_ABORT, abortCode);
        orx_put_u16(block + ORX_SDOA_LENGTH, received);
        if (n)
            std::memcpy(block + ORX_SDO_PIECE_HEADER, data + offset, n);
        // The host drains the queue as pieces come; wait for room rather than lose one.
        while (!m_state.queues->post(ORX_RXQ_SDO, block, ORX_SDO_PIECE_HEADER + n)) {
            if (m_state.stop || m_state.queues->stopped())
                return;
            m_state.queues->waitForHost(0, std::chrono::milliseconds(2));
        }
        offset = static_cast<std::uint16_t>(offset + n);
    } while (offset < count);
}

}  // namespace orx
