/*
 * fake_cardmaster.h - control functions of the fake board library used by
 * the mastergate tests (libcardmaster.so in the test's own folder).
 *
 * The fake records every board call as one line "Name arg arg ..." and
 * answers with the results, records and data the test gave it.
 */
#ifndef FAKE_CARDMASTER_H
#define FAKE_CARDMASTER_H

#include <cop/cop_board.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*Fake_Reset_t)(void);
typedef const char* (*Fake_Log_t)(void);
typedef void (*Fake_ClearLog_t)(void);
/* Result of every following call of the named export ("ReadSDO"). */
typedef void (*Fake_SetResult_t)(const char* name, int16_t result);
typedef void (*Fake_SetBoardInfo_t)(const CopBoardInfo* info);
/* Answer of ReadSDO: the received bytes, and the abort code reported by
 * ReadSDO and WriteSDO. */
typedef void (*Fake_SetSdo_t)(const uint8_t* data, uint16_t count, uint32_t abort);
typedef void (*Fake_SetEmergency_t)(uint8_t node, uint16_t code, uint8_t reg, const uint8_t* bytes);
typedef void (*Fake_SetPdo_t)(uint8_t node, uint8_t pdoNumber, uint8_t length, const uint8_t* data);
typedef void (*Fake_SetLmtAddress_t)(const char* manufacturer, const char* product, const char* serial);
/* Calls the first callback given to DefineCallbacks; 0 when there is none. */
typedef int (*Fake_FireCallback_t)(void);

#ifdef __cplusplus
}
#endif

#endif
