// CDocumentSession: the program's document without its windows. It makes
// the document on the first "&Connect" or on opening a file, runs the
// document's menu commands, offers to save a changed document before it
// closes, keeps the recent-file list, and keeps the menus and the status
// bar (through its view) in step with the document. The program holds one
// document at a time; CDocumentHost gives it its windows.
//
// While a document command runs (CQVTDoc::IsBusy) every entry here that
// would start another command, disconnect, or close the document is
// refused and does nothing; the main frame asks IsBusy before it closes or
// opens another interface.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "document/DocumentObserver.h"
#include "document/DocumentObserverList.h"
#include "document/HelpIndex.h"
#include "document/StatusTextSink.h"
#include "shell/DocumentSessionView.h"
#include "shell/RecentFileList.h"

class CAppSettings;
class CCANopenMaster;
class ISettingsStore;
class IUserInterface;

namespace ovro {
class CCommissioning;
class CQVTDoc;
class IConnectDeviceChooser;
class IDocumentWindows;
}  // namespace ovro

class CDocumentSession : public ovro::IStatusTextSink, public ovro::IDocumentObserver {
public:
    // Reads the recent-file list and shows it. Every reference must
    // outlive the session; settings are read when a document is made.
    CDocumentSession(CCANopenMaster& master, ovro::CCommissioning& description, const CAppSettings& settings,
                     ISettingsStore& store, IUserInterface& ui, IDocumentSessionView& view);
    ~CDocumentSession() override;
    CDocumentSession(const CDocumentSession&) = delete;
    CDocumentSession& operator=(const CDocumentSession&) = delete;

    // The Connect Device chooser of the documents made from now on.
    void SetChooser(ovro::IConnectDeviceChooser* chooser) { chooser_ = chooser; }
    // The document's further windows (motion, status, oscilloscope) from now on.
    void SetWindows(ovro::IDocumentWindows* windows) { windows_ = windows; }

    ovro::CQVTDoc* Document() const { return doc_.get(); }
    // A command of the document runs (its progress box lets input through).
    bool IsBusy() const;
    const CRecentFileList& RecentFiles() const { return recent_; }
    // The windows that show the document attach themselves here.
    ovro::CDocumentObserverList& Observers() { return observers_; }

    // ---- Commands ----------------------------------------------------------
    // "&Connect": a new document, or Connect of the one there is.
    void Connect();
    // Opens a commissioning file as the document; false when it was not
    // opened (or a document is there already).
    bool OpenDocument(const std::string& path);
    // "&Open...": into the document there is, else a new one from the file
    // the user chooses.
    void Open();
    // A recent-file entry (0 the newest).
    void OpenRecent(int index);
    // "Save &As..."; false when nothing was saved.
    bool SaveAs();
    void Disconnect();
    // A document command under the wait cursor (Upload, Store, ...).
    void Run(const std::function<bool(ovro::CQVTDoc&)>& command);
    // The device or the CANopen manual of the document's model, when its
    // index names one and it is there.
    void OpenManual(bool device);

    // ---- Closing -------------------------------------------------------------
    // Offers to save a changed document; false when it must stay open.
    bool SaveModified();
    // The document's window has closed: the document closes and goes to the
    // caller, who keeps it until the window is gone.
    std::unique_ptr<ovro::CQVTDoc> WindowClosed();
    // The main window is about to close (the question about a connected
    // drive answered): the changes are offered for saving while the drive
    // is still there, then the document closes. False keeps it open.
    bool CloseForExit();

    // "&Initialize..." opens the interface anew, which the node objects of a
    // connected drive do not survive: the drive is disconnected first,
    // after the user's Yes. False (No, a command runs, or the node could not
    // be removed) leaves the interface and the document as they are.
    bool ReleaseInterface();

    // The program options have changed (the XML path at once, on Browse):
    // the open document takes the new help folder and default node-id.
    void OptionsChanged();

    // The menus and their enabling after anything that may have changed
    // the connection.
    void UpdateCommands();

    // ---- IStatusTextSink -------------------------------------------------------
    void SetStatusText(const std::string& text) override;
    void SetDefaultStatusText() override;
    void SetPromptText(const std::string& text) override;
    // ---- IDocumentObserver -----------------------------------------------------
    void OnPathChanged(const std::string& path, bool addToRecentList) override;

private:
    // The wait cursor for the life of the object.
    class Busy {
    public:
        explicit Busy(IDocumentSessionView& view) : view_(view) { view_.SetBusy(true); }
        ~Busy() { view_.SetBusy(false); }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        IDocumentSessionView& view_;
    };

    std::unique_ptr<ovro::CQVTDoc> NewDocument();

    CCANopenMaster& master_;
    ovro::CCommissioning& description_;
    const CAppSettings& settings_;
    IUserInterface& ui_;
    IDocumentSessionView& view_;
    ovro::IConnectDeviceChooser* chooser_ = nullptr;
    ovro::IDocumentWindows* windows_ = nullptr;
    ovro::CDocumentObserverList observers_;
    CRecentFileList recent_;
    std::unique_ptr<ovro::CQVTDoc> doc_;
    bool saveAsked_ = false;
};
