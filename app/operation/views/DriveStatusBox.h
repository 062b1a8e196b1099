// CDriveStatusBox: the "Drive Status" group of the Motion Control and the
// Device Status windows - statusword, device state, error code and its
// text, and "Reset Fault", enabled while the drive reports a fault. The
// window's refresh shows the texts; the button acknowledges the fault.
#pragma once

#include <QGroupBox>

#include "operation/DriveStatusText.h"

class QGridLayout;
class QLabel;
class QPushButton;

namespace ovro {
class IDriveDocument;
}

class CDriveStatusBox : public QGroupBox {
    Q_OBJECT
public:
    // Below the fields "Reset Fault" takes the first column of row 2; the
    // window may add to the grid beside it.
    CDriveStatusBox(ovro::IDriveDocument& doc, const ovro::DriveStatusText& initial, QWidget* parent = nullptr);

    QGridLayout* Grid() const;
    QPushButton* ResetFaultButton() const { return resetFault_; }
    void Show(const ovro::DriveStatusText& status);

public slots:
    void OnResetFault();

private:
    // The fields in the grid's order: statusword, state; code, text.
    enum Field { kStatusword, kState, kErrorCode, kErrorText, kFields };

    ovro::IDriveDocument& doc_;
    QLabel* fields_[kFields] = {};
    QPushButton* resetFault_ = nullptr;
};
