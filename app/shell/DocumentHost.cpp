// DocumentHost.cpp - the document session in its windows.
#include "shell/DocumentHost.h"

#include "QVTApp.h"
#include "shell/ConnectDeviceDialogChooser.h"
#include "scope/views/PlotFrame.h"
#include "shell/DocumentWindowHost.h"
#include "shell/MainFrame.h"
#include "shell/ProgramApplication.h"
#include "shell/WaitCursor.h"
#include "ui/CommandIds.h"

#include "description/Commissioning.h"
#include "document/PdfViewer.h"
#include "document/QVTDoc.h"
#include "document/views/ChildFrame.h"
#include "document/views/QVTView.h"
#include "download/Download.h"
#include "download/views/ProgressBoxView.h"
#include "operation/views/DriveWindows.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

#include <QProcess>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMessageBox>
#include <QSplitter>
#include <QTimer>
#include <QUrl>

CDocumentHost::CDocumentHost(CQVTApp& app, CMainFrame& frame, IUserInterface& ui)
    : app_(app), frame_(frame), ui_(ui),
      dialogChooser_(std::make_unique<CConnectDeviceDialogChooser>(app.Master(), app.Description(), ui, &frame)),
      session_(app.Master(), app.Description(), app.Settings(), app.Store(), ui, *this),
      scope_(frame.MdiArea(), app.Oscilloscope(), app.Master(), ui, app.Store()),
      windows_(frame, scope_, [this] { return session_.Document(); })
{
    using namespace CommandId;
    session_.SetChooser(dialogChooser_.get());
    driveWindows_ = new CDriveWindows(*frame_.MdiArea(), app_.Store(), ui_, frame_);
    driveWindows_->SetCommands(frame_.Action(kMotionControl), frame_.Action(kDeviceStatus));
    driveWindows_->SetScreenSize(CProgramApplication::ScreenSize());
    windows_.SetDriveWindows(driveWindows_);
    session_.SetWindows(&windows_);

    const auto on = [this](unsigned command, auto slot) {
        if (QAction* action = frame_.Action(command))
            connect(action, &QAction::triggered, this, slot);
    };
    const auto run = [this](bool (ovro::CQVTDoc::*command)()) {
        return [this, command] { session_.Run([command](ovro::CQVTDoc& doc) { return (doc.*command)(); }); };
    };
    on(kConnect, [this] { session_.Connect(); });
    on(kOpen, [this] { session_.Open(); });
    on(kSaveAs, [this] { session_.SaveAs(); });
    on(kClose, &CDocumentHost::OnClose);
    on(kDisconnect, [this] { session_.Disconnect(); });
    on(kParameterWindow, &CDocumentHost::OnParameterWindow);
    on(kDeviceManual, [this] { session_.OpenManual(true); });
    on(kCanopenManual, [this] { session_.OpenManual(false); });
    on(kViewSplit, &CDocumentHost::OnSplit);
    // Through the session as every command: not while another one runs, and
    // the window's loading of an offline recording (its box lets window
    // messages through) keeps the document.
    on(kOscilloscope, [this] {
        session_.Run([](ovro::CQVTDoc& doc) {
            doc.OnOscilloscope();
            return true;
        });
        // The window opened while the command held the document: its
        // commands follow the document once that is over.
        if (CPlotFrame* plot = scope_.Frame())
            plot->UpdateState();
    });
    on(kExport, [this] { scope_.Export(); });
    on(kUpload, run(&ovro::CQVTDoc::Upload));
    on(kDownload, run(&ovro::CQVTDoc::Download));
    on(kStore, run(&ovro::CQVTDoc::Store));
    on(kReset, run(&ovro::CQVTDoc::Reset));
    on(kRestore, run(&ovro::CQVTDoc::Restore));
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
    connect(&frame_, &CMainFrame::recentFileChosen, this, [this](int index) { session_.OpenRecent(index); });
    connect(&frame_, &CMainFrame::optionsChanged, this, [this] {
        session_.OptionsChanged();
        if (childFrame_ != nullptr)
            childFrame_->SetProgramDirectory(QString::fromLocal8Bit(app_.Settings().ProgramDirectory().c_str()));
    });
    frame_.SetCloseHandler([this] { return session_.CloseForExit(); });
    frame_.SetBusyQuery([this] { return session_.IsBusy(); });
    frame_.SetInterfaceGuard([this] { return session_.ReleaseInterface(); });
    askSave_ = [this](const std::string& title) {
        const QMessageBox::StandardButton answer = QMessageBox::question(
            &frame_, QString::fromLatin1(MessageText(kMsgProgramTitle)),
            QString::fromLatin1(MessageText(kMsgAskToSave)).arg(QString::fromLocal8Bit(title.c_str())),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        return answer == QMessageBox::Yes ? SaveAnswer::Yes
               : answer == QMessageBox::No ? SaveAnswer::No
                                           : SaveAnswer::Cancel;
    };
    session_.UpdateCommands();
}

CDocumentHost::~CDocumentHost()
{
    frame_.SetCloseHandler({});
    frame_.SetBusyQuery({});
    frame_.SetInterfaceGuard({});
    // The windows refer to the document and to the session's observer list.
    delete driveWindows_;
    delete childFrame_.data();
}

void CDocumentHost::OpenDocumentLater(const std::string& path)
{
    QTimer::singleShot(0, this, [this, path] { session_.OpenDocument(path); });
}

void CDocumentHost::SetChooser(ovro::IConnectDeviceChooser* chooser)
{
    session_.SetChooser(chooser != nullptr ? chooser : dialogChooser_.get());
}

// ---------------------------------------------------------------- the session's view


namespace {

// The desktop's viewer of PDF files ("org.gnome.Evince.desktop"), or "".
std::string DesktopPdfViewer()
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("application/pdf")});
    if (!query.waitForFinished(2000) || query.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed().toStdString();
}

}  // namespace

