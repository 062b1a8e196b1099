// MessageTexts.cpp - the program's numbered message texts.
#include "ui/MessageTexts.h"

#include "ui/CommandIds.h"
#include "ui/MessageIds.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

// One entry per line, in the order of the numbers: the menu hints under
// their command numbers ("prompt\ntip"), the messages under their names.
const MessageEntry kMessages[] = {
    {kMsgDocumentTemplate, "\nQVT\nnew\nOvro-QVT Files (*.31x)\n.31x\nQVT.Document\nQVT Document"},
    {CommandId::kUpload, "Upload all parameters from the device\nUpload Parameters"},
    {CommandId::kDownload, "Download changed parameters into the device. Configure Node-Id and Baudrate, if necessary\nDownload Parameters"},
    {CommandId::kInterfaceInitialize, "Initialize the CAN Interface board\nInitialize Interface"},
    {CommandId::kInterfaceProperties, "Display information about the CAN Interface board\nInterface Properties"},
    {CommandId::kOptions, "Display and change general program options\nChange Options"},
    {CommandId::kRestore, "Restore the factory settings of the device\nRestore Factory Settings"},
    {CommandId::kStore, "Store all parameters of the device into the EEPROM\nStore Parameters"},
    {CommandId::kReset, "Reset all parameters of the device to their power-on values\nReset Parameters"},
    {CommandId::kParameterWindow, "Show or activate the Parameter window\nChange Parameters"},
    {CommandId::kMotionControl, "Show or activate the Motion Control window\nMotion Control"},
    {CommandId::kDeviceStatus, "Show or activate the Status window\nDevice Status"},
    {CommandId::kOscilloscope, "Show or activate the Oscilloscope window. Ovro K315 only\nK315 Oscilloscope"},
    {CommandId::kExport, "Store Oscilloscope data into a file\nExport"},
    {CommandId::kInterfaceInitializeTool, "Initialize the CAN Interface board\nInitialize Interface"},
    {CommandId::kFirmwareUpdate, "Update the firmware of the connected device. Ovro K315 only\nK315 Program-Download"},
    {CommandId::kUserManual, "Open and display the user manual for this program"},
    {CommandId::kDeviceManual, "Open and display the device manual of the connected compact drive"},
    {CommandId::kCanopenManual, "Open and display the CANopen manual of the connected compact drive"},
    {CommandId::kDisconnect, "Disconnect the device\nDisconnect"},
    {CommandId::kStartRecording, "Start recording of a movement\nStart"},
    {CommandId::kStopRecording, "Stop recording of a movement\nStop"},
    {CommandId::kZoomIn, "Zoom in\nZoom +"},
    {CommandId::kZoomOut, "Zoom out\nZoom -"},
    {CommandId::kZoomManual, "Zoom manual\nZoom manual"},
    {CommandId::kZoomRectangle, "Zoom into marked rectangle\nZoom into marked rectangle"},
    {CommandId::kCursor, "Cursor on/off\nCursor on/off"},
    {CommandId::kTableView, "Table view\nTable view"},
    {CommandId::kGraphicView, "Graphic view\nGraphic view"},
    {kMsgProgramTitle, "Ovro-QVT"},
    {CommandId::kConnect, "Connect a new device\nConnect"},
    {CommandId::kOpen, "Open an existing document\nOpen"},
    {CommandId::kClose, "Close the active document\nClose"},
    {CommandId::kSaveAs, "Save the active document with a new name\nSave As"},
    {CommandId::kPrint, "Print the active document\nPrint"},
    {CommandId::kPrintPreview, "Display full pages\nPrint Preview"},
    {CommandId::kRecentFile1, "Open this document"},
    {CommandId::kRecentFile1 + 1, "Open this document"},
    {CommandId::kRecentFile1 + 2, "Open this document"},
    {CommandId::kRecentFile1 + 3, "Open this document"},
    {CommandId::kAbout, "Display program information, version number and copyright\nAbout"},
    {CommandId::kExit, "Quit the application; prompts to save documents\nExit"},
    {kMsgIdleStatus, "Ovro-QVT"},
    {kMsgAskToSave, "Save changes to %1?"},
    {kMsgEnterInteger, "Please enter an integer between %1 and %2."},
    {kMsgDescriptionFileCorrupted, "FATAL ERROR:\tfile '%s' corrupted or not found!\n\n\t\tIgnore and start the program?"},
    {kMsgInterfaceFailed, "ERROR:\t%s\n\n\tTry again. Use command 'Interface.Initialize'."},
    {kMsgNodeIdentity, "INFO:\tread from node #%i:\n\n\t%s"},
    {kMsgOnlyOneNode, "To change the Node-Id. and/or the Baudrate there should be\nonly one node in the network. Please switch off the power\nsupply of all other nodes that should not be configured."},
    {kMsgK315Only, "SORRY:\tthis function is only possible with the 'Ovro K315' drive!\n\n\tThe device type of node #%i is not compatible with this."},
    {kMsgChangingNodeSettings, "Changing Node-Id. and/or Baudrate..."},
    {kMsgParameterStep, "%s..."},
    {kMsgStepOk, "OK!\r\n"},
    {kMsgStepError, "ERROR!\r\n"},
    {kMsgFinishedNoError, "+++ Finished: no error occurred!"},
    {kMsgFinishedWithErrors, "+++ Finished: error(s) occurred!"},
    {kMsgSdoAborted, "+++ SDO-Transfer aborted (%08lXh): %s\r\n"},
    {kMsgNodeNotAdded, "ERROR:\tnode #%i not added to the CAN interface board!\n\n\tThe device may be offline."},
    {kMsgNodeNotAttached, "FATAL ERROR:\tnode #%i not attached to the parameter list!\n\n\t\tThe XML-File '%s' may be corruped."},
    {kMsgDeviceTypeMismatch, "ERROR:\tthe device type of node #%i does not match\n\t'%s'!\n\n\tClose the open file and try again."},
    {kMsgCantReadDeviceType, "ERROR:\tcan\xB4" "t read device type of node #%i!\n\n\t%s"},
    {kMsgCantReadFile, "ERROR:\twhile reading file '%s'!\n\n\tIncompatible device type or file not found."},
    {kMsgCantWriteDetached, "FATAL ERROR:\twhile writing file '%s'!\n\n\t\tDocument not attached to the parameter list!\n\t\tThe XML-File '%s' may be corruped."},
    {kMsgCantWriteFile, "ERROR:\twhile writing file '%s'!\n\n\tFile not written to disk."},
    {kMsgCantReadDeviceInfo, "ERROR:\tcan\xB4" "t read device information of node #%i!\n\n\t%s"},
    {kMsgCantUpload, "ERROR:\tcan\xB4" "t upload parameters from node #%i!\n\n\t%s"},
    {kMsgNothingToDownload, "SORRY:\tcan\xB4" "t download parameters into node #%i!\n\n\tNo parameter has been changed!"},
    {kMsgCantDownloadIncompatible, "ERROR:\tcan\xB4" "t download parameters into node #%i!\n\n\tIncompatible device type."},
    {kMsgCantDownload, "ERROR:\tcan\xB4" "t download parameters into node #%i!\n\n\t%s"},
    {kMsgNodeLost, "ERROR:\tcan\xB4" "t configure node settings. Node #%i was lost!\n\n\t%s"},
    {kMsgNotAllWritten, "ERROR:\tnot all parameters could be written to node #%i!\n\n\tSee Parameter table for details."},
    {kMsgCantStoreIncompatible, "ERROR:\tcan\xB4" "t store parameters of node #%i!\n\n\tIncompatible device type."},
    {kMsgCantStore, "ERROR:\tcan\xB4" "t store parameters of node #%i!\n\n\t%s"},
    {kMsgCantResetIncompatible, "ERROR:\tcan\xB4" "t reset parameters of node #%i!\n\n\tIncompatible device type."},
    {kMsgCantReset, "ERROR:\tcan\xB4" "t reset parameters of node #%i!\n\n\t%s"},
    {kMsgCantRestoreIncompatible, "ERROR:\tcan\xB4" "t restore parameters of node #%i!\n\n\tIncompatible device type."},
    {kMsgCantRestore, "ERROR:\tcan\xB4" "t restore parameters of node #%i!\n\n\t%s"},
    {kMsgFileNodeMismatch, "ERROR:\twhile reading file '%s'!\n\n\tIncompatible device type or node #%i not found."},
    {kMsgCantUploadIncompatible, "ERROR:\tcan\xB4" "t upload parameters from node #%i!\n\n\tIncompatible device type."},
    {kMsgCheckHardware, "ERROR:\t%s\n\n\tCheck your harware and try again."},
    {kMsgNoBoardPresent, "ERROR:\t%s\n\n\tProbably no board present."},
    {kMsgDownloadSucceeded, "\nSUCCESS:\tapplication loaded and started!\n\n\t\t%li byte(s)\t%s\n\t\t%li byte(s)\t%s\n\n\t\t%li:%02li min @ %.1f KB/sec"},
    {kMsgAskCancelDownload, "Do you really want to cancel the download?"},
    {kMsgNoNode, "FATAL ERROR:\nno valid node-pointer given!"},
    {kMsgBadPageSize, "FATAL ERROR:\ninvalid page size given!"},
    {kMsgLoaderNotFound, "ERROR:\twhile scaning file '%s'!\n\n\tSecond-Level-Loader file not found."},
    {kMsgLoaderAccessDenied, "ERROR:\twhile scaning file '%s'!\n\n\tAccess to Second-Level-Loader file denied."},
    {kMsgLoaderBad, "ERROR:\twhile scaning file '%s'!\n\n\tError in Second-Level-Loader file."},
    {kMsgSfvNotFound, "ERROR:\twhile scaning file '%s'!\n\n\tCheck-sum file (.sfv) not found."},
    {kMsgSfvAccessDenied, "ERROR:\twhile scaning file '%s'!\n\n\tAccess to check-sum file (.sfv) denied."},
    {kMsgSfvBad, "ERROR:\twhile scaning file '%s'!\n\n\tError in check-sum file (.sfv)."},
    {kMsgLoaderChecksum, "ERROR:\twhile scaning file '%s'!\n\n\tCheck-sum error in Second-Level-Loader file."},
    {kMsgScanUnknownError, "ERROR:\twhile scaning file '%s'!\n\n\tAn unknown error occurred."},
    {kMsgHexNotFound, "ERROR:\twhile scaning file '%s'!\n\n\tIntel-Hex-File not found."},
    {kMsgHexAccessDenied, "ERROR:\twhile scaning file '%s'!\n\n\tAccess to Intel-Hex-File denied."},
    {kMsgHexBad, "ERROR:\twhile scaning file '%s'!\n\n\tError in Intel-Hex-File."},
    {kMsgHexChecksum, "ERROR:\twhile scaning file '%s'!\n\n\tCheck-sum error in Intel-Hex-File."},
    {kMsgLoaderIntoFlash, "ERROR:\twhile scaning file '%s'!\n\n\tYou try to load the Second-Level-Loader file into the Flash."},
    {kMsgCantStartFirstLevel, "ERROR:\tcan\xB4" "t start the First-Level-Loader of node #%i!\n\n\t%s"},
    {kMsgCantLoadSecondLevel, "ERROR:\tcan\xB4" "t load the Second-Level-Loader of node #%i!\n\n\t%s"},
    {kMsgHexRecordUnknown, "ERROR:\twhile reading file '%s'!\n\n\tUnknown Intel-Hex-Record read (line=%li)."},
    {kMsgHexRecordChecksum, "ERROR:\twhile reading file '%s'!\n\n\tCheck-sum error in Intel-Hex-Record (line=%li)."},
    {kMsgHexRecordBad, "ERROR:\twhile reading file '%s'!\n\n\tError in Intel-Hex-Record (line=%li)."},
    {kMsgHexRecordUnknownError, "ERROR:\twhile reading file '%s'!\n\n\tAn unknown error occurred (line=%li)."},
    {kMsgLoaderReadDenied, "ERROR:\twhile reading file '%s'!\n\n\tAccess to Second-Level-Loader file denied."},
    {kMsgCantStartSecondLevel, "ERROR:\tcan\xB4" "t start the Second-Level-Loader of node #%i!\n\n\t%s"},
    {kMsgCantLoadApplication, "ERROR:\tcan\xB4" "t load the Intel-Hex-File of node #%i!\n\n\t%s"},
    {kMsgHexReadDenied, "ERROR:\twhile reading file '%s'!\n\n\tAccess to Intel-Hex-File file denied."},
    {kMsgCantStartApplication, "ERROR:\tcan\xB4" "t start the application of node #%i!\n\n\t%s"},
    {kMsgProgressCaption, "%.1f%% of %s loaded"},
    {kMsgStepInitialize, "Initialize"},
    {kMsgStepStartFirstLevel, "Start First-Level-Loader"},
    {kMsgStepLoadSecondLevel, "Load Second-Level-Loader into RAM"},
    {kMsgStepStartSecondLevel, "Start Second-Level-Loader"},
    {kMsgStepLoadApplication, "Load Intel-Hex-File into FLASH"},
    {kMsgStepStartApplication, "Start Application/Reset Microcontroller"},
    {kMsgStepApplicationRunning, "Application running!"},
    {kMsgProgressTime, "%li:%02li min  (%li of %li bytes loaded)"},
    {kMsgProgressNode, "node #%i"},
    {kMsgProgressRate, "%.1f KB/sec"},
    {kMsgPositionReadStatusword, "ERROR:\tcan\xB4" "t read the statusword of the drive!\n\n\t%s"},
    {kMsgPositionSwitchState, "ERROR:\tcan\xB4" "t switch the drive to state '%s'!\n\n\t%s"},
    {kMsgPositionNotEnabled, "ERROR:\tcan\xB4" "t switch the drive to state 'Operation Enabled'!\n\n\tNode #%u: the drive may be in state 'Fault'."},
    {kMsgPositionReadMode, "ERROR:\tcan\xB4" "t read the operation mode of the drive!\n\n\t%s"},
    {kMsgPositionSwitchMode, "ERROR:\tcan\xB4" "t switch the drive to mode '%s'!\n\n\t%s"},
    {kMsgPositionWriteParameter, "ERROR:\tcan\xB4" "t write the parameter '%s' to the drive!\n\n\t%s"},
    {kMsgPositionStart, "ERROR:\tcan\xB4" "t start the drive!\n\n\t%s"},
    {kMsgVelocityReadStatusword, "ERROR:\tcan\xB4" "t read the statusword of the drive!\n\n\t%s"},
    {kMsgVelocitySwitchState, "ERROR:\tcan\xB4" "t switch the drive to state '%s'!\n\n\t%s"},
    {kMsgVelocityNotEnabled, "ERROR:\tcan\xB4" "t switch the drive to state 'Operation Enabled'!\n\n\tNode #%u: the drive may be in state 'Fault'."},
    {kMsgVelocityReadMode, "ERROR:\tcan\xB4" "t read the operation mode of the drive!\n\n\t%s"},
    {kMsgVelocitySwitchMode, "ERROR:\tcan\xB4" "t switch the drive to mode '%s'!\n\n\t%s"},
    {kMsgVelocityWriteParameter, "ERROR:\tcan\xB4" "t write the parameter '%s' to the drive!\n\n\t%s"},
    {kMsgVelocityStart, "ERROR:\tcan\xB4" "t start the drive!\n\n\t%s"},
    {kMsgHomingReadStatusword, "ERROR:\tcan\xB4" "t read the statusword of the drive!\n\n\t%s"},
    {kMsgHomingSwitchState, "ERROR:\tcan\xB4" "t switch the drive to state '%s'!\n\n\t%s"},
    {kMsgHomingNotEnabled, "ERROR:\tcan\xB4" "t switch the drive to state 'Operation Enabled'!\n\n\tNode #%u: the drive may be in state 'Fault'."},
    {kMsgHomingReadMode, "ERROR:\tcan\xB4" "t read the operation mode of the drive!\n\n\t%s"},
    {kMsgHomingSwitchMode, "ERROR:\tcan\xB4" "t switch the drive to mode '%s'!\n\n\t%s"},
    {kMsgHomingWriteParameter, "ERROR:\tcan\xB4" "t write the parameter '%s' to the drive!\n\n\t%s"},
    {kMsgHomingStart, "ERROR:\tcan\xB4" "t start the drive!\n\n\t%s"},
    {kMsgHomingAssign, "ERROR:\tcan\xB4" "t assign the reference position of the drive!\n\n\t%s"},
    {kMsgCantReadStatusword, "ERROR:\tcan\xB4" "t read the statusword of the drive!\n\n\t%s"},
    {kMsgCantSwitchState, "ERROR:\tcan\xB4" "t switch the drive to state '%s'!\n\n\t%s"},
    {kMsgCantEnableOperation, "ERROR:\tcan\xB4" "t switch the drive to state 'Operation Enabled'!\n\n\tNode #%u: the drive may be in state 'Fault'."},
    {kMsgCantReadOperationMode, "ERROR:\tcan\xB4" "t read the operation mode of the drive!\n\n\t%s"},
    {kMsgCantSwitchMode, "ERROR:\tcan\xB4" "t switch the drive to mode '%s'!\n\n\t%s"},
    {kMsgCantStartDrive, "ERROR:\tcan\xB4" "t start the drive!\n\n\t%s"},
    {kMsgInvalidAddress, "Please enter a valid address!"},
    {kMsgInvalidIrq, "Please enter a valid IRQ number!"},
    {kMsgNoNodeFound, "SORRY:\tno node was found in the network!\n\n\tThe device may be offline.\n\n\tPlease check your drive, whether it is powered on.\n\n\tCheck also the baud rate you have selected.\n\n\tSwitch off/on the drive and try again."},
    {kMsgSearchFailed, "ERROR:\tan error occurred while searching a node!\n\n\t%s"},
    {kMsgCantWriteExport, "ERROR:\tcan\xB4" "t write to file '%s'!\n\n\tMay be locked by another application."},
    {kMsgPrintUnknown, "(unknown)"},
    {kMsgPrintManufacturer, "  Manufacturer:"},
    {kMsgPrintDeviceName, "  Device name:"},
    {kMsgPrintIdentNo, "  Ident. no.:"},
    {kMsgPrintSerialNo, "  Serial no.:"},
    {kMsgPrintVersion, "  Prog. version:"},
    {kMsgPrintNodeSettings, "  Node settings:"},
    {kMsgStatusConnected, "Connected: CAN,#%u,%s,%s,%s"},
    {kMsgStatusOffline, "Offline: CAN,#%u,%s,%s,%s"},
    {kMsgStatusUnknownName, "(unknown)"},
    {kMsgStatusUnknownVersion, "v?.???"},
    {kMsgColumnParameter, "Parameter"},
    {kMsgColumnValue, "Value"},
    {kMsgColumnUnit, "Unit"},
    {kMsgColumnMin, "Min"},
    {kMsgColumnMax, "Max"},
    {kMsgColumnDescription, "Description"},
    {kMsgHeaderType, "Type"},
    {kMsgHeaderTypeHelp, "Device type."},
    {kMsgHeaderName, "Name"},
    {kMsgHeaderNameHelp, "Device name."},
    {kMsgHeaderText, "Text"},
    {kMsgHeaderTextHelp, "A brief description."},
    {kMsgHeaderDate, "Date"},
    {kMsgHeaderDateHelp, "Last update of the file."},
    {kMsgHeaderNodeId, "Node-Id."},
    {kMsgHeaderNodeIdHelp, "Node-Id. of the device."},
    {kMsgHeaderBaudRate, "Baud rate"},
    {kMsgHeaderBaudRateHelp, "Baud rate of the device."},
    {kMsgNo, "No"},
    {kMsgYes, "Yes"},
    {kMsgMotionOffline, "Offline!"},
    {kMsgMotionNoDevice, "No device connected."},
    {kMsgDeviceStatusOffline, "Offline!"},
    {kMsgDeviceStatusNoDevice, "No device connected."},
    {kMsgDocumentFilter, "Ovro-QVT Files (*.31x)|*.31x|All Files (*.*)|*.*||"},
    {kMsgDocumentExtension, "31x"},
    {kMsgAskStore, "Do you want to save the configuration into the EEPROM?"},
    {kMsgAskReset, "Reset all parameters of the device to their power-on values.\n\nContinue?"},
    {kMsgAskRestore, "Restore the factory settings of the device.\n\nThe parameter values will be restored in the RAM of the device, not in the EEPROM.To \ndo so, you must save them into the EEPROM by using the 'Store Parameters' command.\n\nContinue?"},
    {kMsgAskDisconnectAndClose, "Do you really want to disconnect the compact drive \nand close all windows?"},
    {kMsgAskDisconnectAndInitialize, "Do you really want to disconnect the compact drive \nand initialize the CAN interface?"},
    {kMsgAskDisconnectAndExit, "Do you really want to disconnect the compact drive \nand exit the program?"},
    {kMsgPromptUploaded, "%i of %i parameters read from node #%i."},
    {kMsgPromptStored, "Parameters of node #%i stored into the EEPROM; %i of %i parameters read."},
    {kMsgPromptReset, "Parameters of node #%i reset to their power-on values; %i of %i parameters read."},
    {kMsgPromptRestored, "Factory settings of node #%i restored; %i of %i parameters read."},
    {kMsgActualPosition, "Actual Position"},
    {kMsgActualVelocity, "Actual Velocity"},
    {kMsgActualCurrent, "Actual Current"},
    {kMsgDemandedVelocity, "Demanded Velocity"},
    {kMsgSelectSignal, "<select a signal>"},
    {kMsgNoTrigger, "No trigger"},
    {kMsgDigitalInputs, "Digital Inputs"},
    {kMsgStatusword, "Statusword"},
    {kMsgKindNone, "(none)"},
    {kMsgKindRising, "rising edge"},
    {kMsgKindFalling, "falling edge"},
    {kMsgKindAny, "any edge"},
    {kMsgKindInWindow, "in window"},
    {kMsgKindOutWindow, "out window"},
    {kMsgKindBinaryAnd, "binary AND"},
    {kMsgKindBinaryOr, "binary OR"},
    {kMsgClipboardBusy, "Clipboard is busy. Unable to copy result to clipboard."},
    {kMsgCantCreateLog, "ERROR:\tcan\xB4" "t create the download log '%s'!\n\n\t%s\n\n\tThe download has not been started."},
    {kMsgNoSignalSelected, "SORRY, no signal selected!"},
    {kMsgCantConfigurePdo2, "Error, can\xB4" "t configure PDO2!"},
    {kMsgCantConfigurePdo34, "Error, can\xB4" "t configure PDO34!"},
    {kMsgCantConfigurePdo33, "Error, can\xB4" "t configure PDO33!"},
    {kMsgCantConfigurePdo7, "Error, can\xB4" "t configure PDO7!"},
    {kMsgCantConfigurePdo1, "Error, can\xB4" "t configure PDO1!"},
    {kMsgTriggerError, "ERROR"},
    {kMsgIllegalTimeBase, "Illegal value for time base entered!"},
    {kMsgIllegalLevel, "Illegal value for slope level entered!"},
    {kMsgIllegalMinimum, "Illegal value for minimum level entered!"},
    {kMsgIllegalMaximum, "Illegal value for maximum level entered!"},
    {kMsgIllegalMask, "Illegal value for binary mask entered!"},
    {kMsgIllegalValue, "Illegal value for binary value entered!"},
    {kMsgIllegalDelay, "Illegal value for delay time entered!"},
    {kMsgIllegalFilter, "Illegal value for delay filter entered!"},
    {kMsgExportFilter, "Comma Separated Values Files (*.csv)|*.csv|ASCII Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"},
};

std::string VFormat(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

} // namespace

const char* MessageText(unsigned id)
{
    for (const MessageEntry& entry : kMessages)
        if (entry.id == id)
            return entry.text;
    return "";
}

std::string FormatMessage(unsigned id, ...)
{
    va_list args;
    va_start(args, id);
    std::string text = VFormat(MessageText(id), args);
    va_end(args);
    return text;
}

std::string StringPrintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = VFormat(format, args);
    va_end(args);
    return text;
}

const MessageEntry* MessageTable(std::size_t* count)
{
    if (count)
        *count = sizeof kMessages / sizeof kMessages[0];
    return kMessages;
}
