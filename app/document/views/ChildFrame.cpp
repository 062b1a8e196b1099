#include "document/views/ChildFrame.h"

#include <QApplication>
#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

#include "document/DocumentObserverList.h"
#include "document/QVTDoc.h"
#include "canopen/CANopenNode.h"
#include "document/views/CompareView.h"
#include "document/views/LeftView.h"
#include "document/views/QVTView.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"
#include "ui/UserInterface.h"

namespace {

// The tooltip of a command: its prompt after the line break.
QString ToolTipOf(unsigned command, const QString& fallback)
{
    const QString prompt = QString::fromLatin1(MessageText(command));
    const qsizetype brk = prompt.indexOf(QLatin1Char('\n'));
    return brk < 0 ? fallback : prompt.mid(brk + 1);
}

}  // namespace

CChildFrame::CChildFrame(ovro::CQVTDoc* doc, IUserInterface& ui, ISettingsStore& settings, QWidget* parent)
    : QMdiSubWindow(parent), doc_(doc), ui_(ui), settings_(settings)
{
    setAttribute(Qt::WA_DeleteOnClose);
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    toolBar_ = new QToolBar(body);
    toolBar_->setObjectName(QStringLiteral("childToolBar"));
    layout->addWidget(toolBar_);

    splitter_ = new QSplitter(Qt::Horizontal, body);
    splitter_->setChildrenCollapsible(false);
    tree_ = new CLeftView(doc, splitter_);
    view_ = new CQVTView(doc, splitter_);
    splitter_->addWidget(tree_);
    splitter_->addWidget(view_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({180, 600});
    layout->addWidget(splitter_, 1);
    setWidget(body);

    AddCommand(kUpload, tr("Upload"), [this] { RunDocumentCommand(&ovro::CQVTDoc::Upload); });
    AddCommand(kDownload, tr("Download"), [this] { RunDocumentCommand(&ovro::CQVTDoc::Download); });
    AddCommand(kStore, tr("Store"), [this] { RunDocumentCommand(&ovro::CQVTDoc::Store); });
    toolBar_->addSeparator();
    AddCommand(kPrint, tr("Print"), [this] { OnFilePrint(); });
    AddCommand(kPrintPreview, tr("Print Preview"), [this] { OnFilePrintPreview(); });
    toolBar_->addSeparator();
    QAction* contextHelp = AddCommand(kContextHelp, tr("Help"), [this] { OnContextHelp(); });
    // The help keys work wherever the focus is in this window.
    contextHelp->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    contextHelp->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(contextHelp);
    auto* help = new QAction(tr("Help"), this);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    help->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(help, &QAction::triggered, this, [this] { OnHelp(); });
    addAction(help);
    actions_[kHelp] = help;
    AddCommand(kCompare, tr("Compare"), [this] { OnCompare(); });

    connect(tree_, &CLeftView::sectionSelected, this, [this](int section) { ShowSection(section); });
    connect(view_, &CQVTView::documentEdited, this, [this] { tree_->OnUpdate(doc_->CurrentSection()); });
    UpdateTitle();
}

CChildFrame::~CChildFrame()
{
    if (observers_ != nullptr)
        observers_->Detach(this);
}

QAction* CChildFrame::AddCommand(unsigned command, const QString& text, const std::function<void()>& run)
{
    QAction* action = toolBar_->addAction(text);
    action->setToolTip(ToolTipOf(command, text));
    action->setStatusTip(QString::fromLatin1(MessageText(command)).section(QLatin1Char('\n'), 0, 0));
    connect(action, &QAction::triggered, this, [this, command, run] {
        // A download lets window messages through while it runs: a second
        // press must not start another command inside it.
        if (busy_ || (doc_ != nullptr && doc_->IsBusy()))
            return;
        busy_ = true;
        run();
        busy_ = false;
        emit commandDone(command);
    });
    actions_[command] = action;
    return action;
}

void CChildFrame::RunDocumentCommand(bool (ovro::CQVTDoc::*command)())
{
    if (doc_ == nullptr)
        return;
    if (runner_)
        runner_([command](ovro::CQVTDoc& doc) { return (doc.*command)(); });
    else
        (doc_->*command)();
}

QAction* CChildFrame::Action(unsigned command) const
{
    const auto it = actions_.find(command);
    return it != actions_.end() ? it->second : nullptr;
}

void CChildFrame::OnInitialUpdate()
{
    tree_->OnInitialUpdate();
    view_->OnInitialUpdate();
}

void CChildFrame::ShowSection(int section)
{
    if (doc_ == nullptr)
        return;
    // The document tells all its views; the tree already shows it.
    doc_->SetCurrentSection(section);
    view_->OnUpdate(section);
    emit sectionShown(section);
}

void CChildFrame::AttachTo(ovro::CDocumentObserverList& observers)
{
    if (observers_ != nullptr)
        observers_->Detach(this);
    observers_ = &observers;
    observers.Attach(this);
}

void CChildFrame::OnRefresh(int hint)
{
    // Another device: the tree selects its root and the table shows the
    // header, as when the user chooses the root.
    if (tree_->OnUpdate(hint)) {
        ShowSection(CLeftView::kRoot);
        return;
    }
    view_->OnUpdate(hint);
    if (hint != kCommitEdits && tree_->SelectedSection() != hint)
        tree_->SelectSection(hint);
}

void CChildFrame::OnPathChanged(const std::string& /*path*/, bool /*addToRecentList*/)
{
    UpdateTitle();
}

void CChildFrame::UpdateTitle()
{
    if (doc_ == nullptr)
        return;
    const QString path = QString::fromLocal8Bit(doc_->PathName().c_str());
    const QString name = QFileInfo(path).fileName();
    setWindowTitle(name.isEmpty() ? path : name);
}

void CChildFrame::SetBaudRateSource(std::function<int()> source)
{
    view_->SetBaudRateSource(std::move(source));
}

void CChildFrame::SetPrinter(QPrinter* printer)
{
    view_->SetPrinter(printer);
}

void CChildFrame::SetProgramDirectory(const QString& directory)
{
    view_->SetProgramDirectory(directory);
    tree_->SetProgramDirectory(directory);
}

void CChildFrame::SetHelpOpener(ovro::CContextHelp::Opener opener)
{
    view_->SetHelpOpener(opener);
    tree_->SetHelpOpener(std::move(opener));
}

void CChildFrame::OnFilePrint()
{
    view_->OnFilePrint();
}

void CChildFrame::OnFilePrintPreview()
{
    view_->OnFilePrintPreview();
}

void CChildFrame::OnFilePrintDirect()
{
    view_->OnFilePrintDirect();
}

void CChildFrame::OnHelp()
{
    if (tree_->hasFocus())
        tree_->OnContextHelp();
    else
        view_->OnHelp();
}

void CChildFrame::OnContextHelp()
{
    if (tree_->hasFocus())
        tree_->OnContextHelp();
    else
        view_->OnContextHelp();
}

// ---------------------------------------------------------------- placement

ChildFrameGeometry CChildFrame::InitialGeometry(const QSize& screen) const
{
    return CChildFramePlacement::Restore(settings_, screen.width(), screen.height());
}

void CChildFrame::ShowInitial(const QSize& screen)
{
    const ChildFrameGeometry g = InitialGeometry(screen);
    if (g.width > 0 && g.height > 0) {
        resize(g.width, g.height);
        if (g.positioned)
            move(g.x, g.y);
        normal_ = QRect(pos(), size());
    }
    if (g.maximised)
        showMaximized();
    else
        show();
}

// A window inside the MDI area has no normal geometry of its own: keep it.
void CChildFrame::KeepNormalGeometry()
{
    if (!isMaximized() && !isMinimized() && isVisible())
        normal_ = geometry();
}

void CChildFrame::moveEvent(QMoveEvent* event)
{
    QMdiSubWindow::moveEvent(event);
    KeepNormalGeometry();
}

void CChildFrame::resizeEvent(QResizeEvent* event)
{
    QMdiSubWindow::resizeEvent(event);
    KeepNormalGeometry();
}

bool CChildFrame::SavePlacement()
{
    ChildFrameGeometry g;
    KeepNormalGeometry();
    const QRect normal = normal_.isValid() ? normal_ : geometry();
    g.maximised = isMaximized();
    g.positioned = true;
    g.x = normal.x();
    g.y = normal.y();
    g.width = normal.width();
    g.height = normal.height();
    return CChildFramePlacement::Save(settings_, g);
}

// ---------------------------------------------------------------- closing

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (closed_) {
        event->accept();
        return;
    }
    // Refused while a command runs; asks first for a connected drive.
    if (busy_ || (doc_ != nullptr && !doc_->CanCloseFrame())) {
        event->ignore();
        return;
    }
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    closed_ = true;
    SavePlacement();
    view_->CommitPendingEdit();
    if (observers_ != nullptr) {
        observers_->Detach(this);
        observers_ = nullptr;
    }
    emit frameClosed(this);
    QMdiSubWindow::closeEvent(event);
}

void CChildFrame::OnCompare()
{
    if (compare_ == nullptr) {
        compare_ = new CCompareView(this);
        compare_->setWindowFlags(Qt::Window);
        connect(compare_, &CCompareView::refreshRequested, this, &CChildFrame::OnCompare);
    }
    ovro::CQVTDevice* device = doc_->Device();
    CCANopenNode* node = doc_->Node();
    if (device == nullptr || node == nullptr) {
        compare_->ShowFailure(tr("Connect the drive to compare it with the document."));
    } else {
        ovro::CParameterCompare compare;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool read = compare.ReadDrive(*device, *node);
        QApplication::restoreOverrideCursor();
        if (read)
            compare_->Show(compare.Rows(*device));
        else
            compare_->ShowFailure(tr("The drive did not answer: %1").arg(QString::fromLatin1(node->ErrorText().c_str())));
    }
    compare_->show();
    compare_->raise();
}
