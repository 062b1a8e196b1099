// DocumentHost.h - the program's document in its windows: it creates the
// document on the first "&Connect" or on opening a file, gives it its
// window (CChildFrame) in the main frame's MDI area, runs the document's
// menu commands, keeps the recent-file list, puts the connection text into
// the status bar and keeps the enabling of the commands in step with the
// document. The program holds one document at a time.
#pragma once

#include "shell/RecentFileList.h"

#include "document/views/ChildFrame.h"

#include "document/DocumentObserver.h"
#include "document/DocumentObserverList.h"
#include "document/StatusTextSink.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class CConnectDeviceDialogChooser;
class CMainFrame;
class CQVTApp;
class IUserInterface;

namespace ovro {
class CQVTDoc;
class IConnectDeviceChooser;
}

class CDocumentHost : public QObject, public ovro::IStatusTextSink, public ovro::IDocumentObserver {
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
    enum class SaveAnswer { Yes, No, Cancel };
    using SaveQuestion = std::function<SaveAnswer(const std::string& title)>;
    void SetSaveQuestion(SaveQuestion question) { askSave_ = std::move(question); }

    ovro::CQVTDoc* Document() const { return doc_.get(); }
    CChildFrame* ChildFrame() const { return childFrame_; }
    const CRecentFileList& RecentFiles() const { return recent_; }

    // Opens a commissioning file as the document (the command line, a
    // recent file without a document); false when it was not opened.
    bool OpenDocument(const std::string& path);
    // The document named on the command line, if any (the first argument
    // after the program that is not an option).
    static std::optional<std::string> CommandLineDocument(const QStringList& arguments);

    // ---- IStatusTextSink ------------------------------------------------------
    void SetStatusText(const std::string& text) override;
    void SetDefaultStatusText() override;
    // ---- IDocumentObserver ----------------------------------------------------
    void OnPathChanged(const std::string& path, bool addToRecentList) override;

public slots:
    void OnConnect();
    void OnOpen();
    void OnOpenRecent(int index);
    void OnSaveAs();
    void OnClose();
    void OnDisconnect();
    void OnParameterWindow();
    void OnDeviceManual();
    void OnCanopenManual();
    void OnEditCommand(unsigned command);
    // "Firmware &Update": the document's command with the download and its
    // progress box; the file of a successful download is remembered.
    void OnFirmwareUpdate();
    void OnSplit();
    // The enabling after anything that may have changed the connection.
    void UpdateCommands();

private:
    std::unique_ptr<ovro::CQVTDoc> NewDocument();
    void ShowDocument();
    void OnFrameClosed();
    bool CloseForExit();
    // Offers to save a changed document; false when it must stay open.
    bool SaveModified();
    bool SaveAs();
    void RunCommand(bool (ovro::CQVTDoc::*command)());
    void OpenManual(bool device);

    CQVTApp& app_;
    CMainFrame& frame_;
    IUserInterface& ui_;
    std::unique_ptr<CConnectDeviceDialogChooser> dialogChooser_;
    ovro::IConnectDeviceChooser* chooser_ = nullptr;
    ovro::CDocumentObserverList observers_;
    CRecentFileList recent_;
    std::unique_ptr<ovro::CQVTDoc> doc_;
    // A closed document lives on until its window is gone.
    std::unique_ptr<ovro::CQVTDoc> closing_;
    QPointer<CChildFrame> childFrame_;
    SaveQuestion askSave_;
    bool saveAsked_ = false;
};
