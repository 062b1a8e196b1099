// CommandIds.h - the numbers of the program's menu and toolbar commands.
// A command's prompt is the message text of the same number ("prompt\ntip").
#pragma once

namespace CommandId {

// ---- File -----------------------------------------------------------------
constexpr unsigned kConnect = 57600;      // "&Connect" (the framework's New)
constexpr unsigned kOpen = 57601;
constexpr unsigned kClose = 57602;
constexpr unsigned kSaveAs = 57604;
constexpr unsigned kPrintSetup = 57606;
constexpr unsigned kPrint = 57607;
constexpr unsigned kPrintPreview = 57609;
constexpr unsigned kRecentFile1 = 57616;  // four entries
constexpr unsigned kRecentFileCount = 4;
constexpr unsigned kExport = 32799;
constexpr unsigned kExit = 57665;

// ---- Edit -----------------------------------------------------------------
constexpr unsigned kEditCopy = 57634;
constexpr unsigned kEditCut = 57635;
constexpr unsigned kEditPaste = 57637;
constexpr unsigned kEditUndo = 57643;

// ---- View -----------------------------------------------------------------
constexpr unsigned kViewToolbar = 59392;
constexpr unsigned kViewStatusBar = 59393;
constexpr unsigned kViewSplit = 57653;

// ---- Ovro -----------------------------------------------------------------
constexpr unsigned kDisconnect = 32811;
constexpr unsigned kParameterWindow = 32782;
constexpr unsigned kMotionControl = 32783;
constexpr unsigned kDeviceStatus = 32784;
constexpr unsigned kOscilloscope = 32786;
constexpr unsigned kFirmwareUpdate = 32801;

// ---- Oscilloscope (its own toolbar) ---------------------------------------
constexpr unsigned kStartRecording = 32812;
constexpr unsigned kStopRecording = 32813;
constexpr unsigned kZoomIn = 32816;
constexpr unsigned kZoomOut = 32817;
constexpr unsigned kZoomManual = 32818;
constexpr unsigned kZoomRectangle = 32819;
constexpr unsigned kCursor = 32820;
constexpr unsigned kTableView = 32821;
constexpr unsigned kGraphicView = 32822;

// ---- Parameter ------------------------------------------------------------
constexpr unsigned kUpload = 32772;
constexpr unsigned kDownload = 32773;
constexpr unsigned kStore = 32780;
constexpr unsigned kReset = 32781;
constexpr unsigned kRestore = 32779;

// ---- Interface ------------------------------------------------------------
constexpr unsigned kInterfaceInitialize = 32774;
constexpr unsigned kInterfaceInitializeTool = 32800;
constexpr unsigned kInterfaceProperties = 32775;
constexpr unsigned kOptions = 32777;

// ---- Window ---------------------------------------------------------------
constexpr unsigned kWindowArrange = 57649;
constexpr unsigned kWindowCascade = 57650;
constexpr unsigned kWindowTile = 57651;

// ---- Help -----------------------------------------------------------------
constexpr unsigned kUserManual = 32808;
constexpr unsigned kDeviceManual = 32809;
constexpr unsigned kCanopenManual = 32810;
constexpr unsigned kAbout = 57664;
constexpr unsigned kContextHelp = 57669; // the parameter window's "Help" (Shift+F1)
constexpr unsigned kHelp = 57670;        // the plain help command (F1)
constexpr unsigned kCompare = 32825;     // the parameter window's "Compare": drive, document, default

} // namespace CommandId
