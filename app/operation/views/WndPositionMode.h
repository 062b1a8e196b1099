// CWndPositionMode: the position page of the Motion Control window - target
// position, absolute or relative, the profile values with the current they
// stand for, the user-defined profile and its list, Start and Stop, and the
// "?" buttons of the two limits windows. The page's rules are in
// CPositionMode; the page opens when it is first shown.
#pragma once

#include <QWidget>

#include "operation/PositionMode.h"
#include "operation/views/PageForm.h"

class IUserInterface;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

class CWndPositionMode : public QWidget {
    Q_OBJECT
public:
    CWndPositionMode(ovro::IDriveDocument& doc, IUserInterface& ui, QWidget* parent = nullptr);

    // Reads the page's values (MotionMemory or the drive) into the fields.
    void OnInitialUpdate();
    ovro::CPositionMode& Page() { return page_; }

public slots:
    void OnStart();
    void OnStop();

signals:
    void motionProfileLimitsRequested();
    void softwarePositionLimitsRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The fields into the page's values; false after a prompt.
    bool TakeFields();
    void ShowEnabling();

    ovro::IDriveDocument& doc_;
    IUserInterface& ui_;
    ovro::CPositionMode page_;
    CPageForm form_;
    bool opened_ = false;
    QLineEdit* target_ = nullptr;
    QRadioButton* absolute_ = nullptr;
    QRadioButton* relative_ = nullptr;
    QLineEdit* velocity_ = nullptr;
    QCheckBox* userProfile_ = nullptr;
    QComboBox* profiles_ = nullptr;
};
