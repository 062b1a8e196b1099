// WiredProgramFixture: the ground of the tests that wire the whole program
// to ovro-drive-sim - a private folder with the virtual bus, the settings
// file and the program's folder with the description (and a Help folder),
// the simulated drive on the test's bus, the application started with its
// interface open, the main frame shown and its document host.
#pragma once

#include "QVTApp.h"
#include "ScriptedUserInterface.h"
#include "SimProcess.h"
#include "shell/CommandState.h"
#include "shell/DocumentHost.h"
#include "shell/MainFrame.h"

#include "description/Commissioning.h"
#include "settings/QSettingsStore.h"

#include <gtest/gtest.h>

#include <QSize>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <string>

class WiredProgramFixture : public ::testing::Test {
protected:
    struct Wiring {
        std::string bus;       // the channel is "virtual:" bus
        int nodeId = 5;        // of the simulated K315
        int kbit = 500;        // its bit rate and the program's
        QSize frameSize{1000, 700};
        CCommandState::Features features;
    };

    explicit WiredProgramFixture(Wiring wiring) : wiring_(std::move(wiring)) {}

    void SetUp() override;
    void TearDown() override;
    // Settings written before the program starts (the Interface section is
    // written already).
    virtual void Configure(QSettingsStore&) {}

    QAction* Command(unsigned command) const { return frame_->Action(command); }
    bool Enabled(unsigned command) const;
    std::string Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)).toStdString(); }
    // Lets the event loop run until check() holds, at most ms.
    static bool WaitUntil(const std::function<bool()>& check, int ms);

    QTemporaryDir dir_;
    std::string programDir_;
    ovro::test::SimProcess drive_;
    std::unique_ptr<QSettingsStore> store_;
    ScriptedUserInterface ui_;
    ovro::CCommissioning description_;
    std::unique_ptr<CQVTApp> app_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<CDocumentHost> host_;

private:
    Wiring wiring_;
};
