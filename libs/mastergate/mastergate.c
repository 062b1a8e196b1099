/*
 * mastergate.c - the generic CANopen master library.
 *
 * COP_Initialize loads the master library of the library code
 * (libcardmaster.so for 100, libsoftmaster.so for 200), binds its entry
 * points by name and from then on forwards every COP call to it. The
 * software master exports the COP API itself; the board-based master has
 * its own, older interface with a board handle first, into which the calls
 * are translated here.
 *
 * All state is process-global and unguarded: one caller thread at a time,
 * beside the board-based master's receive thread, which reads PDOs from the
 * callback; the last error and abort code are the calling thread's own.
 */
#include <cop/cop.h>

#include "gate_board.h"
#include "gate_loader.h"
#include "gate_soft.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#define GATE_EXPORT __attribute__((visibility("default")))

#define TEXT_SIZE 260
#define SDO_BUFFER_SIZE 256

static const char revisionText[] = "mastergate.c, Revision 1.0, 2026/12/08";

static int16_t libraryCode;
static void* libraryHandle;
static char libraryName[TEXT_SIZE] = "(null)";
static char versionText[TEXT_SIZE];
static uint16_t boardHandle;
static uint8_t baudRate;
static uint16_t sdoTimeout = 100;
/* Per thread, as the system's own last error: the board-based master calls
 * the program's PDO callback on a thread of its own, whose ORX_ReadPDO must
 * not overwrite the error the user-interface thread is about to fetch. */
static _Thread_local int32_t lastError;
static _Thread_local uint32_t lastAbort;
static SoftEntries soft;
static BoardEntries board;

/* ---- Helpers ----------------------------------------------------------- */

static COP_BOOL fail(int32_t error)
{
    lastError = error;
    return 0;
}

static COP_BOOL fail_system(int number)
{
    return fail(COP_ERR_SYSTEM - number);
}

/* Without a loaded library every forwarded call fails with -9999. */
static int no_library(void)
{
    if (libraryCode != COP_LIBRARY_NONE)
        return 0;
    lastError = COP_ERR_NO_DLL;
    return 1;
}

/* A software-master result. Whatever call ends with error 4 (an SDO abort
 * or an LMT refusal) also takes the node's code, so that COP_GetLastAbort
 * never reports the code of an earlier transfer. */
static COP_BOOL soft_result(COP_BOOL ok)
{
    if (!ok) {
        fail(soft.GetLastError());
        if (lastError == COP_ERR_ABORTED)
            lastAbort = soft.GetLastAbort();
        return 0;
    }
    lastError = COP_OK;
    return 1;
}

/* A board result: 0 success, anything else becomes the last error. */
static COP_BOOL board_result(COP_CM_RESULT result)
{
    if (result != 0)
        return fail(result);
    lastError = COP_OK;
    return 1;
}

/* Re-initialises the board interface the way every (re)start needs it. */
static COP_BOOL board_start(uint8_t baud)
{
    COP_CM_RESULT r = board.InitInterface(boardHandle, 0, baud, 0, 0);
    if (r == 0)
        r = board.CreatePDO(boardHandle, 0, 1, 1, 1, 8, 0x7E5);
    if (r == 0)
        r = board.SetSDOTimeOut(boardHandle, sdoTimeout);
    if (!board_result(r))
        return 0;
    baudRate = baud;
    return 1;
}

static int board_info(CopBoardInfo* info)
{
    memset(info, 0, sizeof *info);
    return board_result(board.GetBoardInfo(boardHandle, info));
}

/* Copies at most size characters; a text of size characters or more is
 * not terminated. */
static void copy_text(char* text, uint16_t size, const char* source)
{
    if (size > 0)
        strncpy(text, source, size);
}

static COP_BOOL load_library(int16_t library)
{
    const char* file = library == COP_LIBRARY_CARDMASTER ? COP_CARDMASTER_FILE : COP_SOFTMASTER_FILE;
    void* handle = NULL;
    int error = gate_load(file, &handle);
    if (error == 0)
        error = library == COP_LIBRARY_CARDMASTER ? gate_bind_board(handle, &board)
                                                  : gate_bind_soft(handle, &soft);
    if (error != 0) {
        /* a library without all entry points is of no use: release it */
        if (handle != NULL)
            gate_unload(handle);
        memset(&soft, 0, sizeof soft);
        memset(&board, 0, sizeof board);
        libraryCode = COP_LIBRARY_NONE;
        return fail_system(error);
    }
    libraryHandle = handle;
    snprintf(libraryName, sizeof libraryName, "%s", file);
    return 1;
}

