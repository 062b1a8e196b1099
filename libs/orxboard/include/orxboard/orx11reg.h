/*
 * orx11reg.h - the Orvax hardware registry (liborx11reg.so): the boards
 * installed in this computer, one numbered entry per board, each with its
 * board type and named variables.
 *
 * The registry is a plain text file in the user's configuration folder,
 * $XDG_CONFIG_HOME/Orvax/Orx11reg.conf (else ~/.config/Orvax/Orx11reg.conf).
 * When it does not exist yet it starts with one entry per supported board
 * type, the USB stick "Stick-U1 compact" (0x01050F00) as the default entry.
 * Variables of an entry:
 *   DOWNLOAD  0: the board keeps the firmware it has; else (or missing) the
 *             master loads its firmware at every open
 *   VERIFY    1: the download is read back and compared
 *   CHANNEL   the board's CAN channel, "virtual:<bus>" or
 *             "socketcan:<interface>"; missing or empty: $OVRO_CAN_CHANNEL
 *   SERIAL    the board's serial number (text)
 *   FAULT     faults for tests, comma-separated (see libs/orxboard/README.md)
 * A value that is a number (decimal or 0x...) reads as a DWORD, any other
 * as a string.
 *
 * Usage:
 *   uint32_t entry, type;
 *   if (ORX_GetDefaultHwEntry(&entry) == ORX_OK && ORX_GetConfig(entry, &type) == ORX_OK) ...
 *   char text[64]; uint32_t kind, size = sizeof text;
 *   ORX_GetHwEntryVar(entry, "CHANNEL", &kind, text, &size);
 *
 * Every function returns ORX_OK or an ORX_ERR_ code; the file is read at
 * every call and rewritten whole by the calls that change it, so that
 * several processes share one registry.
 */
#ifndef ORXBOARD_ORX11REG_H
#define ORXBOARD_ORX11REG_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t ORX_RESULT;

#define ORX_OK 0
#define ORX_ERR_NOT_FOUND 1 /* no such entry or variable */
#define ORX_ERR_PARAMETER 2 /* null pointer or bad value */
#define ORX_ERR_SIZE 3      /* buffer too small */
#define ORX_ERR_CANCELLED 4 /* the selection was cancelled */
#define ORX_ERR_IO 5        /* the registry file cannot be read or written */
#define ORX_ERR_VERSION 6   /* the caller needs another registry version */
#define ORX_ERR_NO_MORE 7   /* enumeration at its end */
#define ORX_ERR_FORMAT 8    /* the registry file or a value is malformed */

/* Kinds of a variable's value */
#define ORX_VAR_STRING 1
#define ORX_VAR_DWORD 4

/* The product version this registry library implements. */
#define ORX_PRODUCT_VERSION "01,01,0,0"

/* The version text ("01,01,0,0"). */
ORX_RESULT ORX_GetProductVersion(char* text, uint32_t size);
/* ORX_OK when this library serves callers built for that version. */
ORX_RESULT ORX_CheckProductVersion(const char* version);

/* The board selection: the emulated dialog answers with the registry's
 * "Selection" value ("cancel", or an entry number; empty: the default
 * entry). ORX_ERR_CANCELLED when cancelled. */
ORX_RESULT ORX_SelectHardware(uint32_t* entry);
/* Adds an entry of this board type with the default variables. */
ORX_RESULT ORX_InstallHardware(uint32_t boardType, uint32_t* entry);
/* The board type of an entry. */
ORX_RESULT ORX_GetConfig(uint32_t entry, uint32_t* boardType);
/* Looks for present boards: every entry of the registry is a present
 * emulated board. */
