// The program's settings values: read from the settings store at start-up,
// changed by the dialogs and written back by them.
#pragma once

#include "settings/InterfaceBoard.h"
#include "settings/ISettingsStore.h"
#include "settings/SettingsKeys.h"

#include <cop/cop.h>

#include <cstdint>
#include <string>
#include <vector>

class CAppSettings {
public:
    static constexpr const char* kDescriptionFileName = "Ovro-QVT.xml";
    static constexpr const char* kLoaderFileName = "sll/sll.H86";
    static constexpr std::uint8_t kDefaultNodeId = SettingsKeys::kNodeIdDefault;
    static constexpr std::uint8_t kDefaultBaudCode = COP_BAUD_20;
    static constexpr std::uint32_t kUnknownBoardType = COP_BOARD_ORVAX_APPLET;

    // ---- Mapping rules --------------------------------------------------
    // 200 for "PEAK-System Technik", 100 for "Orvax Automation" (both
    // compared case-sensitively), else 0: no interface.
    static std::int16_t LibraryOfVendor(const std::string& vendor);
    // The vendor text written for a library code.
    static const char* VendorOfLibrary(std::int16_t library);
    // "1000" ... "10" give codes 0 ... 8; any other text gives 7.
    static std::uint8_t BaudCodeOfText(const std::string& text);
    // "1000" ... "10" for codes 0 ... 8, "???" above.
    static const char* BaudTextOfCode(std::uint8_t code);
    // Board-type code of a display name in the table of selectable
    // interfaces; the search stops at "Orvax Applet", and an unknown name
    // gives 0xFFFFFFFF.
    static std::uint32_t BoardTypeOfName(const std::string& name);
    // The first board of the list with this library and name, or null.
    static const InterfaceBoard* FindBoard(const std::vector<InterfaceBoard>& boards,
                                           std::int16_t library, const std::string& name);
    // "Yes" in any letter case.
    static bool IsPrivateBuildText(const std::string& text);

    // ---- Store ----------------------------------------------------------
    // Reads every start-up value; the board-type code comes from the table
    // of selectable interfaces (see ApplyBoardList).
    void Read(const ISettingsStore& store);
    // Once the description is loaded: the first listed board of the
    // selected library whose name equals the Board text supplies the
    // board-type code.
    void ApplyBoardList(const std::vector<InterfaceBoard>& boards);

    // "Interface": Board (name of the listed board with the present library
    // and board type, else "Orvax Applet"), Vendor, PlugAndPlay, Address,
    // Interrupt.
    bool WriteInterface(ISettingsStore& store, const std::vector<InterfaceBoard>& boards) const;
    // Node options: "Interface" Baudrate and Timing, "Settings" NodeId.
    bool WriteNodeOptions(ISettingsStore& store) const;
    // "Download" AppFileName.
    bool WriteAppFileName(ISettingsStore& store) const;

    // ---- Program directory ----------------------------------------------
    // Sets the program directory (a trailing separator is dropped), the
    // description file and the loader file inside it. The folder of an
    // installed program's data is its "../share/ovro-qvt": that one is
    // taken when the description is there and not beside the program.
    void SetProgramDirectory(const std::string& directory);
    // The folder that holds the description for a program in `folder`.
    static std::string DataDirectory(const std::string& folder);
    // Replaces the program directory for the rest of the run (help files,
    // description folder); the loader file stays.
    void ReplaceProgramDirectory(const std::string& directory);
    const std::string& ProgramDirectory() const { return programDirectory_; }
    std::string DescriptionPath() const;
    const std::string& LoaderPath() const { return loaderPath_; }

    // ---- Values ---------------------------------------------------------
    std::string vendor = SettingsKeys::kVendorDefault;
    std::int16_t library = COP_LIBRARY_NONE;
    std::string board = SettingsKeys::kBoardDefault;
    std::uint32_t boardType = kUnknownBoardType;
    std::uint8_t baudCode = kDefaultBaudCode;
    std::string timingText = SettingsKeys::kTimingDefault;   // read, not applied
    std::uint8_t timing = 0;            // 0 CiA, 1 Orvax
    std::uint8_t nodeId = kDefaultNodeId;
    std::string appFileName = SettingsKeys::kAppFileNameDefault;
    bool privateBuild = false;
    std::int32_t plugAndPlay = SettingsKeys::kPlugAndPlayDefault;
    CopHwParam hw{0, 0};
    std::string channel;   // first-channel PCAN-Light types; empty: none stored
    std::string channel2;  // second-channel types

private:
    std::string programDirectory_;
    std::string loaderPath_;
};
