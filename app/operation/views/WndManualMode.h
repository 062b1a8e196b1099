// CWndManualMode: the manual page of the Motion Control window - the check
// box "Simulated Manual Mode via CAN &Bus" and the two jog buttons ">>" and
// "<<", enabled exactly while the box is set. The rules are in CManualMode.
#pragma once

#include <QWidget>

#include "operation/ManualMode.h"

class CJogButton;
class IUserInterface;
class QCheckBox;

class CWndManualMode : public QWidget {
    Q_OBJECT
public:
    CWndManualMode(ovro::IDriveDocument& doc, IUserInterface& ui, QWidget* parent = nullptr);

    void OnInitialUpdate();
    ovro::CManualMode& Page() { return page_; }
    CJogButton* PositiveButton() const { return positive_; }
    CJogButton* NegativeButton() const { return negative_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnSimulatedToggled(bool checked);
    void ShowState();

    ovro::IDriveDocument& doc_;
    ovro::CManualMode page_;
    bool opened_ = false;
    QCheckBox* simulated_ = nullptr;
    CJogButton* positive_ = nullptr;
    CJogButton* negative_ = nullptr;
};
