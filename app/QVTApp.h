// QVTApp.h - the application object: start-up and exit, the program's
// settings, the one master object, and the logic of the "Interfa&ce"
// commands. It reaches the user only through IUserInterface.
#pragma once

#include "shell/InterfaceSelection.h"
#include "shell/LinuxChannel.h"
#include "shell/ProgramOptions.h"

#include "canopen/CANopenMaster.h"
#include "scope/OscilloscopeData.h"
#include "settings/AppSettings.h"
#include "settings/ISettingsStore.h"
#include "ui/UserInterface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ovro {
class CCommissioning;
}

class CQVTApp {
public:
    static constexpr const char* kVersionText = "Version V1.004  7.04.2007";
    static constexpr std::int16_t kSelectionCancelled = -133;

    CQVTApp(ISettingsStore& store, IUserInterface& ui, ovro::CCommissioning& description);
    ~CQVTApp();
    CQVTApp(const CQVTApp&) = delete;
    CQVTApp& operator=(const CQVTApp&) = delete;

    // The whole start-up without windows: StartUp, then OpenInterface.
    bool InitInstance(const std::string& programDirectory);
    // Reads the settings and loads the description from the program
    // directory; false (the user declined to go on without the
    // description) ends the program.
    bool StartUp(const std::string& programDirectory);
    // Opens the configured interface, if any; a failure is reported and
    // the program goes on without an interface.
    void OpenInterface();
    // Closes the interface and writes the oscilloscope's settings.
    void ExitInstance();

    // ---- "&Initialize..." -----------------------------------------------
    // The boards of the description and the present selection.
    std::vector<BoardEntry> Boards() const;
    InterfaceChoice PresentInterface() const;
    // Opens the chosen interface at the default baud rate; on success the
    // choice becomes the program's and the "Interface" keys are written.
    bool InitializeInterface(const InterfaceChoice& choice);

    // ---- "&Properties..." -----------------------------------------------
    void ShowInterfaceProperties();

    // ---- "&Options..." --------------------------------------------------
    ProgramOptions Options() const;
    // Applies the sheet's values after OK and writes their keys.
    bool ApplyOptions(const ProgramOptions& options);
    // A folder chosen with "&Browse" on the XML page: it replaces the
    // program directory at once and is written to "Settings"/"PathName".
    bool SetXmlFolder(const std::string& folder);

    // ---- "Firmware &Update" ----------------------------------------------
    // The Second-Level-Loader file and page size of the "SLL-File" options.
    const std::string& LoaderFile() const { return sllFileName_; }
    std::int16_t LoaderPageSize() const { return sllPageSize_; }
    // After a successful download: the file becomes the one the next
    // download proposes, written to "Download"/"AppFileName".
    bool RememberFirmwareFile(const std::string& path);

    // The text of an error code (the description's error list and the
    // system's messages).
    std::string ErrorText(std::int32_t code) const;

    bool DescriptionLoaded() const { return descriptionLoaded_; }
    CAppSettings& Settings() { return settings_; }
    const CAppSettings& Settings() const { return settings_; }
    CCANopenMaster& Master() { return master_; }
    // The Linux channel of the PCAN-Light board types.
    const CLinuxChannel& Channel() const { return channel_; }
    // The channel stored for a board type ("" when none).
    const std::string& StoredChannel(std::uint32_t boardType) const;
    ISettingsStore& Store() { return store_; }
    IUserInterface& UserInterface() { return ui_; }
    ovro::CCommissioning& Description() { return description_; }
    // The oscilloscope's settings, sample ring and trigger state, once in
    // the program ("Recording" is read at start-up and written at exit).
    COscilloscopeData& Oscilloscope() { return oscilloscope_; }

private:
    std::vector<InterfaceBoard> InterfaceBoards() const;
    CopHwParam HardwareParameters() const;

    ISettingsStore& store_;
    IUserInterface& ui_;
    ovro::CCommissioning& description_;
    CAppSettings settings_;
    CCANopenMaster master_;
    COscilloscopeData oscilloscope_;
    CLinuxChannel channel_;  // notes the user's channel variables at start
    bool descriptionLoaded_ = false;
    bool started_ = false;
    std::string sllFileName_;
    std::int16_t sllPageSize_ = 128;
};