ORX_RESULT ORX_ScanHardware(uint32_t* count);
/* The registry's location (the file name). */
ORX_RESULT ORX_GetOrxRegKey(char* text, uint32_t size);
/* The location of an entry ("<file>#Board<n>"). */
ORX_RESULT ORX_GetRegKeyFromHwEntry(uint32_t entry, char* text, uint32_t size);
ORX_RESULT ORX_CreateNewHwEntry(uint32_t boardType, uint32_t* entry);
ORX_RESULT ORX_DeleteHwEntry(uint32_t entry);
/* The first entry of a board type (low byte ignored). */
ORX_RESULT ORX_FindHwEntry(uint32_t boardType, uint32_t* entry);
/* The entry at position index (0, 1, ...); ORX_ERR_NO_MORE past the last. */
ORX_RESULT ORX_EnumHwEntry(uint32_t index, uint32_t* entry);
/* A variable: *kind ORX_VAR_DWORD with 4 bytes (uint32_t) in value, or
 * ORX_VAR_STRING with a zero-terminated text. *size: in the buffer's size,
 * out the bytes the value needs (ORX_ERR_SIZE when they do not fit). */
ORX_RESULT ORX_GetHwEntryVar(uint32_t entry, const char* name, uint32_t* kind, void* value, uint32_t* size);
ORX_RESULT ORX_SetHwEntryVarString(uint32_t entry, const char* name, const char* value);
ORX_RESULT ORX_SetHwEntryVarDWORD(uint32_t entry, const char* name, uint32_t value);
ORX_RESULT ORX_SetDefaultHwEntry(uint32_t entry);
ORX_RESULT ORX_GetDefaultHwEntry(uint32_t* entry);
/* The current code of a board type: the low byte cleared, older codes of a
 * board mapped to its current one; ORX_ERR_NOT_FOUND for no Orvax board. */
ORX_RESULT ORX_GetNewCardType(uint32_t boardType, uint32_t* newType);

typedef ORX_RESULT (*ORX_GetProductVersion_t)(char* text, uint32_t size);
typedef ORX_RESULT (*ORX_CheckProductVersion_t)(const char* version);
typedef ORX_RESULT (*ORX_SelectHardware_t)(uint32_t* entry);
typedef ORX_RESULT (*ORX_InstallHardware_t)(uint32_t boardType, uint32_t* entry);
typedef ORX_RESULT (*ORX_GetConfig_t)(uint32_t entry, uint32_t* boardType);
typedef ORX_RESULT (*ORX_ScanHardware_t)(uint32_t* count);
typedef ORX_RESULT (*ORX_GetOrxRegKey_t)(char* text, uint32_t size);
typedef ORX_RESULT (*ORX_GetRegKeyFromHwEntry_t)(uint32_t entry, char* text, uint32_t size);
typedef ORX_RESULT (*ORX_CreateNewHwEntry_t)(uint32_t boardType, uint32_t* entry);
typedef ORX_RESULT (*ORX_DeleteHwEntry_t)(uint32_t entry);
typedef ORX_RESULT (*ORX_FindHwEntry_t)(uint32_t boardType, uint32_t* entry);
typedef ORX_RESULT (*ORX_EnumHwEntry_t)(uint32_t index, uint32_t* entry);
typedef ORX_RESULT (*ORX_GetHwEntryVar_t)(uint32_t entry, const char* name, uint32_t* kind, void* value,
                                          uint32_t* size);
typedef ORX_RESULT (*ORX_SetHwEntryVarString_t)(uint32_t entry, const char* name, const char* value);
typedef ORX_RESULT (*ORX_SetHwEntryVarDWORD_t)(uint32_t entry, const char* name, uint32_t value);
typedef ORX_RESULT (*ORX_SetDefaultHwEntry_t)(uint32_t entry);
typedef ORX_RESULT (*ORX_GetDefaultHwEntry_t)(uint32_t* entry);
typedef ORX_RESULT (*ORX_GetNewCardType_t)(uint32_t boardType, uint32_t* newType);

#ifdef __cplusplus
}
#endif

#endif /* ORXBOARD_ORX11REG_H */
