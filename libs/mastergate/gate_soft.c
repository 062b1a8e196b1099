/*
 * gate_soft.c - binding the software master's entry points.
 */
#include "gate_soft.h"

#include "gate_loader.h"

#include <stddef.h>
#include <string.h>

#define SOFT_ENTRY(name) {"COP_" #name, offsetof(SoftEntries, name), sizeof(((SoftEntries*)0)->name)}

static const struct {
    const char* name;
    size_t offset;
    size_t size;
} softEntryNames[] = {
    SOFT_ENTRY(Initialize),
    SOFT_ENTRY(ResetCAN),
    SOFT_ENTRY(Terminate),
    SOFT_ENTRY(GetBoardHardware),
    SOFT_ENTRY(GetBoardFirmware),
    SOFT_ENTRY(AddNode),
    SOFT_ENTRY(DeleteNode),
    SOFT_ENTRY(SearchNode),
    SOFT_ENTRY(StartRemoteNode),
    SOFT_ENTRY(StopRemoteNode),
    SOFT_ENTRY(EnterPreOperationalState),
    SOFT_ENTRY(ResetNode),
    SOFT_ENTRY(ResetCommunication),
    SOFT_ENTRY(SetSDOTimeout),
    SOFT_ENTRY(ReadSDO),
    SOFT_ENTRY(WriteSDO),
    SOFT_ENTRY(CreatePDO),
    SOFT_ENTRY(ReadPDO),
    SOFT_ENTRY(RequestPDO),
    SOFT_ENTRY(WritePDO),
    SOFT_ENTRY(GetEmergency),
    SOFT_ENTRY(SendSync),
    SOFT_ENTRY(GetLMTAddress),
    SOFT_ENTRY(ConfigureNode),
    SOFT_ENTRY(GetLastError),
    SOFT_ENTRY(GetLastAbort),
    SOFT_ENTRY(GetLibraryVersion),
    SOFT_ENTRY(GetVersion),
};

int gate_bind_soft(void* library, SoftEntries* entries)
{
    memset(entries, 0, sizeof *entries);
    for (size_t i = 0; i < sizeof softEntryNames / sizeof softEntryNames[0]; ++i) {
        int error = gate_bind(library, softEntryNames[i].name,
                              (char*)entries + softEntryNames[i].offset, softEntryNames[i].size);
        if (error != 0)
            return error;
    }
    return 0;
}
