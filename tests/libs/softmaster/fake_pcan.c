/*
 * fake_pcan.c - scripted PCAN-Light driver for the tests of the software
 * master (see fake_pcan.h).
 */
#include "fake_pcan.h"

#include <string.h>

#define EXPORT __attribute__((visibility("default")))
#define FAKE_WRITTEN 4096

#ifdef FAKE_PCAN_SECOND_CHANNEL_PNP
#define FAKE_CALL(name) CAN2_##name
#else
#define FAKE_CALL(name) CAN_##name
#endif

static TPCANMsg Queue[FAKE_PCAN_QUEUE];
static size_t Head, Count;
static TPCANMsg Written[FAKE_WRITTEN];
static size_t WrittenCount;
static uint32_t WriteResult, InitResult, ResetResult;
static char CallLog[64];
static char Version[PCAN_VERSION_TEXT_SIZE] = "PCAN-ISA fake driver 2.49";
static FakeResponder Responder;
static void* ResponderContext;
static FakeInitCall Init;
static int CloseCalls;

EXPORT void fake_pcan_reset(void)
{
    Head = Count = WrittenCount = 0;
    WriteResult = InitResult = ResetResult = 0;
    CallLog[0] = '\0';
    strcpy(Version, "PCAN-ISA fake driver 2.49");
    Responder = NULL;
    ResponderContext = NULL;
    memset(&Init, 0, sizeof Init);
    CloseCalls = 0;
}

EXPORT int fake_pcan_push(const TPCANMsg* msg)
{
    if (Count == FAKE_PCAN_QUEUE)
        return 0;
    Queue[(Head + Count) % FAKE_PCAN_QUEUE] = *msg;
    ++Count;
    return 1;
}

EXPORT int fake_pcan_push_data(uint32_t id, uint8_t len, const uint8_t* data)
{
    TPCANMsg m;
    memset(&m, 0, sizeof m);
    m.ID = id;
    m.MSGTYPE = PCAN_MSGTYPE_STANDARD;
    m.LEN = len;
    if (data)
        memcpy(m.DATA, data, len > 8 ? 8 : len);
    return fake_pcan_push(&m);
}

EXPORT size_t fake_pcan_pending(void)
{
    return Count;
}

EXPORT void fake_pcan_set_write_result(uint32_t result)
{
    WriteResult = result;
}

EXPORT void fake_pcan_set_init_result(uint32_t result)
{
    InitResult = result;
}

EXPORT void fake_pcan_set_version(const char* text)
{
    strncpy(Version, text, sizeof Version - 1);
}

EXPORT void fake_pcan_set_responder(FakeResponder responder, void* context)
{
    Responder = responder;
    ResponderContext = context;
}

EXPORT size_t fake_pcan_written(TPCANMsg* out, size_t max)
{
    size_t n = WrittenCount < max ? WrittenCount : max;
    if (out && n)
        memcpy(out, Written, n * sizeof *out);
    return WrittenCount;
}

EXPORT void fake_pcan_clear_written(void)
{
    WrittenCount = 0;
}

EXPORT FakeInitCall fake_pcan_init_call(void)
{
    return Init;
}

EXPORT int fake_pcan_close_calls(void)
{
    return CloseCalls;
}

EXPORT void fake_pcan_set_reset_result(uint32_t result)
{
    ResetResult = result;
}

EXPORT const char* fake_pcan_call_log(void)
{
    return CallLog;
}

static void log_call(char letter)
{
    size_t n = strlen(CallLog);
    if (n + 1 < sizeof CallLog) {
        CallLog[n] = letter;
        CallLog[n + 1] = '\0';
    }
}

/* ---- The PCAN-Light calls ---- */

#ifdef FAKE_PCAN_SECOND_CHANNEL_PNP
EXPORT uint32_t FAKE_CALL(Init)(uint16_t btr0btr1, int msgType)
{
    Init.calls++;
    Init.btr0btr1 = btr0btr1;
    Init.msgType = msgType;
    log_call('I');
    return InitResult;
}
#else
EXPORT uint32_t FAKE_CALL(Init)(uint16_t btr0btr1, int msgType, int hwType, uint32_t ioPort, uint16_t interrupt)
{
    Init.calls++;
    Init.btr0btr1 = btr0btr1;
    Init.msgType = msgType;
    Init.hwType = hwType;
    Init.ioPort = ioPort;
    Init.interrupt = interrupt;
    log_call('I');
    return InitResult;
}
#endif

EXPORT uint32_t FAKE_CALL(Close)(void)
{
    ++CloseCalls;
    return 0;
}

EXPORT uint32_t FAKE_CALL(Status)(void)
{
    return 0;
}

EXPORT uint32_t FAKE_CALL(Write)(TPCANMsg* msg)
{
    if (WriteResult & (PCAN_ERR_XMTFULL | PCAN_ERR_QXMTFULL | ~0xFFu))
        return WriteResult;
    if (WrittenCount < FAKE_WRITTEN)
        Written[WrittenCount++] = *msg;
    if (Responder)
        Responder(msg, ResponderContext);
    return WriteResult;
}

EXPORT uint32_t FAKE_CALL(Read)(TPCANMsg* msg)
{
    if (Count == 0)
        return PCAN_ERR_QRCVEMPTY;
    *msg = Queue[Head];
    Head = (Head + 1) % FAKE_PCAN_QUEUE;
    --Count;
    return 0;
}

EXPORT uint32_t FAKE_CALL(VersionInfo)(char* text)
{
    memcpy(text, Version, PCAN_VERSION_TEXT_SIZE);
    return 0;
}

EXPORT uint32_t FAKE_CALL(ResetClient)(void)
{
    log_call('R');
    return ResetResult;
}
