/*
 * gate_board.c - binding the board-based master's entry points.
 */
#include "gate_board.h"

#include "gate_loader.h"

#include <stddef.h>
#include <string.h>

#define BOARD_ENTRY(name) {"COP_" #name, offsetof(BoardEntries, name), sizeof(((BoardEntries*)0)->name)}

static const struct {
    const char* name;
    size_t offset;
    size_t size;
} boardEntryNames[] = {
    BOARD_ENTRY(InitBoard),
    BOARD_ENTRY(InitInterface),
    BOARD_ENTRY(DefineCallbacks),
    BOARD_ENTRY(ReleaseBoard),
    BOARD_ENTRY(GetBoardInfo),
    BOARD_ENTRY(GetStatus),
    BOARD_ENTRY(AddNode),
    BOARD_ENTRY(DeleteNode),
    BOARD_ENTRY(SearchNode),
    BOARD_ENTRY(GetNodeState),
    BOARD_ENTRY(StartNode),
    BOARD_ENTRY(EnterPreOperational),
    BOARD_ENTRY(StopNode),
    BOARD_ENTRY(ResetComm),
    BOARD_ENTRY(ResetNode),
    BOARD_ENTRY(SetSDOTimeOut),
    BOARD_ENTRY(ReadSDO),
    BOARD_ENTRY(WriteSDO),
    BOARD_ENTRY(CreatePDO),
    BOARD_ENTRY(ReadPDO),
    BOARD_ENTRY(RequestPDO),
    BOARD_ENTRY(WritePDO),
    BOARD_ENTRY(DefSyncObj),
    BOARD_ENTRY(EnableSync),
    BOARD_ENTRY(DisableSync),
    BOARD_ENTRY(GetEmergencyObj),
    BOARD_ENTRY(LMT_GetAddress),
    BOARD_ENTRY(LMT_ConfigNode),
};

int gate_bind_board(void* library, BoardEntries* entries)
{
    memset(entries, 0, sizeof *entries);
    for (size_t i = 0; i < sizeof boardEntryNames / sizeof boardEntryNames[0]; ++i) {
        int error = gate_bind(library, boardEntryNames[i].name,
                              (char*)entries + boardEntryNames[i].offset, boardEntryNames[i].size);
        if (error != 0)
            return error;
    }
    return 0;
}
