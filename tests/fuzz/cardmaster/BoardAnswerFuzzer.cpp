// BoardAnswerFuzzer.cpp - libFuzzer target: the board master
// (libcardmaster) against firmware that answers anything. A driver of the
// board maker's interface (KdiMsgIf) stands in for the board: every block
// the library sends makes it queue the answer blocks the input gives next,
// on the receive queue that answers that transmit queue (command answers,
// SDO pieces), with the code of the command and the number of the SDO
// transfer filled in where the input asks for them; before each call the
// input may also put blocks of its own on the PDO, emergency, event and
// SYNC queues. The input then picks the exports to call with it: node
// commands and their answers, the test command, LMT, SDO uploads into a
// buffer of exactly the size asked for, segmented downloads, PDO,
// emergency, event and SYNC reads.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include <cardmaster/cardmaster.h>
#include <orxboard/kdi3.h>
#include <orxboard/orx_protocol.h>

#include "BoardTable.h"
#include "FirmwareResources.h"

using namespace cardmaster;

// The board's firmware images are not needed: no board is ever opened here.
bool cardmaster::findFirmware(int, FirmwareResource&)
{
    return false;
}

namespace {

struct Input {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
    std::uint8_t next() { return pos < size ? data[pos++] : 0; }
    bool empty() const { return pos >= size; }
};

// The fake board: queues of blocks, as the board maker's driver keeps them
// (a block too long for the caller's buffer stays where it is).
struct FakeBoard {
    KdiMsgIf kdi{};
    std::mutex mutex;
    std::deque<std::vector<std::uint8_t>> rx[ORX_RX_QUEUES];
    Input in;

    // Queues the answer blocks the input gives for a block just sent.
    void stage(std::uint16_t txQueue, const std::uint8_t* sent, std::uint32_t size)
    {
        const std::uint16_t rxQueue = txQueue == ORX_TXQ_SDO ? ORX_RXQ_SDO : ORX_RXQ_ANSWER;
        const unsigned count = in.next() % 4;
        for (unsigned i = 0; i < count && !in.empty(); ++i) {
            const std::uint8_t flags = in.next();
            std::size_t length = in.next();
            if (flags & 0x80)
                length += 256;  // longer than any block the board sends
            std::vector<std::uint8_t> block(length);
            for (std::uint8_t& b : block)
                b = in.next();
            if ((flags & 1) && length >= 2 && size >= 2) {
                // The code of what was sent (an SDO request is answered by ORX_SDO_ANSWER).
                std::uint16_t code = orx_block_code(sent);
                if (txQueue == ORX_TXQ_SDO)
                    code = (flags & 4) ? ORX_SDO_BUSY : ORX_SDO_ANSWER;
                block[0] = static_cast<std::uint8_t>(code);
                block[1] = static_cast<std::uint8_t>(code >> 8);
            }
            if ((flags & 2) && length >= ORX_SDOA_TRANSFER + 2 && size >= ORX_SDOQ_TRANSFER + 2)
                std::memcpy(&block[ORX_SDOA_TRANSFER], sent + ORX_SDOQ_TRANSFER, 2);
            if ((flags & 8) && length >= 4) {
                // A length field that agrees with the block's size.
                const std::size_t n = length - ORX_HEADER;
                block[2] = static_cast<std::uint8_t>(n);
                block[3] = static_cast<std::uint8_t>(n >> 8);
            }
            rx[rxQueue].push_back(std::move(block));
        }
    }

    static FakeBoard& of(KdiMsgIf* self) { return *reinterpret_cast<FakeBoard*>(self); }