static COP_BOOL terminate(void)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_CARDMASTER)
        board.ReleaseBoard(boardHandle);
    else
        soft.Terminate();
    boardHandle = 0;
    int error = gate_unload(libraryHandle);
    libraryHandle = NULL;
    libraryCode = COP_LIBRARY_NONE;
    memset(&soft, 0, sizeof soft);
    memset(&board, 0, sizeof board);
    if (error != 0)
        return fail_system(error);
    snprintf(libraryName, sizeof libraryName, "(null)");
    lastError = COP_OK;
    return 1;
}

/* ---- Interface and library --------------------------------------------- */

GATE_EXPORT COP_BOOL COP_Installed(int16_t library, uint32_t boardType)
{
    int error;
    if (library == COP_LIBRARY_CARDMASTER) {
        error = gate_find(COP_CARDMASTER_FILE);
    } else if (library == COP_LIBRARY_SOFTMASTER) {
        error = gate_find(COP_SOFTMASTER_FILE);
        if (error == 0)
            error = gate_find(COP_PcanLibraryFile(boardType));
    } else {
        error = gate_find(COP_ANYMASTER_FILE);
    }
    if (error != 0)
        return fail_system(error);
    if (library == COP_LIBRARY_SOFTMASTER)
        lastError = COP_OK;
    return 1;
}

GATE_EXPORT COP_BOOL COP_Initialize(int16_t library, uint32_t boardType, CopHwParam* hw, uint8_t baud)
{
    if (libraryCode != COP_LIBRARY_NONE && !terminate())
        return 0;
    libraryCode = COP_LIBRARY_NONE;
    if (library != COP_LIBRARY_CARDMASTER && library != COP_LIBRARY_SOFTMASTER) {
        /* no master library serves this code; a found file changes nothing */
        int error = gate_find(COP_ANYMASTER_FILE);
        return error != 0 ? fail_system(error) : fail(COP_ERR_NOT_SUPPORTED);
    }
    if (!load_library(library))
        return 0;
    libraryCode = library;
    if (library == COP_LIBRARY_SOFTMASTER) {
        if (!soft_result(soft.Initialize(boardType, hw, baud)))
            return 0;
        baudRate = baud;
        return 1;
    }
    uint32_t type = boardType;
    uint32_t entry = 0;
    if (!board_result(board.InitBoard(&boardHandle, &type, &entry)))
        return 0;
    return board_start(baud);
}

GATE_EXPORT COP_BOOL COP_ResetCAN(uint8_t baud)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_CARDMASTER)
        return board_start(baud);
    if (!soft_result(soft.ResetCAN(baud)))
        return 0;
    baudRate = baud;
    return 1;
}

GATE_EXPORT COP_BOOL COP_Terminate(void)
{
    return terminate();
}

GATE_EXPORT uint16_t COP_GetBoardHandle(void)
{
    return boardHandle;
}

GATE_EXPORT COP_BOOL COP_GetBoardHardware(char* text, uint16_t size)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.GetBoardHardware(text, size));
    if (text == NULL && size > 0)
        return fail(COP_ERR_PARAMETER);
    CopBoardInfo info;
    if (!board_info(&info))
        return 0;
    char line[128];
    snprintf(line, sizeof line, "Orvax %.*s, S/N=%.*s, HW=V%u.%02u", (int)sizeof info.boardName,
             info.boardName, (int)sizeof info.serialNumber, info.serialNumber,
             COP_VERSION_MAJOR(info.hardwareVersion), COP_VERSION_MINOR(info.hardwareVersion));
    copy_text(text, size, line);
    return 1;
}

GATE_EXPORT COP_BOOL COP_GetBoardFirmware(char* text, uint16_t size)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.GetBoardFirmware(text, size));
    if (text == NULL && size > 0)
        return fail(COP_ERR_PARAMETER);
    CopBoardInfo info;
    if (!board_info(&info))
        return 0;
    char line[64];
    snprintf(line, sizeof line, "V%u.%02u, ORX\\API, SW=V%u.%02u", COP_VERSION_MAJOR(info.firmwareVersion),
             COP_VERSION_MINOR(info.firmwareVersion), COP_VERSION_MAJOR(info.apiVersion),
             COP_VERSION_MINOR(info.apiVersion));
    copy_text(text, size, line);
    return 1;
}

