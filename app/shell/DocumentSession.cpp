// DocumentSession.cpp - the document and its commands, without windows.
#include "shell/DocumentSession.h"

#include <filesystem>

#include "document/DocumentEnvironment.h"
#include "document/DocumentFileDialog.h"
#include "document/QVTDoc.h"
#include "settings/AppSettings.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"
#include "ui/UserInterface.h"

namespace {

bool Exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

}  // namespace

CDocumentSession::CDocumentSession(CCANopenMaster& master, ovro::CCommissioning& description,
                                   const CAppSettings& settings, ISettingsStore& store, IUserInterface& ui,
                                   IDocumentSessionView& view)
    : master_(master), description_(description), settings_(settings), ui_(ui), view_(view), recent_(store)
{
    observers_.Attach(this);
    recent_.Load();
    view_.ShowRecentFiles(recent_.Files());
}

CDocumentSession::~CDocumentSession()
{
    observers_.Detach(this);
}

std::unique_ptr<ovro::CQVTDoc> CDocumentSession::NewDocument()
{
    ovro::DocumentEnvironment env;
    env.master = &master_;
    env.commissioning = &description_;
    env.ui = &ui_;
    env.chooser = chooser_;
    env.observer = &observers_;
    env.status = this;
    env.windows = windows_;
    env.defaultNodeId = settings_.nodeId;
    env.timing = settings_.timing;
    env.privateBuild = settings_.privateBuild;
    env.programDirectory = settings_.ProgramDirectory();
    env.descriptionPath = settings_.DescriptionPath();
    return std::make_unique<ovro::CQVTDoc>(env);
}

bool CDocumentSession::IsBusy() const
{
    return doc_ && doc_->IsBusy();
}

void CDocumentSession::UpdateCommands()
{
    if (doc_)
        view_.ShowDocument(doc_->IsOnline());
    else
        view_.ShowNoDocument();
}

// ---------------------------------------------------------------- status bar

void CDocumentSession::SetStatusText(const std::string& text)
{
    view_.ShowConnectionText(text);
    if (doc_)
        view_.ShowDocument(doc_->IsOnline());
}

void CDocumentSession::SetDefaultStatusText()
{
    view_.ClearConnectionText();
}

void CDocumentSession::SetPromptText(const std::string& text)
{
    view_.ShowPromptText(text);
}

void CDocumentSession::OnPathChanged(const std::string& path, bool addToRecentList)
{
    if (!addToRecentList)
        return;
    recent_.Add(path);
    view_.ShowRecentFiles(recent_.Files());
}

// ---------------------------------------------------------------- commands

void CDocumentSession::Connect()
{
    if (IsBusy())
        return;
    {
        const Busy busy(view_);
        if (doc_) {
            doc_->OnConnect();
        } else {
            doc_ = NewDocument();
            if (doc_->OnNewDocument())
                view_.OpenDocumentWindow(*doc_);
            else
                doc_.reset();
        }
    }
    UpdateCommands();
}

bool CDocumentSession::OpenDocument(const std::string& path)
{
    if (doc_)
        return false;
    bool opened = false;
    {
        const Busy busy(view_);
        doc_ = NewDocument();
        opened = doc_->OnOpenDocument(path);
        if (opened)
            view_.OpenDocumentWindow(*doc_);
        else
            doc_.reset();
    }
    UpdateCommands();
    return opened;
}

void CDocumentSession::Open()
{
    if (IsBusy())
        return;
    if (doc_) {
        {
            const Busy busy(view_);
            doc_->OnOpenInto();
        }
        UpdateCommands();
        return;
    }
    const std::optional<std::string> path = ui_.ChooseFile(ovro::CDocumentFileDialog::OpenRequest());
    if (path)
        OpenDocument(*path);
}

void CDocumentSession::OpenRecent(int index)
{
    if (IsBusy())
        return;
    const std::vector<std::string>& files = recent_.Files();
    if (index < 0 || static_cast<std::size_t>(index) >= files.size())
        return;
    const std::string path = files[static_cast<std::size_t>(index)];
    if (!doc_) {
        OpenDocument(path);
        return;
    }
    {
        const Busy busy(view_);
        doc_->OnOpenInto(path);
    }
    UpdateCommands();
}