    static KDI_RESULT openQueues(KdiMsgIf*, std::uint16_t, std::uint16_t) { return KDI_OK; }
    static KDI_RESULT closeQueues(KdiMsgIf*) { return KDI_OK; }
    static KDI_RESULT txFree(KdiMsgIf*, std::uint16_t, std::uint32_t* free)
    {
        *free = 1;
        return KDI_OK;
    }
    static KDI_RESULT send(KdiMsgIf* self, std::uint16_t queue, const void* block, std::uint32_t size)
    {
        if (!block || size == 0)
            return KDI_ERR_PARAMETER;
        if (size > KDI_MAX_BLOCK)
            return KDI_ERR_SIZE;
        FakeBoard& board = of(self);
        std::lock_guard<std::mutex> lock(board.mutex);
        board.stage(queue, static_cast<const std::uint8_t*>(block), size);
        return KDI_OK;
    }
    static KDI_RESULT rxLevel(KdiMsgIf* self, std::uint16_t queue, std::uint32_t* count)
    {
        FakeBoard& board = of(self);
        std::lock_guard<std::mutex> lock(board.mutex);
        if (queue >= ORX_RX_QUEUES)
            return KDI_ERR_PARAMETER;
        *count = static_cast<std::uint32_t>(board.rx[queue].size());
        return KDI_OK;
    }
    static KDI_RESULT receive(KdiMsgIf* self, std::uint16_t queue, void* block, std::uint32_t capacity,
                              std::uint32_t* size)
    {
        if (!block || !size)
            return KDI_ERR_PARAMETER;
        FakeBoard& board = of(self);
        std::lock_guard<std::mutex> lock(board.mutex);
        if (queue >= ORX_RX_QUEUES)
            return KDI_ERR_PARAMETER;
        auto& q = board.rx[queue];
        if (q.empty())
            return KDI_ERR_EMPTY;
        *size = static_cast<std::uint32_t>(q.front().size());
        if (q.front().size() > capacity)
            return KDI_ERR_SIZE;
        if (!q.front().empty())
            std::memcpy(block, q.front().data(), q.front().size());
        q.pop_front();
        return KDI_OK;
    }
    // Nothing more ever comes by waiting: the time-outs are 0.
    static KDI_RESULT waitEvent(KdiMsgIf*, std::uint16_t, std::uint32_t) { return KDI_ERR_TIMEOUT; }
    static KDI_RESULT setEvent(KdiMsgIf*, std::uint16_t) { return KDI_OK; }
    static void release(KdiMsgIf*) {}

