/*
 * lmt_services.h - layer management (LMT) of a single unconfigured node:
 * requests on 0x7E5, answers on 0x7E4, 8-byte frames, 500 ms per answer.
 *
 * Results as in sm_service.h: 0, a negative error, or SM_ABORTED with the
 * node's LMT error code in *abortCode.
 */
#ifndef SOFTMASTER_LMT_SERVICES_H
#define SOFTMASTER_LMT_SERVICES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define LMT_REQUEST_ID 0x7E5u
#define LMT_ANSWER_ID 0x7E4u

#ifndef LMT_TIMEOUT_MS
#define LMT_TIMEOUT_MS 500
#endif

/* Switches all nodes to configuration mode and inquires the LMT address of
 * the one node: manufacturer (7 bytes), product (7 bytes), serial number
 * (14 digit characters). No terminators are written. */
int32_t lmt_get_address(char* manufacturer, char* product, char* serial, uint32_t* abortCode);

/* Selects the node with that address, gives it the node-id and the baud
 * index of table 0 and makes it store the configuration. Each text is read
 * up to its 7, 7 or 14 characters or its terminating zero, whichever comes
 * first; missing characters are sent as zero. */
int32_t lmt_configure(const char* manufacturer, const char* product, const char* serial, uint8_t node,
                      uint8_t baud, uint32_t* abortCode);

#ifdef __cplusplus
}
#endif

#endif
