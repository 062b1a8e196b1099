/*
 * pcan_ctrl.c - driver layer of the software master over PCAN-Light.
 */
#define _GNU_SOURCE
#include "pcan_ctrl.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <pcanlight/pcan_light.h>

typedef struct MessageObject {
    uint8_t kind;
    uint32_t identifier;
    int16_t counter;
    int16_t length;
    uint8_t data[8];
    uint32_t stamp;
} MessageObject;

typedef struct RingEntry {
    uint32_t identifier;
    int16_t length;
    uint8_t data[8];
    uint32_t stamp;
} RingEntry;

static const uint16_t BaudTable[COP_BAUD_COUNT] = {
    PCAN_BAUD_1M, 0x0000, PCAN_BAUD_500K, PCAN_BAUD_250K, PCAN_BAUD_125K,
    PCAN_BAUD_100K, PCAN_BAUD_50K, PCAN_BAUD_20K, PCAN_BAUD_10K,
};

/* Board types this layer drives, with their channel and plug-and-play flag. */
typedef struct BoardType {
    uint32_t code;
    const char* name;
    uint8_t plugAndPlay;
    uint8_t channel;
} BoardType;

static const BoardType BoardTypes[] = {
    {0x00000001u, "PCAN-ISA", 0, 1},
    {0x00000005u, "PCAN-Dongle (SJA)", 0, 1},
    {0x00000006u, "PCAN-Dongle (SJA/EPP)", 0, 1},
    {0x00000009u, "PCAN-ISA (SJA)", 0, 1},
    {0x00020009u, "PCAN-ISA (SJA/2nd channel)", 0, 2},
    {0x0001000Au, "PCAN-PCI", 1, 1},
    {0x0002000Au, "PCAN-PCI (2nd channel)", 1, 2},
    {0x0001000Bu, "PCAN-PC Card", 1, 1},
    {0x0002000Bu, "PCAN-PC Card (2nd channel)", 1, 2},
    {0x00010000u, "PCAN-USB", 1, 1},
};

static MessageObject Objects[CTRL_OBJECTS];
static RingEntry Ring[CTRL_RING_SLOTS];
static uint32_t RingWrite, RingRead;
static int16_t RingStatus;
static uint8_t CatchAll;

static uint8_t Status = CTRL_ST_STOPPED;
static uint8_t Loaded;
static uint8_t PlugAndPlay;
static void* Library;
static uint32_t Board;
static uint32_t IoPort;
static uint16_t Interrupt;
static uint8_t Baud = 0xFF;
static uint64_t Deadline; /* CLOCK_MONOTONIC nanoseconds */
static uint8_t ReceiveLoad;

static PCAN_InitPnp_t InitPnp;
static PCAN_InitHw_t InitHw;
static PCAN_Close_t Close;
static PCAN_Status_t StatusCall;
static PCAN_Write_t Write;
static PCAN_Read_t Read;
static PCAN_VersionInfo_t VersionInfo;
static PCAN_ResetClient_t ResetClient;
static PCAN_WaitRead_t WaitRead; /* optional */

static char VersionText[PCAN_VERSION_TEXT_SIZE];
static char HardwareText[PCAN_VERSION_TEXT_SIZE];
static char FirmwareText[PCAN_VERSION_TEXT_SIZE + 1];

static const BoardType* find_board(uint32_t code)
{
    for (size_t i = 0; i < sizeof BoardTypes / sizeof BoardTypes[0]; ++i)
        if (BoardTypes[i].code == code)
            return &BoardTypes[i];
    return NULL;
}

int16_t ctrl_map_error(uint32_t r)
{
    if (r & PCAN_ERR_REGTEST)
        return COP_ERR_PCAN_HWTEST;
    switch (r & PCAN_ERRMASK_ILLHANDLE) {
    case PCAN_ERR_HWINUSE: return COP_ERR_PCAN_HWINUSE;
    case PCAN_ERR_NETINUSE: return COP_ERR_PCAN_NETINUSE;
    case PCAN_ERR_ILLCLIENT: return COP_ERR_PCAN_ILLCLIENT;
    case PCAN_ERR_ILLNET: return COP_ERR_PCAN_ILLNET;
    case PCAN_ERR_ILLHW: return COP_ERR_PCAN_ILLHW;
    default: break;
    }
    if (r & PCAN_ERR_RESOURCE)
        return COP_ERR_PCAN_RESOURCE;
    if (r & PCAN_ERR_PARMTYP)
        return COP_ERR_PCAN_PARMTYP;
    if (r & PCAN_ERR_PARMVAL)
        return COP_ERR_PCAN_PARMVAL;
    if (r & ~0xFFu)
        return COP_ERR_PCAN_UNKNOWN;
    return 0;
}

