// Sections, keys and defaults of the program's settings store. Every part
// of the program names its settings from here.
#pragma once

namespace SettingsKeys {

// ---- Sections -----------------------------------------------------------
inline constexpr const char* kInterface = "Interface";
inline constexpr const char* kSettings = "Settings";
inline constexpr const char* kDownload = "Download";
inline constexpr const char* kWindows = "Windows";
inline constexpr const char* kRecording = "Recording";
inline constexpr const char* kOscilloscope = "Oscilloscope";

// ---- Interface ----------------------------------------------------------
inline constexpr const char* kVendor = "Vendor";
inline constexpr const char* kVendorDefault = "(unknown)";
inline constexpr const char* kVendorPeak = "PEAK-System Technik";   // library 200
inline constexpr const char* kVendorOrvax = "Orvax Automation";     // library 100
inline constexpr const char* kBoard = "Board";
// The Linux channel of the PCAN-Light board types ("virtual:<bus>",
// "socketcan:<interface>"), used when OVRO_CAN_CHANNEL(2) is not set.
inline constexpr const char* kChannel = "Channel";
inline constexpr const char* kChannel2 = "Channel2";
inline constexpr const char* kBoardDefault = "Orvax Applet";
inline constexpr const char* kBaudrate = "Baudrate";
inline constexpr const char* kBaudrateDefault = "20";
inline constexpr const char* kTiming = "Timing";
inline constexpr const char* kTimingDefault = "CiA";
inline constexpr const char* kTimingCiA = "CiA";
inline constexpr const char* kTimingOrvax = "Orvax";
inline constexpr const char* kPlugAndPlay = "PlugAndPlay";
inline constexpr int kPlugAndPlayDefault = 1;
inline constexpr const char* kAddress = "Address";
inline constexpr int kAddressDefault = 0;
inline constexpr const char* kInterrupt = "Interrupt";
inline constexpr int kInterruptDefault = 0;

// ---- Settings -----------------------------------------------------------
inline constexpr const char* kNodeId = "NodeId";
inline constexpr int kNodeIdDefault = 127;
inline constexpr const char* kPrivateBuild = "PrivateBuild";
inline constexpr const char* kPrivateBuildDefault = "No";
inline constexpr const char* kPrivateBuildYes = "Yes";              // letter case ignored
inline constexpr const char* kPathName = "PathName";                // written only, never read
// Auto-close box of the progress window of long document operations.
inline constexpr const char* kProgressBox = "ProgressBox";
inline constexpr const char* kProgressBoxSettingsDefault = "Auto";
inline constexpr const char* kProgressBoxAuto = "Auto";
inline constexpr const char* kProgressBoxUser = "User";

// ---- Download -----------------------------------------------------------
inline constexpr const char* kAppFileName = "AppFileName";
inline constexpr const char* kAppFileNameDefault = "OvroNeu.H86";
inline constexpr const char* kSllFileName = "SllFileName";
inline constexpr const char* kSllFileSize = "SllFileSize";
// "ProgressBox" of the firmware download's progress box, in this section.
inline constexpr const char* kProgressBoxDownloadDefault = "User";

// ---- Windows (placement texts) ------------------------------------------
inline constexpr const char* kMainFrame = "MainFrame";
inline constexpr const char* kChildFrame = "ChildFrame";
inline constexpr const char* kOscilloscopeFrame = "Oscilloscope";
inline constexpr const char* kMotionControl = "MotionControl";
inline constexpr const char* kDeviceStatus = "DeviceStatus";

// ---- Recording (oscilloscope settings) ----------------------------------
inline constexpr const char* kSignals = "Signals";
inline constexpr int kSignalsDefault = 0;
inline constexpr const char* kSignal1 = "Signal1";
inline constexpr const char* kSignal2 = "Signal2";
inline constexpr const char* kSignal3 = "Signal3";
inline constexpr const char* kSignal4 = "Signal4";
inline constexpr int kSignalDefault = 0;
inline constexpr const char* kTimeBase = "TimeBase";
inline constexpr int kTimeBaseDefault = 7;
inline constexpr const char* kTrigger = "Trigger";
inline constexpr int kTriggerDefault = -1;
inline constexpr const char* kSlope = "Slope";
inline constexpr int kSlopeDefault = -1;
inline constexpr const char* kLevel = "Level";
inline constexpr const char* kMin = "Min";
inline constexpr const char* kMax = "Max";
inline constexpr const char* kMask = "Mask";
inline constexpr const char* kValue = "Value";
inline constexpr const char* kMaskValueDefault = "0x0";   // Mask and Value
inline constexpr const char* kDelay = "Delay";
inline constexpr const char* kFilter = "Filter";
inline constexpr const char* kEmptyTextDefault = "";      // Level, Min, Max, Delay, Filter
inline constexpr const char* kTimeMin = "TimeMin";
inline constexpr int kTimeMinDefault = 0;
inline constexpr const char* kTimeSpan = "TimeSpan";
inline constexpr int kTimeSpanDefault = 1000;

// ---- Oscilloscope (exports) ---------------------------------------------
inline constexpr const char* kLastFileExt = "LastFileExt";
inline constexpr const char* kLastFileExtDefault = ".csv";

}  // namespace SettingsKeys
