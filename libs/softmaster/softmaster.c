/*
 * softmaster.c - the COP entry points of the software CANopen master over
 * PCAN-Light: initialisation, the node table, the checks and results of
 * every call, on the services of nmt_services, sdo_client, pdo_services and
 * lmt_services. All state is static; one master per process; no thread of
 * its own: received frames are collected while a COP call runs.
 */
#define _POSIX_C_SOURCE 200809L
#include <stdio.h>
#include <string.h>
#include <time.h>

#include "lmt_services.h"
#include "nmt_services.h"
#include "pcan_ctrl.h"
#include "pdo_services.h"
#include "sdo_client.h"
#include "sm_service.h"
#include "softmaster.h"

#define SM_VERSION_MAJOR 1u
#define SM_VERSION_MINOR 0u

#define NODES 128
#define DEVICE_TYPE_INDEX 0x1000u

static uint8_t Initialised;
static int32_t LastError;
static uint32_t LastAbort;
static uint16_t SdoTimeout = 500;
static uint8_t NodeTable[NODES];

static char LibraryVersion[64];

/* ---- Results --------------------------------------------------------- */

static COP_BOOL fail(int32_t code)
{
    LastError = code;
    return 0;
}

static COP_BOOL succeed(void)
{
    LastError = 0;
    return 1;
}

/* Result of a transfer: a node's abort or LMT error code always gives last
 * error 4 with the code as sent, whatever its value; any other failure
 * gives its error code and last abort 0. */
static COP_BOOL transfer_result(int32_t r, uint32_t abortCode)
{
    if (r == 0)
        return succeed();
    if (r == SM_ABORTED) {
        LastAbort = abortCode;
        return fail(COP_ERR_ABORTED);
    }
    LastAbort = 0;
    return fail(r);
}

/* Result of a call without a transfer: 0 succeeds, else the code. */
static COP_BOOL send_result(int32_t r)
{
    return r == 0 ? succeed() : fail(r);
}

static int present(uint8_t node)
{
    return node < NODES && NodeTable[node];
}

/* Checks of the node functions: initialised (-95), present (-90). */
static int32_t check_node(uint8_t node)
{
    if (!Initialised)
        return COP_ERR_NOT_INIT;
    if (!present(node))
        return COP_ERR_NODE_ID;
    return 0;
}

/* ---- Interface ------------------------------------------------------- */

static void clear_tables(void)
{
    memset(NodeTable, 0, sizeof NodeTable);
    pdo_clear();
    NodeTable[0] = 1;
    Initialised = 1;
}

COP_BOOL COP_Installed(uint32_t boardType)
{
    if (ctrl_library_present(boardType))
        return succeed();
    return fail(COP_ERR_PCAN_BOARDTYPE);
}

COP_BOOL COP_Initialize(uint32_t boardType, CopHwParam* hw, uint8_t baud)
{
    ctrl_close();
    int16_t r = ctrl_open(boardType, hw);
    if (r) {
        ctrl_close();
        return fail(r);
    }
    r = ctrl_start(baud);
    if (r) {
        ctrl_stop();
        ctrl_close();
        return fail(r);
    }
    clear_tables();
    return succeed();
}

COP_BOOL COP_ResetCAN(uint8_t baud)
{
    int16_t r = ctrl_stop();
    if (r)
        return fail(r);
    struct timespec pause = {0, 100 * 1000 * 1000};
    nanosleep(&pause, NULL);
    r = ctrl_start(baud);
    if (r) {
        ctrl_stop();
        return fail(r);
    }
    clear_tables();
    return succeed();
}

COP_BOOL COP_Terminate(void)
{
    ctrl_close();
    Initialised = 0;
    return succeed();
}

static COP_BOOL copy_text(const char* src, char* text, uint16_t size)
{
    if (!src || !text)
        return 0;
    strncpy(text, src, size);
    return 1;
}

COP_BOOL COP_GetBoardHardware(char* text, uint16_t size)
{
    return copy_text(ctrl_hardware_text(), text, size);
}

COP_BOOL COP_GetBoardFirmware(char* text, uint16_t size)
{
    return copy_text(ctrl_firmware_text(), text, size);
}

/* ---- Nodes and NMT --------------------------------------------------- */

COP_BOOL COP_AddNode(uint8_t node)
{
    if (!Initialised)
        return fail(COP_ERR_NOT_INIT);
    if (node >= NODES || NodeTable[node])
        return fail(COP_ERR_NODE_ID);
    NodeTable[node] = 1;
    return succeed();
}

COP_BOOL COP_DeleteNode(uint8_t node)
{
    int32_t r = check_node(node);
    if (r)
        return fail(r);
    NodeTable[node] = 0;
    return succeed();
}

COP_BOOL COP_SearchNode(uint8_t node)
{
    if (!Initialised)
        return fail(COP_ERR_NOT_INIT);
    if (node == 0 || node >= NODES)
        return fail(COP_ERR_NODE_ID);
    uint8_t deviceType[4];
    int16_t length = 0;
    uint32_t abortCode = 0;
    int32_t r = sdo_upload(node, DEVICE_TYPE_INDEX, 0, &length, deviceType, sizeof deviceType, SdoTimeout,
                           &abortCode);
    return transfer_result(r, abortCode);
}

static COP_BOOL nmt(uint8_t command, uint8_t node)
{
    int32_t r = check_node(node);
    if (r)
        return fail(r);
    return send_result(nmt_send(command, node));
}

COP_BOOL COP_StartRemoteNode(uint8_t node)
{
    return nmt(NMT_START, node);
}

