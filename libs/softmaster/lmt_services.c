/*
 * lmt_services.c - LMT inquiry and configuration of a single node.
 */
#include "lmt_services.h"

#include <string.h>

#include "pcan_ctrl.h"
#include "sm_service.h"

enum {
    LMT_SWITCH_SELECTIVE_MANUFACTURER = 0x01,
    LMT_SWITCH_SELECTIVE_PRODUCT = 0x02,
    LMT_SWITCH_SELECTIVE_SERIAL = 0x03,
    LMT_SWITCH_GLOBAL = 0x04,
    LMT_CONFIGURE_NODE_ID = 0x11,
    LMT_CONFIGURE_BIT_TIMING = 0x13,
    LMT_STORE = 0x17,
    LMT_INQUIRE_MANUFACTURER = 0x24,
    LMT_INQUIRE_PRODUCT = 0x25,
    LMT_INQUIRE_SERIAL = 0x26,
};

#define LMT_MODE_CONFIGURATION 1

/* Up to n characters of text, never beyond its terminating zero; the rest
 * of out is zero. */
static void take_text(uint8_t* out, const char* text, size_t n)
{
    memset(out, 0, n);
    for (size_t i = 0; i < n && text[i] != '\0'; ++i)
        out[i] = (uint8_t)text[i];
}

/* An unconfirmed request: command and up to 7 bytes. */
static int32_t unconfirmed(uint8_t command, const uint8_t* bytes, size_t count)
{
    uint8_t frame[8] = {command};
    memcpy(frame + 1, bytes, count);
    return send_once(LMT_REQUEST_ID, 8, frame);
}

/* A confirmed request; on success the answer is in FrameBuffer. */
static int32_t confirmed(uint8_t command, uint8_t b1, uint8_t b2)
{
    int32_t r = sm_begin(LMT_REQUEST_ID, LMT_ANSWER_ID);
    if (r == 0) {
        memset(FrameBuffer, 0, sizeof FrameBuffer);
        FrameBuffer[0] = command;
        FrameBuffer[1] = b1;
        FrameBuffer[2] = b2;
        r = sm_send();
    }
    int16_t length = 0;
    if (r == 0)
        r = sm_await(LMT_TIMEOUT_MS, &length);
    if (r == 0 && length != 8)
        r = COP_ERR_LENGTH;
    if (r == 0 && FrameBuffer[0] != command)
        r = COP_ERR_FORMAT;
    sm_end();
    return r;
}

/* A configure or store request whose answer carries an error code. */
static int32_t configure(uint8_t command, uint8_t b1, uint8_t b2, uint32_t* abortCode)
{
    int32_t r = confirmed(command, b1, b2);
    if (r == 0 && FrameBuffer[1] != 0) {
        *abortCode = FrameBuffer[1];
        r = SM_ABORTED;
    }
    return r;
}

static int32_t inquire(uint8_t command, char* out)
{
    if (!out)
        return COP_ERR_FATAL;
    int32_t r = confirmed(command, 0, 0);
    if (r == 0)
        memcpy(out, FrameBuffer + 1, 7);
    return r;
}

int32_t lmt_get_address(char* manufacturer, char* product, char* serial, uint32_t* abortCode)
{
    (void)abortCode;
    const uint8_t mode = LMT_MODE_CONFIGURATION;
    int32_t r = unconfirmed(LMT_SWITCH_GLOBAL, &mode, 1);
    if (r == 0)
        r = inquire(LMT_INQUIRE_MANUFACTURER, manufacturer);
    if (r == 0)
        r = inquire(LMT_INQUIRE_PRODUCT, product);
    if (r == 0 && !serial)
        r = COP_ERR_FATAL;
    if (r == 0) {
        r = confirmed(LMT_INQUIRE_SERIAL, 0, 0);
        for (int i = 0; r == 0 && i < 7; ++i) {
            serial[2 * i] = (char)(0x30 | (FrameBuffer[1 + i] >> 4));
            serial[2 * i + 1] = (char)(0x30 | (FrameBuffer[1 + i] & 0x0F));
        }
    }
    return r;
}

int32_t lmt_configure(const char* manufacturer, const char* product, const char* serial, uint8_t node,
                      uint8_t baud, uint32_t* abortCode)
{
    if (!manufacturer || !product || !serial)
        return COP_ERR_FATAL;
    /* The caller's texts end at their terminating zero at the latest: what
     * is missing of the 7, 7 and 14 characters is sent as zero. */
    uint8_t vendor[7], name[7], digits[14], bcd[7];
    take_text(vendor, manufacturer, sizeof vendor);
    take_text(name, product, sizeof name);
    take_text(digits, serial, sizeof digits);
    for (int i = 0; i < 7; ++i)
        bcd[i] = (uint8_t)((digits[2 * i] & 0x0F) << 4 | ((digits[2 * i + 1] - 0x30) & 0x0F));
    int32_t r = unconfirmed(LMT_SWITCH_SELECTIVE_MANUFACTURER, vendor, 7);
    if (r == 0)
        r = unconfirmed(LMT_SWITCH_SELECTIVE_PRODUCT, name, 7);
    if (r == 0)
        r = unconfirmed(LMT_SWITCH_SELECTIVE_SERIAL, bcd, 7);
    if (r == 0)
        r = configure(LMT_CONFIGURE_NODE_ID, node, 0, abortCode);
    if (r == 0)
        r = configure(LMT_CONFIGURE_BIT_TIMING, 0, baud, abortCode);
    if (r == 0)
        r = configure(LMT_STORE, 0, 0, abortCode);
    return r;
}
