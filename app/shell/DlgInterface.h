// DlgInterface.h - the "CAN Interface" dialog: the board list of the
// description and, for boards that are not plug and play, the I/O address
// and the interrupt.
#pragma once

#include "shell/InterfaceSelection.h"

#include <QDialog>

class IUserInterface;
class QComboBox;
class QLineEdit;

class CDlgInterface : public QDialog {
    Q_OBJECT
public:
    CDlgInterface(std::vector<BoardEntry> boards, const InterfaceChoice& present, IUserInterface& ui,
                  QWidget* parent = nullptr);

    // The selection after "&OK".
    const InterfaceChoice& Choice() const { return selection_.Choice(); }

    QComboBox* BoardList() const { return boards_; }
    QLineEdit* AddressField() const { return address_; }
    QLineEdit* IrqField() const { return irq_; }

public slots:
    void accept() override;

private:
    void ShowFields(int index);

    CInterfaceSelection selection_;
    IUserInterface& ui_;
    QComboBox* boards_ = nullptr;
    QLineEdit* address_ = nullptr;
    QLineEdit* irq_ = nullptr;
};
