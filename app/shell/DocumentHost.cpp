// DocumentHost.cpp - the document, its window and its commands.
#include "shell/DocumentHost.h"

#include "QVTApp.h"
#include "shell/ConnectDeviceDialogChooser.h"
#include "shell/MainFrame.h"
#include "ui/CommandIds.h"

#include "description/Commissioning.h"
#include "document/QVTDoc.h"
#include "document/views/ChildFrame.h"
#include "document/views/QVTView.h"
#include "download/Download.h"
#include "download/views/ProgressBoxView.h"
#include "ui/MessageTexts.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMessageBox>
#include <QScreen>
#include <QSplitter>
#include <QTableWidget>
#include <QUrl>

namespace {

constexpr unsigned kAskToSave = 61442;  // "Save changes to %1?"

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// "Name (*.x)|*.x|All Files (*.*)|*.*||" as a file dialog's filter list.
std::string DialogFilter(const std::string& filter)
{
    std::string result;
    std::size_t at = 0;
    while (at < filter.size()) {
        const std::size_t bar = filter.find('|', at);
        if (bar == std::string::npos || bar == at)
            break;
        const std::size_t end = filter.find('|', bar + 1);
        if (!result.empty())
            result += ";;";
        result += filter.substr(at, bar - at);
        at = end == std::string::npos ? filter.size() : end + 1;
    }
    return result;
}

QSize ScreenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->size() : QSize(1024, 768);
}

} // namespace

