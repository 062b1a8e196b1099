// MainFrame.cpp - the main window, its menus, toolbar and status bar.
#include "shell/MainFrame.h"

#include "QVTApp.h"
#include "settings/FramePlacement.h"
#include "shell/DlgAbout.h"
#include "shell/DlgInterface.h"
#include "shell/DlgOptionSheet.h"
#include "shell/WaitCursor.h"
#include "ui/CommandIds.h"

#include "settings/SettingsKeys.h"
#include "settings/WindowPlacement.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace {

QString TitleText()
{
    return QString::fromLatin1(MessageText(kMsgProgramTitle));
}

} // namespace

CMainFrame::CMainFrame(CQVTApp& app, IUserInterface& ui, const CCommandState::Features& features,
                       QWidget* parent)
    : QMainWindow(parent), app_(app), ui_(ui), commands_(features),
      openUrl_([](const QUrl& url) { return QDesktopServices::openUrl(url); })
{
    setWindowTitle(TitleText());
    mdi_ = new QMdiArea(this);
    setCentralWidget(mdi_);

    CreateCommands();
    CreateToolBar();
    connectionPane_ = new QLabel(this);
    statusBar()->addPermanentWidget(connectionPane_);
    ClearConnectionText();
    BuildMenus();
    UpdateCommands();
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::AddCommand(unsigned command, const char* menuText)
{
    const QString full = QString::fromLatin1(menuText);
    const int tab = full.indexOf(QLatin1Char('\t'));
    auto* action = new QAction(this);
    if (tab >= 0 && (full.mid(tab + 1).startsWith(QLatin1String("Ctrl+"))
                     || full.mid(tab + 1).startsWith(QLatin1String("Alt+")))) {
        action->setText(full.left(tab));
        action->setShortcut(QKeySequence(full.mid(tab + 1)));
    } else {
        action->setText(full);
    }
    // Prompt for the status bar, then the tool tip after the line break.
    const QString prompt = QString::fromLatin1(MessageText(command));
    const int nl = prompt.indexOf(QLatin1Char('\n'));
    action->setStatusTip(nl >= 0 ? prompt.left(nl) : prompt);
    if (nl >= 0)
        action->setToolTip(prompt.mid(nl + 1));
    action->setData(command);
    actions_[command] = action;
    return action;
}

void CMainFrame::CreateCommands()
{
    using namespace CommandId;
    AddCommand(kOpen, "&Open...\tCtrl+O");
    AddCommand(kSaveAs, "Save &As...");
    AddCommand(kClose, "&Close");
    AddCommand(kPrint, "&Print...\tCtrl+P");
    AddCommand(kPrintPreview, "Print Pre&view");
    AddCommand(kPrintSetup, "P&rint Setup...");
    AddCommand(kExport, "&Export...");
    AddCommand(kExit, "E&xit\tAlt+F4");
    AddCommand(kEditUndo, "&Undo\tCtrl+Z");
    AddCommand(kEditCut, "Cu&t\tCtrl+X");
    AddCommand(kEditCopy, "&Copy\tCtrl+C");
    AddCommand(kEditPaste, "&Paste\tCtrl+V");
    AddCommand(kViewToolbar, "&Toolbar");
    AddCommand(kViewStatusBar, "&Status Bar");
    AddCommand(kViewSplit, "S&plit");
    AddCommand(kConnect, "&Connect\tCtrl+N");
    AddCommand(kDisconnect, "&Disconnect");
    AddCommand(kParameterWindow, "Change &Parameters...");
    AddCommand(kMotionControl, "&Motion Control...");
    AddCommand(kDeviceStatus, "Device &Status...");
    AddCommand(kOscilloscope, "&Oscilloscope...\tK315");
    AddCommand(kFirmwareUpdate, "Firmware &Update\tK315");
    AddCommand(kUpload, "&Upload all Parameters");
    AddCommand(kDownload, "&Download all Parameters");
    AddCommand(kStore, "&Store Parameters into EEPROM");
    AddCommand(kReset, "&Reset Parameters to Power-On Values");
    AddCommand(kRestore, "Restore &Factory Settings of the Device");
    AddCommand(kInterfaceInitialize, "&Initialize...");
    AddCommand(kInterfaceInitializeTool, "&Initialize...");
    AddCommand(kInterfaceProperties, "&Properties...");
    AddCommand(kOptions, "&Options...");
    AddCommand(kWindowCascade, "&Cascade");
    AddCommand(kWindowTile, "&Tile");
    AddCommand(kWindowArrange, "&Arrange Icons");
    AddCommand(kUserManual, "&User Manual");
    AddCommand(kDeviceManual, "&Device Manual");
    AddCommand(kCanopenManual, "&CANopen Manual");
    AddCommand(kAbout, "&About Ovro-QVT...");
    for (unsigned i = 0; i < kRecentFileCount; ++i) {
        QAction* recent = AddCommand(kRecentFile1 + i, "");
        connect(recent, &QAction::triggered, this, [this, i] { emit recentFileChosen(static_cast<int>(i)); });
    }

    QAction* toolbar = Action(kViewToolbar);
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    QAction* statusBarAction = Action(kViewStatusBar);
    statusBarAction->setCheckable(true);
    statusBarAction->setChecked(true);
    connect(statusBarAction, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });

    connect(Action(kExit), &QAction::triggered, this, &QWidget::close);
    connect(Action(kPrintSetup), &QAction::triggered, this, &CMainFrame::OnPrintSetup);
    connect(Action(kInterfaceInitialize), &QAction::triggered, this, &CMainFrame::OnInterfaceInitialize);
    connect(Action(kInterfaceInitializeTool), &QAction::triggered, this, &CMainFrame::OnInterfaceInitialize);
    connect(Action(kInterfaceProperties), &QAction::triggered, this, &CMainFrame::OnInterfaceProperties);
    connect(Action(kOptions), &QAction::triggered, this, &CMainFrame::OnOptions);
    connect(Action(kUserManual), &QAction::triggered, this, &CMainFrame::OnUserManual);
    connect(Action(kAbout), &QAction::triggered, this, &CMainFrame::OnAbout);
    connect(Action(kWindowCascade), &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
    connect(Action(kWindowTile), &QAction::triggered, mdi_, &QMdiArea::tileSubWindows);
    connect(Action(kWindowArrange), &QAction::triggered, mdi_, &QMdiArea::tileSubWindows);
}

void CMainFrame::CreateToolBar()
{
    using namespace CommandId;
    toolBar_ = addToolBar(QStringLiteral("Toolbar"));
    toolBar_->setObjectName(QStringLiteral("Toolbar"));
    toolBar_->setMovable(true);
    addToolBar(Qt::TopToolBarArea, toolBar_);
    const struct {
        unsigned command;
        QStyle::StandardPixmap icon;
    } buttons[] = {
        {kConnect, QStyle::SP_FileIcon},
        {kOpen, QStyle::SP_DialogOpenButton},
        {kSaveAs, QStyle::SP_DialogSaveButton},
        {0, QStyle::SP_CustomBase},
        {kInterfaceInitializeTool, QStyle::SP_DriveNetIcon},
        {kUpload, QStyle::SP_ArrowUp},
        {kDownload, QStyle::SP_ArrowDown},
        {0, QStyle::SP_CustomBase},
        {kPrint, QStyle::SP_FileDialogDetailedView},
        {kAbout, QStyle::SP_MessageBoxQuestion},
    };
    for (const auto& b : buttons) {
        if (b.command == 0) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* a = Action(b.command);
        a->setIcon(style()->standardIcon(b.icon));
        toolBar_->addAction(a);
    }
    connect(Action(kViewToolbar), &QAction::toggled, toolBar_, &QToolBar::setVisible);
    connect(toolBar_, &QToolBar::visibilityChanged, Action(kViewToolbar), [this](bool visible) {
        if (!isMinimized() && isVisible())
            Action(CommandId::kViewToolbar)->setChecked(visible);
    });
}

void CMainFrame::BuildMenus()
{
    using namespace CommandId;
    QMenuBar* bar = menuBar();
    bar->clear();
    const bool doc = commands_.HasDocument();
    documentMenus_ = doc;

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->addAction(Action(kOpen));
    if (doc) {
        file->addAction(Action(kSaveAs));
        file->addAction(Action(kClose));
        file->addSeparator();
        file->addAction(Action(kPrint));
        file->addAction(Action(kPrintPreview));
    } else {
        file->addSeparator();
    }
    file->addAction(Action(kPrintSetup));
    if (doc) {
        file->addSeparator();
        file->addAction(Action(kExport));
    }
    file->addSeparator();
    for (std::size_t i = 0; i < recentFiles_.size() && i < kRecentFileCount; ++i)
        file->addAction(Action(kRecentFile1 + static_cast<unsigned>(i)));
    if (!recentFiles_.empty())
        file->addSeparator();
    file->addAction(Action(kExit));

    if (doc) {
        QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
        edit->addAction(Action(kEditUndo));
        edit->addSeparator();
        edit->addAction(Action(kEditCut));
        edit->addAction(Action(kEditCopy));
        edit->addAction(Action(kEditPaste));
    }

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->addAction(Action(kViewToolbar));
    view->addAction(Action(kViewStatusBar));
    view->addAction(Action(kViewSplit));

    QMenu* ovro = bar->addMenu(QStringLiteral("&Ovro"));
    ovro->addAction(Action(kConnect));
    ovro->addAction(Action(kDisconnect));
    if (doc) {
        ovro->addSeparator();
        ovro->addAction(Action(kParameterWindow));
        ovro->addAction(Action(kMotionControl));
        ovro->addAction(Action(kDeviceStatus));
        ovro->addAction(Action(kOscilloscope));
        ovro->addSeparator();
        ovro->addAction(Action(kFirmwareUpdate));

        QMenu* parameter = bar->addMenu(QStringLiteral("&Parameter"));
        parameter->addAction(Action(kUpload));
        parameter->addAction(Action(kDownload));
        parameter->addSeparator();
        parameter->addAction(Action(kStore));
        parameter->addAction(Action(kReset));
        parameter->addAction(Action(kRestore));
    }

    QMenu* iface = bar->addMenu(QStringLiteral("Interfa&ce"));
    iface->addAction(Action(kInterfaceInitialize));
    iface->addAction(Action(kInterfaceProperties));
    iface->addSeparator();
    iface->addAction(Action(kOptions));

    if (doc) {
        QMenu* window = bar->addMenu(QStringLiteral("&Window"));
        window->addAction(Action(kWindowCascade));
        window->addAction(Action(kWindowTile));
        window->addAction(Action(kWindowArrange));
    }

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->addAction(Action(kUserManual));
    if (doc) {
        help->addAction(Action(kDeviceManual));
        help->addAction(Action(kCanopenManual));
    }
    help->addSeparator();
    help->addAction(Action(kAbout));
}

void CMainFrame::UpdateCommands()
{
    for (const auto& [command, action] : actions_)
        action->setEnabled(commands_.IsEnabled(command));
}

QAction* CMainFrame::Action(unsigned command) const
{
    const auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

QString CMainFrame::MenuText(const QAction* action)
{
    if (action->shortcut().isEmpty())
        return action->text();
    return action->text() + QLatin1Char('\t') + action->shortcut().toString(QKeySequence::PortableText);
}

void CMainFrame::SetNoDocument()
{
    commands_.SetNoDocument();
    BuildMenus();
    UpdateCommands();
    ClearConnectionText();
}

void CMainFrame::SetDocument(bool online)
{
    const bool rebuild = !commands_.HasDocument();
    commands_.SetDocument(online);
    if (rebuild)
        BuildMenus();
    UpdateCommands();
}

void CMainFrame::SetRecentFiles(const std::vector<std::string>& files)
{
    recentFiles_.assign(files.begin(), files.begin() + static_cast<std::ptrdiff_t>(
                                                           std::min<std::size_t>(files.size(), CommandId::kRecentFileCount)));
    for (unsigned i = 0; i < CommandId::kRecentFileCount; ++i) {
        QAction* action = Action(CommandId::kRecentFile1 + i);
        if (i < recentFiles_.size()) {
            // "&1 /path/name.31x"; an ampersand in the path is shown as such.
            QString path = QString::fromLocal8Bit(recentFiles_[i].c_str());
            path.replace(QLatin1Char('&'), QStringLiteral("&&"));
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
        }
    }
    BuildMenus();
    UpdateCommands();
}

void CMainFrame::SetConnectionText(const QString& text)
{
    connectionPane_->setText(text);
}

void CMainFrame::ClearConnectionText()
{
    connectionPane_->setText(QString::fromLatin1(MessageText(kMsgIdleStatus)));
}

QString CMainFrame::ConnectionText() const
{
    return connectionPane_->text();
}

void CMainFrame::SetPromptText(const QString& text)
{
    statusBar()->showMessage(text);
}

QString CMainFrame::PromptText() const
{
    return statusBar()->currentMessage();
}

void CMainFrame::PrepareGeometry(const QSize& screen)
{
    const InitialFrame initial = CFramePlacement::MainFrameDefault(screen.width(), screen.height());
    startMaximised_ = initial.maximised;
    if (!initial.maximised) {
        resize(initial.width, initial.height);
        if (initial.positioned)
            move(initial.x, initial.y);
    }
    WindowPlacement placement;
    if (ReadWindowPlacement(app_.Store(), SettingsKeys::kMainFrame, placement)) {
        const FrameGeometry g = CFramePlacement::FromPlacement(placement);
        if (g.width > 0 && g.height > 0)
            setGeometry(g.x, g.y, g.width, g.height);
        startMaximised_ = startMaximised_ || g.maximised;
    }
}

void CMainFrame::ShowInitial()
{
    if (startMaximised_)
        showMaximized();
    else
        show();
}

bool CMainFrame::SavePlacement()
{
    FrameGeometry g;
    const QRect r = (isMaximized() || isMinimized() || isFullScreen()) ? normalGeometry() : geometry();
    g.x = r.x();
    g.y = r.y();
    g.width = r.width();
    g.height = r.height();
    g.maximised = isMaximized();
    g.minimised = isMinimized();
    return WriteWindowPlacement(app_.Store(), SettingsKeys::kMainFrame, CFramePlacement::ToPlacement(g));
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // The running command still uses the document and its node.
    if (IsBusy()) {
        event->ignore();
        return;
    }
    if (commands_.HasDocument() && commands_.IsOnline()
        && !ui_.AskYesNo(MessageIcon::Question, MessageText(kMsgAskDisconnectAndExit), false)) {
        event->ignore();
        return;
    }
    if (closeHandler_ && !closeHandler_()) {
        event->ignore();
        return;
    }
    SavePlacement();
    event->accept();
}

QPrinter* CMainFrame::Printer()
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>();
    return printer_.get();
}

void CMainFrame::OnPrintSetup()
{
    QPageSetupDialog dialog(Printer(), this);
    dialog.exec();
}

void CMainFrame::OnInterfaceInitialize()
{
    if (IsBusy())
        return;
    CDlgInterface dialog(app_.Boards(), app_.PresentInterface(), ui_, this);
    dialog.SetChannels(app_.Channel(), app_.Settings().channel, app_.Settings().channel2);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (interfaceGuard_ && !interfaceGuard_())
        return;
    CWaitCursor wait;
    app_.InitializeInterface(dialog.Choice());
}

void CMainFrame::OnInterfaceProperties()
{
    app_.ShowInterfaceProperties();
}

void CMainFrame::OnOptions()
{
    CDlgOptionSheet sheet(app_, ui_, this);
    sheet.exec();
    emit optionsChanged();
}

void CMainFrame::OnUserManual()
{
    CWaitCursor wait;
    const QString path = QString::fromLocal8Bit(app_.Settings().ProgramDirectory().c_str())
                         + QStringLiteral("/Help/Ovro-QVT.pdf");
    // A manual that is missing or cannot be shown ends the command quietly.
    if (!QFileInfo::exists(path))
        return;
    openUrl_(QUrl::fromLocalFile(path));
}

void CMainFrame::OnAbout()
{
    CDlgAbout dialog(this);
    dialog.exec();
}
