/*
 * sm_service.c - frame buffer, one-shot sender and answer wait of the
 * confirmed services.
 */
#include "sm_service.h"

#include <string.h>

#include "pcan_ctrl.h"

uint8_t FrameBuffer[8];

uint32_t sm_get_u32(const uint8_t* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

void sm_put_u32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = (uint8_t)(v >> (8 * i));
}

int32_t send_once(uint32_t identifier, int length, const uint8_t* data)
{
    int32_t r = ctrl_define(SM_OBJ_REQUEST, identifier, CTRL_KIND_TRANSMIT);
    if (r == 0)
        r = ctrl_send(SM_OBJ_REQUEST, length, data);
    ctrl_delete(SM_OBJ_REQUEST);
    return r;
}

int32_t sm_begin(uint32_t requestId, uint32_t answerId)
{
    int32_t r = ctrl_define(SM_OBJ_REQUEST, requestId, CTRL_KIND_TRANSMIT);
    if (r == 0)
        r = ctrl_define(SM_OBJ_ANSWER, answerId, CTRL_KIND_RECEIVE | 8u << 8);
    return r;
}

int32_t sm_send(void)
{
    return ctrl_send(SM_OBJ_REQUEST, 8, FrameBuffer);
}

int32_t sm_await(uint16_t timeoutMs, int16_t* length)
{
    int32_t r = ctrl_timer_start(timeoutMs);
    if (r)
        return r;
    for (;;) {
        uint8_t data[8] = {0};
        int16_t n = 0;
        r = ctrl_read(SM_OBJ_ANSWER, &n, data);
        if (r == 0) {
            memcpy(FrameBuffer, data, sizeof FrameBuffer);
            *length = n;
            return 0;
        }
        if (r != COP_ERR_RX_EMPTY)
            return r;
        if (ctrl_timer_expired())
            return COP_ERR_TIMEOUT;
        ctrl_wait();
    }
}

void sm_end(void)
{
    ctrl_delete(SM_OBJ_REQUEST);
    ctrl_delete(SM_OBJ_ANSWER);
}
