// The document session without windows: opening a commissioning file
// offline, the file dialogs it asks for, the question before a changed
// document closes, the recent-file list, the menus and the wait cursor.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "canopen/CANopenMaster.h"
#include "description/Commissioning.h"
#include "description/QVTDevice.h"
#include "document/CommissioningFile.h"
#include "document/ConnectDeviceChooser.h"
#include "document/QVTDoc.h"
#include "PrivateBus.h"
#include "ScriptedUserInterface.h"
#include "settings/AppSettings.h"
#include "settings/MemorySettingsStore.h"
#include "shell/DocumentSession.h"

namespace {

using SaveAnswer = IDocumentSessionView::SaveAnswer;

// The windows as the session sees them: the document window closes the way
// the child frame does, through the session's close guard.
class RecordingView : public IDocumentSessionView {
public:
    void OpenDocumentWindow(ovro::CQVTDoc&) override
    {
        windowOpen = true;
        ++windowsOpened;
        busyWhenOpened = busy > 0;
    }
    bool CloseDocumentWindow() override
    {
        if (!windowOpen)
            return false;
        if (session->SaveModified()) {
            windowOpen = false;
            closed = session->WindowClosed();
        }
        return true;
    }
    void CommitPendingEdit() override { ++commits; }
    SaveAnswer AskSave(const std::string& title) override
    {
        titles.push_back(title);
        const SaveAnswer answer = answers.empty() ? SaveAnswer::Cancel : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    }
    void ShowNoDocument() override { commands = "none"; }
    void ShowDocument(bool online) override { commands = online ? "online" : "offline"; }
    void ShowRecentFiles(const std::vector<std::string>& files) override { recent = files; }
    void ShowConnectionText(const std::string& text) override { status = text; }
    void ClearConnectionText() override { status.clear(); }
    void SetBusy(bool on) override { busy += on ? 1 : -1; }
    void OpenManualFile(const std::string& path) override { manuals.push_back(path); }

    CDocumentSession* session = nullptr;
    bool windowOpen = false;
    int windowsOpened = 0;
    bool busyWhenOpened = false;
    std::unique_ptr<ovro::CQVTDoc> closed;
    int commits = 0;
    std::vector<std::string> titles;
    std::deque<SaveAnswer> answers;  // Cancel when empty
    std::string commands;
    std::vector<std::string> recent;
    std::string status;
    int busy = 0;
    std::vector<std::string> manuals;
};

class OfflineChooser : public ovro::IConnectDeviceChooser {
public:
    ovro::ConnectDeviceChoice Choose(const ovro::ConnectDeviceRequest& request) override
    {
        requests.push_back(request);
        ovro::ConnectDeviceChoice choice;
        choice.result = ovro::ConnectDeviceChoice::Offline;
        return choice;
    }
    std::vector<ovro::ConnectDeviceRequest> requests;
};

class DocumentSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.create("ovro-session"));
        ::setenv("OVRO_CAN_CHANNEL", "virtual:session", 1);
        ASSERT_TRUE(description_.LoadDescription(OVRO_DESCRIPTION_FILE));
        settings_.SetProgramDirectory(dir_.dir());
        session_ = std::make_unique<CDocumentSession>(master_, description_, settings_, store_, ui_, view_);
        view_.session = session_.get();
        session_->SetChooser(&chooser_);
    }
    void TearDown() override
    {
        view_.closed.reset();
        session_.reset();
        ::unsetenv("OVRO_CAN_CHANNEL");
    }

    // A commissioning file of the K315 named "Axis 1" at node-id 9.
    std::string WriteFile(const std::string& name)
    {
        const std::string path = dir_.path(name);
        ovro::CQVTDevice* device = description_.SelectDevice(2);
        EXPECT_NE(device, nullptr);
        if (device != nullptr) {
            device->name = "Axis 1";
            device->nodeId = 9;
            EXPECT_TRUE(ovro::CCommissioningFile::Write(description_, path, true));
        }
        description_.ResetDevice();
        return path;
    }

    ovro::test::PrivateBus dir_;
    CCANopenMaster master_;
    ovro::CCommissioning description_;
    CAppSettings settings_;
    MemorySettingsStore store_;
    ScriptedUserInterface ui_;
    RecordingView view_;
    OfflineChooser chooser_;
    std::unique_ptr<CDocumentSession> session_;
};

