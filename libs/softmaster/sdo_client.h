/*
 * sdo_client.h - the SDO client of the software master: upload (expedited
 * and segmented) and download (expedited for 1..4 bytes, segmented for
 * 5..32767). Requests go on 0x600 + node, answers come on 0x580 + node;
 * the time-out applies to each awaited answer.
 *
 * The protocol is a state machine (SdoTransfer) that takes answers and
 * time-outs and gives the next request; sdo_upload and the downloads run it
 * on the bus through sm_service.
 *
 * Results as in sm_service.h: 0, a negative error, or SM_ABORTED with the
 * server's abort code in *abortCode.
 */
#ifndef SOFTMASTER_SDO_CLIENT_H
#define SOFTMASTER_SDO_CLIENT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SDO_REQUEST_BASE 0x600u
#define SDO_ANSWER_BASE 0x580u

/* Byte 0 of an SDO frame: the command specifier (bits 5..7) and its flags. */
#define SDO_CS_MASK 0xE0u
#define SDO_CS_ABORT 0x80u               /* either way: abort transfer */
#define SDO_CCS_DOWNLOAD_SEGMENT 0x00u   /* client: download segment */
#define SDO_CCS_INITIATE_DOWNLOAD 0x20u  /* client: initiate download */
#define SDO_CCS_INITIATE_UPLOAD 0x40u    /* client: initiate upload */
#define SDO_CCS_UPLOAD_SEGMENT 0x60u     /* client: upload segment */
#define SDO_SCS_UPLOAD_SEGMENT 0x00u     /* server: upload segment */
#define SDO_SCS_DOWNLOAD_SEGMENT 0x20u   /* server: download segment done */
#define SDO_SCS_INITIATE_UPLOAD 0x40u    /* server: initiate upload answer */
#define SDO_SCS_INITIATE_DOWNLOAD 0x60u  /* server: initiate download answer */
#define SDO_TOGGLE 0x10u                 /* segments: toggle bit */
#define SDO_EXPEDITED 0x02u              /* initiate: data in the frame */
#define SDO_SIZE_INDICATED 0x01u         /* initiate: size given */
#define SDO_LAST_SEGMENT 0x01u           /* segments: no more to come */
#define SDO_EXPEDITED_UNUSED(cmd) (((cmd) >> 2) & 3u) /* unused bytes of 4 */
#define SDO_SEGMENT_UNUSED(cmd) (((cmd) >> 1) & 7u)   /* unused bytes of 7 */

/* Client abort codes */
#define SDO_ABORT_TOGGLE 0x05030000u
#define SDO_ABORT_TIMEOUT 0x05040000u
#define SDO_ABORT_COMMAND 0x05040001u
#define SDO_ABORT_OUT_OF_MEMORY 0x05040005u
#define SDO_ABORT_GENERAL 0x08000000u

/* The largest object the program reads: its SDO buffers hold 256 bytes, and
 * an object somewhat longer is read to its end and cut to the buffer. A
 * segmented upload that goes on beyond both this and the caller's buffer is
 * aborted (out of memory) and fails with COP_ERR_LENGTH, so that a node that
 * keeps sending segments cannot hold the caller for ever. */
#define SDO_LARGEST_OBJECT 1024

/* What the runner of a transfer does next. */
typedef enum SdoStep {
    SDO_STEP_AWAIT,  /* send `request`, then feed the next answer or time-out */
    SDO_STEP_FINISH, /* send `request` (a client abort), then end with `result` */
    SDO_STEP_END,    /* end with `result`; nothing more is sent */
} SdoStep;

/* One transfer in progress; no state outlives it. */
typedef struct SdoTransfer {
    uint8_t phase;    /* what the awaited answer answers */
    uint8_t toggle;   /* of the segment in flight */
    uint8_t last;     /* download: the segment in flight is the last one */
    uint16_t index;
    uint8_t subIndex;
    uint8_t* buffer;  /* upload target, `size` bytes */
    const uint8_t* data; /* download source, `length` bytes */
    int32_t size;
    int32_t length;
    int32_t count;    /* upload: bytes received, on beyond the buffer; download: bytes sent */
    int32_t result;   /* at the end: 0, a negative error or SM_ABORTED */
    uint32_t abortCode; /* the server's code when result is SM_ABORTED */
    uint8_t request[8]; /* the frame to send */
} SdoTransfer;

/* Begin a transfer; each returns SDO_STEP_AWAIT with the initiate request. */
SdoStep sdo_begin_upload(SdoTransfer* t, uint16_t index, uint8_t subIndex, uint8_t* buffer, int32_t size);
SdoStep sdo_begin_download_expedited(SdoTransfer* t, uint16_t index, uint8_t subIndex, const uint8_t* data,
                                     int32_t length);
SdoStep sdo_begin_download_segmented(SdoTransfer* t, uint16_t index, uint8_t subIndex, const uint8_t* data,
                                     int32_t length);
/* Feed the awaited answer (its data and frame length). */
SdoStep sdo_on_answer(SdoTransfer* t, const uint8_t* frame, int16_t length);
/* No answer before the deadline. */
SdoStep sdo_on_timeout(SdoTransfer* t);
/* The driver failed while the answer was awaited. */
SdoStep sdo_on_error(SdoTransfer* t, int32_t code);
/* Upload: bytes in the buffer after a successful end. */
int16_t sdo_uploaded(const SdoTransfer* t);

/* Uploads into buffer (size bytes); *length: bytes copied. Data beyond the
 * buffer are received and dropped, up to SDO_LARGEST_OBJECT bytes. */
int32_t sdo_upload(uint8_t node, uint16_t index, uint8_t subIndex, int16_t* length, uint8_t* buffer,
                   int16_t size, uint16_t timeoutMs, uint32_t* abortCode);
int32_t sdo_download_expedited(uint8_t node, uint16_t index, uint8_t subIndex, int16_t length,
                               const uint8_t* data, uint16_t timeoutMs, uint32_t* abortCode);
int32_t sdo_download_segmented(uint8_t node, uint16_t index, uint8_t subIndex, int16_t length,
                               const uint8_t* data, uint16_t timeoutMs, uint32_t* abortCode);

#ifdef __cplusplus
}
#endif

#endif
