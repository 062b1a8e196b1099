// CStatusView: the form of the Device Status window - the mode of operation
// with actual position and velocity, the drive status with "Reset Fault"
// and the red stop button, above the sheet of the six status pages. A
// 100 ms timer (timer 2) shows the document's record; only the active page
// is brought up to date. It causes no bus traffic of its own: only its
// three buttons write to the drive.
#pragma once

#include <QWidget>

#include "operation/StatusViewModel.h"

class CDriveStatusBox;
class CWndDeviceStatus;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;

namespace ovro {
class IDriveDocument;
}

class CStatusView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 100;

    explicit CStatusView(ovro::IDriveDocument& doc, QWidget* parent = nullptr);

    CWndDeviceStatus* Sheet() const { return sheet_; }
    QTimer* RefreshTimer() const { return timer_; }
    QPushButton* ResetFaultButton() const;
    QString ModeCaption() const;
    QString FieldText(const QString& name) const;

public slots:
    void OnRefresh();
    void OnResetFault();
    void OnQuickStop();
    void OnClearList();

protected:
    // The window closes: the timer stops.
    void closeEvent(QCloseEvent* event) override;

private:
    ovro::IDriveDocument& doc_;
    ovro::CStatusViewModel model_;
    CWndDeviceStatus* sheet_ = nullptr;
    QTimer* timer_ = nullptr;
    QGroupBox* mode_ = nullptr;
    QLabel* position_ = nullptr;
    QLabel* velocity_ = nullptr;
    CDriveStatusBox* status_ = nullptr;
};
