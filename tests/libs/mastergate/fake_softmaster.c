/*
 * fake_softmaster.c - a software-master stand-in that records its calls.
 *
 * It exports the COP API under the software master's names; the control
 * functions Fake_Reset, Fake_Log, Fake_SetResult (error code of every
 * following call of the named function, 0 for success) and Fake_SetAbort
 * script it.
 */
#define COP_NO_PROTOTYPES
#include <cop/cop.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

static char callLog[8192];
static size_t callLogLength;
static struct {
    char name[32];
    int32_t error;
} results[40];
static size_t resultCount;
static int32_t lastError;
static uint32_t lastAbort;
static uint32_t scriptedAbort;
static char versionText[64];

static void record(const char* format, ...)
{
    if (callLogLength + 2 >= sizeof callLog)
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

/* 1 on success; else the scripted error becomes the last error. */
static COP_BOOL answer(const char* name)
{
    for (size_t i = 0; i < resultCount; ++i)
        if (strcmp(results[i].name, name) == 0 && results[i].error != 0) {
            lastError = results[i].error;
            if (lastError == COP_ERR_ABORTED)
                lastAbort = scriptedAbort;
            return 0;
        }
    lastError = 0;
    return 1;
}

EXPORT void Fake_Reset(void)
{
    callLog[0] = '\0';
    callLogLength = 0;
    resultCount = 0;
    lastError = 0;
    lastAbort = 0;
    scriptedAbort = 0;
    snprintf(versionText, sizeof versionText, "CANopen Master API for PEAK PCAN-Light, V1.00");
}

EXPORT const char* Fake_Log(void)
{
    return callLog;
}

EXPORT void Fake_SetResult(const char* name, int32_t error)
{
    for (size_t i = 0; i < resultCount; ++i)
        if (strcmp(results[i].name, name) == 0) {
            results[i].error = error;
            return;
        }
    if (resultCount < sizeof results / sizeof results[0]) {
        snprintf(results[resultCount].name, sizeof results[resultCount].name, "%s", name);
        results[resultCount++].error = error;
    }
}

EXPORT void Fake_SetAbort(uint32_t abortCode)
{
    scriptedAbort = abortCode;
}

EXPORT COP_BOOL COP_Installed(uint32_t boardType)
{
    record("Installed 0x%08X", boardType);
    return answer("Installed");
}

EXPORT COP_BOOL COP_Initialize(uint32_t boardType, CopHwParam* hw, uint8_t baud)
{
    if (hw != NULL)
        record("Initialize 0x%08X io=0x%X irq=%u %u", boardType, hw->ioPort, hw->interrupt, baud);
    else
        record("Initialize 0x%08X null %u", boardType, baud);
    return answer("Initialize");
}

EXPORT COP_BOOL COP_ResetCAN(uint8_t baud)
{
    record("ResetCAN %u", baud);
    return answer("ResetCAN");
}

EXPORT COP_BOOL COP_Terminate(void)
{
    record("Terminate");
    return answer("Terminate");
}

static COP_BOOL text_answer(const char* name, const char* value, char* text, uint16_t size)
{
    record("%s %u", name, size);
    if (!answer(name))
        return 0;
    strncpy(text, value, size);
    return 1;
}

EXPORT COP_BOOL COP_GetBoardHardware(char* text, uint16_t size)
{
    return text_answer("GetBoardHardware", "PEAK PCAN-USB", text, size);
}

EXPORT COP_BOOL COP_GetBoardFirmware(char* text, uint16_t size)
{
    return text_answer("GetBoardFirmware", "PCAN-Light 2.5", text, size);
}

#define NODE_CALL(name)                                                                                \
    EXPORT COP_BOOL COP_##name(uint8_t node)                                                           \
    {                                                                                                  \
        record(#name " %u", node);                                                                     \
        return answer(#name);                                                                          \
    }

NODE_CALL(AddNode)
NODE_CALL(DeleteNode)
NODE_CALL(SearchNode)
NODE_CALL(StartRemoteNode)
NODE_CALL(StopRemoteNode)
NODE_CALL(EnterPreOperationalState)
NODE_CALL(ResetNode)
NODE_CALL(ResetCommunication)

EXPORT COP_BOOL COP_SetSDOTimeout(uint16_t timeout)
{
    record("SetSDOTimeout %u", timeout);
    return answer("SetSDOTimeout");
}

EXPORT COP_BOOL COP_ReadSDO(uint8_t node, uint16_t index, uint8_t subIndex, int16_t* length, uint8_t* data,
                            int16_t size)
{
    record("ReadSDO %u 0x%04X %u %d %d", node, index, subIndex, *length, size);
    if (!answer("ReadSDO"))
        return 0;
    int16_t n = size < 3 ? size : 3;
    for (int16_t i = 0; i < n; ++i)
        data[i] = (uint8_t)(0xA0 + i);
    *length = n;
    return 1;
}

EXPORT COP_BOOL COP_WriteSDO(uint8_t node, uint16_t index, uint8_t subIndex, int16_t length,
                             const uint8_t* data)
{
    record("WriteSDO %u 0x%04X %u %d %02X", node, index, subIndex, length, data[0]);
    return answer("WriteSDO");
}

EXPORT COP_BOOL COP_CreatePDO(uint8_t node, uint8_t pdoNumber, uint8_t transmit, uint16_t cobId,
                              uint8_t length)
{
    record("CreatePDO %u %u %u 0x%X %u", node, pdoNumber, transmit, cobId, length);
    return answer("CreatePDO");
}

EXPORT COP_BOOL COP_ReadPDO(uint8_t* node, uint8_t* pdoNumber, uint8_t* data, uint8_t* length)
{
    record("ReadPDO");
    if (!answer("ReadPDO"))
        return 0;
    *node = 5;
    *pdoNumber = 8;
    memset(data, 0x11, 8);
    *length = 8;
    return 1;
}

EXPORT COP_BOOL COP_RequestPDO(uint8_t node, uint8_t pdoNumber)
{
    record("RequestPDO %u %u", node, pdoNumber);
    return answer("RequestPDO");
}

EXPORT COP_BOOL COP_WritePDO(uint8_t node, uint8_t pdoNumber, const uint8_t* data)
{
    record("WritePDO %u %u %02X", node, pdoNumber, data[0]);
    return answer("WritePDO");
}

EXPORT COP_BOOL COP_GetEmergency(uint8_t* node, uint8_t* data)
{
    record("GetEmergency");
    if (!answer("GetEmergency"))
        return 0;
    *node = 5;
    memset(data, 0x22, 8);
    return 1;
}

EXPORT COP_BOOL COP_SendSync(void)
{
    record("SendSync");
    return answer("SendSync");
}

EXPORT COP_BOOL COP_GetLMTAddress(char* manufacturer, char* product, char* serial)
{
    record("GetLMTAddress");
    if (!answer("GetLMTAddress"))
        return 0;
    memcpy(manufacturer, "OVROKEL", 7);
    memcpy(product, "K315CAN", 7);
    memcpy(serial, "00000012345678", 14);
    return 1;
}

EXPORT COP_BOOL COP_ConfigureNode(const char* manufacturer, const char* product, const char* serial,
                                  uint8_t node, uint8_t baud)
{
    record("ConfigureNode %.7s %.7s %.14s %u %u", manufacturer, product, serial, node, baud);
    return answer("ConfigureNode");
}

EXPORT int32_t COP_GetLastError(void)
{
    return lastError;
}

EXPORT uint32_t COP_GetLastAbort(void)
{
    return lastAbort;
}

EXPORT const char* COP_GetLibraryVersion(void)
{
    record("GetLibraryVersion");
    return answer("GetLibraryVersion") ? versionText : NULL;
}

EXPORT const char* COP_GetVersion(void)
{
    return "fake_softmaster.c";
}