// The document's window in the MDI area, filled and polling.
void CDocumentHost::OpenDocumentWindow(ovro::CQVTDoc& doc)
{
    auto* child = new CChildFrame(&doc, ui_, app_.Store());
    child->AttachTo(session_.Observers());
    child->SetProgramDirectory(QString::fromLocal8Bit(app_.Settings().ProgramDirectory().c_str()));
    child->SetBaudRateSource([this] { return static_cast<int>(app_.Master().BaudRate()); });
    child->SetPrinter(frame_.Printer());
    // A viewer that takes a named destination is started at it; any other
    // is handed the manual.
    child->SetHelpOpener([this](const ovro::CContextHelp::Target& target) {
        const QString file = QString::fromLocal8Bit(target.file.c_str());
        if (!QFileInfo::exists(file))
            return false;
        if (const auto jump = ovro::CPdfViewer::JumpCommand(DesktopPdfViewer(), target.file, target.destination)) {
            QStringList arguments;
            for (const std::string& a : jump->arguments)
                arguments << QString::fromLocal8Bit(a.c_str());
            if (QProcess::startDetached(QString::fromStdString(jump->program), arguments))
                return true;
        }
        return frame_.OpenUrl(QUrl::fromLocalFile(file));
    });
    frame_.MdiArea()->addSubWindow(child);
    connect(child, &CChildFrame::frameClosed, this, [this] { OnFrameClosed(); });
    connect(child, &CChildFrame::commandDone, this, [this] { session_.UpdateCommands(); });
    child->SetCloseGuard([this] { return session_.SaveModified(); });
    child->SetCommandRunner([this](const std::function<bool(ovro::CQVTDoc&)>& command) { session_.Run(command); });
    childFrame_ = child;
    child->ShowInitial(CProgramApplication::ScreenSize());
    child->OnInitialUpdate();
    frame_.MdiArea()->setActiveSubWindow(child);
    drive_ = std::make_unique<ovro::CDocumentDrive>(doc, app_.Description());
    driveWindows_->SetDocument(drive_.get());
}

