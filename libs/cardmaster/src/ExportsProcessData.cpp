// The process-data exports: PDOs, SYNC, emergencies and the time stamp.
#include "Exports.h"

#include <orxboard/orx_protocol.h>

#include <cstring>
#include <mutex>

using namespace cardmaster;

namespace {

constexpr unsigned kPdos = 10;

COP_CM_RESULT createPdo(BoardSlot& s, uint8_t node, uint8_t pdoNumber, uint8_t direction, uint8_t mode,
                        uint8_t length, uint16_t cobId)
{
    uint8_t p[9] = {node, pdoNumber, direction, mode};
    orx_put_u16(p + 4, cobId);
    p[8] = length;
    COP_CM_RESULT r = CommandChannel::command(s, ORX_CMD_CREATE_PDO, p, sizeof p);
    if (r == CM_OK && direction && node <= 127 && pdoNumber >= 1 && pdoNumber <= kPdos) {
        std::lock_guard<std::mutex> lock(s.pdoMutex);
        s.txPdoLength[node * kPdos + pdoNumber - 1] = length > 8 ? 8 : length;
    }
    return r;
}

// The oldest block of a receive queue; false when there is none.
bool take(BoardSlot& s, uint16_t queue, uint8_t* block, uint32_t need)
{
    uint32_t size = 0;
    return s.queues->receive(queue, block, KDI_MAX_BLOCK, &size) == KDI_OK && size >= need;
}

}  // namespace

CM_EXPORT COP_CM_RESULT COP_CreatePDO(uint16_t handle, uint8_t node, uint8_t pdoNumber, uint8_t direction,
                                      uint8_t mode, uint8_t length, uint16_t cobId)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (badNode(node))
            return CM_ERR_PARAMETER;
        return createPdo(s, node, pdoNumber, direction, mode, length, cobId);
    });
}

CM_EXPORT COP_CM_RESULT COP_CreatePDOPredef(uint16_t handle, uint8_t node, uint8_t pdoNumber, uint8_t direction)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (node < 1 || node > 127 || pdoNumber < 1 || pdoNumber > 4)
            return CM_ERR_PARAMETER;
        // Predefined connection set: the master transmits the node's receive
        // PDOs (0x200, 0x300, ...) and receives its transmit PDOs (0x180, 0x280, ...).
        uint16_t cobId = static_cast<uint16_t>(direction ? 0x100u * (pdoNumber + 1u) + node
                                                         : 0x080u + 0x100u * pdoNumber + node);
        return createPdo(s, node, pdoNumber, direction ? 1 : 0, 1, 8, cobId);
    });
}

CM_EXPORT COP_CM_RESULT COP_ReadPDO(uint16_t handle, uint8_t* node, uint8_t* pdoNumber, uint8_t* length,
                                    uint8_t* data)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (!node || !pdoNumber || !length || !data)
            return CM_ERR_PARAMETER;
        uint8_t block[KDI_MAX_BLOCK];
        if (!take(s, ORX_RXQ_PDO, block, ORX_HEADER + 11)) {
            *node = *pdoNumber = *length = 0;
            return CM_ERR_EMPTY;
        }
        *node = block[ORX_PARAM];
        *pdoNumber = block[ORX_PARAM + 1];
        *length = block[ORX_PARAM + 2] > 8 ? 8 : block[ORX_PARAM + 2];
        std::memcpy(data, block + ORX_PARAM + 3, *length);
        return CM_OK;
    });
}

CM_EXPORT COP_CM_RESULT COP_ReadPDO_S(uint16_t handle, CopPdoMessage* pdo)
{
    if (!pdo)
        return withBoard(handle, [](BoardSlot&) { return COP_CM_RESULT{CM_ERR_PARAMETER}; });
    std::memset(pdo->data, 0, sizeof pdo->data);
    return COP_ReadPDO(handle, &pdo->node, &pdo->pdoNumber, &pdo->length, pdo->data);
}

CM_EXPORT COP_CM_RESULT COP_RequestPDO(uint16_t handle, uint8_t node, uint8_t pdoNumber)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (badNode(node))
            return CM_ERR_PARAMETER;
        uint8_t p[2] = {node, pdoNumber};
        return CommandChannel::command(s, ORX_CMD_REQUEST_PDO, p, sizeof p);
    });
}

CM_EXPORT COP_CM_RESULT COP_WritePDO(uint16_t handle, uint8_t node, uint8_t pdoNumber, const uint8_t* data)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (!data || node > 127 || pdoNumber < 1 || pdoNumber > kPdos)
            return CM_ERR_PARAMETER;
        uint8_t block[ORX_HEADER + 12];
        orx_block_begin(block, ORX_CMD_WRITE_PDO, 12);
        orx_put_u16(block + ORX_PARAM, ORX_SERVICE_PROCESS_DATA);
        block[ORX_PARAM + 2] = node;
        block[ORX_PARAM + 3] = pdoNumber;
        // The 8 data bytes of the message, but no more from the caller
        // than the PDO carries: its buffer may be as short as the PDO.
        uint8_t length;
        {
            std::lock_guard<std::mutex> lock(s.pdoMutex);
            length = s.txPdoLength[node * kPdos + pdoNumber - 1];
        }
        if (length != BoardSlot::kNoPdo)
            std::memcpy(block + ORX_PARAM + 4, data, length);
        return CommandChannel::send(s, ORX_TXQ_PDO, block);
    });
}