GATE_EXPORT const char* COP_GetLibraryVersion(void)
{
    if (no_library())
        return NULL;
    if (libraryCode == COP_LIBRARY_SOFTMASTER) {
        const char* text = soft.GetLibraryVersion();
        if (text == NULL) {
            lastError = soft.GetLastError();
            return NULL;
        }
        snprintf(versionText, sizeof versionText, "%s", text);
        lastError = COP_OK;
        return versionText;
    }
    CopBoardInfo info;
    if (!board_info(&info))
        return NULL;
    snprintf(versionText, sizeof versionText, "Orvax CANopen Master API, V%u.%02u",
             COP_VERSION_MAJOR(info.apiVersion), COP_VERSION_MINOR(info.apiVersion));
    return versionText;
}

GATE_EXPORT const char* COP_GetLibraryName(void)
{
    return libraryName;
}

GATE_EXPORT const char* COP_GetVersion(void)
{
    return revisionText;
}

/* The board-based master reports its errors -20...-40 where the program
 * expects -120...-140; codes of this library itself stay as they are. */
GATE_EXPORT int32_t COP_GetLastError(void)
{
    if (libraryCode == COP_LIBRARY_CARDMASTER && lastError < 0 && lastError > COP_ERR_DLL_LOADED)
        return lastError - 100;
    return lastError;
}

GATE_EXPORT uint32_t COP_GetLastAbort(void)
{
    return lastAbort;
}

/* ---- Nodes and NMT ----------------------------------------------------- */

GATE_EXPORT COP_BOOL COP_AddNode(uint8_t node)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.AddNode(node));
    return board_result(board.AddNode(boardHandle, node, 0, 0, 0));
}

GATE_EXPORT COP_BOOL COP_DeleteNode(uint8_t node)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.DeleteNode(node));
    return board_result(board.DeleteNode(boardHandle, node));
}

GATE_EXPORT COP_BOOL COP_SearchNode(uint8_t node)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.SearchNode(node));
    return board_result(board.SearchNode(boardHandle, node));
}

GATE_EXPORT COP_BOOL COP_StartRemoteNode(uint8_t node)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.StartRemoteNode(node));
    return board_result(board.StartNode(boardHandle, node));
}

GATE_EXPORT COP_BOOL COP_StopRemoteNode(uint8_t node)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.StopRemoteNode(node));
    return board_result(board.StopNode(boardHandle, node));
}

GATE_EXPORT COP_BOOL COP_EnterPreOperationalState(uint8_t node)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.EnterPreOperationalState(node));
    return board_result(board.EnterPreOperational(boardHandle, node));
}

GATE_EXPORT COP_BOOL COP_ResetNode(uint8_t node)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.ResetNode(node));
    return board_result(board.ResetNode(boardHandle, node));
}

GATE_EXPORT COP_BOOL COP_ResetCommunication(uint8_t node)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.ResetCommunication(node));
    return board_result(board.ResetComm(boardHandle, node));
}

/* ---- SDO --------------------------------------------------------------- */

GATE_EXPORT COP_BOOL COP_SetSDOTimeout(uint16_t timeout)
{
    if (no_library())
        return 0;
    COP_BOOL ok = libraryCode == COP_LIBRARY_SOFTMASTER
                      ? soft_result(soft.SetSDOTimeout(timeout))
                      : board_result(board.SetSDOTimeOut(boardHandle, timeout));
    if (ok)
        sdoTimeout = timeout;
    return ok;
}

GATE_EXPORT COP_BOOL COP_ReadSDO(uint8_t node, uint16_t index, uint8_t subIndex, int16_t* length,
                                 uint8_t* data, int16_t size)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER) {
        return soft_result(soft.ReadSDO(node, index, subIndex, length, data, size));
    }
    if (length == NULL || data == NULL)
        return fail(COP_ERR_PARAMETER);
    uint8_t buffer[SDO_BUFFER_SIZE];
    uint16_t count = SDO_BUFFER_SIZE;
    uint32_t abort = 0;
    COP_CM_RESULT r = board.ReadSDO(boardHandle, node, 1, 0, index, subIndex, &count, buffer, &abort);
    if (r != 0) {
        if (r == COP_ERR_ABORTED)
            lastAbort = abort;
        return fail(r);
    }
    size_t copied = count < SDO_BUFFER_SIZE ? count : SDO_BUFFER_SIZE;
    if (size < 0)
        copied = 0;
    else if (copied > (size_t)size)
        copied = (size_t)size;
    memcpy(data, buffer, copied);
    *length = count > INT16_MAX ? INT16_MAX : (int16_t)count;
    lastError = COP_OK;
    return 1;
}

