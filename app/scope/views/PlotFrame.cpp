// PlotFrame.cpp - the oscilloscope window.
#include "scope/views/PlotFrame.h"

#include "canopen/CANopenMaster.h"
#include "description/QVTDevice.h"
#include "document/QVTDoc.h"
#include "scope/OscilloscopeData.h"
#include "scope/RecordingExport.h"
#include "scope/RecordingTable.h"
#include "scope/views/CiPlotX.h"
#include "scope/views/DlgPleaseWait.h"
#include "scope/views/DlgRecordedData.h"
#include "scope/views/PlotView.h"
#include "scope/views/RecordingPage.h"
#include "scope/views/TriggerPage.h"
#include "ui/CommandIds.h"
#include "ui/MessageTexts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QPixmap LampPixmap(const QColor& color)
{
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(color);
    painter.drawEllipse(2, 2, 14, 14);
    return pixmap;
}

} // namespace

CPlotFrame::CPlotFrame(ovro::CQVTDoc* doc, COscilloscopeData& data, CCANopenMaster& master, IUserInterface& ui,
                       ISettingsStore& store, QWidget* parent)
    : QMdiSubWindow(parent), doc_(doc), data_(data), master_(master), ui_(ui), store_(store),
      recording_(data.settings, data.collector, master, ui)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(kTitle));
    recording_.SetDocument(doc);

    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    CreateToolBar();
    layout->addWidget(toolBar_);

    auto* splitter = new QSplitter(Qt::Horizontal, body);
    tabs_ = new QTabWidget(splitter);
    recordingPage_ = new CRecordingPage(data.settings, master.BaudRate(), tabs_);
    triggerPage_ = new CTriggerPage(data.settings, tabs_);
    tabs_->addTab(recordingPage_, tr("Recording"));
    tabs_->addTab(triggerPage_, tr("Trigger"));
    view_ = new CPlotView(recording_, splitter);
    splitter->addWidget(tabs_);
    splitter->addWidget(view_);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);
    setWidget(body);

    connect(tabs_, &QTabWidget::currentChanged, this, &CPlotFrame::OnTabChanged);
    connect(recordingPage_, &CRecordingPage::channelsChanged, triggerPage_, &CTriggerPage::Refill);
    connect(view_, &CPlotView::ticked, this, &CPlotFrame::UpdateState);
    tableWindow_ = [this](const CRecordingTable& table) {
        CDlgRecordedData window(table, ui_, this);
        window.exec();
    };
    view_->Plot()->SetTimeAxis(data.settings.timeMin, data.settings.timeSpan);
    resize(900, 560);
    UpdateState();
}

CPlotFrame::~CPlotFrame() = default;

QAction* CPlotFrame::AddCommand(unsigned command, bool checkable)
{
    // The prompt is "status text\ntool tip"; the tool tip names the button.
    const QString prompt = QString::fromLatin1(MessageText(command));
    const QString tip = prompt.section(QLatin1Char('\n'), 1);
    QAction* action = toolBar_->addAction(tip);
    action->setStatusTip(prompt.section(QLatin1Char('\n'), 0, 0));
    action->setToolTip(tip);
    action->setCheckable(checkable);
    action->setData(command);
    actions_[command] = action;
    return action;
}

void CPlotFrame::CreateToolBar()
{
    using namespace CommandId;
    toolBar_ = new QToolBar(this);
    connect(AddCommand(kStartRecording), &QAction::triggered, this, &CPlotFrame::OnStart);
    connect(AddCommand(kStopRecording), &QAction::triggered, this, &CPlotFrame::OnStop);
    toolBar_->addSeparator();
    connect(AddCommand(kZoomIn), &QAction::triggered, this, [this] { view_->ZoomIn(); });
    connect(AddCommand(kZoomOut), &QAction::triggered, this, [this] { view_->ZoomOut(); });
    QAction* manual = AddCommand(kZoomManual, true);
    QAction* rectangle = AddCommand(kZoomRectangle, true);
    connect(manual, &QAction::toggled, this, [this, rectangle](bool on) {
        if (on)
            rectangle->setChecked(false);
        view_->SetManualZoom(on);
    });
    connect(rectangle, &QAction::toggled, this, [this, manual](bool on) {
        if (on)
            manual->setChecked(false);
        view_->SetRectangleZoom(on);
    });
    connect(AddCommand(kCursor, true), &QAction::toggled, this, [this](bool on) { view_->SetCursor(on); });
    toolBar_->addSeparator();
    connect(AddCommand(kTableView), &QAction::triggered, this, &CPlotFrame::OnTableView);
    connect(AddCommand(kGraphicView), &QAction::triggered, this, &CPlotFrame::OnGraphicView);
    connect(AddCommand(kExport), &QAction::triggered, this, &CPlotFrame::OnExport);
    toolBar_->addSeparator();
    lamp_ = new QLabel(toolBar_);
    toolBar_->addWidget(lamp_);
    ShowLamp(RecordingState::Idle);
}

