#include "operation/views/DriveWindows.h"

#include <QAction>
#include <QGuiApplication>
#include <QMdiArea>
#include <QScreen>

#include "operation/DriveDocument.h"
#include "operation/LimitsReader.h"
#include "operation/SecondFramePlacement.h"
#include "operation/views/DlgMotionProfileLimits.h"
#include "operation/views/DlgSoftwarePositionLimits.h"
#include "operation/views/MotionView.h"
#include "operation/views/SecondFrame.h"
#include "operation/views/StatusView.h"

CDriveWindows::CDriveWindows(QMdiArea& mdi, ISettingsStore& settings, IUserInterface& ui, QWidget& frame)
    : QObject(&frame), mdi_(mdi), settings_(settings), ui_(ui), frame_(frame)
{
}

CDriveWindows::~CDriveWindows()
{
    // The views refer to the document; they go before it does.
    delete motion_.data();
    delete status_.data();
    delete profileLimits_.data();
    delete positionLimits_.data();
}

void CDriveWindows::SetDocument(ovro::IDriveDocument* doc)
{
    if (doc != doc_)
        CloseAll();
    doc_ = doc;
}

void CDriveWindows::SetCommands(QAction* motionControl, QAction* deviceStatus)
{
    motionCommand_ = motionControl;
    statusCommand_ = deviceStatus;
    for (QAction* command : {motionControl, deviceStatus}) {
        if (command != nullptr) {
            command->setCheckable(true);
            command->setChecked(false);
        }
    }
    if (motionControl != nullptr)
        connect(motionControl, &QAction::triggered, this, &CDriveWindows::OnMotionControl);
    if (deviceStatus != nullptr)
        connect(deviceStatus, &QAction::triggered, this, &CDriveWindows::OnDeviceStatus);
}

QSize CDriveWindows::Screen() const
{
    if (screen_.isValid())
        return screen_;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->size() : QSize(1024, 768);
}

void CDriveWindows::Open(QPointer<CSecondFrame>& frame, const char* title, QAction* command,
                         const std::function<QWidget*()>& makeView)
{
    if (frame != nullptr) {
        if (frame->isMinimized())
            frame->showNormal();
        mdi_.setActiveSubWindow(frame);
        if (command != nullptr)
            command->setChecked(true);
        return;
    }
    if (doc_ == nullptr) {
        if (command != nullptr)
            command->setChecked(false);
        return;
    }
    const QMdiSubWindow* active = mdi_.activeSubWindow();
    const bool maximised = active != nullptr && active->isMaximized();
    frame = new CSecondFrame(QString::fromLatin1(title), makeView(), settings_);
    frame->SetBusyQuery([this] { return doc_ != nullptr && doc_->IsBusy(); });
    mdi_.addSubWindow(frame);
    QPointer<QAction> mark = command;
    // Gone for the rule at once; the widget itself goes a moment later.
    connect(frame, &CSecondFrame::frameClosed, this, [&frame, mark] {
        frame = nullptr;
        if (mark != nullptr)
            mark->setChecked(false);
    });
    frame->ShowInitial(Screen(), maximised);
    mdi_.setActiveSubWindow(frame);
    if (command != nullptr)
        command->setChecked(true);
}

void CDriveWindows::OnMotionControl()
{
    Open(motion_, ovro::CSecondFramePlacement::kMotionControlTitle, motionCommand_, [this] {
        auto* view = new CMotionView(*doc_, ui_);
        connect(view, &CMotionView::deviceStatusRequested, this, &CDriveWindows::OnDeviceStatus);
        connect(view, &CMotionView::motionProfileLimitsRequested, this, &CDriveWindows::OnMotionProfileLimits);
        connect(view, &CMotionView::softwarePositionLimitsRequested, this,
                &CDriveWindows::OnSoftwarePositionLimits);
        return view;
    });
}

void CDriveWindows::OnDeviceStatus()
{
    Open(status_, ovro::CSecondFramePlacement::kDeviceStatusTitle, statusCommand_,
         [this] { return new CStatusView(*doc_); });
}

template <typename Window>
void CDriveWindows::OpenLimits(QPointer<Window>& window, bool otherOpen)
{
    if (window != nullptr) {
        window->Refresh(doc_ != nullptr ? doc_->Node() : nullptr);
        window->raise();
        return;
    }
    if (doc_ == nullptr)
        return;
    window = new Window(&frame_);
    connect(window, &QDialog::finished, this, [&window] { window = nullptr; });
    window->Refresh(doc_->Node());
    window->adjustSize();
    const QRect f = frame_.frameGeometry();
    const ovro::WindowRect r = ovro::CLimitsReader::Place({f.x(), f.y(), f.width(), f.height()},
                                                          window->width(), window->height(), otherOpen);
    window->move(r.x, r.y);
    window->show();
}

void CDriveWindows::OnMotionProfileLimits()
{
    OpenLimits(profileLimits_, positionLimits_ != nullptr);
}

void CDriveWindows::OnSoftwarePositionLimits()
{
    OpenLimits(positionLimits_, profileLimits_ != nullptr);
}

bool CDriveWindows::CloseAll()
{
    bool all = true;
    for (CSecondFrame* frame : {motion_.data(), status_.data()})
        if (frame != nullptr)
            all = frame->CloseForDocument() && all;
    for (QWidget* window : std::initializer_list<QWidget*>{profileLimits_, positionLimits_})
        if (window != nullptr)
            all = window->close() && all;
    return all;
}
