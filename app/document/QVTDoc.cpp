#include "document/QVTDoc.h"

#include "canopen/CANopenMaster.h"
#include "canopen/CANopenNode.h"
#include "description/Commissioning.h"
#include "description/QVTDevice.h"
#include "document/CommissioningFile.h"
#include "document/DocMessage.h"
#include "document/DocumentFileDialog.h"
#include "document/DocumentObserver.h"
#include "document/DocumentTransfers.h"
#include "document/DocumentWindows.h"
#include "document/ParameterValue.h"
#include "document/StatusTextSink.h"
#include "settings/BaudRate.h"
#include "ui/FileFilter.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

namespace ovro {

namespace {
constexpr std::uint16_t kFirmwareTimeout = 3000;      // ms, during a firmware download
constexpr std::chrono::milliseconds kFirmwareWait(3000);  // the new firmware starts
constexpr const char* kFirmwareFilter =
    "Intel-Hex Files (*.h86)|*.h86|Intel-Hex Files (*.hex)|*.hex|All Files (*.*)|*.*||";

const char* BaudRateStatusText(std::uint8_t code)
{
    const char* text = BaudRateRateText(code);
    return text != nullptr ? text : "???";
}
}  // namespace

CQVTDoc::CQVTDoc(const DocumentEnvironment& environment) : env_(environment), memory_(*this, env_) {}

// ---------------------------------------------------------------- helpers

void CQVTDoc::Show(MessageIcon icon, const std::string& text)
{
    CDocMessage::Show(*env_.ui, icon, text);
}

bool CQVTDoc::Ask(unsigned id)
{
    return env_.ui->AskYesNo(MessageIcon::Question, MessageText(id), true);
}

std::string CQVTDoc::ErrorText(std::int32_t code) const
{
    return env_.commissioning->GetErrorText(code);
}

std::string CQVTDoc::NodeErrorText() const
{
    if (node_ == nullptr)
        return ErrorText(env_.master->LastError());
    if (node_->LastError() == COP_ERR_ABORTED)
        return CCANopenNode::AbortText(node_->LastAbort());
    return ErrorText(node_->LastError());
}

void CQVTDoc::RefreshViews(int hint)
{
    if (env_.observer != nullptr)
        env_.observer->OnRefresh(hint);
}

ConnectDeviceChoice CQVTDoc::Choose(const ConnectDeviceRequest& request)
{
    if (env_.chooser == nullptr)
        return ConnectDeviceChoice{};
    return env_.chooser->Choose(request);
}

void CQVTDoc::SetPathName(const std::string& path, bool addToRecentList)
{
    pathName_ = path;
    if (env_.observer != nullptr)
        env_.observer->OnPathChanged(path, addToRecentList);
}

void CQVTDoc::SetProgramOptions(const std::string& programDirectory, std::uint8_t defaultNodeId)
{
    env_.programDirectory = programDirectory;
    env_.defaultNodeId = defaultNodeId;
}

void CQVTDoc::SetOnlineState()
{
    offline_ = !IsOnline();
    UpdateStatus();
    poll_.pollPause = kPollPauseAfterConnect;
}

// Restarts the master when the user picked another baud rate, then connects
// the chosen node; node_ stays null when that fails.
void CQVTDoc::ConnectNode(const ConnectDeviceChoice& choice)
{
    nodeId_ = choice.nodeId;
    CCANopenMaster& master = *env_.master;
    if (choice.baudRate != master.BaudRate())
        master.Reinitialize(choice.baudRate, env_.timing);
    CCANopenNode* node = nullptr;
    if (master.ConnectNode(nodeId_, &node))
        node_ = node;
}

// A node object that the master cannot remove stays in the master, but this
// document no longer uses it.
void CQVTDoc::RemoveNode()
{
    if (node_ != nullptr)
        env_.master->DisconnectNode(node_);
    node_ = nullptr;
}

// ---------------------------------------------------------------- checks

bool CQVTDoc::IsNodeConnected(bool show)
{
    if (node_ != nullptr)
        return true;
    if (show)
        Show(MessageIcon::Exclamation, FormatMessage(kMsgNodeNotAdded, static_cast<int>(nodeId_)));
    return false;
}

bool CQVTDoc::IsDescriptionAttached(bool show)
{
    if (device_ != nullptr)
        return true;
    if (show)
        Show(MessageIcon::Stop,
             FormatMessage(kMsgNodeNotAttached, static_cast<int>(nodeId_), env_.descriptionPath.c_str()));
    return false;
}

bool CQVTDoc::ReadModel(int& model, bool show)
{
    if (!IsNodeConnected(show))
        return false;
    std::uint8_t probe = 0;
    model = node_->ReadU8(CANopen::Object::ModelProbe, 0, probe) ? CCommissioning::ModelK315
                                                                 : CCommissioning::ModelH315;
    std::uint32_t deviceType = 0;
    if (node_->ReadU32(CANopen::Object::DeviceType, 0, deviceType))
        return true;
    model = CCommissioning::ModelNone;
    if (show)
        Show(MessageIcon::Exclamation,
             FormatMessage(kMsgCantReadDeviceType, static_cast<int>(nodeId_), NodeErrorText().c_str()));
    return false;
}

bool CQVTDoc::CheckModel(int expected, bool show)
{
    int model = 0;
    if (!ReadModel(model, show))
        return false;
    if (model == expected)
        return true;
    if (show)
        Show(MessageIcon::Stop, FormatMessage(kMsgDeviceTypeMismatch, static_cast<int>(nodeId_), pathName_.c_str()));
    return false;
}

// ---------------------------------------------------------------- status

std::string CQVTDoc::StatusText() const
{
    std::string name;
    std::string version;
    if (device_ != nullptr) {
        if (const CQVTParameter* p = device_->FindParameterByName("Identification", "DeviceName"))
            name = CParameterValue::GetValueText(*p, false);
        if (name.empty())
            name = device_->typeName;
        if (const CQVTParameter* p = device_->FindParameterByName("Identification", "SoftwareVersion"))
            version = CParameterValue::GetValueText(*p, false);
    }
    if (name.empty())
        name = MessageText(kMsgStatusUnknownName);
    if (version.empty())
        version = MessageText(kMsgStatusUnknownVersion);
    return FormatMessage(IsOnline() ? kMsgStatusConnected : kMsgStatusOffline, static_cast<unsigned>(nodeId_),
                         BaudRateStatusText(env_.master->BaudRate()), name.c_str(), version.c_str());
}

void CQVTDoc::UpdateStatus()
{
    if (env_.status != nullptr)
        env_.status->SetStatusText(StatusText());
}

void CQVTDoc::ShowPrompt(const std::string& text)
{
    if (env_.status != nullptr)
        env_.status->SetPromptText(text);
}

void CQVTDoc::OnPollTimer()
{
    poller_.Tick(poll_, node_, device_, env_.master->BaudRate());
}

// ---------------------------------------------------------------- connect

bool CQVTDoc::OnNewDocument()
{
    const BusyScope busy(*this);
    CCANopenMaster& master = *env_.master;
    ConnectDeviceRequest request;
    request.nodeId = env_.defaultNodeId;
    request.baudRate = master.BaudRate();
    const ConnectDeviceChoice choice = Choose(request);
    if (choice.result != ConnectDeviceChoice::Connect) {
        model_ = CCommissioning::ModelK315;
        nodeId_ = env_.defaultNodeId;
        return false;
    }
    ConnectNode(choice);
    if (!IsNodeConnected(true) || !ReadModel(model_, true)) {
        // The abandoned document leaves no node behind in the master.
        RemoveNode();
        model_ = CCommissioning::ModelK315;
        return false;
    }
    device_ = env_.commissioning->SelectDevice(model_);
    if (!IsDescriptionAttached(true)) {
        RemoveNode();
        return false;
    }
    SetPathName(device_->name, false);
    device_->nodeId = nodeId_;
    device_->baudRate = master.BaudRate();
    device_->nodeIdChanged = false;
    device_->baudRateChanged = false;
    Upload();
    SetOnlineState();
    return true;
}

void CQVTDoc::OnConnect()
{
    const BusyScope busy(*this);
    if (IsOnline()) {
        std::string identity;
        if (node_->GetIdentity(identity))
            Show(MessageIcon::Information,
                 FormatMessage(kMsgNodeIdentity, static_cast<int>(nodeId_), identity.c_str()));
        else
            Show(MessageIcon::Exclamation,
                 FormatMessage(kMsgCantReadDeviceInfo, static_cast<int>(nodeId_), NodeErrorText().c_str()));
        return;
    }
    ConnectDeviceRequest request;
    request.nodeId = env_.defaultNodeId;
    request.baudRate = env_.master->BaudRate();
    request.configurationAllowed = true;
    const ConnectDeviceChoice choice = Choose(request);
    if (choice.result != ConnectDeviceChoice::Connect)
        return;
    ConnectNode(choice);
    if (!IsNodeConnected(true) || !IsDescriptionAttached(true) || !CheckModel(device_->model, true)) {
        RemoveNode();
        SetOnlineState();
        return;
    }
    SetOnlineState();
    if (choice.download) {
        Download();
        if (choice.store && IsOnline())
            memory_.StoreEeprom();
        SetPathName(pathName_, false);
    } else {
        RefreshViews(currentSection_);
    }
}

bool CQVTDoc::OnDisconnect()
{
    // The running command still uses the node.
    if (IsBusy())
        return false;
    // The drive's windows go while the drive is still there.
    if (env_.windows != nullptr && node_ != nullptr)
        env_.windows->CloseDriveWindows();
    if (node_ != nullptr) {
        node_->EnterPreOperational();
        if (env_.master->DisconnectNode(node_))
            node_ = nullptr;
    }
    SetOnlineState();
    return true;
}

void CQVTDoc::OnCloseDocument()
{
    if (env_.windows != nullptr)
        env_.windows->CloseDriveWindows();
    if (node_ != nullptr) {
        node_->EnterPreOperational();
        RemoveNode();
    }
    env_.commissioning->ResetDevice();
    device_ = nullptr;
    modified_ = false;
    if (env_.status != nullptr)
        env_.status->SetDefaultStatusText();
}

bool CQVTDoc::CanCloseFrame()
{
    if (IsBusy())
        return false;
    if (!IsOnline())
        return true;
    return env_.ui->AskYesNo(MessageIcon::Question, MessageText(kMsgAskDisconnectAndClose), true);
}

// ---------------------------------------------------------------- files

bool CQVTDoc::OnOpenDocument(const std::string& path)
{
    const BusyScope busy(*this);
    CCommissioning& commissioning = *env_.commissioning;
    if (!CCommissioningFile::Read(commissioning, path, CCommissioning::ModelNone, true)) {
        Show(MessageIcon::Stop, FormatMessage(kMsgCantReadFile, path.c_str()));
        return false;
    }
    device_ = commissioning.GetCurrentDevice();
    if (!IsDescriptionAttached(true))
        return false;
    model_ = device_->model;
    KeepRecording(path);

    ConnectDeviceRequest request;
    request.nodeId = env_.defaultNodeId;
    request.baudRate = env_.master->BaudRate();
    request.offlineAllowed = true;
    request.configurationAllowed = true;
    const ConnectDeviceChoice choice = Choose(request);
    if (choice.result == ConnectDeviceChoice::Cancel) {
        // The file's values and their changed flags go with the abandoned
        // document, as a Close takes them.
        env_.commissioning->ResetDevice();
        device_ = nullptr;
        return false;
    }
    if (choice.result == ConnectDeviceChoice::Offline) {
        nodeId_ = static_cast<std::uint8_t>(device_->nodeId);
        if (device_->actual.recording != 0) {
            offline_ = true;
            SetPathName(path, false);
            OnOscilloscope();  // shows the recording
        }
    } else {
        ConnectNode(choice);
        if (IsOnline() && !CheckModel(model_, false)) {
            Show(MessageIcon::Exclamation,
                 FormatMessage(kMsgFileNodeMismatch, path.c_str(), static_cast<int>(nodeId_)));
            RemoveNode();
        }
        // A node-id or baud rate the file asks for stays marked for Download.
        if (!device_->nodeIdChanged)
            device_->nodeId = nodeId_;
        if (!device_->baudRateChanged)
            device_->baudRate = env_.master->BaudRate();
        SetPathName(path, false);
        if (IsOnline() && choice.download) {
            Download();
            if (choice.store && IsOnline())
                memory_.StoreEeprom();
        }
    }
    SetOnlineState();
    // As the framework does after a successful open.
    SetPathName(path, true);
    modified_ = false;
    return true;
}

bool CQVTDoc::OnOpenInto(const std::optional<std::string>& given)
{
    const BusyScope busy(*this);
    std::optional<std::string> path = given;
    if (!path) {
        path = env_.ui->ChooseFile(CDocumentFileDialog::OpenRequest());
        if (!path)
            return false;
    }
    if (!CCommissioningFile::Read(*env_.commissioning, *path, model_, offline_)) {
        Show(MessageIcon::Stop, FormatMessage(kMsgCantReadFile, path->c_str()));
        return false;
    }
    device_ = env_.commissioning->GetCurrentDevice();
    if (offline_)
        KeepRecording(*path);
    RefreshViews(currentSection_);
    SetPathName(*path, true);
    return true;
}

// A file that holds a recording hands it to the oscilloscope, whether the
// document is online or not: saved again, the document carries it on.
void CQVTDoc::KeepRecording(const std::string& path)
{
    if (device_ != nullptr && device_->actual.recording != 0 && env_.windows != nullptr)
        env_.windows->LoadRecording(path);
}

bool CQVTDoc::OnSaveDocument(const std::string& path)
{
    const BusyScope busy(*this);
    if (!IsDescriptionAttached(false)) {
        Show(MessageIcon::Stop, FormatMessage(kMsgCantWriteDetached, path.c_str(), env_.descriptionPath.c_str()));
        return false;
    }
    CCommissioningFile::ExtraSections recording;
    if (device_->actual.recording != 0 && env_.windows != nullptr) {
        IDocumentWindows* windows = env_.windows;
        recording = [windows](std::string& text) { return windows->AppendRecording(text); };
    }
    if (!CCommissioningFile::Write(*env_.commissioning, path, true, recording)) {
        Show(MessageIcon::Exclamation, FormatMessage(kMsgCantWriteFile, path.c_str()));
        return false;
    }
    modified_ = false;
    SetPathName(path, true);
    return true;
}

// ---------------------------------------------------------------- transfers

bool CQVTDoc::Upload()
{
    const BusyScope busy(*this);
    return CDocumentTransfers(*this).Upload();
}

bool CQVTDoc::Download()
{
    const BusyScope busy(*this);
    return CDocumentTransfers(*this).Download();
}

bool CQVTDoc::Store()
{
    const BusyScope busy(*this);
    return memory_.Store();
}

bool CQVTDoc::Reset()
{
    const BusyScope busy(*this);
    return memory_.Reset();
}

bool CQVTDoc::Restore()
{
    const BusyScope busy(*this);
    return memory_.Restore();
}

// ---------------------------------------------------------------- windows

void CQVTDoc::OnOscilloscope()
{
    if (model_ != CCommissioning::ModelK315 && !env_.privateBuild) {
        Show(MessageIcon::Stop, FormatMessage(kMsgK315Only, static_cast<int>(nodeId_)));
        return;
    }
    if (env_.windows != nullptr)
        env_.windows->OpenOscilloscope();
}

bool CQVTDoc::OnFirmwareUpdate(const FirmwareDownload& download, const std::string& loaderFile,
                               std::string& appFileName)
{
    const BusyScope busy(*this);
    if (!IsNodeConnected(true) || !IsDescriptionAttached(true))
        return false;
    if (model_ != CCommissioning::ModelK315) {
        Show(MessageIcon::Stop, FormatMessage(kMsgK315Only, static_cast<int>(nodeId_)));
        return false;
    }
    FileRequest request;
    request.kind = FileRequest::Kind::Open;
    request.filter = DialogFilter(kFirmwareFilter);
    request.defaultName = appFileName;
    const std::optional<std::string> file = env_.ui->ChooseFile(request);
    if (!file)
        return false;
    if (env_.windows != nullptr)
        env_.windows->CloseDriveWindows();
    node_->EnterPreOperational();
    // No poll while the loaders run: the download's boxes let the timer
    // through, and a drive in its loader leaves each read to the time-out.
    poll_.transferIdle = false;
    CCANopenMaster& master = *env_.master;
    const std::uint16_t old = master.SetSDOTimeout(kFirmwareTimeout);
    const bool done = download && download(loaderFile, *file, *node_);
    if (done)
        appFileName = *file;
    env_.Pause(kFirmwareWait);
    master.SetSDOTimeout(old);
    poll_.transferIdle = true;
    Upload();
    return done;
}

std::optional<CHelpIndex::Document> CQVTDoc::DeviceManual() const
{
    return CHelpIndex::Lookup(env_.programDirectory, model_, CHelpIndex::Manual::Device);
}

std::optional<CHelpIndex::Document> CQVTDoc::CanopenManual() const
{
    return CHelpIndex::Lookup(env_.programDirectory, model_, CHelpIndex::Manual::CANopen);
}

}  // namespace ovro