CM_EXPORT COP_CM_RESULT COP_WritePDO_S(uint16_t handle, const CopPdoMessage* pdo)
{
    if (!pdo)
        return withBoard(handle, [](BoardSlot&) { return COP_CM_RESULT{CM_ERR_PARAMETER}; });
    return COP_WritePDO(handle, pdo->node, pdo->pdoNumber, pdo->data);
}

CM_EXPORT COP_CM_RESULT COP_GetEmergencyObj(uint16_t handle, uint8_t* node, uint16_t* code, uint8_t* reg,
                                            uint8_t* bytes)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (!node || !code || !reg || !bytes)
            return CM_ERR_PARAMETER;
        uint8_t block[KDI_MAX_BLOCK];
        if (!take(s, ORX_RXQ_EMCY, block, ORX_HEADER + 9))
            return CM_ERR_EMPTY;
        const uint8_t* d = block + ORX_PARAM + 1;
        *node = block[ORX_PARAM];
        *code = orx_get_u16(d);
        *reg = d[2];
        std::memcpy(bytes, d + 3, 5);
        return CM_OK;
    });
}

CM_EXPORT COP_CM_RESULT COP_GetEmergencyObj_S(uint16_t handle, CopEmergencyMessage* emergency)
{
    if (!emergency)
        return withBoard(handle, [](BoardSlot&) { return COP_CM_RESULT{CM_ERR_PARAMETER}; });
    return COP_GetEmergencyObj(handle, &emergency->node, &emergency->code, &emergency->reg, emergency->bytes);
}

CM_EXPORT COP_CM_RESULT COP_DefSyncObj(uint16_t handle, uint16_t period, uint16_t window)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (period < 1 || period > 0xFF00 || window < 1 || window > 0xFF00)
            return CM_ERR_PARAMETER;
        period = period < 2 ? 2 : period;
        window = window < 2 ? 2 : window;
        if (window > period)
            return CM_ERR_PARAMETER;
        uint8_t p[4];
        orx_put_u16(p, period);
        orx_put_u16(p + 2, window);
        return CommandChannel::command(s, ORX_CMD_DEF_SYNC, p, sizeof p);
    });
}

CM_EXPORT COP_CM_RESULT COP_EnableSync(uint16_t handle, uint16_t value)
{
    return withBoard(handle, [&](BoardSlot& s) {
        uint8_t p[3];
        orx_put_u16(p, value);
        p[2] = ORX_SERVICE_PROCESS_DATA;
        return CommandChannel::command(s, ORX_CMD_ENABLE_SYNC, p, sizeof p);
    });
}

CM_EXPORT COP_CM_RESULT COP_DisableSync(uint16_t handle)
{
    return withBoard(handle, [&](BoardSlot& s) {
        uint8_t p = ORX_SERVICE_PROCESS_DATA;
        return CommandChannel::command(s, ORX_CMD_DISABLE_SYNC, &p, 1);
    });
}

CM_EXPORT COP_CM_RESULT COP_CheckSync(uint16_t handle, uint16_t* count)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (!count)
            return CM_ERR_PARAMETER;
        uint8_t block[KDI_MAX_BLOCK];
        uint16_t n = 0;
        while (n < 0xFFFF && take(s, ORX_RXQ_SYNC, block, ORX_HEADER))
            ++n;
        *count = n;
        return n ? CM_OK : CM_ERR_EMPTY;
    });
}

CM_EXPORT COP_CM_RESULT COP_InitTimeStampObj(uint16_t handle, uint16_t cobId)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (cobId == 0 || cobId > 0x7FF)
            return CM_ERR_PARAMETER;
        uint8_t p[4];
        orx_put_u16(p, cobId);
        orx_put_u16(p + 2, s.thirdSetting);
        return CommandChannel::command(s, ORX_CMD_TIMESTAMP, p, sizeof p);
    });
}

CM_EXPORT COP_CM_RESULT COP_StartStopTSObj(uint16_t handle, uint8_t start, uint16_t interval)
{
    return withBoard(handle, [&](BoardSlot& s) {
        uint8_t p[3] = {static_cast<uint8_t>(start ? 1 : 0)};
        orx_put_u16(p + 1, interval);
        return CommandChannel::command(s, ORX_CMD_START_STOP_TS, p, sizeof p);
    });
}
