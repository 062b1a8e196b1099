/*
 * kdi3.h - the driver interface of the Orvax intelligent CAN boards, as the
 * board maker's driver libraries export it: libkdi_dpram.so (ISA and PCI
 * boards with dual-ported memory), libkdi_pci.so, libkdi_card.so (PC Card)
 * and libkdi_usb.so (USB sticks).
 *
 * A driver hands out two objects: the board object (open, firmware
 * download, configuration; the firmware boots when the board is configured)
 * and the message interface on it, with the board's transmit queues (host
 * to board) and receive queues (board to host) of message blocks.
 *
 * Usage:
 *   KdiBoardParameter p;
 *   KDI3_GetBoardParameter(type, &p);            // the board's queue layout
 *   KdiBsp* bsp = KDI3_CreateBspInstance(type, entry);
 *   bsp->Open(bsp);                              // KDI_ERR_IN_USE: another process has it
 *   bsp->Download(bsp, image, size, KDI_DOWNLOAD_VERIFY);
 *   bsp->Configure(bsp, &p);                     // the firmware starts
 *   KdiMsgIf* kdi = KDI3_CreateKdiInstance(bsp);
 *   kdi->OpenQueues(kdi, 3, 6);
 *   kdi->Send(kdi, 0, block, n);  kdi->WaitEvent(kdi, 0, 100);  kdi->Receive(kdi, 0, ...);
 *   kdi->CloseQueues(kdi); kdi->Release(kdi); bsp->Close(bsp); bsp->Release(bsp);
 *
 * Every call may come from any thread; one waiter per receive queue.
 */
#ifndef ORXBOARD_KDI3_H
#define ORXBOARD_KDI3_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t KDI_RESULT;

#define KDI_OK 0
#define KDI_ERR_PARAMETER 1 /* null pointer, unknown queue, bad value */
#define KDI_ERR_IN_USE 2    /* another process has the board open */
#define KDI_ERR_BUSY 3      /* this driver already runs a board in this process */
#define KDI_ERR_NOT_FOUND 4 /* no such board or registry entry */
#define KDI_ERR_IMAGE 5     /* the firmware image does not fit the board or is damaged */
#define KDI_ERR_VERIFY 6    /* the downloaded firmware reads back differently */
#define KDI_ERR_STATE 7     /* call out of order (not open, queues not open, ...) */
#define KDI_ERR_FULL 8      /* transmit queue full */
#define KDI_ERR_EMPTY 9     /* receive queue empty */
#define KDI_ERR_TIMEOUT 10  /* the queue's event stayed unset */
#define KDI_ERR_SIZE 11     /* block too long, or buffer too small for it */
#define KDI_ERR_RESOURCE 12 /* out of memory or threads */
#define KDI_ERR_FAULT 13    /* a fault the hardware registry injects */

/* Download modes */
#define KDI_DOWNLOAD_LOAD 0
#define KDI_DOWNLOAD_VERIFY 2

/* Longest message block of any queue, in bytes. */
#define KDI_MAX_BLOCK 256

/* The board's layout and the host's settings, for Configure. */
typedef struct KdiBoardParameter {
    uint32_t boardType;
    uint16_t txQueues;     /* transmit queues the board offers (3) */
    uint16_t rxQueues;     /* receive queues (6) */
    uint16_t queueDepth;   /* blocks per queue */
    uint16_t maxBlock;     /* bytes per block (KDI_MAX_BLOCK) */
    uint16_t commTimeout;  /* host's communication time-out, ms */
    uint16_t sdoTimeout;   /* the firmware's SDO time-out until the host sets one, ms */
    uint16_t timeInterval; /* seconds between two time-stamp messages once started */
    uint16_t reserved;
} KdiBoardParameter;

/* What the board tells about itself. */
typedef struct KdiBoardInfo {
    uint16_t hardwareVersion; /* major in the high byte */
    char serialNumber[16];    /* zero-terminated */
    char boardName[40];       /* zero-terminated, without the maker's name */
} KdiBoardInfo;

typedef struct KdiBsp KdiBsp;
struct KdiBsp {
    void* impl;
    /* Claims the board for this process. */
    KDI_RESULT (*Open)(KdiBsp* self);
    /* Checks the image and loads it (mode KDI_DOWNLOAD_VERIFY also reads it back). */
    KDI_RESULT (*Download)(KdiBsp* self, const void* image, uint32_t size, uint32_t mode);
    /* Sets the board up; the loaded firmware (or the one the board kept) boots. */
    KDI_RESULT (*Configure)(KdiBsp* self, const KdiBoardParameter* parameter);
    KDI_RESULT (*GetInfo)(KdiBsp* self, KdiBoardInfo* info);
    /* Stops the firmware and gives the board free. */
    KDI_RESULT (*Close)(KdiBsp* self);
    void (*Release)(KdiBsp* self);
};

typedef struct KdiMsgIf KdiMsgIf;
struct KdiMsgIf {
    void* impl;
    KDI_RESULT (*OpenQueues)(KdiMsgIf* self, uint16_t txQueues, uint16_t rxQueues);
    KDI_RESULT (*CloseQueues)(KdiMsgIf* self);
    /* Free blocks of a transmit queue. */
    KDI_RESULT (*TxFree)(KdiMsgIf* self, uint16_t queue, uint32_t* free);
    /* KDI_ERR_FULL when the transmit queue has no room. */
    KDI_RESULT (*Send)(KdiMsgIf* self, uint16_t queue, const void* block, uint32_t size);
    /* Blocks waiting in a receive queue. */
    KDI_RESULT (*RxLevel)(KdiMsgIf* self, uint16_t queue, uint32_t* count);
    /* The oldest block; KDI_ERR_EMPTY when there is none. */
    KDI_RESULT (*Receive)(KdiMsgIf* self, uint16_t queue, void* block, uint32_t capacity, uint32_t* size);
    /* Waits for the receive queue's event (set by every block that arrives,
     * reset by the wait that sees it): KDI_OK, or KDI_ERR_TIMEOUT. */
    KDI_RESULT (*WaitEvent)(KdiMsgIf* self, uint16_t queue, uint32_t timeoutMs);
    /* Sets the event, to wake its waiter. */
    KDI_RESULT (*SetEvent)(KdiMsgIf* self, uint16_t queue);
    void (*Release)(KdiMsgIf* self);
};

typedef KDI_RESULT (*KDI3_GetBoardParameter_t)(uint32_t boardType, KdiBoardParameter* parameter);
typedef KdiBsp* (*KDI3_CreateBspInstance_t)(uint32_t boardType, uint32_t hwEntry);
typedef KdiMsgIf* (*KDI3_CreateKdiInstance_t)(KdiBsp* bsp);

/* Diagnostics of the emulated boards: one line per driver call since the
 * library was loaded ("bsp.open 11", "kdi.release", ...), so that a test
 * sees what was created and given back, in which order. Returns the length
 * of the whole journal; copies at most size - 1 characters and a zero. */
typedef uint32_t (*KDIX_Journal_t)(char* text, uint32_t size);
typedef void (*KDIX_ClearJournal_t)(void);

#ifdef __cplusplus
}
#endif

#endif /* ORXBOARD_KDI3_H */
