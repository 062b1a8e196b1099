// The document session with a simulated drive: while a command runs (a
// download's progress box lets window messages through) nothing that
// arrives - a close of the program or of the document, Disconnect, another
// command - may take the running command's document or node; and a new
// interface is opened only after the connected drive has been disconnected.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "canopen/CANopenMaster.h"
#include "canopen/CANopenNode.h"
#include "description/Commissioning.h"
#include "description/QVTDevice.h"
#include "document/ConnectDeviceChooser.h"
#include "document/ParameterValue.h"
#include "document/QVTDoc.h"
#include "PrivateBus.h"
#include "ScriptedUserInterface.h"
#include "ui/MessageTexts.h"
#include "SimProcess.h"
#include "settings/AppSettings.h"
#include "settings/MemorySettingsStore.h"
#include "shell/DocumentSession.h"

namespace {

class QuietView : public IDocumentSessionView {
public:
    void OpenDocumentWindow(ovro::CQVTDoc&) override { windowOpen = true; }
    bool CloseDocumentWindow() override
    {
        if (!windowOpen)
            return false;
        windowOpen = false;
        closed = session->WindowClosed();
        return true;
    }
    void CommitPendingEdit() override {}
    SaveAnswer AskSave(const std::string&) override { return SaveAnswer::No; }
    void ShowNoDocument() override {}
    void ShowDocument(bool) override {}
    void ShowRecentFiles(const std::vector<std::string>&) override {}
    void ShowConnectionText(const std::string&) override {}
    void ClearConnectionText() override {}
    void SetBusy(bool) override {}
    void OpenManualFile(const std::string&) override {}

    CDocumentSession* session = nullptr;
    bool windowOpen = false;
    std::unique_ptr<ovro::CQVTDoc> closed;
};

class ConnectChooser : public ovro::IConnectDeviceChooser {
public:
    ovro::ConnectDeviceChoice Choose(const ovro::ConnectDeviceRequest&) override
    {
        ++asked;
        ovro::ConnectDeviceChoice choice;
        choice.result = ovro::ConnectDeviceChoice::Connect;
        choice.nodeId = 5;
        choice.baudRate = 7;
        return choice;
    }
    int asked = 0;
};

class SessionDriveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus_.create("ovro-busy"));
        ::setenv("OVRO_CAN_CHANNEL", "virtual:busy", 1);
        if (::access(ovro::test::SimProcess::executable().c_str(), X_OK) != 0)
            GTEST_SKIP() << "ovro-drive-sim is not built";
        ASSERT_TRUE(description_.LoadDescription(OVRO_DESCRIPTION_FILE));
        ASSERT_TRUE(drive_.start(bus_.dir(), {"--model", "K315", "--node-id", "5", "--bitrate", "20", "--bus",
                                              "busy", "--eeprom", bus_.path("drive.eeprom"), "--description",
                                              OVRO_DESCRIPTION_FILE}))
            << drive_.log();
        ASSERT_TRUE(master_.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_20, 0))
            << master_.LastError();
        master_.SetSDOTimeout(500);
        settings_.SetProgramDirectory(bus_.dir());
        session_ = std::make_unique<CDocumentSession>(master_, description_, settings_, store_, ui_, view_);
        view_.session = session_.get();
        session_->SetChooser(&chooser_);
    }
    void TearDown() override
    {
        view_.closed.reset();
        session_.reset();
        master_.Terminate();
        drive_.stop();
        ::unsetenv("OVRO_CAN_CHANNEL");
    }

    ovro::test::PrivateBus bus_;
    ovro::test::SimProcess drive_;
    CCANopenMaster master_;
    ovro::CCommissioning description_;
    CAppSettings settings_;
    MemorySettingsStore store_;
    ScriptedUserInterface ui_;
    QuietView view_;
    ConnectChooser chooser_;
    std::unique_ptr<CDocumentSession> session_;
};

