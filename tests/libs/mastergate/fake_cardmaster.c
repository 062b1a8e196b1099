/*
 * fake_cardmaster.c - a board library stand-in that records its calls.
 */
#define COP_NO_PROTOTYPES
#define COP_CM_PROTOTYPES
#include "fake_cardmaster.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

static char callLog[16384];
static size_t callLogLength;

static struct {
    char name[32];
    int16_t result;
} results[40];
static size_t resultCount;

static CopBoardInfo boardInfo;
static uint8_t sdoData[300];
static uint16_t sdoCount;
static uint32_t sdoAbort;
static uint8_t emcyNode, emcyReg, emcyBytes[5];
static uint16_t emcyCode;
static uint8_t pdoNode, pdoNumberValue, pdoLength, pdoData[8];
static char lmtManufacturer[8], lmtProduct[8], lmtSerial[16];
static ORX_CALLBACK firstCallback;

static void record(const char* format, ...)
{
    if (callLogLength + 1 >= sizeof callLog)
        return;
    va_list args;
    va_start(args, format);
    int n = vsnprintf(callLog + callLogLength, sizeof callLog - callLogLength - 1, format, args);
    va_end(args);
    if (n < 0)
        return;
    callLogLength += (size_t)n;
    if (callLogLength > sizeof callLog - 2)
        callLogLength = sizeof callLog - 2;
    callLog[callLogLength++] = '\n';
    callLog[callLogLength] = '\0';
}

static int16_t result_of(const char* name)
{
    for (size_t i = 0; i < resultCount; ++i)
        if (strcmp(results[i].name, name) == 0)
            return results[i].result;
    return 0;
}

/* ---- Control ----------------------------------------------------------- */

EXPORT void Fake_ClearLog(void)
{
    callLog[0] = '\0';
    callLogLength = 0;
}

EXPORT void Fake_Reset(void)
{
    Fake_ClearLog();
    resultCount = 0;
    memset(&boardInfo, 0, sizeof boardInfo);
    sdoCount = 0;
    sdoAbort = 0;
    emcyNode = emcyReg = 0;
    emcyCode = 0;
    memset(emcyBytes, 0, sizeof emcyBytes);
    pdoNode = pdoNumberValue = pdoLength = 0;
    memset(lmtManufacturer, 0, sizeof lmtManufacturer);
    memset(lmtProduct, 0, sizeof lmtProduct);
    memset(lmtSerial, 0, sizeof lmtSerial);
    firstCallback = NULL;
}

EXPORT const char* Fake_Log(void)
{
    return callLog;
}

EXPORT void Fake_SetResult(const char* name, int16_t result)
{
    for (size_t i = 0; i < resultCount; ++i)
        if (strcmp(results[i].name, name) == 0) {
            results[i].result = result;
            return;
        }
    if (resultCount < sizeof results / sizeof results[0]) {
        snprintf(results[resultCount].name, sizeof results[resultCount].name, "%s", name);
        results[resultCount++].result = result;
    }
}

EXPORT void Fake_SetBoardInfo(const CopBoardInfo* info)
{
    boardInfo = *info;
}

EXPORT void Fake_SetSdo(const uint8_t* data, uint16_t count, uint32_t abort)
{
    sdoCount = count;
    memcpy(sdoData, data, count < sizeof sdoData ? count : sizeof sdoData);
    sdoAbort = abort;
}

EXPORT void Fake_SetEmergency(uint8_t node, uint16_t code, uint8_t reg, const uint8_t* bytes)
{
    emcyNode = node;
    emcyCode = code;
    emcyReg = reg;
    memcpy(emcyBytes, bytes, sizeof emcyBytes);
}

EXPORT void Fake_SetPdo(uint8_t node, uint8_t pdoNumber, uint8_t length, const uint8_t* data)
{
    pdoNode = node;
    pdoNumberValue = pdoNumber;
    pdoLength = length;
    memcpy(pdoData, data, sizeof pdoData);
}

EXPORT void Fake_SetLmtAddress(const char* manufacturer, const char* product, const char* serial)
{
    memcpy(lmtManufacturer, manufacturer, sizeof lmtManufacturer);
    memcpy(lmtProduct, product, sizeof lmtProduct);
    memcpy(lmtSerial, serial, sizeof lmtSerial);
}

