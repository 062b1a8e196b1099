// The SDO exports: the asynchronous requests of the SDO handler and the
// synchronous transfers built on them, the time-out and the client SDO.
#include "Exports.h"

#include <orxboard/orx_protocol.h>

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

using namespace cardmaster;

namespace {

COP_CM_RESULT cancel(BoardSlot& s)
{
    uint16_t transfer = 0;
    uint8_t node = 0;
    COP_CM_RESULT r = s.sdo->cancel(&transfer, &node);
    if (transfer != 0) {
        uint8_t p[5] = {node};
        orx_put_u16(p + 1, transfer);
        (void)CommandChannel::command(s, ORX_CMD_CANCEL_SDO, p, sizeof p);
    }
    return r;
}

// Queues the request, waits for its end without a time limit (the handler
// always ends it: answer, abort or its own time-out) and fetches the result;
// a time-out also cancels the transfer on the board.
COP_CM_RESULT transfer(BoardSlot& s, SdoRequest request, uint8_t* data, uint16_t* length, uint32_t* abort)
{
    int event = ::eventfd(0, EFD_CLOEXEC);
    if (event < 0)
        return CM_ERR_RESOURCE;
    request.event = event;
    COP_CM_RESULT r = s.sdo->put(request);
    if (r == CM_OK) {
        pollfd p{event, POLLIN, 0};
        while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
        }
        r = s.sdo->get(data, length, abort);
        if (r == CM_ERR_TIMEOUT)
            cancel(s);
    }
    ::close(event);
    return r;
}

}  // namespace

CM_EXPORT COP_CM_RESULT COP_SetSDOTimeOut(uint16_t handle, uint16_t timeout)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (timeout == 0 || (timeout & 0x8000u))
            return CM_ERR_PARAMETER;
        if (timeout < 5)
            timeout = 5;
        uint8_t p[2];
        orx_put_u16(p, timeout);
        COP_CM_RESULT r = CommandChannel::command(s, ORX_CMD_SET_SDO_TIMEOUT, p, sizeof p);
        if (r == CM_OK) {
            s.sdoTimeout = timeout;
            s.sdo->setTimeout(timeout);
        }
        return r;
    });
}

CM_EXPORT COP_CM_RESULT COP_CreateSDO(uint16_t handle, uint8_t node, uint8_t sdoNumber, uint16_t requestId,
                                      uint16_t answerId)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (badNode(node))
            return CM_ERR_PARAMETER;
        uint8_t p[6] = {node, sdoNumber};
        orx_put_u16(p + 2, requestId);
        orx_put_u16(p + 4, answerId);
        return CommandChannel::command(s, ORX_CMD_CREATE_SDO, p, sizeof p);
    });
}

CM_EXPORT COP_CM_RESULT COP_PutSDO(uint16_t handle, uint8_t node, uint8_t sdoNumber, uint8_t direction, uint8_t mode,
                                   uint16_t index, uint8_t subIndex, uint16_t length, const uint8_t* data, int event)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (direction > CM_SDO_DOWNLOAD || mode > CM_SDO_BLOCK)
            return CM_ERR_PARAMETER;
        return s.sdo->put({node, sdoNumber, direction, mode, index, subIndex, length, data, event});
    });
}

CM_EXPORT COP_CM_RESULT COP_GetSDO(uint16_t handle, uint8_t* data, uint16_t* length, uint32_t* abort)
{
    return withBoard(handle, [&](BoardSlot& s) { return s.sdo->get(data, length, abort); });
}

CM_EXPORT COP_CM_RESULT COP_CancelSDO(uint16_t handle)
{
    return withBoard(handle, [&](BoardSlot& s) { return cancel(s); });
}

CM_EXPORT COP_CM_RESULT COP_ReadSDO(uint16_t handle, uint8_t node, uint8_t sdoNumber, uint8_t mode, uint16_t index,
                                    uint8_t subIndex, uint16_t* length, uint8_t* data, uint32_t* abort)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (!length || !data || !abort)
            return CM_ERR_PARAMETER;
        return transfer(s, {node, sdoNumber, CM_SDO_UPLOAD, mode, index, subIndex, *length, nullptr, -1}, data,
                        length, abort);
    });
}

CM_EXPORT COP_CM_RESULT COP_WriteSDO(uint16_t handle, uint8_t node, uint8_t sdoNumber, uint8_t mode, uint16_t index,
                                     uint8_t subIndex, uint16_t length, const uint8_t* data, uint32_t* abort)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (!data || !abort)
            return CM_ERR_PARAMETER;
        uint16_t n = 0;
        return transfer(s, {node, sdoNumber, CM_SDO_DOWNLOAD, mode, index, subIndex, length, data, -1}, nullptr, &n,
                        abort);
    });
}
