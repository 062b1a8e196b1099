/*
 * sdo_client.c - SDO client of the software master.
 */
#include "sdo_client.h"

#include <string.h>

#include "pcan_ctrl.h"
#include "sm_service.h"

/* Puts command, index and sub-index into the frame buffer, the rest zero. */
static void build(uint8_t command, uint16_t index, uint8_t subIndex)
{
    memset(FrameBuffer, 0, sizeof FrameBuffer);
    FrameBuffer[0] = command;
    FrameBuffer[1] = (uint8_t)index;
    FrameBuffer[2] = (uint8_t)(index >> 8);
    FrameBuffer[3] = subIndex;
}

/* Tells the server that the client gives up, and ends with `result`. */
static int32_t client_abort(uint16_t index, uint8_t subIndex, uint32_t code, int32_t result)
{
    build(0x80, index, subIndex);
    sm_put_u32(FrameBuffer + 4, code);
    (void)sm_send();
    return result;
}

/* Waits for the next answer. 0: an 8-byte answer in FrameBuffer. Otherwise
 * the transfer is over: the client abort has been sent and the result is
 * returned. */
static int32_t await_answer(uint16_t index, uint8_t subIndex, uint16_t timeoutMs)
{
    int16_t length = 0;
    int32_t r = sm_await(timeoutMs, &length);
    if (r == COP_ERR_TIMEOUT)
        return client_abort(index, subIndex, SDO_ABORT_TIMEOUT, COP_ERR_TIMEOUT);
    if (r)
        return client_abort(index, subIndex, SDO_ABORT_GENERAL, r);
    if (length != 8)
        return client_abort(index, subIndex, SDO_ABORT_GENERAL, COP_ERR_LENGTH);
    return 0;
}

static int32_t server_abort(uint32_t* abortCode)
{
    *abortCode = sm_get_u32(FrameBuffer + 4);
    return SM_ABORTED;
}

static int32_t upload(uint16_t index, uint8_t subIndex, int16_t* length, uint8_t* buffer,
                      int32_t size, uint16_t timeoutMs, uint32_t* abortCode)
{
    build(0x40, index, subIndex);
    int32_t r = sm_send();
    if (r)
        return r;
    r = await_answer(index, subIndex, timeoutMs);
    if (r)
        return r;
    uint8_t cmd = FrameBuffer[0];
    if ((cmd & 0xE0) == 0x80)
        return server_abort(abortCode);
    if ((cmd & 0xE0) != 0x40)
        return client_abort(index, subIndex, SDO_ABORT_COMMAND, COP_ERR_FORMAT);

    if (cmd & 0x02) { /* expedited */
        int32_t n = (cmd & 0x01) ? 4 - ((cmd >> 2) & 3) : 4;
        if (n > size)
            n = size;
        memcpy(buffer, FrameBuffer + 4, (size_t)n);
        *length = (int16_t)n;
        return 0;
    }

    int32_t received = 0; /* runs on beyond the buffer */
    uint8_t toggle = 0;
    for (;;) {
        memset(FrameBuffer, 0, sizeof FrameBuffer);
        FrameBuffer[0] = (uint8_t)(0x60 | toggle);
        r = sm_send();
        if (r)
            return r;
        r = await_answer(index, subIndex, timeoutMs);
        if (r)
            return r;
        cmd = FrameBuffer[0];
        if ((cmd & 0xE0) == 0x80)
            return server_abort(abortCode);
        if ((cmd & 0xE0) != 0x00)
            return client_abort(index, subIndex, SDO_ABORT_COMMAND, COP_ERR_FORMAT);
        if ((cmd & 0x10) != toggle)
            return client_abort(index, subIndex, SDO_ABORT_TOGGLE, COP_ERR_FORMAT);
        int32_t n = 7 - ((cmd >> 1) & 7);
        if (received < size) {
            int32_t room = size - received;
            memcpy(buffer + received, FrameBuffer + 1, (size_t)(n < room ? n : room));
        }
        if (received < INT32_MAX - 7)
            received += n;
        if (cmd & 0x01) {
            if (received > size)
                received = size;
            if (received < size)
                buffer[received] = 0;
            *length = (int16_t)received;
            return 0;
        }
        toggle = (uint8_t)(0x10 - toggle);
    }
}

