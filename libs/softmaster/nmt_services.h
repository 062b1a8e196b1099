/*
 * nmt_services.h - network management (NMT) of the software master: the
 * unconfirmed node-control commands on identifier 0x000 (2 bytes: command,
 * node-id; node 0 addresses all nodes). No answer is awaited.
 */
#ifndef SOFTMASTER_NMT_SERVICES_H
#define SOFTMASTER_NMT_SERVICES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define NMT_ID 0x000u

/* NMT command specifiers */
#define NMT_START 0x01u
#define NMT_STOP 0x02u
#define NMT_PRE_OPERATIONAL 0x80u
#define NMT_RESET_NODE 0x81u
#define NMT_RESET_COMMUNICATION 0x82u

/* The frame of a command for a node. */
void nmt_frame(uint8_t command, uint8_t node, uint8_t frame[2]);

/* Sends the command: 0 or a driver code. */
int32_t nmt_send(uint8_t command, uint8_t node);

#ifdef __cplusplus
}
#endif

#endif