QAction* CPlotFrame::Action(unsigned command) const
{
    const auto it = actions_.find(command);
    return it != actions_.end() ? it->second : nullptr;
}

QColor CPlotFrame::LampColor(RecordingState state)
{
    switch (state) {
    case RecordingState::Idle: return QColor(0, 190, 0);
    case RecordingState::WaitTrigger: return QColor(255, 230, 0);
    case RecordingState::Recording: return QColor(255, 140, 0);
    case RecordingState::Triggered: return QColor(230, 0, 0);
    }
    return Qt::gray;
}

void CPlotFrame::ShowLamp(RecordingState state)
{
    lampState_ = state;
    lamp_->setPixmap(LampPixmap(LampColor(state)));
}

void CPlotFrame::UpdateState()
{
    using namespace CommandId;
    ShowLamp(recording_.Lamp());
    Action(kStartRecording)->setEnabled(recording_.CanStart());
    Action(kStopRecording)->setEnabled(recording_.CanStop());
    for (unsigned command : {kTableView, kGraphicView, kExport})
        Action(command)->setEnabled(recording_.CanShowData());
    recordingPage_->setEnabled(!recording_.IsRecording());
    triggerPage_->setEnabled(!recording_.IsRecording());
}

void CPlotFrame::OnInitialUpdate()
{
    recording_.Open();
    view_->StartTimer();
    if (doc_ != nullptr && doc_->IsOffline() && doc_->Device() != nullptr && doc_->Device()->actual.recording != 0 &&
        !doc_->PathName().empty()) {
        CDlgPleaseWait wait(this);
        wait.show();
        recording_.Load(doc_->PathName(), [&wait](std::int32_t done) { wait.SetDone(done); });
        recordingPage_->Refill();
        triggerPage_->Refill();
    }
    UpdateState();
}

// Leaving a tab checks what was typed there; the user is not kept on it.
void CPlotFrame::OnTabChanged(int index)
{
    recordingPage_->Model().SetBaudRate(master_.BaudRate());
    if (shownTab_ == kRecordingTab)
        recordingPage_->Model().Leave(ui_);
    else if (shownTab_ == kTriggerTab)
        triggerPage_->Model().Leave(ui_);
    shownTab_ = index;
    if (index == kTriggerTab)
        triggerPage_->Refill();
    else if (index == kRecordingTab)
        recordingPage_->Refill();
}

void CPlotFrame::OnStart()
{
    {
        WaitCursor wait;
        recordingPage_->Model().SetBaudRate(master_.BaudRate());
        recording_.Start();
    }
    UpdateState();
}

void CPlotFrame::OnStop()
{
    {
        WaitCursor wait;
        recording_.Stop();
    }
    UpdateState();
}

CRecordingTable CPlotFrame::Table()
{
    return CRecordingTable(data_.settings, data_.ring, recording_.RatedCurrent());
}

void CPlotFrame::OnTableView()
{
    if (!recording_.CanShowData())
        return;
    const CRecordingTable table = Table();
    if (tableWindow_)
        tableWindow_(table);
}

void CPlotFrame::OnGraphicView()
{
    if (!recording_.CanShowData())
        return;
    WaitCursor wait;
    recording_.Rebuild();
}

void CPlotFrame::OnExport()
{
    if (!recording_.CanShowData())
        return;
    CRecordingExport::Run(ui_, store_, Table());
}

void CPlotFrame::CloseForDocument()
{
    byDocument_ = true;
    close();
}

void CPlotFrame::closeEvent(QCloseEvent* event)
{
    // Closing resets the drive's communication: not in the middle of
    // another command of the document, unless that command closes it.
    if (!closed_ && !byDocument_ && doc_ != nullptr && doc_->IsBusy()) {
        event->ignore();
        return;
    }
    if (!closed_) {
        closed_ = true;
        view_->StopTimer();
        WaitCursor wait;
        recording_.Close();
        emit frameClosed();
    }
    QMdiSubWindow::closeEvent(event);
}