bool CDocumentHost::CloseDocumentWindow()
{
    if (childFrame_ == nullptr)
        return false;
    childFrame_->close();
    return true;
}

void CDocumentHost::CommitPendingEdit()
{
    if (childFrame_ != nullptr)
        childFrame_->View()->CommitPendingEdit();
}

CDocumentHost::SaveAnswer CDocumentHost::AskSave(const std::string& title)
{
    return askSave_(title);
}

void CDocumentHost::ShowNoDocument()
{
    frame_.SetNoDocument();
}

void CDocumentHost::ShowDocument(bool online)
{
    frame_.SetDocument(online);
}

void CDocumentHost::ShowRecentFiles(const std::vector<std::string>& files)
{
    frame_.SetRecentFiles(files);
}

void CDocumentHost::ShowConnectionText(const std::string& text)
{
    frame_.SetConnectionText(QString::fromLatin1(text.c_str()));
}

void CDocumentHost::ClearConnectionText()
{
    frame_.ClearConnectionText();
}

void CDocumentHost::ShowPromptText(const std::string& text)
{
    frame_.SetPromptText(QString::fromLatin1(text.c_str()));
}

void CDocumentHost::SetBusy(bool busy)
{
    if (busy)
        CWaitCursor::Show();
    else
        CWaitCursor::Hide();
}

void CDocumentHost::OpenManualFile(const std::string& path)
{
    frame_.OpenUrl(QUrl::fromLocalFile(QString::fromLocal8Bit(path.c_str())));
}

// The window has closed; the closed document lives on until it is gone.
void CDocumentHost::OnFrameClosed()
{
    // The drive windows belong to the document and close with it.
    driveWindows_->SetDocument(nullptr);
    drive_.reset();
    std::unique_ptr<ovro::CQVTDoc> closed = session_.WindowClosed();
    if (!closed)
        return;
    closing_ = std::move(closed);
    if (childFrame_ != nullptr)
        connect(childFrame_, &QObject::destroyed, this, [this] { closing_.reset(); });
    else
        closing_.reset();
    childFrame_ = nullptr;
}

// ---------------------------------------------------------------- window commands

void CDocumentHost::OnClose()
{
    if (childFrame_ != nullptr)
        childFrame_->close();
}

void CDocumentHost::OnFirmwareUpdate()
{
    ovro::CQVTDoc* doc = session_.Document();
    if (doc == nullptr || session_.IsBusy())
        return;
    CProgressBoxView boxes(app_.Store(), &frame_);
    const auto download = [&](const std::string& loader, const std::string& file, CCANopenNode& node) {
        CDownload firmware(ui_, boxes);
        return firmware.Download(loader, file, app_.LoaderPageSize(), &node);
    };
    std::string file = app_.Settings().appFileName;
    if (doc->OnFirmwareUpdate(download, app_.LoaderFile(), file))
        app_.RememberFirmwareFile(file);
    session_.UpdateCommands();
}

void CDocumentHost::OnParameterWindow()
{
    if (childFrame_ == nullptr)
        return;
    if (childFrame_->isMinimized())
        childFrame_->showNormal();
    frame_.MdiArea()->setActiveSubWindow(childFrame_);
}

// Undo, cut, copy and paste go to the editor that has the focus.
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
    // Without an editor they act on the value of the table's selected line.
    if (childFrame_ == nullptr)
        return;
    CQVTView* view = childFrame_->View();
    QClipboard* clipboard = QApplication::clipboard();
    switch (command) {
    case kEditUndo: view->UndoEdit(); break;
    case kEditCut: clipboard->setText(view->CutSelected()); break;
    case kEditCopy: clipboard->setText(view->CopySelected()); break;
    case kEditPaste: view->PasteSelected(clipboard->text()); break;
    default: break;
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
