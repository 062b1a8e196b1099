/*
 * cop.h - the COP API: the CANopen master interface that mastergate,
 * softmaster and cardmaster export and the program calls.
 *
 * Plain C with C linkage. All state behind the API is process-global; the
 * calls are not safe for concurrent callers.
 *
 * The prototypes below are those of the generic library (libmastergate.so),
 * the one the program links. The software master exports the same names
 * except COP_Installed and COP_Initialize, which take no library code there
 * (see the COP_SM_* function types). A master library that includes this
 * header for its codes and tables defines COP_NO_PROTOTYPES first.
 *
 * Texts are Latin-1 byte strings ("\xB5" is the micro sign).
 *
 * Usage: open the interface, add the node, talk to it, close.
 *   if (!COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, NULL, COP_BAUD_20))
 *       report(COP_ErrorText(COP_GetLastError()));
 *   COP_AddNode(5);
 *   uint8_t type[4]; int16_t length = 0;
 *   if (!COP_ReadSDO(5, 0x1000, 0, &length, type, sizeof type) && COP_GetLastError() == COP_ERR_ABORTED)
 *       report_abort(COP_GetLastAbort());           // the node's SDO abort code
 *   COP_StartRemoteNode(5);                          // NMT; PDOs via COP_CreatePDO / COP_ReadPDO
 *   COP_Terminate();
 */
#ifndef COP_COP_H
#define COP_COP_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Types ------------------------------------------------------------- */

/* 1 on success, 0 on failure (the reason is in COP_GetLastError). */
typedef int32_t COP_BOOL;

/* I/O address and interrupt of an interface that is not plug and play. */
typedef struct CopHwParam {
    uint32_t ioPort;
    uint16_t interrupt;
} CopHwParam;

/* Event callback handed to the board-based master (ORX_DefineCallbacks). */
typedef void (*ORX_CALLBACK)(uint32_t arg1, uint32_t arg2, uint32_t arg3);

/* ---- Library codes ----------------------------------------------------- */

#define COP_LIBRARY_NONE 0
#define COP_LIBRARY_CARDMASTER 100 /* board-based master */
#define COP_LIBRARY_SOFTMASTER 200 /* software master over PCAN-Light */

/* File names of the master libraries, as loaded by mastergate. */
#define COP_CARDMASTER_FILE "libcardmaster.so"
#define COP_SOFTMASTER_FILE "libsoftmaster.so"
#define COP_ANYMASTER_FILE "libanymaster.so"

/* ---- Baud-rate codes (CiA bit-timing table index) ---------------------- */

#define COP_BAUD_1000 0
#define COP_BAUD_800 1
#define COP_BAUD_500 2
#define COP_BAUD_250 3
#define COP_BAUD_125 4
#define COP_BAUD_100 5
#define COP_BAUD_50 6
#define COP_BAUD_20 7
#define COP_BAUD_10 8
#define COP_BAUD_COUNT 9

/* Bit rate of a baud-rate code in kbit/s; 0 for codes above 8. */
static inline uint32_t COP_BaudKbit(uint8_t code)
{
    static const uint16_t kbit[COP_BAUD_COUNT] = {1000, 800, 500, 250, 125, 100, 50, 20, 10};
    return code < COP_BAUD_COUNT ? kbit[code] : 0u;
}

/* Baud-rate code of a bit rate in kbit/s; -1 when it is none of the table. */
static inline int COP_BaudCode(uint32_t kbit)
{
    for (uint8_t c = 0; c < COP_BAUD_COUNT; ++c)
        if (COP_BaudKbit(c) == kbit)
            return c;
    return -1;
}

/* ---- Selectable interfaces --------------------------------------------- */

/* PCAN-Light board types: hardware type in the low 16 bits, channel above. */
#define COP_BOARD_PCAN_ISA 0x00000001u
#define COP_BOARD_PCAN_DNG 0x00000005u
#define COP_BOARD_PCAN_DNG_EPP 0x00000006u
#define COP_BOARD_PCAN_ISA_SJA 0x00000009u
#define COP_BOARD_PCAN_2ISA 0x00020009u
#define COP_BOARD_PCAN_PCI 0x0001000Au
#define COP_BOARD_PCAN_2PCI 0x0002000Au
#define COP_BOARD_PCAN_PCC 0x0001000Bu
#define COP_BOARD_PCAN_2PCC 0x0002000Bu
#define COP_BOARD_PCAN_USB 0x00010000u
/* The board-based master shows its own selection dialog for this one. */
#define COP_BOARD_ORVAX_APPLET 0xFFFFFFFFu

typedef struct CopInterface {
    int16_t library;     /* COP_LIBRARY_* */
    uint32_t boardType;  /* board-type code */
    uint8_t plugAndPlay; /* 1: needs no I/O address and interrupt */
    const char* name;    /* display name, at most 35 characters */
} CopInterface;

