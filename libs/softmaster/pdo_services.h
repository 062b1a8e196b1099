/*
 * pdo_services.h - process data, SYNC and emergencies of the software
 * master.
 *
 * PDOs are defined per node and number (1..10) in two tables: what the
 * master sends (transmit) and what it receives or requests (receive); a
 * COB-ID of 0 means "not defined". Received frames come from the driver
 * layer's catch-all ring. Frames that the PDO reader meets on its way to a
 * PDO and that are emergencies (0x081..0x0FF) are set aside for the
 * emergency reader, and the emergency reader sets every other frame aside
 * for the PDO reader, each in a drop-oldest queue (16385 and 1025 slots).
 *
 * Results: 0, a negative COP error code, or COP_ERR_QUEUE_EMPTY when a
 * reader found nothing.
 */
#ifndef SOFTMASTER_PDO_SERVICES_H
#define SOFTMASTER_PDO_SERVICES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define PDO_NODES 128
#define PDOS 10
#define SYNC_ID 0x080u
#define EMCY_BASE 0x080u
#define EMCY_FIRST 0x081u
#define EMCY_LAST 0x0FFu

/* Forgets every definition (the lengths stay) and empties both queues. */
void pdo_clear(void);

/* Stores a definition; transmit non-zero: sent by the master. -93 for a
 * PDO number outside 1..10 or a length above 8. */
int32_t pdo_create(uint8_t node, uint8_t pdoNumber, uint8_t transmit, uint16_t cobId, uint8_t length);

/* Checks a PDO number: 0 or -93. */
int32_t pdo_check_number(uint8_t pdoNumber);

/* Sends a transmit PDO's length of bytes from data. -93 when it is not
 * defined, -99 without data. */
int32_t pdo_write(uint8_t node, uint8_t pdoNumber, const uint8_t* data);

/* Sends the remote request of a receive PDO; -93 when it is not defined. */
int32_t pdo_request(uint8_t node, uint8_t pdoNumber);

/* The next receive PDO of a node marked in present[0..127]. */
int32_t pdo_read(const uint8_t* present, uint8_t* node, uint8_t* pdoNumber, uint8_t* data, uint8_t* length);

/* The next emergency of a node marked in present[0..127]; data gets the
 * frame's bytes, zero-filled to 8. */
int32_t emcy_read(const uint8_t* present, uint8_t* node, uint8_t* data);

/* Sends the SYNC frame (no data). */
int32_t sync_send(void);

#ifdef __cplusplus
}
#endif

#endif
