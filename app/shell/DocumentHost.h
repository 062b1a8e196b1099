// DocumentHost.h - the program's document in its windows: the document
// session (CDocumentSession) gets its window (CChildFrame) in the main
// frame's MDI area, the main frame's commands, the question before a
// changed document closes, the wait cursor and the status bar. What stays
// here is the widgets' side: the MDI area, the focus of the edit commands
// and the clipboard.
#pragma once

#include "document/views/ChildFrame.h"
#include "operation/DocumentDrive.h"
#include "scope/views/ScopeWindowHost.h"
#include "shell/DocumentSession.h"
#include "shell/DocumentWindowHost.h"
#include "shell/DocumentSessionView.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class CConnectDeviceDialogChooser;
class CDriveWindows;
class CMainFrame;
class CQVTApp;
class IUserInterface;

namespace ovro {
class CQVTDoc;
class IConnectDeviceChooser;
}

class CDocumentHost : public QObject, public IDocumentSessionView {
    Q_OBJECT
public:
    // Connects itself to the frame's commands. The host must go before the
    // frame does.
    CDocumentHost(CQVTApp& app, CMainFrame& frame, IUserInterface& ui);
    ~CDocumentHost() override;

    // The Connect Device dialog by default; tests may put their own here.
    void SetChooser(ovro::IConnectDeviceChooser* chooser);

    // The question before a changed document closes: "Save changes to %1?"
    // with Yes, No and Cancel (a message box by default).
    using SaveAnswer = IDocumentSessionView::SaveAnswer;
    using SaveQuestion = std::function<SaveAnswer(const std::string& title)>;
    void SetSaveQuestion(SaveQuestion question) { askSave_ = std::move(question); }

    ovro::CQVTDoc* Document() const { return session_.Document(); }
    CChildFrame* ChildFrame() const { return childFrame_; }
    // Motion Control, Device Status and the limits windows of the document.
    CDriveWindows& DriveWindows() const { return *driveWindows_; }
    CScopeWindowHost& Oscilloscope() { return scope_; }
    const CRecentFileList& RecentFiles() const { return session_.RecentFiles(); }
    CDocumentSession& Session() { return session_; }

    // Opens a commissioning file as the document (the command line, a
    // recent file without a document); false when it was not opened.
    bool OpenDocument(const std::string& path) { return session_.OpenDocument(path); }
    // The same once the event loop runs (the main window is up then).
    void OpenDocumentLater(const std::string& path);
    // The document named on the command line, if any (the first argument
    // after the program that is not an option).
    static std::optional<std::string> CommandLineDocument(const QStringList& arguments);

    // ---- IDocumentSessionView --------------------------------------------------
    void OpenDocumentWindow(ovro::CQVTDoc& doc) override;
    bool CloseDocumentWindow() override;
    void CommitPendingEdit() override;
    SaveAnswer AskSave(const std::string& title) override;
    void ShowNoDocument() override;
    void ShowDocument(bool online) override;
    void ShowRecentFiles(const std::vector<std::string>& files) override;
    void ShowConnectionText(const std::string& text) override;
    void ClearConnectionText() override;
    void ShowPromptText(const std::string& text) override;
    void SetBusy(bool busy) override;
    void OpenManualFile(const std::string& path) override;

public slots:
    void OnClose();
    void OnParameterWindow();
    void OnEditCommand(unsigned command);
    // "Firmware &Update": the document's command with the download and its
    // progress box; the file of a successful download is remembered.
    void OnFirmwareUpdate();
    void OnSplit();

private:
    void OnFrameClosed();

    CQVTApp& app_;
    CMainFrame& frame_;
    IUserInterface& ui_;
    std::unique_ptr<CConnectDeviceDialogChooser> dialogChooser_;
    CDocumentSession session_;
    CDriveWindows* driveWindows_ = nullptr; // owned by the frame
    // The document as the drive windows see it.
    std::unique_ptr<ovro::CDocumentDrive> drive_;
    CScopeWindowHost scope_;
    CDocumentWindowHost windows_;
    // A closed document lives on until its window is gone.
    std::unique_ptr<ovro::CQVTDoc> closing_;
    QPointer<CChildFrame> childFrame_;
    SaveQuestion askSave_;
};