/* The table of selectable interfaces, in the order the program lists them. */
static inline const CopInterface* COP_Interfaces(size_t* count)
{
    static const CopInterface table[] = {
        {200, 0x00000001u, 0, "PEAK PCAN-ISA"},
        {200, 0x00000005u, 0, "PEAK PCAN-Dongle (SJA)"},
        {200, 0x00000006u, 0, "PEAK PCAN-Dongle (SJA/EPP)"},
        {200, 0x00000009u, 0, "PEAK PCAN-ISA (SJA)"},
        {200, 0x00020009u, 0, "PEAK PCAN-ISA (SJA/2nd channel)"},
        {200, 0x0001000Au, 1, "PEAK PCAN-PCI"},
        {200, 0x0002000Au, 1, "PEAK PCAN-PCI (2nd channel)"},
        {200, 0x0001000Bu, 1, "PEAK PCAN-PC Card"},
        {200, 0x0002000Bu, 1, "PEAK PCAN-PC Card (2nd channel)"},
        {200, 0x00010000u, 1, "PEAK PCAN-USB"},
        {100, 0x01010100u, 1, "Orvax Card-A1 (ISA)"},
        {100, 0x01010000u, 1, "Orvax Card-B1 (ISA)"},
        {100, 0x01020700u, 1, "Orvax Card-A1/PCI"},
        {100, 0x01020600u, 1, "Orvax Card-B1/PCI"},
        {100, 0x01040300u, 1, "Orvax Card-C1 (PCMCIA)"},
        {100, 0x01050A00u, 1, "Orvax Stick-U1"},
        {100, 0x01050F00u, 1, "Orvax Stick-U1 compact"},
        {100, 0xFFFFFFFFu, 1, "Orvax Applet"},
    };
    if (count)
        *count = sizeof table / sizeof table[0];
    return table;
}

/* The row of a library and board type, or NULL. */
static inline const CopInterface* COP_FindInterface(int16_t library, uint32_t boardType)
{
    size_t n = 0;
    const CopInterface* t = COP_Interfaces(&n);
    for (size_t i = 0; i < n; ++i)
        if (t[i].library == library && t[i].boardType == boardType)
            return &t[i];
    return NULL;
}

/* File name of the PCAN-Light driver library of a board type; any other
 * code gives the catch-all name. */
static inline const char* COP_PcanLibraryFile(uint32_t boardType)
{
    switch (boardType) {
    case 0x00000001u:
    case 0x00000009u: return "libpcan_isa.so";
    case 0x00000005u:
    case 0x00000006u: return "libpcan_dng.so";
    case 0x00010000u: return "libpcan_usb.so";
    case 0x0001000Au: return "libpcan_pci.so";
    case 0x0001000Bu: return "libpcan_pcc.so";
    case 0x00020009u: return "libpcan_2isa.so";
    case 0x0002000Au: return "libpcan_2pci.so";
    case 0x0002000Bu: return "libpcan_2pcc.so";
    default: return "libpcan____.so";
    }
}

/* ---- Error codes ------------------------------------------------------- */

#define COP_OK 0
/* CANopen master errors */
#define COP_ERR_GENERAL 1
#define COP_ERR_CAL 2
#define COP_ERR_PARAMETER 3
#define COP_ERR_ABORTED 4 /* SDO or LMT transfer aborted; see COP_GetLastAbort */
#define COP_ERR_NODE_NOT_FOUND 5
#define COP_ERR_NOT_INITIALISED 6
#define COP_ERR_ALREADY_INITIALISED 7
#define COP_ERR_QUEUE_EMPTY 9
#define COP_ERR_TIMEOUT_CAN 10
#define COP_ERR_SDO_RUNNING 16
#define COP_ERR_UNKNOWN_COMMAND 32
/* CAN-level and API errors of the masters */
#define COP_ERR_BUSOFF (-1)
#define COP_ERR_WARNING (-2)
#define COP_ERR_BUSERROR (-3)
#define COP_ERR_STARTED (-8)
#define COP_ERR_NOT_STARTED (-9)
#define COP_ERR_OVERRUN (-10)
#define COP_ERR_TX_BUSY (-20)
#define COP_ERR_RX_EMPTY (-30)
#define COP_ERR_QUEUE_OVERRUN (-40)
#define COP_ERR_TIMEOUT (-50)
#define COP_ERR_LENGTH (-60)
#define COP_ERR_FORMAT (-70)
#define COP_ERR_STATUS (-80)
#define COP_ERR_NODE_ID (-90)
#define COP_ERR_BAUDRATE (-91)
#define COP_ERR_ILLEGAL_PARAM (-93)
#define COP_ERR_NULL_POINTER (-94)
#define COP_ERR_NOT_INIT (-95)
#define COP_ERR_ALREADY_INIT (-96)
#define COP_ERR_NODE_CONNECTED (-97)
#define COP_ERR_NOT_SUPPORTED (-98)
#define COP_ERR_FATAL (-99)
/* PCAN-Light driver errors mapped by the software master */
#define COP_ERR_PCAN_HWTEST (-201)
#define COP_ERR_PCAN_HWINUSE (-203)
#define COP_ERR_PCAN_NETINUSE (-204)
#define COP_ERR_PCAN_ILLHW (-220)
#define COP_ERR_PCAN_ILLNET (-224)
#define COP_ERR_PCAN_ILLCLIENT (-228)
#define COP_ERR_PCAN_RESOURCE (-232)
#define COP_ERR_PCAN_PARMTYP (-264)
#define COP_ERR_PCAN_PARMVAL (-265)
#define COP_ERR_PCAN_BOARDTYPE (-290)
#define COP_ERR_PCAN_UNKNOWN (-299)
/* errors of the generic library */
#define COP_ERR_DLL_LOADED (-9998)
#define COP_ERR_NO_DLL (-9999)
#define COP_ERR_SYSTEM (-10000) /* -10000 minus errno: loading, binding or unloading failed */