/* ---- Loading -------------------------------------------------------- */

/* Folder of this library, with a trailing slash, into buf; 0 if unknown. */
static int own_folder(char* buf, size_t size)
{
    Dl_info info;
    if (!dladdr((void*)&ctrl_open, &info) || !info.dli_fname)
        return 0;
    const char* slash = strrchr(info.dli_fname, '/');
    if (!slash)
        return 0;
    size_t n = (size_t)(slash - info.dli_fname) + 1;
    if (n >= size)
        return 0;
    memcpy(buf, info.dli_fname, n);
    buf[n] = '\0';
    return 1;
}

static void* load_library(const char* file)
{
    void* h = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (h)
        return h;
    char path[PATH_MAX];
    if (!own_folder(path, sizeof path))
        return NULL;
    if (strlen(path) + strlen(file) >= sizeof path)
        return NULL;
    strcat(path, file);
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

static int file_in(const char* folder, size_t len, const char* file)
{
    char path[PATH_MAX];
    if (len + strlen(file) + 2 > sizeof path)
        return 0;
    memcpy(path, folder, len);
    path[len] = '\0';
    if (len && path[len - 1] != '/')
        strcat(path, "/");
    strcat(path, file);
    return access(path, R_OK) == 0;
}

int ctrl_library_present(uint32_t boardType)
{
    const char* file = COP_PcanLibraryFile(boardType);
    void* h = dlopen(file, RTLD_LAZY | RTLD_NOLOAD);
    if (h) {
        dlclose(h);
        return 1;
    }
    const char* env = getenv("LD_LIBRARY_PATH");
    while (env && *env) {
        const char* end = strchr(env, ':');
        size_t len = end ? (size_t)(end - env) : strlen(env);
        if (len && file_in(env, len, file))
            return 1;
        env = end ? end + 1 : NULL;
    }
    char own[PATH_MAX];
    if (own_folder(own, sizeof own) && file_in(own, strlen(own), file))
        return 1;
    static const char* const system[] = {"/usr/local/lib", "/usr/lib/x86_64-linux-gnu", "/lib/x86_64-linux-gnu",
                                         "/usr/lib64", "/lib64", "/usr/lib", "/lib"};
    for (size_t i = 0; i < sizeof system / sizeof system[0]; ++i)
        if (file_in(system[i], strlen(system[i]), file))
            return 1;
    return 0;
}

static void* bind(const char* name, uint8_t channel)
{
    char full[32];
    snprintf(full, sizeof full, "%s_%s", channel == 2 ? "CAN2" : "CAN", name);
    return dlsym(Library, full);
}

static void unbind(void)
{
    InitPnp = NULL;
    InitHw = NULL;
    Close = NULL;
    StatusCall = NULL;
    Write = NULL;
    Read = NULL;
    VersionInfo = NULL;
    ResetClient = NULL;
    WaitRead = NULL;
}

int16_t ctrl_open(uint32_t boardType, const CopHwParam* hw)
{
    if (Loaded)
        return COP_ERR_ALREADY_INIT;
    const BoardType* type = find_board(boardType);
    if (!type)
        return COP_ERR_PCAN_BOARDTYPE;
    if (!type->plugAndPlay && !hw)
        return COP_ERR_NULL_POINTER;
    Board = boardType;
    PlugAndPlay = type->plugAndPlay;
    IoPort = PlugAndPlay ? 0 : hw->ioPort;
    Interrupt = PlugAndPlay ? 0 : hw->interrupt;

    Library = load_library(COP_PcanLibraryFile(boardType));
    if (!Library)
        return COP_ERR_PCAN_BOARDTYPE;
    /* The lookup order is that of the driver's entry points. */
    void* init = bind("Init", type->channel);
    if (PlugAndPlay)
        *(void**)&InitPnp = init;
    else
        *(void**)&InitHw = init;
    int missing = !init;
    if (!missing)
        missing = !(*(void**)&Close = bind("Close", type->channel));
    if (!missing)
        missing = !(*(void**)&StatusCall = bind("Status", type->channel));
    if (!missing)
        missing = !(*(void**)&Write = bind("Write", type->channel));
    if (!missing)
        missing = !(*(void**)&Read = bind("Read", type->channel));
    if (!missing)
        missing = !(*(void**)&VersionInfo = bind("VersionInfo", type->channel));
    if (!missing)
        missing = !(*(void**)&ResetClient = bind("ResetClient", type->channel));
    if (missing) {
        unbind();
        dlclose(Library);
        Library = NULL;
        return COP_ERR_PCAN_UNKNOWN;
    }
    *(void**)&WaitRead = bind("WaitRead", type->channel);

    for (int i = 0; i < CTRL_OBJECTS; ++i)
        Objects[i].kind = CTRL_KIND_FREE;
    ctrl_enable_ring();
    Status = CTRL_ST_STOPPED;
    Loaded = 1;
    return 0;
}

int16_t ctrl_close(void)
{
    if (Loaded) {
        Close();
        dlclose(Library);
        Library = NULL;
        unbind();
    }
    Board = 0;
    IoPort = 0;
    Interrupt = 0;
    Status |= CTRL_ST_STOPPED;
    Loaded = 0;
    return 0;
}

static uint32_t init_driver(uint8_t baud)
{
    if (PlugAndPlay)
        return InitPnp(BaudTable[baud], PCAN_INIT_TYPE_ST);
    return InitHw(BaudTable[baud], PCAN_INIT_TYPE_ST, (int)(Board & 0xFFu), IoPort, Interrupt);
}

int16_t ctrl_start(uint8_t baud)
{
    if (!Loaded)
        return COP_ERR_NOT_INIT;
    if (!(Status & CTRL_ST_STOPPED))
        return COP_ERR_STARTED;
    if (baud >= COP_BAUD_COUNT || BaudTable[baud] == 0)
        return COP_ERR_BAUDRATE;
    uint32_t r = init_driver(baud);
    if (r == 0 && PlugAndPlay)
        r = ResetClient();
    if (r != 0) {
        int16_t code = ctrl_map_error(r);
        return code ? code : COP_ERR_PCAN_UNKNOWN;
    }
    Baud = baud;
    Status &= (uint8_t)~CTRL_ST_STOPPED;
    return 0;
}

int16_t ctrl_stop(void)
{
    if (!Loaded)
        return COP_ERR_NOT_INIT;
    if (!(Status & CTRL_ST_STOPPED) && Baud < COP_BAUD_COUNT)
        (void)init_driver(Baud);
    Status |= CTRL_ST_STOPPED;
    return 0;
}

/* ---- Frames --------------------------------------------------------- */

static int16_t write_frame(uint32_t id, uint8_t type, int length, const uint8_t* data)
{
    TPCANMsg msg;
    memset(&msg, 0, sizeof msg);
    msg.ID = id;
    msg.MSGTYPE = type;
    msg.LEN = (uint8_t)length;
    if (data && length > 0)
        memcpy(msg.DATA, data, (size_t)length);
    uint32_t r = Write(&msg);
    if (r & (PCAN_ERR_QXMTFULL | PCAN_ERR_XMTFULL)) {
        Status |= CTRL_ST_TXBUSY;
        return COP_ERR_TX_BUSY;
    }
    if (r > 0xFFu)
        return ctrl_map_error(r);
    Status &= (uint8_t)~CTRL_ST_TXBUSY;
    return 0;
}

int16_t ctrl_define(int object, uint32_t identifier, uint16_t kindLength)
{
    if (!Loaded)
        return COP_ERR_NOT_INIT;
    uint8_t kind = (uint8_t)(kindLength & 0xFFu);
    uint8_t length = (uint8_t)(kindLength >> 8);
    if (object < 0 || object >= CTRL_OBJECTS || identifier > 0x7FFu || kind < CTRL_KIND_TRANSMIT ||
        kind > CTRL_KIND_REMOTE || length > 8)
        return COP_ERR_ILLEGAL_PARAM;
    if (object == CTRL_RING_OBJECT && (CatchAll || kind < CTRL_KIND_RECEIVE))
        return COP_ERR_ILLEGAL_PARAM;
    ctrl_poll(CTRL_POLL_BUDGET);
    MessageObject* o = &Objects[object];
    o->kind = kind;
    o->length = length;
    o->identifier = identifier;
    o->counter = 0;
    memset(o->data, 0, sizeof o->data);
    if (kind == CTRL_KIND_REMOTE && !(Status & CTRL_ST_STOPPED)) {
        o->counter = 1;
        o->stamp = 0xFFFFFFFFu;
        int16_t r = write_frame(identifier, PCAN_MSGTYPE_RTR, length, NULL);
        if (r)
            return r;
        o->counter = 0;
    }
    return 0;
}

int16_t ctrl_delete(int object)
{
    if (object < 0 || object >= CTRL_OBJECTS)
        return COP_ERR_ILLEGAL_PARAM;
    Objects[object].kind = CTRL_KIND_FREE;
    Objects[object].counter = 0;
    return 0;
}

int16_t ctrl_send(int object, int length, const uint8_t* data)
{
    if (!Loaded)
        return COP_ERR_NOT_INIT;
    if (Status & CTRL_ST_STOPPED)
        return COP_ERR_NOT_STARTED;
    if (object < 0 || object >= CTRL_RING_OBJECT || length < 0 || length > 8)
        return COP_ERR_ILLEGAL_PARAM;
    MessageObject* o = &Objects[object];
    if (o->kind != CTRL_KIND_TRANSMIT && o->kind != CTRL_KIND_TRANSMIT2)
        return COP_ERR_ILLEGAL_PARAM;
    o->length = (int16_t)length;
    o->counter++;
    o->stamp = 0xFFFFFFFFu;
    if (data && length > 0)
        memcpy(o->data, data, (size_t)length);
    int16_t r = write_frame(o->identifier, PCAN_MSGTYPE_STANDARD, length, o->data);
    if (r)
        return r;
    o->counter = 0;
    return 0;
}

static void ring_put(const TPCANMsg* msg, uint8_t length)
{
    RingEntry* e = &Ring[RingWrite];
    e->identifier = msg->ID;
    e->length = length;
    memset(e->data, 0, sizeof e->data);
    memcpy(e->data, msg->DATA, length);
    e->stamp = 0xFFFFFFFFu;
    RingWrite = (RingWrite + 1) % CTRL_RING_SLOTS;
    if ((RingWrite + 1) % CTRL_RING_SLOTS == RingRead) {
        RingRead = (RingRead + 1) % CTRL_RING_SLOTS;
        RingStatus = COP_ERR_QUEUE_OVERRUN;
    }
    if (RingStatus == COP_ERR_QUEUE_OVERRUN)
        Status |= CTRL_ST_OVERRUN;
    else
        Status &= (uint8_t)~CTRL_ST_OVERRUN;
}

static void dispatch(const TPCANMsg* msg)
{
    /* A record with more than 8 bytes or a wider identifier is no 11-bit
     * CAN frame: dropped. */
    if (msg->LEN > 8 || msg->ID > 0x7FFu)
        return;
    uint8_t length = msg->LEN;
    for (int i = 0; i < CTRL_RING_OBJECT; ++i) {
        MessageObject* o = &Objects[i];
        if ((o->kind == CTRL_KIND_RECEIVE || o->kind == CTRL_KIND_REMOTE) && o->identifier == msg->ID) {
            memset(o->data, 0, sizeof o->data);
            memcpy(o->data, msg->DATA, length);
            o->length = length;
            if (o->counter < INT16_MAX)
                o->counter++;
            o->stamp = 0xFFFFFFFFu;
            return;
        }
    }
    if (CatchAll)
        ring_put(msg, length);
}

int ctrl_poll(int budget)
{
    if (!Loaded || budget <= 0)
        return 0;
    int taken = 0;
    while (taken < budget) {
        TPCANMsg msg;
        memset(&msg, 0, sizeof msg);
        if (Read(&msg) != 0)
            break;
        ++taken;
        if (msg.MSGTYPE == PCAN_MSGTYPE_STANDARD) {
            dispatch(&msg);
        } else if (msg.MSGTYPE == PCAN_MSGTYPE_STATUS) {
            uint8_t bits = msg.DATA[3];
            uint8_t s = Status & (uint8_t)(CTRL_ST_STOPPED | CTRL_ST_TXBUSY | CTRL_ST_RXEMPTY |
                                           CTRL_ST_OVERRUN | CTRL_ST_MSGLOST);
            if (bits & PCAN_ERR_BUSHEAVY)
                s |= CTRL_ST_BUSERROR;
            if (bits & PCAN_ERR_BUSLIGHT)
                s |= CTRL_ST_WARNING;
            if (bits & PCAN_ERR_BUSOFF)
                s |= CTRL_ST_BUSOFF;
            if (bits & PCAN_ERR_OVERRUN)
                s |= CTRL_ST_MSGLOST;
            Status = s;
        }
        /* remote requests and extended frames are dropped */
    }
    ReceiveLoad = (uint8_t)(taken * 100 / budget);
    return taken;
}

int16_t ctrl_read(int object, int16_t* length, uint8_t* data)
{
    if (!Loaded)
        return COP_ERR_NOT_INIT;
    if (Status & CTRL_ST_STOPPED)
        return COP_ERR_NOT_STARTED;
    if (object < 0 || object >= CTRL_OBJECTS || (object == CTRL_RING_OBJECT && CatchAll))
        return COP_ERR_ILLEGAL_PARAM;
    if (!length || !data)
        return COP_ERR_NULL_POINTER;
    MessageObject* o = &Objects[object];
    if (o->kind != CTRL_KIND_RECEIVE && o->kind != CTRL_KIND_REMOTE)
        return COP_ERR_ILLEGAL_PARAM;
    ctrl_poll(CTRL_POLL_BUDGET);
    if (o->counter == 0) {
        Status |= CTRL_ST_RXEMPTY;
        return COP_ERR_RX_EMPTY;
    }
    *length = o->length;
    memcpy(data, o->data, (size_t)o->length);
    if (o->counter > 1)
        Status |= CTRL_ST_MSGLOST;
    o->counter = 0;
    Status &= (uint8_t)~CTRL_ST_RXEMPTY;
    return 0;
}

int16_t ctrl_read_ring(uint32_t* identifier, int16_t* length, uint8_t* data)
{
    if (!Loaded)
        return COP_ERR_NOT_INIT;
    if (Status & CTRL_ST_STOPPED)
        return COP_ERR_NOT_STARTED;
    if (!identifier || !length || !data)
        return COP_ERR_NULL_POINTER;
    ctrl_poll(CTRL_POLL_BUDGET);
    if (RingRead == RingWrite) {
        RingStatus = COP_ERR_RX_EMPTY;
        return COP_ERR_RX_EMPTY;
    }
    const RingEntry* e = &Ring[RingRead];
    *identifier = e->identifier;
    *length = e->length;
    memcpy(data, e->data, (size_t)e->length);
    RingRead = (RingRead + 1) % CTRL_RING_SLOTS;
    RingStatus = 0;
    return 0;
}

int16_t ctrl_enable_ring(void)
{
    if (!CatchAll) {
        RingWrite = RingRead;
        RingStatus = 0;
        CatchAll = 1;
    }
    return 0;
}

/* ---- Deadline ------------------------------------------------------- */

static int now_ns(uint64_t* t)
{
    struct timespec ts;
    if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0)
        return 0;
    *t = (uint64_t)ts.tv_sec * 1000000000u + (uint64_t)ts.tv_nsec;
    return 1;
}