bool CDocumentSession::SaveAs()
{
    if (!doc_ || IsBusy())
        return false;
    view_.CommitPendingEdit();
    const std::optional<std::string> path =
        ui_.ChooseFile(ovro::CDocumentFileDialog::SaveAsRequest(doc_->PathName()));
    if (!path)
        return false;
    // The default extension goes onto a name typed without one.
    const std::string named = ovro::CDocumentFileDialog::WithExtension(*path);
    const Busy busy(view_);
    return doc_->OnSaveDocument(named);
}

void CDocumentSession::Disconnect()
{
    if (!doc_ || IsBusy())
        return;
    {
        const Busy busy(view_);
        doc_->OnDisconnect();
    }
    UpdateCommands();
}

void CDocumentSession::Run(const std::function<bool(ovro::CQVTDoc&)>& command)
{
    if (!doc_ || IsBusy())
        return;
    {
        const Busy busy(view_);
        // Whatever the command is, nothing closes its document under it.
        const ovro::CQVTDoc::BusyScope running(*doc_);
        command(*doc_);
    }
    UpdateCommands();
}

void CDocumentSession::OpenManual(bool device)
{
    if (!doc_ || IsBusy())
        return;
    const Busy busy(view_);
    const std::optional<ovro::CHelpIndex::Document> manual = device ? doc_->DeviceManual() : doc_->CanopenManual();
    // A manual that is not named or not there ends the command quietly.
    if (manual && Exists(manual->file))
        view_.OpenManualFile(manual->file);
}

void CDocumentSession::OptionsChanged()
{
    if (doc_)
        doc_->SetProgramOptions(settings_.ProgramDirectory(), settings_.nodeId);
}

bool CDocumentSession::ReleaseInterface()
{
    if (IsBusy())
        return false;
    if (!doc_ || !doc_->IsOnline())
        return true;
    if (!ui_.AskYesNo(MessageIcon::Question, MessageText(kMsgAskDisconnectAndInitialize), false))
        return false;
    Disconnect();
    return !doc_->IsOnline();
}

// ---------------------------------------------------------------- closing

bool CDocumentSession::SaveModified()
{
    if (!doc_ || saveAsked_)
        return true;
    view_.CommitPendingEdit();
    if (!doc_->IsModified())
        return true;
    const std::string& path = doc_->PathName();
    const std::string name = ovro::CDocumentFileDialog::FileName(path);
    switch (view_.AskSave(name.empty() ? path : name)) {
    case IDocumentSessionView::SaveAnswer::No:
        return true;
    case IDocumentSessionView::SaveAnswer::Cancel:
        return false;
    case IDocumentSessionView::SaveAnswer::Yes:
        break;
    }
    // A document read from a file goes back there; one made by Connect
    // needs a name first.
    if (!path.empty() && path.front() == '/' && Exists(path) && !ovro::CDocumentFileDialog::Suffix(path).empty()) {
        const Busy busy(view_);
        return doc_->OnSaveDocument(path);
    }
    return SaveAs();
}

std::unique_ptr<ovro::CQVTDoc> CDocumentSession::WindowClosed()
{
    if (!doc_)
        return nullptr;
    doc_->OnCloseDocument();
    std::unique_ptr<ovro::CQVTDoc> closed = std::move(doc_);
    UpdateCommands();
    return closed;
}

bool CDocumentSession::CloseForExit()
{
    if (IsBusy())
        return false;
    if (!doc_)
        return true;
    if (doc_->IsBusy())
        return false;  // a firmware download runs
    if (!SaveModified())
        return false;
    saveAsked_ = true;
    if (doc_->IsOnline())
        doc_->OnDisconnect();
    if (!view_.CloseDocumentWindow())
        WindowClosed();
    saveAsked_ = false;
    return !doc_;
}
