// CMotionView: the form of the Motion Control window - the actual values
// and the drive status above the sheet of the four motion pages. A 100 ms
// timer (timer 1) shows the document's record while the view is open; it
// causes no bus traffic. "Reset Fault" acknowledges a fault, "i" asks for
// the Device Status window, the pages' "?" buttons for the limits windows.
#pragma once

#include <QWidget>

class CDriveStatusBox;
class CWndMotionControl;
class IUserInterface;
class QLabel;
class QPushButton;
class QTimer;

namespace ovro {
class IDriveDocument;
}

class CMotionView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 100;

    CMotionView(ovro::IDriveDocument& doc, IUserInterface& ui, QWidget* parent = nullptr);

    CWndMotionControl* Sheet() const { return sheet_; }
    QTimer* RefreshTimer() const { return timer_; }
    QPushButton* ResetFaultButton() const;
    // The text of a value field by its label ("Actual Position:", ...).
    QString FieldText(const QString& label) const;

public slots:
    void OnRefresh();
    void OnResetFault();

signals:
    void deviceStatusRequested();
    void motionProfileLimitsRequested();
    void softwarePositionLimitsRequested();

protected:
    // The window closes: the timer stops.
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* AddField(const QString& label, const QString& unit);

    ovro::IDriveDocument& doc_;
    CWndMotionControl* sheet_ = nullptr;
    QTimer* timer_ = nullptr;
    QWidget* values_ = nullptr;
    CDriveStatusBox* status_ = nullptr;
    QLabel* position_ = nullptr;
    QLabel* velocity_ = nullptr;
    QLabel* shaftSpeed_ = nullptr;
    QLabel* referencedBit_ = nullptr;
    QLabel* referenced_ = nullptr;
    QLabel* temperature_ = nullptr;
    QLabel* current_ = nullptr;
    QLabel* torque_ = nullptr;
    QLabel* voltage_ = nullptr;
};