/* Text of an error code, as the program shows it; NULL for an unknown code.
 * Codes below -10000 carry an errno and get their text from strerror. */
static inline const char* COP_ErrorText(int32_t code)
{
    switch (code) {
    case 0: return "Success, no error.";
    case -1: return "Busoff status.";
    case -2: return "Error warning status.";
    case -3: return "Bus error.";
    case -8: return "Already started.";
    case -9: return "Not started yet.";
    case -10: return "Message lost (overrun).";
    case -11: return "Stuff error.";
    case -12: return "Form error.";
    case -13: return "Acknowledge error.";
    case -14: return "Recessive bit error.";
    case -15: return "Dominant bit error.";
    case -16: return "Checksum error.";
    case -20: return "Transmitter busy.";
    case -30: return "Receiver empty.";
    case -40: return "Queue overrun.";
    case -50: return "Time-out error.";
    case -60: return "Invalid lenght.";
    case -70: return "Format error.";
    case -80: return "Illegal status.";
    case -90: return "Illegal node-id.";
    case -91: return "Illegal baud rate.";
    case -93: return "Illegal parameter.";
    case -94: return "Illegal parameter (NULL-Pointer).";
    case -95: return "Not initialized.";
    case -96: return "Already initialized.";
    case -97: return "Node already connected.";
    case -98: return "Function not supported!";
    case -99: return "Fatal error!";
    case 1: return "General error or failure.";
    case 2: return "Failure in CAL.";
    case 3: return "Invalid parameter or service not allowed.";
    case 4: return "Transfer aborted.";
    case 5: return "Node not found.";
    case 6: return "CANopen-Master not initialised.";
    case 7: return "CANopen-Master already initialised.";
    case 9: return "No objects in queue.";
    case 10: return "Timeout in CAN communication.";
    case 16: return "SDO transfer is running.";
    case 32: return "Unknown command.";
    case -120: return "SDO thread execution cancelled.";
    case -121: return "SDO installation error.";
    case -122: return "KDI installation error  (internal).";
    case -123: return "Memory allocation error (internal)\ndata or OS object couldn't be created.";
    case -124: return "Unknown board type or couldn't locate board type.";
    case -128: return "A callbackpointer is invalid.";
    case -129: return "An error occured during firmware download\nmemory used by another HW (first 4k)?";
    case -130: return "Communication error PC to \xB5" "C.";
    case -131: return "Board is used by another process.";
    case -132: return "Wrong firmware version.";
    case -133: return "Orvax hardware selection dialog cancelled by user.";
    case -134: return "The board wasn't found.";
    case -135: return "The given board is not supported by this API.";
    case -136: return "No free entry in DLL.";
    case -137: return "Given board is already in use.";
    case -138: return "Timeout (communication error PC to \xB5" "C).";
    case -140: return "Msg not sent, try again.";
    case -201: return "Test of the CAN controller hardware registers failed (no hardware found).";
    case -203: return "Hardware is in use by another Net.";
    case -204: return "A Client is already connected to the Net.";
    case -220: return "Hardware handle is wrong.";
    case -224: return "Net handle is wrong.";
    case -228: return "Client handle is wrong.";
    case -232: return "Resource (FIFO, Client, timeout) cannot be created.";
    case -264: return "Invalid parameter.";
    case -265: return "Invalid parameter value.";
    case -290: return "Unknown board type, or not supported.";
    case -299: return "An unknown PCAN-Light error occurred!";
    case -9998: return "CAN Interface DLL already loaded!";
    case -9999: return "No CAN Interface DLL loaded!";
    case -10000: return "A system error occurred!";
    default: return NULL;
    }
}