int16_t ctrl_timer_start(uint16_t milliseconds)
{
    uint64_t t;
    if (!now_ns(&t))
        return COP_ERR_FATAL;
    Deadline = t + (uint64_t)milliseconds * 1000000u;
    return 0;
}

int ctrl_timer_expired(void)
{
    uint64_t t;
    if (!now_ns(&t))
        return 0;
    return t >= Deadline;
}

void ctrl_wait(void)
{
    uint64_t t;
    if (!Loaded || !now_ns(&t) || t >= Deadline)
        return;
    uint64_t left_us = (Deadline - t + 999u) / 1000u;
    if (WaitRead) {
        (void)WaitRead(left_us > UINT32_MAX ? UINT32_MAX : (uint32_t)left_us);
        return;
    }
    /* No waiting call in this driver: poll again shortly. */
    uint64_t nap_us = left_us < 500u ? left_us : 500u;
    struct timespec ts = {0, (long)(nap_us * 1000u)};
    nanosleep(&ts, NULL);
}

/* ---- Version texts -------------------------------------------------- */

static int read_version(void)
{
    if (!Loaded)
        return 0;
    memset(VersionText, 0, sizeof VersionText);
    if (VersionInfo(VersionText) != 0)
        return 0;
    VersionText[sizeof VersionText - 1] = '\0';
    return 1;
}

const char* ctrl_hardware_text(void)
{
    if (!read_version())
        return NULL;
    size_t n = strcspn(VersionText, "\n");
    memcpy(HardwareText, VersionText, n);
    HardwareText[n] = '\0';
    return HardwareText;
}

const char* ctrl_firmware_text(void)
{
    if (!read_version())
        return NULL;
    const char* blank = strrchr(VersionText, ' ');
    if (!blank) {
        strcpy(FirmwareText, VersionText);
    } else {
        FirmwareText[0] = 'V';
        strcpy(FirmwareText + 1, blank + 1);
    }
    return FirmwareText;
}

/* ---- Inspection ----------------------------------------------------- */

int ctrl_is_open(void)
{
    return Loaded;
}

uint8_t ctrl_status(void)
{
    return Status;
}

int16_t ctrl_ring_status(void)
{
    return RingStatus;
}
