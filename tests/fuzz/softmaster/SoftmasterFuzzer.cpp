// SoftmasterFuzzer.cpp - libFuzzer target: runs one COP service of the
// software master while a scripted driver answers every frame it writes
// with frames taken from the fuzz input (any identifier, type, length and
// content, or none at all).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fake_pcan.h"
#include "softmaster.h"

namespace {

constexpr uint8_t kNode = 5;

// The fuzz input, consumed as the service runs.
struct Input {
    const uint8_t* data;
    size_t size;
    size_t pos;
    uint8_t next() { return pos < size ? data[pos++] : 0; }
    bool empty() const { return pos >= size; }
};

uint32_t pickIdentifier(Input& in)
{
    uint8_t sel = in.next();
    switch (sel & 7) {
    case 0:
    case 1:
    case 2: return 0x580 + kNode; // the SDO answer
    case 3: return 0x7E4;         // the LMT answer
    case 4: return 0x080 + (in.next() & 0x7F); // emergencies
    case 5: return 0x380 + kNode; // a defined PDO
    default: return uint32_t(in.next()) << 8 | in.next(); // anything, above 11 bits too
    }
}

// Pushes 0..3 fuzz-derived frames after each frame the engine writes.
void answer(const TPCANMsg*, void* context)
{
    auto& in = *static_cast<Input*>(context);
    if (in.empty())
        return;
    int count = in.next() % 4;
    for (int i = 0; i < count && !in.empty(); ++i) {
        TPCANMsg m{};
        m.ID = pickIdentifier(in);
        uint8_t type = in.next();
        m.MSGTYPE = (type & 0xF0) == 0xF0 ? type : (type & 0x80 ? PCAN_MSGTYPE_STATUS : PCAN_MSGTYPE_STANDARD);
        uint8_t len = in.next();
        m.LEN = len & 0x10 ? len : uint8_t(len & 0x0F) > 8 ? 8 : (len & 0x0F);
        for (uint8_t& b : m.DATA)
            b = in.next();
        fake_pcan_push(&m);
    }
}

bool setUp()
{
    CopHwParam hw{0x378, 7};
    if (!COP_Initialize(COP_BOARD_PCAN_ISA, &hw, COP_BAUD_125))
        return false;
    COP_AddNode(kNode);
    COP_CreatePDO(kNode, 8, 0, 0x380 + kNode, 8);
    COP_SetSDOTimeout(0); // a silent node ends the transfer at once
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = setUp();
    if (!ready || size < 2)
        return 0;
    Input in{data, size, 2};
    fake_pcan_reset();
    fake_pcan_set_responder(answer, &in);
    const uint8_t op = data[0];
    const int16_t bufferSize = int16_t(data[1]) - 8; // negative sizes too

    uint8_t buffer[256];
    int16_t length = 0;
    uint8_t payload[300];
    for (size_t i = 0; i < sizeof payload; ++i)
        payload[i] = uint8_t(i);
    char manufacturer[8], product[8], serial[16];
    uint8_t node = 0, pdo = 0, plen = 0, pdata[8];

    const int16_t room = bufferSize < 0 ? bufferSize : int16_t(bufferSize % 256);
    COP_BOOL ok = 1;
    switch (op % 8) {
    case 0:
        ok = COP_ReadSDO(kNode, 0x2000, 1, &length, buffer, room);
        if (length < 0 || length > (room < 0 ? 0 : room))
            __builtin_trap(); // more reported than the buffer holds
        break;
    case 1: ok = COP_WriteSDO(kNode, 0x2000, 1, int16_t(1 + op / 8 % 4), payload); break;
    case 2: ok = COP_WriteSDO(kNode, 0x2000, 1, int16_t(5 + data[1]), payload); break;
    case 3: ok = COP_SearchNode(kNode); break;
    case 4: ok = COP_GetLMTAddress(manufacturer, product, serial); break;
    case 5: ok = COP_ConfigureNode("Kelvane", "OvroK31", "20061234567890", 9, 4); break;
    case 6:
        COP_SendSync(); // the answers land in the ring
        while (COP_ReadPDO(&node, &pdo, pdata, &plen))
            if (plen > 8 || pdo != 8)
                __builtin_trap();
        while (COP_GetEmergency(&node, pdata)) {
        }
        ok = COP_GetLastError() == 0;
        break;
    default:
        ok = COP_ReadSDO(kNode, 0x1008, 0, &length, buffer, sizeof buffer);
        break;
    }
    // A failure never reads as success, nor a success as failure.
    if ((ok != 0) != (COP_GetLastError() == 0))
        __builtin_trap();
    fake_pcan_set_responder(nullptr, nullptr);
    return 0;
}