/* Every code of the table above, for the lists that enumerate them. */
static inline const int32_t* COP_ErrorCodes(size_t* count)
{
    static const int32_t codes[] = {
        0, -1, -2, -3, -8, -9, -10, -11, -12, -13, -14, -15, -16, -20, -30, -40, -50, -60,
        -70, -80, -90, -91, -93, -94, -95, -96, -97, -98, -99, 1, 2, 3, 4, 5, 6, 7, 9, 10,
        16, 32, -120, -121, -122, -123, -124, -128, -129, -130, -131, -132, -133, -134,
        -135, -136, -137, -138, -140, -201, -203, -204, -220, -224, -228, -232, -264, -265,
        -290, -299, -9998, -9999, -10000,
    };
    if (count)
        *count = sizeof codes / sizeof codes[0];
    return codes;
}

/* ---- LMT address buffers ----------------------------------------------- */

#define COP_LMT_MANUFACTURER_SIZE 8 /* 7 characters */
#define COP_LMT_PRODUCT_SIZE 8      /* 7 characters */
#define COP_LMT_SERIAL_SIZE 16      /* 14 decimal digits */

/* ---- Functions of the software master that differ from mastergate ------ */

typedef COP_BOOL (*COP_SM_Installed_t)(uint32_t boardType);
typedef COP_BOOL (*COP_SM_Initialize_t)(uint32_t boardType, CopHwParam* hw, uint8_t baud);

/* ---- The API of the generic library ------------------------------------ */

#ifndef COP_NO_PROTOTYPES

/* Interface and library */
COP_BOOL COP_Installed(int16_t library, uint32_t boardType);
COP_BOOL COP_Initialize(int16_t library, uint32_t boardType, CopHwParam* hw, uint8_t baud);
COP_BOOL COP_ResetCAN(uint8_t baud);
COP_BOOL COP_Terminate(void);
uint16_t COP_GetBoardHandle(void);
COP_BOOL COP_GetBoardHardware(char* text, uint16_t size);
COP_BOOL COP_GetBoardFirmware(char* text, uint16_t size);
const char* COP_GetLibraryVersion(void);
const char* COP_GetLibraryName(void);
const char* COP_GetVersion(void);
int32_t COP_GetLastError(void);
uint32_t COP_GetLastAbort(void);

/* Nodes and NMT */
COP_BOOL COP_AddNode(uint8_t node);
COP_BOOL COP_DeleteNode(uint8_t node);
COP_BOOL COP_SearchNode(uint8_t node);
COP_BOOL COP_StartRemoteNode(uint8_t node);
COP_BOOL COP_StopRemoteNode(uint8_t node);
COP_BOOL COP_EnterPreOperationalState(uint8_t node);
COP_BOOL COP_ResetNode(uint8_t node);
COP_BOOL COP_ResetCommunication(uint8_t node);

/* SDO */
COP_BOOL COP_SetSDOTimeout(uint16_t timeout);
COP_BOOL COP_ReadSDO(uint8_t node, uint16_t index, uint8_t subIndex, int16_t* length, uint8_t* data,
                     int16_t size);
COP_BOOL COP_WriteSDO(uint8_t node, uint16_t index, uint8_t subIndex, int16_t length,
                      const uint8_t* data);

/* PDO, EMCY, SYNC */
COP_BOOL COP_CreatePDO(uint8_t node, uint8_t pdoNumber, uint8_t transmit, uint16_t cobId,
                       uint8_t length);
COP_BOOL COP_WritePDO(uint8_t node, uint8_t pdoNumber, const uint8_t* data);
COP_BOOL COP_RequestPDO(uint8_t node, uint8_t pdoNumber);
COP_BOOL COP_ReadPDO(uint8_t* node, uint8_t* pdoNumber, uint8_t* data, uint8_t* length);
COP_BOOL COP_GetEmergency(uint8_t* node, uint8_t* data);
COP_BOOL COP_SendSync(void);

/* LMT */
COP_BOOL COP_GetLMTAddress(char* manufacturer, char* product, char* serial);
COP_BOOL COP_ConfigureNode(const char* manufacturer, const char* product, const char* serial,
                           uint8_t node, uint8_t baud);

/* Board-based master only */
COP_BOOL ORX_Library(void);
COP_BOOL ORX_DefineCallbacks(ORX_CALLBACK cb1, ORX_CALLBACK cb2, ORX_CALLBACK cb3, ORX_CALLBACK cb4);
COP_BOOL ORX_ReadPDO(uint8_t* node, uint8_t* pdoNumber, uint8_t* length, uint8_t* data);

#endif /* COP_NO_PROTOTYPES */

#ifdef __cplusplus
}
#endif

#endif /* COP_COP_H */