COP_BOOL COP_StopRemoteNode(uint8_t node)
{
    return nmt(NMT_STOP, node);
}

COP_BOOL COP_EnterPreOperationalState(uint8_t node)
{
    return nmt(NMT_PRE_OPERATIONAL, node);
}

COP_BOOL COP_ResetNode(uint8_t node)
{
    return nmt(NMT_RESET_NODE, node);
}

COP_BOOL COP_ResetCommunication(uint8_t node)
{
    return nmt(NMT_RESET_COMMUNICATION, node);
}

/* ---- SDO ------------------------------------------------------------- */

COP_BOOL COP_SetSDOTimeout(uint16_t timeout)
{
    SdoTimeout = timeout;
    return 1;
}

static int32_t check_sdo_node(uint8_t node)
{
    if (!Initialised)
        return COP_ERR_NOT_INIT;
    if (node == 0 || !present(node))
        return COP_ERR_NODE_ID;
    return 0;
}

COP_BOOL COP_ReadSDO(uint8_t node, uint16_t index, uint8_t subIndex, int16_t* length, uint8_t* data,
                     int16_t size)
{
    int32_t r = check_sdo_node(node);
    if (r)
        return fail(r);
    if (!length || !data)
        return fail(COP_ERR_FATAL);
    uint32_t abortCode = 0;
    r = sdo_upload(node, index, subIndex, length, data, size, SdoTimeout, &abortCode);
    return transfer_result(r, abortCode);
}

COP_BOOL COP_WriteSDO(uint8_t node, uint16_t index, uint8_t subIndex, int16_t length, const uint8_t* data)
{
    int32_t r = check_sdo_node(node);
    if (r)
        return fail(r);
    if (!data)
        return fail(COP_ERR_FATAL);
    if (length < 1)
        return fail(COP_ERR_ILLEGAL_PARAM);
    uint32_t abortCode = 0;
    if (length < 5)
        r = sdo_download_expedited(node, index, subIndex, length, data, SdoTimeout, &abortCode);
    else
        r = sdo_download_segmented(node, index, subIndex, length, data, SdoTimeout, &abortCode);
    return transfer_result(r, abortCode);
}

/* ---- PDO, SYNC, EMCY ------------------------------------------------- */

static int32_t check_pdo(uint8_t node, uint8_t pdoNumber)
{
    int32_t r = check_node(node);
    return r ? r : pdo_check_number(pdoNumber);
}

COP_BOOL COP_CreatePDO(uint8_t node, uint8_t pdoNumber, uint8_t transmit, uint16_t cobId, uint8_t length)
{
    int32_t r = check_pdo(node, pdoNumber);
    if (r == 0)
        r = pdo_create(node, pdoNumber, transmit, cobId, length);
    return send_result(r);
}

COP_BOOL COP_WritePDO(uint8_t node, uint8_t pdoNumber, const uint8_t* data)
{
    int32_t r = check_pdo(node, pdoNumber);
    if (r == 0)
        r = pdo_write(node, pdoNumber, data);
    return send_result(r);
}

COP_BOOL COP_RequestPDO(uint8_t node, uint8_t pdoNumber)
{
    int32_t r = check_pdo(node, pdoNumber);
    if (r == 0)
        r = pdo_request(node, pdoNumber);
    return send_result(r);
}

COP_BOOL COP_ReadPDO(uint8_t* node, uint8_t* pdoNumber, uint8_t* data, uint8_t* length)
{
    if (!Initialised)
        return fail(COP_ERR_NOT_INIT);
    if (!node || !pdoNumber || !data || !length)
        return fail(COP_ERR_FATAL);
    return send_result(pdo_read(NodeTable, node, pdoNumber, data, length));
}

COP_BOOL COP_GetEmergency(uint8_t* node, uint8_t* data)
{
    if (!Initialised)
        return fail(COP_ERR_NOT_INIT);
    if (!node || !data)
        return fail(COP_ERR_FATAL);
    return send_result(emcy_read(NodeTable, node, data));
}

COP_BOOL COP_SendSync(void)
{
    return send_result(sync_send());
}

/* ---- LMT ------------------------------------------------------------- */

COP_BOOL COP_GetLMTAddress(char* manufacturer, char* product, char* serial)
{
    uint32_t abortCode = 0;
    int32_t r = lmt_get_address(manufacturer, product, serial, &abortCode);
    return transfer_result(r, abortCode);
}

COP_BOOL COP_ConfigureNode(const char* manufacturer, const char* product, const char* serial, uint8_t node,
                           uint8_t baud)
{
    if (baud == COP_BAUD_800)
        return fail(COP_ERR_BAUDRATE);
    if (!manufacturer || !product || !serial)
        return fail(COP_ERR_FATAL);
    uint32_t abortCode = 0;
    int32_t r = lmt_configure(manufacturer, product, serial, node, baud, &abortCode);
    return transfer_result(r, abortCode);
}

/* ---- Errors and versions --------------------------------------------- */

int32_t COP_GetLastError(void)
{
    return LastError;
}

uint32_t COP_GetLastAbort(void)
{
    return LastAbort;
}

const char* COP_GetLibraryVersion(void)
{
    snprintf(LibraryVersion, sizeof LibraryVersion, "CANopen Master API for PEAK PCAN-Light, V%u.%02u",
             SM_VERSION_MAJOR, SM_VERSION_MINOR);
    return LibraryVersion;
}

const char* COP_GetVersion(void)
{
    return "$Id: softmaster.c,v 1.2 2006/07/14 kelvane Exp $";
}