CDocumentHost::CDocumentHost(CQVTApp& app, CMainFrame& frame, IUserInterface& ui)
    : app_(app), frame_(frame), ui_(ui),
      dialogChooser_(std::make_unique<CConnectDeviceDialogChooser>(app.Master(), app.Description(), ui, &frame)),
      chooser_(dialogChooser_.get()), recent_(app.Store())
{
    using namespace CommandId;
    observers_.Attach(this);
    recent_.Load();
    frame_.SetRecentFiles(recent_.Files());

    const auto on = [this](unsigned command, auto slot) {
        if (QAction* action = frame_.Action(command))
            connect(action, &QAction::triggered, this, slot);
    };
    on(kConnect, &CDocumentHost::OnConnect);
    on(kOpen, &CDocumentHost::OnOpen);
    on(kSaveAs, &CDocumentHost::OnSaveAs);
    on(kClose, &CDocumentHost::OnClose);
    on(kDisconnect, &CDocumentHost::OnDisconnect);
    on(kParameterWindow, &CDocumentHost::OnParameterWindow);
    on(kDeviceManual, &CDocumentHost::OnDeviceManual);
    on(kCanopenManual, &CDocumentHost::OnCanopenManual);
    on(kViewSplit, &CDocumentHost::OnSplit);
    on(kUpload, [this] { RunCommand(&ovro::CQVTDoc::Upload); });
    on(kDownload, [this] { RunCommand(&ovro::CQVTDoc::Download); });
    on(kStore, [this] { RunCommand(&ovro::CQVTDoc::Store); });
    on(kReset, [this] { RunCommand(&ovro::CQVTDoc::Reset); });
    on(kRestore, [this] { RunCommand(&ovro::CQVTDoc::Restore); });
    on(kFirmwareUpdate, &CDocumentHost::OnFirmwareUpdate);
    on(kPrint, [this] {
        if (childFrame_ != nullptr)
            childFrame_->OnFilePrint();
    });
    on(kPrintPreview, [this] {
        if (childFrame_ != nullptr)
            childFrame_->OnFilePrintPreview();
    });
    for (unsigned command : {kEditUndo, kEditCut, kEditCopy, kEditPaste})
        on(command, [this, command] { OnEditCommand(command); });
    connect(&frame_, &CMainFrame::recentFileChosen, this, &CDocumentHost::OnOpenRecent);
    frame_.SetCloseHandler([this] { return CloseForExit(); });
    askSave_ = [this](const std::string& title) {
        const QMessageBox::StandardButton answer = QMessageBox::question(
            &frame_, QString::fromLatin1(MessageText(57344)),
            QString::fromLatin1(MessageText(kAskToSave)).arg(QString::fromLocal8Bit(title.c_str())),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        return answer == QMessageBox::Yes ? SaveAnswer::Yes
               : answer == QMessageBox::No ? SaveAnswer::No
                                           : SaveAnswer::Cancel;
    };
    UpdateCommands();
}

CDocumentHost::~CDocumentHost()
{
    frame_.SetCloseHandler({});
    // The window refers to the document and to the observer list.
    delete childFrame_.data();
    observers_.Detach(this);
}

void CDocumentHost::SetChooser(ovro::IConnectDeviceChooser* chooser)
{
    chooser_ = chooser != nullptr ? chooser : dialogChooser_.get();
}

std::unique_ptr<ovro::CQVTDoc> CDocumentHost::NewDocument()
{
    const CAppSettings& settings = app_.Settings();
    ovro::DocumentEnvironment env;
    env.master = &app_.Master();
    env.commissioning = &app_.Description();
    env.ui = &ui_;
    env.chooser = chooser_;
    env.observer = &observers_;
    env.status = this;
    env.defaultNodeId = settings.nodeId;
    env.timing = settings.timing;
    env.privateBuild = settings.privateBuild;
    env.programDirectory = settings.ProgramDirectory();
    env.descriptionPath = settings.DescriptionPath();
    return std::make_unique<ovro::CQVTDoc>(env);
}

// The document's window in the MDI area, filled and polling.
void CDocumentHost::ShowDocument()
{
    auto* child = new CChildFrame(doc_.get(), ui_, app_.Store());
    child->AttachTo(observers_);
    child->SetProgramDirectory(QString::fromLocal8Bit(app_.Settings().ProgramDirectory().c_str()));
    child->SetBaudRateSource([this] { return static_cast<int>(app_.Master().BaudRate()); });
    // The viewer is handed the manual; a jump to the destination is left to it.
    child->SetHelpOpener([this](const ovro::CContextHelp::Target& target) {
        const QString file = QString::fromLocal8Bit(target.file.c_str());
        return QFileInfo::exists(file) && frame_.OpenUrl(QUrl::fromLocalFile(file));
    });
    frame_.MdiArea()->addSubWindow(child);
    connect(child, &CChildFrame::frameClosed, this, [this] { OnFrameClosed(); });
    connect(child, &CChildFrame::commandDone, this, [this] { UpdateCommands(); });
    child->SetCloseGuard([this] { return SaveModified(); });
    childFrame_ = child;
    child->ShowInitial(ScreenSize());
    child->OnInitialUpdate();
    frame_.MdiArea()->setActiveSubWindow(child);
}

void CDocumentHost::OnFrameClosed()
{
    if (!doc_)
        return;
    doc_->OnCloseDocument();
    closing_ = std::move(doc_);
    if (childFrame_ != nullptr) {
        connect(childFrame_, &QObject::destroyed, this, [this] { closing_.reset(); });
    } else {
        closing_.reset();
    }
    childFrame_ = nullptr;
    UpdateCommands();
}

bool CDocumentHost::CloseForExit()
{
    if (!doc_)
        return true;
    if (doc_->IsBusy())
        return false;  // a firmware download runs
    // The question about the connected drive has been answered; the changes
    // are offered for saving while the drive is still there.
    if (!SaveModified())
        return false;
    saveAsked_ = true;
    if (doc_->IsOnline())
        doc_->OnDisconnect();
    if (childFrame_ != nullptr)
        childFrame_->close();
    else
        OnFrameClosed();
    saveAsked_ = false;
    return !doc_;
}

bool CDocumentHost::SaveModified()
{
    if (!doc_ || saveAsked_)
        return true;
    if (childFrame_ != nullptr)
        childFrame_->View()->CommitPendingEdit();
    if (!doc_->IsModified())
        return true;
    const QString path = QString::fromLocal8Bit(doc_->PathName().c_str());
    const QFileInfo file(path);
    switch (askSave_(file.fileName().isEmpty() ? doc_->PathName() : file.fileName().toLocal8Bit().constData())) {
    case SaveAnswer::No:
        return true;
    case SaveAnswer::Cancel:
        return false;
    case SaveAnswer::Yes:
        break;
    }
    // A document read from a file goes back there; one made by Connect
    // needs a name first.
    if (file.isAbsolute() && file.exists() && !file.suffix().isEmpty()) {
        WaitCursor wait;
        return doc_->OnSaveDocument(doc_->PathName());
    }
    return SaveAs();
}

void CDocumentHost::UpdateCommands()
{
    if (doc_)
        frame_.SetDocument(doc_->IsOnline());
    else
        frame_.SetNoDocument();
}

// ---------------------------------------------------------------- status bar

void CDocumentHost::SetStatusText(const std::string& text)
{
    frame_.SetConnectionText(QString::fromLatin1(text.c_str()));
    if (doc_)
        frame_.SetDocument(doc_->IsOnline());
}

void CDocumentHost::SetDefaultStatusText()
{
    frame_.ClearConnectionText();
}

void CDocumentHost::OnPathChanged(const std::string& path, bool addToRecentList)
{
    if (!addToRecentList)
        return;
    recent_.Add(path);
    frame_.SetRecentFiles(recent_.Files());
}

// ---------------------------------------------------------------- commands

void CDocumentHost::OnConnect()
{
    WaitCursor wait;
    if (doc_) {
        doc_->OnConnect();
    } else {
        doc_ = NewDocument();
        if (doc_->OnNewDocument())
            ShowDocument();
        else
            doc_.reset();
    }
    UpdateCommands();
}

bool CDocumentHost::OpenDocument(const std::string& path)
{
    if (doc_)
        return false;
    WaitCursor wait;
    doc_ = NewDocument();
    const bool opened = doc_->OnOpenDocument(path);
    if (opened)
        ShowDocument();
    else
        doc_.reset();
    UpdateCommands();
    return opened;
}

void CDocumentHost::OnOpen()
{
    if (doc_) {
        WaitCursor wait;
        doc_->OnOpenInto();
        UpdateCommands();
        return;
    }
    FileRequest request;
    request.kind = FileRequest::Kind::Open;
    request.filter = DialogFilter(MessageText(63660));
    request.defaultName = std::string("*.") + MessageText(63661);
    const std::optional<std::string> path = ui_.ChooseFile(request);
    if (path)
        OpenDocument(*path);
}

void CDocumentHost::OnOpenRecent(int index)
{
    const std::vector<std::string>& files = recent_.Files();
    if (index < 0 || static_cast<std::size_t>(index) >= files.size())
        return;
    const std::string path = files[static_cast<std::size_t>(index)];
    if (doc_) {
        WaitCursor wait;
        doc_->OnOpenInto(path);
        UpdateCommands();
    } else {
        OpenDocument(path);
    }
}

void CDocumentHost::OnSaveAs()
{
    SaveAs();
}

bool CDocumentHost::SaveAs()
{
    if (!doc_)
        return false;
    if (childFrame_ != nullptr)
        childFrame_->View()->CommitPendingEdit();
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.filter = DialogFilter(MessageText(63660));
    const std::string extension = std::string(".") + MessageText(63661);
    std::string name = doc_->PathName();
    if (QFileInfo(QString::fromLocal8Bit(name.c_str())).suffix().isEmpty())
        name += extension;
    request.defaultName = name;
    std::optional<std::string> path = ui_.ChooseFile(request);
    if (!path)
        return false;
    // The default extension goes onto a name typed without one.
    if (QFileInfo(QString::fromLocal8Bit(path->c_str())).suffix().isEmpty())
        *path += extension;
    WaitCursor wait;
    return doc_->OnSaveDocument(*path);
}

void CDocumentHost::OnClose()
{
    if (childFrame_ != nullptr)
        childFrame_->close();
}

void CDocumentHost::OnDisconnect()
{
    if (!doc_)
        return;
    WaitCursor wait;
    doc_->OnDisconnect();
    UpdateCommands();
}

void CDocumentHost::RunCommand(bool (ovro::CQVTDoc::*command)())
{
    if (!doc_)
        return;
    {
        WaitCursor wait;
        (doc_.get()->*command)();
    }
    UpdateCommands();
}

void CDocumentHost::OnFirmwareUpdate()
{
    if (!doc_)
        return;
    CProgressBoxView boxes(app_.Store(), &frame_);
    const auto download = [&](const std::string& loader, const std::string& file, CCANopenNode& node) {
        CDownload firmware(ui_, boxes);
        return firmware.Download(loader, file, app_.LoaderPageSize(), &node);
    };
    std::string file = app_.Settings().appFileName;
    if (doc_->OnFirmwareUpdate(download, app_.LoaderFile(), file))
        app_.RememberFirmwareFile(file);
    UpdateCommands();
}

void CDocumentHost::OnParameterWindow()
{
    if (childFrame_ == nullptr)
        return;
    if (childFrame_->isMinimized())
        childFrame_->showNormal();
    frame_.MdiArea()->setActiveSubWindow(childFrame_);
}

void CDocumentHost::OpenManual(bool device)
{
    if (!doc_)
        return;
    WaitCursor wait;
    const std::optional<ovro::CHelpIndex::Document> manual = device ? doc_->DeviceManual() : doc_->CanopenManual();
    // A manual that is not named or not there ends the command quietly.
    if (!manual)
        return;
    const QString file = QString::fromLocal8Bit(manual->file.c_str());
    if (QFileInfo::exists(file))
        frame_.OpenUrl(QUrl::fromLocalFile(file));
}

void CDocumentHost::OnDeviceManual()
{
    OpenManual(true);
}

void CDocumentHost::OnCanopenManual()
{
    OpenManual(false);
}

// Undo, cut, copy and paste go to the editor that has the focus; copy out
// of the parameter table takes the current cell.
void CDocumentHost::OnEditCommand(unsigned command)
{
    using namespace CommandId;
    QWidget* focus = QApplication::focusWidget();
    QLineEdit* edit = qobject_cast<QLineEdit*>(focus);
    if (edit == nullptr) {
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(focus))
            edit = spin->findChild<QLineEdit*>();
        else if (auto* combo = qobject_cast<QComboBox*>(focus))
            edit = combo->lineEdit();
    }
    if (edit != nullptr) {
        switch (command) {
        case kEditUndo: edit->undo(); break;
        case kEditCut: edit->cut(); break;
        case kEditCopy: edit->copy(); break;
        case kEditPaste: edit->paste(); break;
        default: break;
        }
        return;
    }
    if (command == kEditCopy) {
        if (auto* table = qobject_cast<QTableWidget*>(focus)) {
            if (const QTableWidgetItem* item = table->currentItem())
                QApplication::clipboard()->setText(item->text());
        }
    }
}

// "S&plit": the bar between section tree and table goes to the middle.
void CDocumentHost::OnSplit()
{
    if (childFrame_ == nullptr)
        return;
    QSplitter* splitter = childFrame_->Splitter();
    const int half = splitter->width() / 2;
    splitter->setSizes({half, splitter->width() - half});
}

std::optional<std::string> CDocumentHost::CommandLineDocument(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument.isEmpty() || argument.startsWith(QLatin1Char('-')))
            continue;
        return std::string(argument.toLocal8Bit().constData());
    }
    return std::nullopt;
}
