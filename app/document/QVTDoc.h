// CQVTDoc: the program's document - one connected (or offline) drive with
// the parameter set of its model. It owns the connection to its node and
// the commands of the "Ovro" and "Parameter" menus: connect, disconnect,
// upload, download, store, reset, restore, open, save, the manuals, and
// the status poll that its parameter view's timer drives. The values live
// in the current device of CCommissioning. Every failure ends its command
// with a numbered message through the user interface.
//
// Usage:
//     DocumentEnvironment env;       // master, description and ui at least
//     env.master = &master;
//     env.commissioning = &description;
//     env.ui = &ui;
//     env.chooser = &chooser;        // answers the Connect Device dialog
//     CQVTDoc doc(env);
//     if (doc.OnNewDocument()) {     // the chosen node connected, its values uploaded
//         CParameterValue::SetValueText(*doc.Device()->FindParameter(0x6081, 0), "2500");
//         doc.Download();            // the changed values into the drive
//         doc.Store();               // asks, then stores them into its EEPROM
//         doc.OnSaveDocument("/path/drive.31x");
//     }
//     doc.OnCloseDocument();
//
// While a command runs the document is busy (IsBusy). A progress box or a
// message box lets window messages through meanwhile, so whatever would
// pull the node or the document away under the command - closing the
// window or the document, Disconnect, a new interface - and any second
// command are refused until it ends. A long command, here or in another
// folder (firmware download, motion Start/Stop, recording Start/Stop),
// guards itself with one line after the user's entry has asked:
//     if (doc.IsBusy()) return;            // the entry: another command runs
//     const CQVTDoc::BusyScope busy(doc);  // busy until the scope ends
// Scopes nest: Connect runs Download inside its own.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "document/ConnectDeviceChooser.h"
#include "document/DocumentEnvironment.h"
#include "document/HelpIndex.h"
#include "document/ParameterMemory.h"
#include "document/StatusPoll.h"
#include "ui/UserInterface.h"

class CCANopenNode;

namespace ovro {

class CQVTDevice;

class CQVTDoc {
public:
    explicit CQVTDoc(const DocumentEnvironment& environment);
    CQVTDoc(const CQVTDoc&) = delete;
    CQVTDoc& operator=(const CQVTDoc&) = delete;

    // The document is busy for the life of the object.
    class BusyScope {
    public:
        explicit BusyScope(CQVTDoc& doc) : doc_(doc) { ++doc_.busy_; }
        ~BusyScope() { --doc_.busy_; }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        CQVTDoc& doc_;
    };
    // A command or transfer runs.
    bool IsBusy() const { return busy_ > 0; }

    // ---- Framework operations ------------------------------------------
    // The first Connect: false abandons the new document.
    bool OnNewDocument();
    // Opens a commissioning file as a new document; false: not opened.
    bool OnOpenDocument(const std::string& path);
    // Saves the document ("Save As"); false after a message.
    bool OnSaveDocument(const std::string& path);
    // Removes the node, resets the current device, clears the status text.
    void OnCloseDocument();
    // The document window's question before it closes an online document;
    // false without asking while a command runs.
    bool CanCloseFrame();
    void SetPathName(const std::string& path, bool addToRecentList);
    // The program options changed: the folder of the help files (the XML
    // path) at once, the node-id the next Connect proposes.
    void SetProgramOptions(const std::string& programDirectory, std::uint8_t defaultNodeId);

    // ---- Commands --------------------------------------------------------
    // Connect again while offline; online it shows the drive's identity.
    void OnConnect();
    // False (nothing done) while a command runs.
    bool OnDisconnect();
    // Opens a file into this document; without a path the file dialog asks.
    bool OnOpenInto(const std::optional<std::string>& path = std::nullopt);
    bool Upload();
    bool Download();
    bool Store();
    bool Reset();
    bool Restore();
    void OnOscilloscope();
    // The firmware download into the drive (loader file, application file,
    // node); true when the drive runs the new firmware.
    using FirmwareDownload =
        std::function<bool(const std::string& loaderFile, const std::string& file, CCANopenNode& node)>;
    // "Firmware &Update": asks for the file (proposing appFileName), closes
    // the drive's windows, runs the download and uploads afterwards. True
    // when the download succeeded; appFileName then holds the chosen file,
    // which the caller stores as "Download"/"AppFileName".
    bool OnFirmwareUpdate(const FirmwareDownload& download, const std::string& loaderFile,
                          std::string& appFileName);
    // The manual to show, or nothing when its index names none.
    std::optional<CHelpIndex::Document> DeviceManual() const;
    std::optional<CHelpIndex::Document> CanopenManual() const;

    // Command states.
    bool CanConnect() const { return offline_; }
    bool CanDisconnect() const { return IsOnline(); }
    bool CanClose() const { return offline_; }

    // ---- Shared checks ---------------------------------------------------
    bool IsNodeConnected(bool show);
    bool IsDescriptionAttached(bool show);
    bool ReadModel(int& model, bool show);
    bool CheckModel(int expected, bool show);
    // The text of the node's last error (an SDO abort's own text), or of
    // the master's without a node.
    std::string NodeErrorText() const;

    // ---- Status line and poll -------------------------------------------
    void UpdateStatus();
    // The status bar's prompt pane: what a command did that ends without a
    // message.
    void ShowPrompt(const std::string& text);
    // The last Upload that ran to its end: parameters read (the drive may
    // refuse some) out of all.
    struct UploadCount {
        int read = 0;
        int total = 0;
    };
    const UploadCount& LastUpload() const { return lastUpload_; }
    std::string StatusText() const;
    // One tick of the status poll (window timer, every 55 ms).
    void OnPollTimer();

    // ---- State -------------------------------------------------------------
    bool IsOnline() const { return node_ != nullptr; }
    bool IsOffline() const { return offline_; }
    int Model() const { return model_; }
    CQVTDevice* Device() const { return device_; }
    CCANopenNode* Node() const { return node_; }
    std::uint8_t NodeId() const { return nodeId_; }
    const std::string& PathName() const { return pathName_; }
    bool IsModified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }
    int CurrentSection() const { return currentSection_; }
    void SetCurrentSection(int section) { currentSection_ = section; }
    CStatusPoll::State& PollState() { return poll_; }
    const CStatusPoll::State& PollState() const { return poll_; }
    // The oscilloscope makes the poll skip ticks around a recording.
    void SetPollPause(int ticks) { poll_.pollPause = ticks; }

    static constexpr int kPollPauseAfterConnect = 3;

private:
    // Upload and Download work on the document's state.
    friend class CDocumentTransfers;

    void KeepRecording(const std::string& path);
    ConnectDeviceChoice Choose(const ConnectDeviceRequest& request);
    void ConnectNode(const ConnectDeviceChoice& choice);
    void RemoveNode();
    void RefreshViews(int hint);
    void Show(MessageIcon icon, const std::string& text);
    bool Ask(unsigned id);
    std::string ErrorText(std::int32_t code) const;
    void SetOnlineState();

    DocumentEnvironment env_;
    int model_ = 0;
    CQVTDevice* device_ = nullptr;
    CCANopenNode* node_ = nullptr;
    std::uint8_t nodeId_ = 0;
    int currentSection_ = -1;
    bool offline_ = false;
    bool modified_ = false;
    std::string pathName_;
    CStatusPoll::State poll_;
    CStatusPoll poller_;
    CParameterMemory memory_;
    int busy_ = 0;  // BusyScopes alive
    UploadCount lastUpload_;
};

}  // namespace ovro
