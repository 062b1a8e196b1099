// WiredProgramFixture.h - the base of the tests that run the whole program
// against a simulated drive: a private folder with the profile, the bus and
// the program's folder (description and help), the application object with
// its interface opened, the main frame and the document host. The derived
// fixture starts its drive between PrepareProfile and StartProgram.
#pragma once

#include "QVTApp.h"
#include "ScriptedUserInterface.h"
#include "shell/CommandState.h"
#include "shell/DocumentHost.h"
#include "shell/MainFrame.h"

#include "description/Commissioning.h"
#include "settings/QSettingsStore.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

class WiredProgramFixture : public ::testing::Test {
protected:
    // The bus folder and channel "virtual:<bus>", and a profile with the
    // PCAN-USB interface at that rate (kBit/s).
    void PrepareProfile(const std::string& bus, const std::string& kbit);
    // The program starts up in its folder, opens the interface (no message
    // may be shown) and shows its main frame with these commands.
    void StartProgram(const CCommandState::Features& features, int width = 1000, int height = 700);
    // The program ends as at exit; then the bus settings go.
    void StopProgram();

    // The arguments of ovro-drive-sim for a K315 on the bus, with its
    // EEPROM file and the program's description in the private folder.
    std::vector<std::string> DriveArguments(const std::string& nodeId, const std::string& kbit) const;
    std::string Directory() const { return dir_.path().toStdString(); }
    std::string Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)).toStdString(); }

    QTemporaryDir dir_;
    std::string programDir_;
    std::string bus_;
    std::unique_ptr<QSettingsStore> store_;
    ScriptedUserInterface ui_;
    ovro::CCommissioning description_;
    std::unique_ptr<CQVTApp> app_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<CDocumentHost> host_;
};