EXPORT int Fake_FireCallback(void)
{
    if (firstCallback == NULL)
        return 0;
    firstCallback(1, 2, 0);
    return 1;
}

/* ---- Board exports ----------------------------------------------------- */

EXPORT COP_CM_RESULT COP_InitBoard(uint16_t* handle, uint32_t* boardType, uint32_t* entry)
{
    record("InitBoard 0x%08X", *boardType);
    int16_t r = result_of("InitBoard");
    *handle = r == 0 ? 3 : 0;
    *entry = 0x11;
    return r;
}

EXPORT COP_CM_RESULT COP_InitInterface(uint16_t handle, uint8_t channel, uint8_t baud, uint8_t flags,
                                       uint16_t time)
{
    record("InitInterface %u %u %u %u %u", handle, channel, baud, flags, time);
    return result_of("InitInterface");
}

EXPORT COP_CM_RESULT COP_DefineCallbacks(uint16_t handle, ORX_CALLBACK pdo, ORX_CALLBACK emergency,
                                         ORX_CALLBACK event, ORX_CALLBACK sync)
{
    record("DefineCallbacks %u %s %s %s %s", handle, pdo ? "fn" : "null", emergency ? "fn" : "null",
           event ? "fn" : "null", sync ? "fn" : "null");
    firstCallback = pdo;
    return result_of("DefineCallbacks");
}

EXPORT COP_CM_RESULT COP_ReleaseBoard(uint16_t handle)
{
    record("ReleaseBoard %u", handle);
    return result_of("ReleaseBoard");
}

EXPORT COP_CM_RESULT COP_GetBoardInfo(uint16_t handle, CopBoardInfo* info)
{
    record("GetBoardInfo %u", handle);
    int16_t r = result_of("GetBoardInfo");
    if (r == 0)
        *info = boardInfo;
    return r;
}

EXPORT COP_CM_RESULT COP_GetStatus(uint16_t handle, uint16_t* status)
{
    record("GetStatus %u", handle);
    *status = 0;
    return result_of("GetStatus");
}

EXPORT COP_CM_RESULT COP_AddNode(uint16_t handle, uint8_t node, uint8_t mode, uint16_t time, uint8_t factor)
{
    record("AddNode %u %u %u %u %u", handle, node, mode, time, factor);
    return result_of("AddNode");
}

