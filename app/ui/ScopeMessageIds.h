// ScopeMessageIds.h - the numbers of the oscilloscope's message texts and
// labels in the message table (MessageTexts).
#pragma once

namespace ScopeMessage {

// ---- Signal names, list entries and trigger kinds --------------------------
constexpr unsigned kMsgActualPosition = 63668;     // "Actual Position"
constexpr unsigned kMsgActualVelocity = 63669;     // "Actual Velocity"
constexpr unsigned kMsgActualCurrent = 63670;      // "Actual Current"
constexpr unsigned kMsgDemandedVelocity = 63671;   // "Demanded Velocity"
constexpr unsigned kMsgSelectSignal = 63672;       // "<select a signal>"
constexpr unsigned kMsgNoTrigger = 63673;          // "No trigger"
constexpr unsigned kMsgDigitalInputs = 63674;      // "Digital Inputs"
constexpr unsigned kMsgStatusword = 63675;         // "Statusword"
constexpr unsigned kMsgKindNone = 63676;           // "(none)"
constexpr unsigned kMsgKindRising = 63677;         // "rising edge" ... 63683 "binary OR"
constexpr unsigned kMsgClipboardBusy = 63684;      // no icon

// ---- Export -----------------------------------------------------------------
constexpr unsigned kMsgCantWriteFile = 63614;      // stop icon

// ---- Recording start (warning icon unless said otherwise) -------------------
constexpr unsigned kMsgNoSignalSelected = 63740;   // "SORRY, no signal selected!"
constexpr unsigned kMsgCantConfigurePdo2 = 63741;  // 0x1801
constexpr unsigned kMsgCantConfigurePdo34 = 63742; // 0x1821
constexpr unsigned kMsgCantConfigurePdo33 = 63743; // 0x1820
constexpr unsigned kMsgCantConfigurePdo7 = 63744;  // 0x1806
constexpr unsigned kMsgCantConfigurePdo1 = 63745;  // 0x1800
constexpr unsigned kMsgTriggerError = 63746;       // "ERROR", no icon

// ---- Leaving the "Recording" and "Trigger" tabs (warning icon) --------------
constexpr unsigned kMsgIllegalTimeBase = 63747;
constexpr unsigned kMsgIllegalLevel = 63748;
constexpr unsigned kMsgIllegalMinimum = 63749;
constexpr unsigned kMsgIllegalMaximum = 63750;
constexpr unsigned kMsgIllegalMask = 63751;
constexpr unsigned kMsgIllegalValue = 63752;
constexpr unsigned kMsgIllegalDelay = 63753;
constexpr unsigned kMsgIllegalFilter = 63754;

// ---- Export dialog ----------------------------------------------------------
constexpr unsigned kMsgExportFilter = 63755;       // the save dialog's filter list

} // namespace ScopeMessage