GATE_EXPORT COP_BOOL COP_WriteSDO(uint8_t node, uint16_t index, uint8_t subIndex, int16_t length,
                                  const uint8_t* data)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER) {
        return soft_result(soft.WriteSDO(node, index, subIndex, length, data));
    }
    if (length < 0)
        return fail(COP_ERR_PARAMETER);
    uint32_t abort = 0;
    COP_CM_RESULT r =
        board.WriteSDO(boardHandle, node, 1, 0, index, subIndex, (uint16_t)length, data, &abort);
    if (r == COP_ERR_ABORTED)
        lastAbort = abort;
    return board_result(r);
}

/* ---- PDO, EMCY, SYNC --------------------------------------------------- */

GATE_EXPORT COP_BOOL COP_CreatePDO(uint8_t node, uint8_t pdoNumber, uint8_t transmit, uint16_t cobId,
                                   uint8_t length)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.CreatePDO(node, pdoNumber, transmit, cobId, length));
    return board_result(board.CreatePDO(boardHandle, node, pdoNumber, transmit, 1, length, cobId));
}

GATE_EXPORT COP_BOOL COP_WritePDO(uint8_t node, uint8_t pdoNumber, const uint8_t* data)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.WritePDO(node, pdoNumber, data));
    return board_result(board.WritePDO(boardHandle, node, pdoNumber, data));
}

GATE_EXPORT COP_BOOL COP_RequestPDO(uint8_t node, uint8_t pdoNumber)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.RequestPDO(node, pdoNumber));
    return board_result(board.RequestPDO(boardHandle, node, pdoNumber));
}

GATE_EXPORT COP_BOOL COP_ReadPDO(uint8_t* node, uint8_t* pdoNumber, uint8_t* data, uint8_t* length)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.ReadPDO(node, pdoNumber, data, length));
    return board_result(board.ReadPDO(boardHandle, node, pdoNumber, length, data));
}

GATE_EXPORT COP_BOOL COP_GetEmergency(uint8_t* node, uint8_t* data)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.GetEmergency(node, data));
    if (node == NULL || data == NULL)
        return fail(COP_ERR_PARAMETER);
    uint16_t code = 0;
    uint8_t reg = 0;
    uint8_t bytes[5] = {0};
    if (!board_result(board.GetEmergencyObj(boardHandle, node, &code, &reg, bytes)))
        return 0;
    data[0] = (uint8_t)(code & 0xFFu);
    data[1] = (uint8_t)(code >> 8);
    data[2] = reg;
    memcpy(data + 3, bytes, sizeof bytes);
    return 1;
}

GATE_EXPORT COP_BOOL COP_SendSync(void)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.SendSync());
    COP_CM_RESULT r = board.DisableSync(boardHandle);
    if (r == 0)
        r = board.DefSyncObj(boardHandle, 1, 1);
    if (r == 0)
        r = board.EnableSync(boardHandle, 1);
    return board_result(r);
}

/* ---- LMT --------------------------------------------------------------- */

GATE_EXPORT COP_BOOL COP_GetLMTAddress(char* manufacturer, char* product, char* serial)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.GetLMTAddress(manufacturer, product, serial));
    return board_result(board.LMT_GetAddress(boardHandle, 0, baudRate, manufacturer, product, serial));
}

GATE_EXPORT COP_BOOL COP_ConfigureNode(const char* manufacturer, const char* product, const char* serial,
                                       uint8_t node, uint8_t baud)
{
    if (no_library())
        return 0;
    if (libraryCode == COP_LIBRARY_SOFTMASTER)
        return soft_result(soft.ConfigureNode(manufacturer, product, serial, node, baud));
    return board_result(
        board.LMT_ConfigNode(boardHandle, manufacturer, product, serial, node, baudRate, baud));
}

/* ---- Board-based master only ------------------------------------------- */

GATE_EXPORT COP_BOOL ORX_Library(void)
{
    return libraryCode == COP_LIBRARY_CARDMASTER;
}

GATE_EXPORT COP_BOOL ORX_DefineCallbacks(ORX_CALLBACK cb1, ORX_CALLBACK cb2, ORX_CALLBACK cb3,
                                         ORX_CALLBACK cb4)
{
    if (no_library())
        return 0;
    if (libraryCode != COP_LIBRARY_CARDMASTER)
        return fail(COP_ERR_NOT_SUPPORTED);
    return board_result(board.DefineCallbacks(boardHandle, cb1, cb2, cb3, cb4));
}

GATE_EXPORT COP_BOOL ORX_ReadPDO(uint8_t* node, uint8_t* pdoNumber, uint8_t* length, uint8_t* data)
{
    if (no_library())
        return 0;
    if (libraryCode != COP_LIBRARY_CARDMASTER)
        return fail(COP_ERR_NOT_SUPPORTED);
    return board_result(board.ReadPDO(boardHandle, node, pdoNumber, length, data));
}
