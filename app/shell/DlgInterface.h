// DlgInterface.h - the "CAN Interface" dialog: the board list of the
// description and, for boards that are not plug and play, the I/O address
// and the interrupt.
#pragma once

#include "shell/InterfaceSelection.h"
#include "shell/LinuxChannel.h"

#include <QDialog>

class IUserInterface;
class QComboBox;
class QLabel;
class QLineEdit;

class CDlgInterface : public QDialog {
    Q_OBJECT
public:
    CDlgInterface(std::vector<BoardEntry> boards, const InterfaceChoice& present, IUserInterface& ui,
                  QWidget* parent = nullptr);

    // The selection after "&OK".
    const InterfaceChoice& Choice() const { return choice_; }
    // Offers the Linux channel for the PCAN-Light board types: the one in
    // effect (stored: the settings' channels of the first and second
    // channel types), the machine's SocketCAN interfaces and virtual buses.
    void SetChannels(const CLinuxChannel& channel, std::string stored, std::string stored2);
    QComboBox* ChannelList() const { return channel_; }
    QLabel* ChannelNote() const { return channelNote_; }

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
    QLabel* channelLabel_ = nullptr;
    QComboBox* channel_ = nullptr;
    QLabel* channelNote_ = nullptr;
    const CLinuxChannel* linuxChannel_ = nullptr;
    std::string stored_[2];
    std::vector<BoardEntry> entries_;
    InterfaceChoice choice_;
};