TEST_F(DocumentSessionTest, AFileOpensOfflineWithItsWindowMenusAndRecentEntry)
{
    EXPECT_EQ(view_.commands, "");
    session_->UpdateCommands();
    EXPECT_EQ(view_.commands, "none");

    const std::string path = WriteFile("axis.31x");
    ASSERT_TRUE(session_->OpenDocument(path));
    ASSERT_NE(session_->Document(), nullptr);
    EXPECT_TRUE(session_->Document()->IsOffline());
    EXPECT_EQ(view_.windowsOpened, 1);
    EXPECT_TRUE(view_.busyWhenOpened);
    EXPECT_EQ(view_.busy, 0);
    EXPECT_EQ(view_.commands, "offline");
    ASSERT_FALSE(view_.recent.empty());
    EXPECT_EQ(view_.recent.front(), path);
    EXPECT_EQ(session_->RecentFiles().Files().front(), path);
    EXPECT_EQ(view_.status.rfind("Offline: CAN,#9,", 0), 0u) << view_.status;

    // One document at a time.
    EXPECT_FALSE(session_->OpenDocument(path));
    EXPECT_EQ(view_.windowsOpened, 1);
}

TEST_F(DocumentSessionTest, OpenAndSaveAsAskWithTheDocumentFilterAndExtension)
{
    session_->Open();
    ASSERT_EQ(ui_.fileRequests.size(), 1u);
    EXPECT_EQ(ui_.fileRequests[0].kind, FileRequest::Kind::Open);
    EXPECT_EQ(ui_.fileRequests[0].filter, "Ovro-QVT Files (*.31x);;All Files (*.*)");
    EXPECT_EQ(ui_.fileRequests[0].defaultName, "*.31x");
    EXPECT_EQ(session_->Document(), nullptr);
    EXPECT_FALSE(session_->SaveAs());

    ui_.files.push_back(WriteFile("chosen.31x"));
    session_->Open();
    ASSERT_NE(session_->Document(), nullptr);

    // A name typed without an extension gets ".31x".
    session_->Document()->SetPathName("Axis 1", false);
    ui_.files.push_back(dir_.path("typed"));
    EXPECT_TRUE(session_->SaveAs());
    ASSERT_EQ(ui_.fileRequests.size(), 3u);
    EXPECT_EQ(ui_.fileRequests[2].kind, FileRequest::Kind::Save);
    EXPECT_EQ(ui_.fileRequests[2].filter, "Ovro-QVT Files (*.31x);;All Files (*.*)");
    EXPECT_EQ(ui_.fileRequests[2].defaultName, "Axis 1.31x");
    EXPECT_TRUE(std::filesystem::exists(dir_.path("typed.31x")));
    EXPECT_EQ(session_->Document()->PathName(), dir_.path("typed.31x"));
    EXPECT_GE(view_.commits, 1);
    EXPECT_EQ(view_.busy, 0);
}

TEST_F(DocumentSessionTest, AChangedDocumentIsOfferedForSavingBeforeItCloses)
{
    const std::string path = WriteFile("changed.31x");
    ASSERT_TRUE(session_->OpenDocument(path));
    ovro::CQVTDoc* doc = session_->Document();
    EXPECT_TRUE(session_->SaveModified());  // unchanged: no question
    EXPECT_TRUE(view_.titles.empty());

    doc->SetModified(true);
    view_.answers = {SaveAnswer::Cancel};
    EXPECT_FALSE(session_->CloseForExit());
    EXPECT_EQ(session_->Document(), doc);
    EXPECT_TRUE(view_.windowOpen);
    ASSERT_EQ(view_.titles.size(), 1u);
    EXPECT_EQ(view_.titles[0], "changed.31x");

    // Yes: a document read from a file goes back there, without a dialog.
    const auto before = std::filesystem::last_write_time(path);
    std::filesystem::last_write_time(path, before - std::chrono::hours(1));
    view_.answers = {SaveAnswer::Yes};
    EXPECT_TRUE(session_->SaveModified());
    EXPECT_TRUE(ui_.fileRequests.empty());
    EXPECT_FALSE(doc->IsModified());
    EXPECT_GT(std::filesystem::last_write_time(path), before - std::chrono::hours(1));

    // No: closes without saving; the closed document goes to the window.
    doc->SetModified(true);
    view_.answers = {SaveAnswer::No};
    EXPECT_TRUE(session_->CloseForExit());
    EXPECT_EQ(session_->Document(), nullptr);
    EXPECT_FALSE(view_.windowOpen);
    EXPECT_EQ(view_.closed.get(), doc);
    EXPECT_EQ(view_.titles.size(), 3u);  // the exit asks once, the window does not again
    EXPECT_EQ(view_.commands, "none");
    EXPECT_EQ(view_.status, "");
    EXPECT_EQ(description_.GetCurrentDevice(), nullptr);
}