TEST_F(SessionDriveTest, NothingPullsTheNodeOrTheDocumentFromUnderARunningDownload)
{
    session_->Connect();
    ovro::CQVTDoc* doc = session_->Document();
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->IsOnline());
    EXPECT_FALSE(session_->IsBusy());
    ovro::CQVTParameter* velocity = doc->Device()->FindParameter(0x6081, 0);
    ASSERT_NE(velocity, nullptr);
    ASSERT_TRUE(ovro::CParameterValue::SetValueText(*velocity, "1234"));
    velocity->changed = true;

    struct Inside {
        int steps = 0;
        bool busy = false;
        bool exitClosed = true;
        bool docDisconnected = true;
        bool frameMayClose = true;
        std::size_t questions = 0;
    } inside;
    ui_.onProgressStep = [&] {
        if (inside.steps++ > 0)
            return;
        inside.busy = session_->IsBusy() && doc->IsBusy();
        inside.exitClosed = session_->CloseForExit();
        session_->Disconnect();
        inside.docDisconnected = doc->OnDisconnect();
        inside.frameMayClose = doc->CanCloseFrame();
        session_->Connect();  // would show the drive's identity
        session_->Run([](ovro::CQVTDoc& d) { return d.Upload(); });
        inside.questions = ui_.questions.size();
    };
    session_->Run([](ovro::CQVTDoc& d) { return d.Download(); });

    EXPECT_GT(inside.steps, 0);
    EXPECT_TRUE(inside.busy);
    EXPECT_FALSE(inside.exitClosed);
    EXPECT_FALSE(inside.docDisconnected);
    EXPECT_FALSE(inside.frameMayClose);
    EXPECT_EQ(inside.questions, 0u);
    EXPECT_EQ(chooser_.asked, 1);  // only the first Connect
    for (const auto& m : ui_.messages)
        ADD_FAILURE() << m.text;

    // The download ran to its end on the node it started with.
    ASSERT_EQ(session_->Document(), doc);
    EXPECT_TRUE(doc->IsOnline());
    EXPECT_EQ(master_.GetNode(5), doc->Node());
    EXPECT_FALSE(velocity->changed);
    std::uint32_t written = 0;
    ASSERT_TRUE(doc->Node()->ReadU32(0x6081, 0, written));
    EXPECT_EQ(written, 1234u);

    // Once it has ended, the program closes as before.
    EXPECT_FALSE(session_->IsBusy());
    EXPECT_TRUE(session_->CloseForExit());
    EXPECT_EQ(session_->Document(), nullptr);
    EXPECT_EQ(master_.GetNode(5), nullptr);
}

TEST_F(SessionDriveTest, BusyScopesNestAndEndWithTheirCommands)
{
    session_->Connect();
    ovro::CQVTDoc* doc = session_->Document();
    ASSERT_NE(doc, nullptr);
    EXPECT_FALSE(doc->IsBusy());
    {
        const ovro::CQVTDoc::BusyScope outer(*doc);
        {
            const ovro::CQVTDoc::BusyScope inner(*doc);
            EXPECT_TRUE(doc->IsBusy());
        }
        EXPECT_TRUE(doc->IsBusy());
        // A command of another folder holding the scope keeps Disconnect off.
        session_->Disconnect();
        EXPECT_TRUE(doc->IsOnline());
    }
    EXPECT_FALSE(doc->IsBusy());
    // A command that fails still ends its scope.
    session_->Run([](ovro::CQVTDoc& d) { return d.Store(); });  // the question answered No
    EXPECT_FALSE(doc->IsBusy());
    session_->Disconnect();
    EXPECT_FALSE(doc->IsOnline());
}

TEST_F(SessionDriveTest, AConnectedDriveIsDisconnectedAfterAYesBeforeANewInterface)
{
    // Without a document, or offline, there is nothing to ask.
    EXPECT_TRUE(session_->ReleaseInterface());
    session_->Connect();
    ovro::CQVTDoc* doc = session_->Document();
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->IsOnline());

    ui_.answers = {false};
    EXPECT_FALSE(session_->ReleaseInterface());
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0].text, MessageText(63666));
    EXPECT_EQ(ui_.questions[0].icon, MessageIcon::Question);
    EXPECT_TRUE(doc->IsOnline());
    EXPECT_EQ(master_.GetNode(5), doc->Node());

    ui_.answers = {true};
    EXPECT_TRUE(session_->ReleaseInterface());
    EXPECT_TRUE(doc->IsOffline());
    EXPECT_EQ(master_.GetNode(5), nullptr);
    EXPECT_TRUE(session_->ReleaseInterface());
    EXPECT_EQ(ui_.questions.size(), 2u);

    // Refused while a command runs.
    {
        const ovro::CQVTDoc::BusyScope busy(*doc);
        EXPECT_FALSE(session_->ReleaseInterface());
    }
}

}  // namespace
