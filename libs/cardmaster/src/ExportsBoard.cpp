// The board exports: opening and closing, the raw command channel, the
// interface, status, information, time-outs, notification.
#include "BoardLifecycle.h"
#include "Exports.h"

#include <orxboard/orx_protocol.h>

#include <cstring>

using namespace cardmaster;

CM_EXPORT COP_CM_RESULT COP_InitBoard(uint16_t* handle, uint32_t* boardType, uint32_t* entry)
{
    try {
        return BoardLifecycle::open(handle, boardType, entry);
    } catch (...) {
        if (handle)
            *handle = 0;
        return CM_ERR_RESOURCE;
    }
}

CM_EXPORT COP_CM_RESULT COP_ReleaseBoard(uint16_t handle)
{
    try {
        return BoardLifecycle::release(handle);
    } catch (...) {
        return CM_ERR_GENERAL;
    }
}

CM_EXPORT COP_CM_RESULT COP_SendMsg(uint16_t handle, const uint8_t* block)
{
    return withBoard(handle, [&](BoardSlot& s) { return CommandChannel::send(s, ORX_TXQ_COMMAND, block); });
}

CM_EXPORT COP_CM_RESULT COP_GetMsg(uint16_t handle, uint8_t* block)
{
    return withBoard(handle, [&](BoardSlot& s) { return CommandChannel::receive(s, block); });
}

CM_EXPORT COP_CM_RESULT COP_InitInterface(uint16_t handle, uint8_t channel, uint8_t baud, uint8_t flags,
                                          uint16_t time)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (channel > 1)
            return CM_ERR_PROTOCOL;
        if ((flags & 0x80u) || (time & 0x8000u))
            return CM_ERR_PARAMETER;
        if (time != 0 && time < 5)
            time = 5;
        uint8_t p[8] = {channel, baud, flags, 0};
        orx_put_u16(p + 4, time);
        s.forgetPdos();  // the firmware starts its tables afresh
        return CommandChannel::command(s, ORX_CMD_INIT_INTERFACE, p, sizeof p);
    });
}

CM_EXPORT COP_CM_RESULT COP_TestCommand(uint16_t handle, const uint8_t* data, uint8_t length, uint8_t* echo)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if ((!data && length) || !echo || length > ORX_COMMAND_BLOCK_MAX - ORX_ANSWER_DATA)
            return CM_ERR_PARAMETER;
        uint8_t block[ORX_COMMAND_BLOCK_MAX];
        orx_block_begin(block, ORX_CMD_TEST, length);
        if (length)
            std::memcpy(block + ORX_PARAM, data, length);
        COP_CM_RESULT r = CommandChannel::exchange(s, block);
        if (r == CM_OK) {
            uint16_t n = static_cast<uint16_t>(orx_block_length(block) - 1);
            std::memcpy(echo, block + ORX_ANSWER_DATA, n < length ? n : length);
        }
        return r;
    });
}

CM_EXPORT COP_CM_RESULT COP_GetStatus(uint16_t handle, uint16_t* status)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (!status)
            return CM_ERR_PARAMETER;
        uint8_t block[ORX_COMMAND_BLOCK_MAX];
        orx_block_begin(block, ORX_CMD_STATUS, 0);
        COP_CM_RESULT r = CommandChannel::exchange(s, block);
        if (r == CM_OK)
            *status = orx_get_u16(block + ORX_ANSWER_DATA);
        return r;
    });
}

CM_EXPORT COP_CM_RESULT COP_GetBoardInfo(uint16_t handle, CopBoardInfo* info)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (!info)
            return CM_ERR_PARAMETER;
        KdiBoardInfo board;
        if (s.bsp->GetInfo(s.bsp, &board) != KDI_OK)
            return CM_ERR_COMMUNICATION;
        std::memset(info, 0, sizeof *info);
        info->hardwareVersion = board.hardwareVersion;
        info->firmwareVersion = s.firmwareVersion;
        info->apiVersion = CM_API_VERSION;
        std::memcpy(info->serialNumber, board.serialNumber, sizeof info->serialNumber - 1);
        std::memcpy(info->boardName, board.boardName, sizeof info->boardName - 1);
        return CM_OK;
    });
}

CM_EXPORT COP_CM_RESULT COP_SetCommTimeOut(uint16_t handle, uint16_t timeout)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        s.commTimeout = timeout < 55 ? 55 : timeout;
        return CM_OK;
    });
}

CM_EXPORT COP_CM_RESULT COP_Reset_DLL(uint16_t handle)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        uint16_t transfer = 0;
        uint8_t node = 0;
        s.sdo->cancel(&transfer, &node);
        s.forgetPdos();
        COP_CM_RESULT r = CommandChannel::command(s, ORX_CMD_RESET, nullptr, 0);
        for (uint16_t q = ORX_RXQ_SDO; q < ORX_RX_QUEUES; ++q)
            s.queues->flush(q);
        s.sdoTimeout = 400;
        s.sdo->setTimeout(400);
        return r;
    });
}

CM_EXPORT COP_CM_RESULT COP_DefineCallbacks(uint16_t handle, ORX_CALLBACK pdo, ORX_CALLBACK emergency,
                                            ORX_CALLBACK event, ORX_CALLBACK sync)
{
    return withBoard(handle, [&](BoardSlot& s) { return s.queues->defineCallbacks({pdo, emergency, event, sync}); });
}

CM_EXPORT COP_CM_RESULT COP_DefineEventMsgs(uint16_t handle, int window, uint32_t pdoMessage,
                                            uint32_t emergencyMessage, uint32_t eventMessage, uint32_t syncMessage)
{
    return withBoard(handle, [&](BoardSlot& s) {
        return s.queues->defineWindowMessages(window, {pdoMessage, emergencyMessage, eventMessage, syncMessage});
    });
}

CM_EXPORT COP_CM_RESULT COP_GetThreadIds(uint16_t handle, uint32_t ids[4])
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (!ids)
            return CM_ERR_PARAMETER;
        s.queues->threadIds(ids);
        return CM_OK;
    });
}

CM_EXPORT COP_CM_RESULT COP_GetEvent(uint16_t handle, uint16_t* code, uint32_t* value)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (!code || !value)
            return CM_ERR_PARAMETER;
        uint8_t block[KDI_MAX_BLOCK];
        uint32_t size = 0;
        if (s.queues->receive(ORX_RXQ_EVENT, block, sizeof block, &size) != KDI_OK || size < ORX_HEADER + 6)
            return CM_ERR_EMPTY;
        *code = orx_get_u16(block + ORX_PARAM);
        *value = orx_get_u32(block + ORX_PARAM + 2);
        return CM_OK;
    });
}