TEST_F(DocumentSessionTest, ADocumentMadeByConnectAsksForANameWhenSaved)
{
    const std::string path = WriteFile("named.31x");
    ASSERT_TRUE(session_->OpenDocument(path));
    session_->Document()->SetPathName("Ovro K315", false);
    session_->Document()->SetModified(true);
    view_.answers = {SaveAnswer::Yes};
    EXPECT_FALSE(session_->SaveModified());  // the Save As dialog is cancelled
    ASSERT_EQ(ui_.fileRequests.size(), 1u);
    EXPECT_EQ(ui_.fileRequests[0].defaultName, "Ovro K315.31x");
    ASSERT_EQ(view_.titles.size(), 1u);
    EXPECT_EQ(view_.titles[0], "Ovro K315");
}

TEST_F(DocumentSessionTest, RecentEntriesOpenOrOpenIntoTheDocument)
{
    const std::string first = WriteFile("first.31x");
    const std::string second = WriteFile("second.31x");
    ASSERT_TRUE(session_->OpenDocument(first));
    ASSERT_TRUE(session_->CloseForExit());
    ASSERT_TRUE(session_->OpenDocument(second));
    ASSERT_EQ(view_.recent.size(), 2u);
    EXPECT_EQ(view_.recent[0], second);
    EXPECT_EQ(view_.recent[1], first);

    session_->OpenRecent(5);  // no such entry
    EXPECT_EQ(session_->Document()->PathName(), second);
    session_->OpenRecent(1);  // into the document there is
    EXPECT_EQ(session_->Document()->PathName(), first);
    EXPECT_EQ(view_.windowsOpened, 2);
    EXPECT_EQ(view_.recent[0], first);
    EXPECT_EQ(view_.busy, 0);

    // The list is kept in the settings for the next session.
    session_.reset();
    RecordingView next;
    CDocumentSession again(master_, description_, settings_, store_, ui_, next);
    ASSERT_EQ(next.recent.size(), 2u);
    EXPECT_EQ(next.recent[0], first);
}

TEST_F(DocumentSessionTest, AManualThatIsNotThereIsNotOpened)
{
    ASSERT_TRUE(session_->OpenDocument(WriteFile("manual.31x")));
    session_->OpenManual(true);
    session_->OpenManual(false);
    EXPECT_TRUE(view_.manuals.empty());
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(view_.busy, 0);
}

TEST_F(DocumentSessionTest, NewOptionsReachTheOpenDocument)
{
    ASSERT_TRUE(session_->OpenDocument(WriteFile("options.31x")));
    // The XML path moves to another folder, whose help names a manual.
    const std::string moved = dir_.path("moved");
    std::filesystem::create_directories(moved + "/Help");
    std::ofstream(moved + "/Help/K315_MAN.ini") << "[Filename]\nName=K315_Manual.pdf\n";
    std::ofstream(moved + "/Help/K315_Manual.pdf") << "%PDF-1.4\n";
    settings_.ReplaceProgramDirectory(moved);
    settings_.nodeId = 33;
    session_->OptionsChanged();

    session_->OpenManual(true);
    ASSERT_EQ(view_.manuals.size(), 1u);
    EXPECT_EQ(view_.manuals[0], moved + "/Help/K315_Manual.pdf");
    // The next Connect proposes the new default node-id.
    session_->Connect();
    ASSERT_EQ(chooser_.requests.size(), 2u);
    EXPECT_EQ(chooser_.requests[1].nodeId, 33);
}

}  // namespace