#define NODE_CALL(name)                                                                                \
    EXPORT COP_CM_RESULT COP_##name(uint16_t handle, uint8_t node)                                     \
    {                                                                                                  \
        record(#name " %u %u", handle, node);                                                          \
        return result_of(#name);                                                                       \
    }

NODE_CALL(DeleteNode)
NODE_CALL(SearchNode)
NODE_CALL(StartNode)
NODE_CALL(EnterPreOperational)
NODE_CALL(StopNode)
NODE_CALL(ResetComm)
NODE_CALL(ResetNode)

EXPORT COP_CM_RESULT COP_GetNodeState(uint16_t handle, uint8_t node, uint8_t* state)
{
    record("GetNodeState %u %u", handle, node);
    *state = 0;
    return result_of("GetNodeState");
}

EXPORT COP_CM_RESULT COP_SetSDOTimeOut(uint16_t handle, uint16_t timeout)
{
    record("SetSDOTimeOut %u %u", handle, timeout);
    return result_of("SetSDOTimeOut");
}

EXPORT COP_CM_RESULT COP_ReadSDO(uint16_t handle, uint8_t node, uint8_t sdoNumber, uint8_t mode,
                                 uint16_t index, uint8_t subIndex, uint16_t* length, uint8_t* data,
                                 uint32_t* abort)
{
    record("ReadSDO %u %u %u %u 0x%04X %u %u", handle, node, sdoNumber, mode, index, subIndex, *length);
    int16_t r = result_of("ReadSDO");
    *abort = sdoAbort;
    if (r == 0) {
        uint16_t n = sdoCount < *length ? sdoCount : *length;
        memcpy(data, sdoData, n);
        *length = sdoCount;
    }
    return r;
}

EXPORT COP_CM_RESULT COP_WriteSDO(uint16_t handle, uint8_t node, uint8_t sdoNumber, uint8_t mode,
                                  uint16_t index, uint8_t subIndex, uint16_t length, const uint8_t* data,
                                  uint32_t* abort)
{
    char bytes[3 * 16 + 1] = "";
    for (uint16_t i = 0; i < length && i < 16; ++i)
        snprintf(bytes + 3 * i, sizeof bytes - 3 * i, " %02X", data[i]);
    record("WriteSDO %u %u %u %u 0x%04X %u %u%s", handle, node, sdoNumber, mode, index, subIndex, length,
           bytes);
    *abort = sdoAbort;
    return result_of("WriteSDO");
}

EXPORT COP_CM_RESULT COP_CreatePDO(uint16_t handle, uint8_t node, uint8_t pdoNumber, uint8_t direction,
                                   uint8_t mode, uint8_t length, uint16_t cobId)
{
    record("CreatePDO %u %u %u %u %u %u 0x%X", handle, node, pdoNumber, direction, mode, length, cobId);
    return result_of("CreatePDO");
}

EXPORT COP_CM_RESULT COP_ReadPDO(uint16_t handle, uint8_t* node, uint8_t* pdoNumber, uint8_t* length,
                                 uint8_t* data)
{
    record("ReadPDO %u", handle);
    int16_t r = result_of("ReadPDO");
    if (r == 0) {
        *node = pdoNode;
        *pdoNumber = pdoNumberValue;
        *length = pdoLength;
        memcpy(data, pdoData, sizeof pdoData);
    }
    return r;
}

EXPORT COP_CM_RESULT COP_RequestPDO(uint16_t handle, uint8_t node, uint8_t pdoNumber)
{
    record("RequestPDO %u %u %u", handle, node, pdoNumber);
    return result_of("RequestPDO");
}

EXPORT COP_CM_RESULT COP_WritePDO(uint16_t handle, uint8_t node, uint8_t pdoNumber, const uint8_t* data)
{
    record("WritePDO %u %u %u %02X %02X %02X %02X %02X %02X %02X %02X", handle, node, pdoNumber, data[0],
           data[1], data[2], data[3], data[4], data[5], data[6], data[7]);
    return result_of("WritePDO");
}

EXPORT COP_CM_RESULT COP_DefSyncObj(uint16_t handle, uint16_t period, uint16_t window)
{
    record("DefSyncObj %u %u %u", handle, period, window);
    return result_of("DefSyncObj");
}

EXPORT COP_CM_RESULT COP_EnableSync(uint16_t handle, uint16_t value)
{
    record("EnableSync %u %u", handle, value);
    return result_of("EnableSync");
}

EXPORT COP_CM_RESULT COP_DisableSync(uint16_t handle)
{
    record("DisableSync %u", handle);
    return result_of("DisableSync");
}

EXPORT COP_CM_RESULT COP_GetEmergencyObj(uint16_t handle, uint8_t* node, uint16_t* code, uint8_t* reg,
                                         uint8_t* bytes)
{
    record("GetEmergencyObj %u", handle);
    int16_t r = result_of("GetEmergencyObj");
    if (r == 0) {
        *node = emcyNode;
        *code = emcyCode;
        *reg = emcyReg;
        memcpy(bytes, emcyBytes, sizeof emcyBytes);
    }
    return r;
}

EXPORT COP_CM_RESULT COP_LMT_GetAddress(uint16_t handle, uint8_t mode, uint8_t baud, char* manufacturer,
                                        char* product, char* serial)
{
    record("LMT_GetAddress %u %u %u", handle, mode, baud);
    int16_t r = result_of("LMT_GetAddress");
    if (r == 0) {
        memcpy(manufacturer, lmtManufacturer, sizeof lmtManufacturer);
        memcpy(product, lmtProduct, sizeof lmtProduct);
        memcpy(serial, lmtSerial, sizeof lmtSerial);
    }
    return r;
}

#ifndef FAKE_WITHOUT_LMT_CONFIG
EXPORT COP_CM_RESULT COP_LMT_ConfigNode(uint16_t handle, const char* manufacturer, const char* product,
                                        const char* serial, uint8_t node, uint8_t baud, uint8_t newBaud)
{
    record("LMT_ConfigNode %u %.7s %.7s %.14s %u %u %u", handle, manufacturer, product, serial, node, baud,
           newBaud);
    return result_of("LMT_ConfigNode");
}
#endif

EXPORT COP_CM_RESULT COP_SetCommTimeOut(uint16_t handle, uint16_t timeout)
{
    record("SetCommTimeOut %u %u", handle, timeout);
    return result_of("SetCommTimeOut");
}
