// CDriveWindows: the drive windows of the active document in the main
// frame's MDI area - "Motion Control" and "Device Status" (CSecondFrame with
// CMotionView or CStatusView) and the two limits windows - each at most
// once. Opening one that is open restores it when it is minimised, else
// activates it; a limits window that is open reads its limits again. The
// menu commands of the two drive windows carry a check mark while they
// are open. CloseAll closes every one of them (the document disconnects or
// updates the firmware), even while the document's command runs.
#pragma once

#include <functional>

#include <QObject>
#include <QPointer>
#include <QSize>

#include "operation/views/DlgMotionProfileLimits.h"
#include "operation/views/DlgSoftwarePositionLimits.h"
#include "operation/views/SecondFrame.h"

class ISettingsStore;
class IUserInterface;
class QAction;
class QMdiArea;

namespace ovro {
class IDriveDocument;
}

class CDriveWindows : public QObject {
    Q_OBJECT
public:
    // frame: the main window, owner of the limits windows.
    CDriveWindows(QMdiArea& mdi, ISettingsStore& settings, IUserInterface& ui, QWidget& frame);
    ~CDriveWindows() override;

    // The document the windows show; null: nothing opens. Windows of an
    // earlier document are closed first.
    void SetDocument(ovro::IDriveDocument* doc);
    ovro::IDriveDocument* Document() const { return doc_; }
    // The commands whose check marks follow the two drive windows.
    void SetCommands(QAction* motionControl, QAction* deviceStatus);
    // The screen the placements are chosen for (the primary screen by default).
    void SetScreenSize(const QSize& screen) { screen_ = screen; }

    CSecondFrame* MotionControl() const { return motion_; }
    CSecondFrame* DeviceStatus() const { return status_; }
    CDlgMotionProfileLimits* MotionProfileLimits() const { return profileLimits_; }
    CDlgSoftwarePositionLimits* SoftwarePositionLimits() const { return positionLimits_; }

    // Asks every window to close; true when all of them did.
    bool CloseAll();

public slots:
    void OnMotionControl();
    void OnDeviceStatus();
    void OnMotionProfileLimits();
    void OnSoftwarePositionLimits();

private:
    void Open(QPointer<CSecondFrame>& frame, const char* title, QAction* command,
              const std::function<QWidget*()>& makeView);
    QSize Screen() const;
    // Opens a limits window below the main window (beside the other one when
    // that is open), or reads it again and raises it.
    template <typename Window>
    void OpenLimits(QPointer<Window>& window, bool otherOpen);

    QMdiArea& mdi_;
    ISettingsStore& settings_;
    IUserInterface& ui_;
    QWidget& frame_;
    ovro::IDriveDocument* doc_ = nullptr;
    QPointer<QAction> motionCommand_;
    QPointer<QAction> statusCommand_;
    QSize screen_;
    QPointer<CSecondFrame> motion_;
    QPointer<CSecondFrame> status_;
    QPointer<CDlgMotionProfileLimits> profileLimits_;
    QPointer<CDlgSoftwarePositionLimits> positionLimits_;
};
