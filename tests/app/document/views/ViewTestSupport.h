// ViewTestSupport.h - what the view tests share: a scripted user interface
// and Connect Device chooser, a simulated drive on a private virtual bus,
// and fixtures with a document read from a commissioning file (offline) or
// connected to a simulated drive.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "canopen/CANopenMaster.h"
#include "description/Commissioning.h"
#include "document/ConnectDeviceChooser.h"
#include "document/DocumentObserverList.h"
#include "document/QVTDoc.h"
#include "PrivateBus.h"
#include "SimProcess.h"
#include "ui/UserInterface.h"

namespace viewtest {

class ScriptedUi : public IUserInterface {
public:
    void ShowMessage(MessageSeverity severity, MessageIcon icon, const std::string& text) override;
    bool AskYesNo(MessageIcon icon, const std::string& text, bool defaultYes) override;
    std::unique_ptr<IProgress> BeginProgress(std::int32_t range) override;
    std::optional<std::string> ChooseFile(const FileRequest& request) override;

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;  // empty: No
    std::function<void()> onMessage;  // runs inside each message box
};

class ScriptedChooser : public ovro::IConnectDeviceChooser {
public:
    ovro::ConnectDeviceChoice Choose(const ovro::ConnectDeviceRequest& request) override;
    std::deque<ovro::ConnectDeviceChoice> choices;  // empty: Cancel
};

// A document of either model, read offline from a commissioning file that
// the fixture writes first.
class OfflineDocTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Opens a document of a model (1 or 2) offline; values from the file
    // are marked changed, as every file read does.
    ovro::CQVTDoc& OpenOffline(int model);
    ovro::DocumentEnvironment Environment();
    // The section and grid row of a parameter (the first of its index).
    static std::pair<int, int> SectionAndRow(const ovro::CQVTDevice& device, std::uint16_t index);

    ovro::test::PrivateBus bus_;
    CCANopenMaster master_;
    ovro::CCommissioning commissioning_;
    ScriptedUi ui_;
    ScriptedChooser chooser_;
    ovro::CDocumentObserverList observers_;
    std::unique_ptr<ovro::CQVTDoc> doc_;
};

// A document connected to a simulated K315 at node 5 on a private bus.
class SimDocTest : public OfflineDocTest {
protected:
    void SetUp() override;
    void TearDown() override;
    ovro::CQVTDoc& Connect(const std::string& model);

    std::vector<std::unique_ptr<ovro::test::SimProcess>> drives_;
};

}  // namespace viewtest
