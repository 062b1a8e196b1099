// CWndHomingMode: the homing page of the Motion Control window - the list of
// the description's homing methods, the "Assign Position:" field, Start and
// Stop. The rules (which is enabled, the method -1 assignment) are in
// CHomingMode.
#pragma once

#include <QWidget>

#include "operation/HomingMode.h"

class IUserInterface;
class QComboBox;
class QLineEdit;

class CWndHomingMode : public QWidget {
    Q_OBJECT
public:
    CWndHomingMode(ovro::IDriveDocument& doc, IUserInterface& ui, QWidget* parent = nullptr);

    void OnInitialUpdate();
    ovro::CHomingMode& Page() { return page_; }

public slots:
    void OnStart();
    void OnStop();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnMethodChanged(int entry);

    IUserInterface& ui_;
    ovro::CHomingMode page_;
    bool opened_ = false;
    QComboBox* methods_ = nullptr;
    QLineEdit* assign_ = nullptr;
};