    FakeBoard()
    {
        kdi.OpenQueues = openQueues;
        kdi.CloseQueues = closeQueues;
        kdi.TxFree = txFree;
        kdi.Send = send;
        kdi.RxLevel = rxLevel;
        kdi.Receive = receive;
        kdi.WaitEvent = waitEvent;
        kdi.SetEvent = setEvent;
        kdi.Release = release;
    }
};
static_assert(offsetof(FakeBoard, kdi) == 0, "the driver object comes first");

constexpr std::uint16_t kHandle = 1;

// Slot 0 of this process, open on the fake board, with all time-outs 0.
FakeBoard& Board()
{
    static FakeBoard* board = [] {
        auto* b = new FakeBoard;
        BoardSlot& s = BoardTable::slot(0);
        const std::string key = "fuzz-" + std::to_string(::getpid());
        s.table = SharedSlotTable::attach(key);
        if (!s.table || s.table->claimFreeSlot(0) != 0) {
            std::fprintf(stderr, "no slot table\n");
            std::abort();
        }
        // The table is this process's alone: its name goes at once (the
        // mapping stays), as the library names it after the key.
        std::uint32_t h = 2166136261u;
        for (unsigned char c : key)
            h = (h ^ c) * 16777619u;
        char name[64];
        std::snprintf(name, sizeof name, "/orvax-cardmaster-%u-%08x", static_cast<unsigned>(::getuid()), h);
        ::shm_unlink(name);
        s.table->publish(0);
        s.kdi = &b->kdi;
        s.queues = std::make_unique<QueManager>(&b->kdi, kHandle);
        if (s.queues->open() != CM_OK)
            std::abort();
        s.sdo = std::make_unique<SdoHandler>(*s.queues, 0);
        if (s.sdo->start() != CM_OK)
            std::abort();
        s.commTimeout = 0;
        s.sdoTimeout = 0;
        s.phase = BoardSlot::kOpen;
        return b;
    }();
    return *board;
}

void Unsolicited(FakeBoard& board)
{
    const std::uint8_t u = board.in.next();
    if (!(u & 1))
        return;
    const std::uint16_t queue = static_cast<std::uint16_t>(ORX_RXQ_PDO + (u >> 1) % 4);
    std::vector<std::uint8_t> block(board.in.next() % 40);
    for (std::uint8_t& b : block)
        b = board.in.next();
    std::lock_guard<std::mutex> lock(board.mutex);
    board.rx[queue].push_back(std::move(block));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FakeBoard& board = Board();
    {
        std::lock_guard<std::mutex> lock(board.mutex);
        for (auto& q : board.rx)
            q.clear();
        board.in = Input{data, size};
    }
    Input& in = board.in;
    int calls = 0;
    while (!in.empty() && ++calls <= 32) {
        Unsolicited(board);
        const std::uint8_t op = in.next();
        const std::uint8_t node = in.next();
        switch (op % 16) {
        case 0: {
            std::uint8_t state = 0;
            (void)COP_GetNodeState(kHandle, node, &state);
            break;
        }
        case 1: {
            CopNodeIdentity identity;
            (void)COP_IdentifyRemNode(kHandle, node, in.next(), &identity);
            break;
        }
        case 2: {
            std::uint16_t status = 0;
            (void)COP_GetStatus(kHandle, &status);
            break;
        }
        case 3: {
            const std::uint8_t length = in.next() % 56;
            std::vector<std::uint8_t> sent(length, 0x5A), echo(length ? length : 1);
            (void)COP_TestCommand(kHandle, sent.data(), length, echo.data());
            break;
        }
        case 4: {
            char manufacturer[8] = {}, product[8] = {}, serial[15] = {};
            (void)COP_LMT_GetAddress(kHandle, in.next() & 1, in.next() % 9, manufacturer, product, serial);
            break;
        }
        case 5: {
            // An upload into a buffer of exactly the bytes asked for.
            std::uint16_t length = static_cast<std::uint16_t>(in.next() | (in.next() & 1) << 8);
            auto buffer = std::make_unique<std::uint8_t[]>(length ? length : 1);
            std::uint32_t abort = 0;
            (void)COP_ReadSDO(kHandle, node, 1, in.next() & 1, 0x1008, 0, &length, buffer.get(), &abort);
            break;
        }
        case 6: {
            // A download of up to three pieces.
            const std::uint16_t length = static_cast<std::uint16_t>(in.next() * 3);
            std::vector<std::uint8_t> bytes(length ? length : 1, 0xA5);
            std::uint32_t abort = 0;
            (void)COP_WriteSDO(kHandle, node, 1, in.next() & 1, 0x2000, 1, length, bytes.data(), &abort);
            break;
        }
        case 7: {
            std::uint8_t n = 0, pdo = 0, length = 0, bytes[8];
            if (COP_ReadPDO(kHandle, &n, &pdo, &length, bytes) == CM_OK && length > 8)
                std::abort();  // a PDO carries at most 8 bytes
            break;
        }
        case 8: {
            std::uint8_t n = 0, reg = 0, bytes[5];
            std::uint16_t code = 0;
            (void)COP_GetEmergencyObj(kHandle, &n, &code, &reg, bytes);
            break;
        }
        case 9: {
            std::uint16_t code = 0;
            std::uint32_t value = 0;
            (void)COP_GetEvent(kHandle, &code, &value);
            break;
        }
        case 10: {
            std::uint16_t count = 0;
            (void)COP_CheckSync(kHandle, &count);
            break;
        }
        case 11: {
            auto block = std::make_unique<std::uint8_t[]>(ORX_COMMAND_BLOCK_MAX);
            (void)COP_GetMsg(kHandle, block.get());
            break;
        }
        case 12: (void)COP_AddNode(kHandle, node, in.next(), 0, 0); break;
        case 13: (void)COP_StartNode(kHandle, node); break;
        case 14: {
            char manufacturer[7] = {'O', 'v', 'r', 'o'}, product[7] = {'K'}, serial[14] = {'1'};
            (void)COP_LMT_ConfigNode(kHandle, manufacturer, product, serial, node, in.next() % 9, in.next() % 9);
            break;
        }
        case 15: {
            (void)COP_CreatePDOPredef(kHandle, node, 1 + in.next() % 4, in.next() & 1);
            std::uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
            (void)COP_WritePDO(kHandle, node, 1 + in.next() % 4, bytes);
            break;
        }
        }
    }
    return 0;
}
