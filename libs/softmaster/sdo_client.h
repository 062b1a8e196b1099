/*
 * sdo_client.h - the SDO client of the software master: upload (expedited
 * and segmented) and download (expedited for 1..4 bytes, segmented for
 * 5..32767). Requests go on 0x600 + node, answers come on 0x580 + node;
 * the time-out applies to each awaited answer.
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

/* Client abort codes */
#define SDO_ABORT_TOGGLE 0x05030000u
#define SDO_ABORT_TIMEOUT 0x05040000u
#define SDO_ABORT_COMMAND 0x05040001u
#define SDO_ABORT_GENERAL 0x08000000u

/* Uploads into buffer (size bytes); *length: bytes copied. Data beyond the
 * buffer are received and dropped. */
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
