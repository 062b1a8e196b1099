// CWndVelocityMode: the velocity page of the Motion Control window - target
// velocity, ramps and max current with the current it stands for, Start,
// Stop (halt) and the "?" button of the motion profile limits. Left out for
// model 1 (Ovro H315). The rules are in CVelocityMode.
#pragma once

#include <QWidget>

#include "operation/VelocityMode.h"
#include "operation/views/PageForm.h"

class IUserInterface;
class QLineEdit;

class CWndVelocityMode : public QWidget {
    Q_OBJECT
public:
    CWndVelocityMode(ovro::IDriveDocument& doc, IUserInterface& ui, QWidget* parent = nullptr);

    void OnInitialUpdate();
    ovro::CVelocityMode& Page() { return page_; }

public slots:
    void OnStart();
    void OnStop();

signals:
    void motionProfileLimitsRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    ovro::IDriveDocument& doc_;
    IUserInterface& ui_;
    ovro::CVelocityMode page_;
    CPageForm form_;
    bool opened_ = false;
    QLineEdit* target_ = nullptr;
};
