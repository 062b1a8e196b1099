// MessageTexts.cpp - the program's numbered message texts.
#include "ui/MessageTexts.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

// One entry per line, in the order of the numbers.
const MessageEntry kMessages[] = {
    {129, "\nQVT\nnew\nOvro-QVT Files (*.31x)\n.31x\nQVT.Document\nQVT Document"},
    {32772, "Upload all parameters from the device\nUpload Parameters"},
    {32773, "Download changed parameters into the device. Configure Node-Id and Baudrate, if necessary\nDownload Parameters"},
    {32774, "Initialize the CAN Interface board\nInitialize Interface"},
    {32775, "Display information about the CAN Interface board\nInterface Properties"},
    {32777, "Display and change general program options\nChange Options"},
    {32779, "Restore the factory settings of the device\nRestore Factory Settings"},
    {32780, "Store all parameters of the device into the EEPROM\nStore Parameters"},
    {32781, "Reset all parameters of the device to their power-on values\nReset Parameters"},
    {32782, "Show or activate the Parameter window\nChange Parameters"},
    {32783, "Show or activate the Motion Control window\nMotion Control"},
    {32784, "Show or activate the Status window\nDevice Status"},
    {32786, "Show or activate the Oscilloscope window. Ovro K315 only\nK315 Oscilloscope"},
    {32799, "Store Oscilloscope data into a file\nExport"},
    {32800, "Initialize the CAN Interface board\nInitialize Interface"},
    {32801, "Update the firmware of the connected device. Ovro K315 only\nK315 Program-Download"},
    {32808, "Open and display the user manual for this program"},
    {32809, "Open and display the device manual of the connected compact drive"},
    {32810, "Open and display the CANopen manual of the connected compact drive"},
    {32811, "Disconnect the device\nDisconnect"},
    {57344, "Ovro-QVT"},
    {57600, "Connect a new device\nConnect"},
    {57601, "Open an existing document\nOpen"},
    {57602, "Close the active document\nClose"},
    {57604, "Save the active document with a new name\nSave As"},
    {57607, "Print the active document\nPrint"},
    {57609, "Display full pages\nPrint Preview"},
    {57616, "Open this document"},
    {57617, "Open this document"},
    {57618, "Open this document"},
    {57619, "Open this document"},
    {57664, "Display program information, version number and copyright\nAbout"},
    {57665, "Quit the application; prompts to save documents\nExit"},
    {61442, "Save changes to %1?"},
    {61715, "Please enter an integer between %1 and %2."},
    {63500, "FATAL ERROR:\tfile '%s' corrupted or not found!\n\n\t\tIgnore and start the program?"},
    {63501, "ERROR:\t%s\n\n\tTry again. Use command 'Interface.Initialize'."},
    {63502, "INFO:\tread from node #%i:\n\n\t%s"},
    {63503, "To change the Node-Id. and/or the Baudrate there should be\nonly one node in the network. Please switch off the power\nsupply of all other nodes that should not be configured."},
    {63504, "SORRY:\tthis function is only possible with the 'Ovro K315' drive!\n\n\tThe device type of node #%i is not compatible with this."},
    {63505, "Changing Node-Id. and/or Baudrate..."},
    {63506, "%s..."},
    {63507, "OK!\r\n"},
    {63508, "ERROR!\r\n"},
    {63511, "+++ Finished: no error occurred!"},
    {63512, "+++ Finished: error(s) occurred!"},
    {63513, "+++ SDO-Transfer aborted (%08lXh): %s\r\n"},
    {63514, "ERROR:\tnode #%i not added to the CAN interface board!\n\n\tThe device may be offline."},
    {63515, "FATAL ERROR:\tnode #%i not attached to the parameter list!\n\n\t\tThe XML-File '%s' may be corruped."},
    {63516, "ERROR:\tthe device type of node #%i does not match\n\t'%s'!\n\n\tClose the open file and try again."},
    {63517, "ERROR:\tcan\xB4" "t read device type of node #%i!\n\n\t%s"},
    {63518, "ERROR:\twhile reading file '%s'!\n\n\tIncompatible device type or file not found."},
    {63519, "FATAL ERROR:\twhile writing file '%s'!\n\n\t\tDocument not attached to the parameter list!\n\t\tThe XML-File '%s' may be corruped."},
    {63520, "ERROR:\twhile writing file '%s'!\n\n\tFile not written to disk."},
    {63521, "ERROR:\tcan\xB4" "t read device information of node #%i!\n\n\t%s"},
    {63522, "ERROR:\tcan\xB4" "t upload parameters from node #%i!\n\n\t%s"},
    {63523, "SORRY:\tcan\xB4" "t download parameters into node #%i!\n\n\tNo parameter has been changed!"},
    {63524, "ERROR:\tcan\xB4" "t download parameters into node #%i!\n\n\tIncompatible device type."},
    {63525, "ERROR:\tcan\xB4" "t download parameters into node #%i!\n\n\t%s"},
    {63526, "ERROR:\tcan\xB4" "t configure node settings. Node #%i was lost!\n\n\t%s"},
    {63527, "ERROR:\tnot all parameters could be written to node #%i!\n\n\tSee Parameter table for details."},
    {63528, "ERROR:\tcan\xB4" "t store parameters of node #%i!\n\n\tIncompatible device type."},
    {63529, "ERROR:\tcan\xB4" "t store parameters of node #%i!\n\n\t%s"},
    {63530, "ERROR:\tcan\xB4" "t reset parameters of node #%i!\n\n\tIncompatible device type."},
    {63531, "ERROR:\tcan\xB4" "t reset parameters of node #%i!\n\n\t%s"},
    {63532, "ERROR:\tcan\xB4" "t restore parameters of node #%i!\n\n\tIncompatible device type."},
    {63533, "ERROR:\tcan\xB4" "t restore parameters of node #%i!\n\n\t%s"},
    {63534, "ERROR:\twhile reading file '%s'!\n\n\tIncompatible device type or node #%i not found."},
    {63535, "ERROR:\tcan\xB4" "t upload parameters from node #%i!\n\n\tIncompatible device type."},
    {63536, "ERROR:\t%s\n\n\tCheck your harware and try again."},
    {63538, "ERROR:\t%s\n\n\tProbably no board present."},
    {63539, "\nSUCCESS:\tapplication loaded and started!\n\n\t\t%li byte(s)\t%s\n\t\t%li byte(s)\t%s\n\n\t\t%li:%02li min @ %.1f KB/sec"},
    {63540, "Do you really want to cancel the download?"},
    {63541, "FATAL ERROR:\nno valid node-pointer given!"},
    {63542, "FATAL ERROR:\ninvalid page size given!"},
    {63543, "ERROR:\twhile scaning file '%s'!\n\n\tSecond-Level-Loader file not found."},
    {63544, "ERROR:\twhile scaning file '%s'!\n\n\tAccess to Second-Level-Loader file denied."},
    {63545, "ERROR:\twhile scaning file '%s'!\n\n\tError in Second-Level-Loader file."},
    {63546, "ERROR:\twhile scaning file '%s'!\n\n\tCheck-sum file (.sfv) not found."},
    {63547, "ERROR:\twhile scaning file '%s'!\n\n\tAccess to check-sum file (.sfv) denied."},
    {63548, "ERROR:\twhile scaning file '%s'!\n\n\tError in check-sum file (.sfv)."},
    {63549, "ERROR:\twhile scaning file '%s'!\n\n\tCheck-sum error in Second-Level-Loader file."},
    {63550, "ERROR:\twhile scaning file '%s'!\n\n\tAn unknown error occurred."},
    {63551, "ERROR:\twhile scaning file '%s'!\n\n\tIntel-Hex-File not found."},
    {63552, "ERROR:\twhile scaning file '%s'!\n\n\tAccess to Intel-Hex-File denied."},
    {63553, "ERROR:\twhile scaning file '%s'!\n\n\tError in Intel-Hex-File."},
    {63554, "ERROR:\twhile scaning file '%s'!\n\n\tCheck-sum error in Intel-Hex-File."},
    {63555, "ERROR:\twhile scaning file '%s'!\n\n\tYou try to load the Second-Level-Loader file into the Flash."},
    {63556, "ERROR:\tcan\xB4" "t start the First-Level-Loader of node #%i!\n\n\t%s"},
    {63557, "ERROR:\tcan\xB4" "t load the Second-Level-Loader of node #%i!\n\n\t%s"},
    {63558, "ERROR:\twhile reading file '%s'!\n\n\tUnknown Intel-Hex-Record read (line=%li)."},
    {63559, "ERROR:\twhile reading file '%s'!\n\n\tCheck-sum error in Intel-Hex-Record (line=%li)."},
    {63560, "ERROR:\twhile reading file '%s'!\n\n\tError in Intel-Hex-Record (line=%li)."},
    {63561, "ERROR:\twhile reading file '%s'!\n\n\tAn unknown error occurred (line=%li)."},
    {63562, "ERROR:\twhile reading file '%s'!\n\n\tAccess to Second-Level-Loader file denied."},
    {63563, "ERROR:\tcan\xB4" "t start the Second-Level-Loader of node #%i!\n\n\t%s"},
    {63564, "ERROR:\tcan\xB4" "t load the Intel-Hex-File of node #%i!\n\n\t%s"},
    {63565, "ERROR:\twhile reading file '%s'!\n\n\tAccess to Intel-Hex-File file denied."},
    {63566, "ERROR:\tcan\xB4" "t start the application of node #%i!\n\n\t%s"},
    {63567, "%.1f%% of %s loaded"},
    {63568, "Initialize"},
    {63569, "Start First-Level-Loader"},
    {63570, "Load Second-Level-Loader into RAM"},
    {63571, "Start Second-Level-Loader"},
    {63572, "Load Intel-Hex-File into FLASH"},
    {63573, "Start Application/Reset Microcontroller"},
    {63574, "Application running!"},
    {63575, "%li:%02li min  (%li of %li bytes loaded)"},
    {63576, "node #%i"},
    {63577, "%.1f KB/sec"},
    {63578, "ERROR:\tcan\xB4" "t create the download log '%s'!\n\n\t%s\n\n\tThe download has not been started."},
    {63600, "ERROR:\tcan\xB4" "t read the statusword of the drive!\n\n\t%s"},
    {63601, "ERROR:\tcan\xB4" "t switch the drive to state '%s'!\n\n\t%s"},
    {63602, "ERROR:\tcan\xB4" "t switch the drive to state 'Operation Enabled'!\n\n\tNode #%u: the drive may be in state 'Fault'."},
    {63603, "ERROR:\tcan\xB4" "t read the operation mode of the drive!\n\n\t%s"},
    {63604, "ERROR:\tcan\xB4" "t switch the drive to mode '%s'!\n\n\t%s"},
    {63605, "ERROR:\tcan\xB4" "t start the drive!\n\n\t%s"},
    {63606, "Please enter a valid address!"},
    {63607, "Please enter a valid IRQ number!"},
    {63608, "SORRY:\tno node was found in the network!\n\n\tThe device may be offline.\n\n\tPlease check your drive, whether it is powered on.\n\n\tCheck also the baud rate you have selected.\n\n\tSwitch off/on the drive and try again."},
    {63609, "ERROR:\tan error occurred while searching a node!\n\n\t%s"},
    {63625, "(unknown)"},
    {63626, "  Manufacturer:"},
    {63627, "  Device name:"},
    {63628, "  Ident. no.:"},
    {63629, "  Serial no.:"},
    {63630, "  Prog. version:"},
    {63631, "  Node settings:"},
    {63632, "Connected: CAN,#%u,%s,%s,%s"},
    {63633, "Offline: CAN,#%u,%s,%s,%s"},
    {63634, "(unknown)"},
    {63635, "v?.???"},
    {63636, "Parameter"},
    {63637, "Value"},
    {63638, "Unit"},
    {63639, "Min"},
    {63640, "Max"},
    {63641, "Description"},
    {63642, "Type"},
    {63643, "Device type."},
    {63644, "Name"},
    {63645, "Device name."},
    {63646, "Text"},
    {63647, "A brief description."},
    {63648, "Date"},
    {63649, "Last update of the file."},
    {63650, "Node-Id."},
    {63651, "Node-Id. of the device."},
    {63652, "Baud rate"},
    {63653, "Baud rate of the device."},
    {63660, "Ovro-QVT Files (*.31x)|*.31x|All Files (*.*)|*.*||"},
    {63661, "31x"},
    {63662, "Do you want to save the configuration into the EEPROM?"},
    {63663, "Reset all parameters of the device to their power-on values.\n\nContinue?"},
    {63664, "Restore the factory settings of the device.\n\nThe parameter values will be restored in the RAM of the device, not in the EEPROM.To \ndo so, you must save them into the EEPROM by using the 'Store Parameters' command.\n\nContinue?"},
    {63665, "Do you really want to disconnect the compact drive \nand close all windows?"},
    {63667, "Do you really want to disconnect the compact drive \nand exit the program?"},
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
