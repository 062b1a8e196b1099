// CCliSession: what one run of ovro-qvt-cli works with - the program's
// saved settings (read only), the device description, the master object
// with the chosen interface, and the terminal user interface - set up the
// way the program starts, with the command line's choices on top.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "canopen/CANopenMaster.h"
#include "CliOptions.h"
#include "description/Commissioning.h"
#include "document/DocumentEnvironment.h"
#include "settings/AppSettings.h"
#include "settings/ISettingsStore.h"
#include "TerminalUserInterface.h"

class CCliSession {
public:
    static constexpr int kSuccess = 0;
    static constexpr int kFailure = 1;
    static constexpr int kUsage = 2;

    // store: the program's settings; they are only read.
    CCliSession(const CliOptions& options, const ISettingsStore& store, CTerminalUserInterface& ui,
                std::ostream& out, std::ostream& err, const std::string& programDirectory);
    ~CCliSession();
    CCliSession(const CCliSession&) = delete;
    CCliSession& operator=(const CCliSession&) = delete;

    // Reads the settings and the description; false when the description is
    // missing and the user does not go on without it.
    bool LoadDescription();
    // Opens the chosen interface at the chosen bit rate; an exit status
    // other than kSuccess after its message.
    int OpenInterface();

    // The document's surroundings; chooser answers its Connect Device dialog.
    ovro::DocumentEnvironment Environment(ovro::IConnectDeviceChooser* chooser);

    // kSuccess when ok and no failure was shown, else kFailure.
    int Result(bool ok) const;
    // A bad command line found late: the message and kUsage.
    int UsageError(const std::string& text) const;

    std::uint8_t NodeId() const;
    std::uint8_t BaudRate() const;
    // The Second-Level-Loader file beside the program; the firmware file
    // the saved settings propose.
    const std::string& LoaderPath() const { return settings_.LoaderPath(); }
    const std::string& AppFileName() const { return settings_.appFileName; }

    const CliOptions& Options() const { return options_; }
    CTerminalUserInterface& Ui() { return ui_; }
    std::ostream& Out() { return out_; }
    std::ostream& Err() { return err_; }
    ovro::CCommissioning& Description() { return description_; }
    CCANopenMaster& Master() { return master_; }
    const std::string& DescriptionPath() const { return descriptionPath_; }

private:
    const CliOptions& options_;
    const ISettingsStore& store_;
    CTerminalUserInterface& ui_;
    std::ostream& out_;
    std::ostream& err_;
    CAppSettings settings_;
    ovro::CCommissioning description_;
    CCANopenMaster master_;
    std::string descriptionPath_;
};