int32_t sdo_upload(uint8_t node, uint16_t index, uint8_t subIndex, int16_t* length, uint8_t* buffer,
                   int16_t size, uint16_t timeoutMs, uint32_t* abortCode)
{
    if (!length || !buffer || !abortCode)
        return COP_ERR_FATAL;
    *length = 0;
    int32_t r = sm_begin(SDO_REQUEST_BASE + node, SDO_ANSWER_BASE + node);
    if (r == 0)
        r = upload(index, subIndex, length, buffer, size < 0 ? 0 : size, timeoutMs, abortCode);
    if (r)
        *length = 0;
    sm_end();
    return r;
}

/* Checks the answer to an initiate request: exactly 0x60 goes on. */
static int32_t initiate_answer(uint16_t index, uint8_t subIndex, uint32_t* abortCode)
{
    if (FrameBuffer[0] == 0x80)
        return server_abort(abortCode);
    if (FrameBuffer[0] != 0x60)
        return client_abort(index, subIndex, SDO_ABORT_COMMAND, COP_ERR_FORMAT);
    return 0;
}

int32_t sdo_download_expedited(uint8_t node, uint16_t index, uint8_t subIndex, int16_t length,
                               const uint8_t* data, uint16_t timeoutMs, uint32_t* abortCode)
{
    if (!data || !abortCode)
        return COP_ERR_FATAL;
    if (length < 1 || length > 4)
        return COP_ERR_ILLEGAL_PARAM;
    int32_t r = sm_begin(SDO_REQUEST_BASE + node, SDO_ANSWER_BASE + node);
    if (r == 0) {
        build((uint8_t)(0x23 | (4 - length) << 2), index, subIndex);
        memcpy(FrameBuffer + 4, data, (size_t)length);
        r = sm_send();
    }
    if (r == 0)
        r = await_answer(index, subIndex, timeoutMs);
    if (r == 0)
        r = initiate_answer(index, subIndex, abortCode);
    sm_end();
    return r;
}

static int32_t download_segments(uint16_t index, uint8_t subIndex, int32_t length, const uint8_t* data,
                                 uint16_t timeoutMs, uint32_t* abortCode)
{
    uint8_t toggle = 0;
    int32_t offset = 0;
    for (;;) {
        int32_t remaining = length - offset;
        int32_t unused = remaining < 8 ? 7 - remaining : 0;
        int32_t n = 7 - unused;
        int last = n == remaining;
        memset(FrameBuffer, 0, sizeof FrameBuffer);
        FrameBuffer[0] = (uint8_t)(unused << 1 | toggle | (last ? 1 : 0));
        memcpy(FrameBuffer + 1, data + offset, (size_t)n);
        offset += n;
        int32_t r = sm_send();
        if (r)
            return r;
        r = await_answer(index, subIndex, timeoutMs);
        if (r)
            return r;
        uint8_t cmd = FrameBuffer[0];
        if ((cmd & 0xE0) == 0x80)
            return server_abort(abortCode);
        if ((cmd & 0xE0) != 0x20)
            return client_abort(index, subIndex, SDO_ABORT_COMMAND, COP_ERR_FORMAT);
        if ((cmd & 0x10) != toggle)
            return client_abort(index, subIndex, SDO_ABORT_TOGGLE, COP_ERR_FORMAT);
        if (last)
            return 0;
        toggle = (uint8_t)(0x10 - toggle);
    }
}

int32_t sdo_download_segmented(uint8_t node, uint16_t index, uint8_t subIndex, int16_t length,
                               const uint8_t* data, uint16_t timeoutMs, uint32_t* abortCode)
{
    if (!data || !abortCode)
        return COP_ERR_FATAL;
    if (length < 5)
        return COP_ERR_ILLEGAL_PARAM;
    int32_t r = sm_begin(SDO_REQUEST_BASE + node, SDO_ANSWER_BASE + node);
    if (r == 0) {
        build(0x21, index, subIndex);
        sm_put_u32(FrameBuffer + 4, (uint32_t)length);
        r = sm_send();
    }
    if (r == 0)
        r = await_answer(index, subIndex, timeoutMs);
    if (r == 0)
        r = initiate_answer(index, subIndex, abortCode);
    if (r == 0)
        r = download_segments(index, subIndex, length, data, timeoutMs, abortCode);
    sm_end();
    return r;
}
