// DlgInterface.cpp - the "CAN Interface" dialog.
#include "shell/DlgInterface.h"

#include "ui/MessageTexts.h"
#include "ui/UserInterface.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDlgInterface::CDlgInterface(std::vector<BoardEntry> boards, const InterfaceChoice& present, IUserInterface& ui,
                             QWidget* parent)
    : QDialog(parent), selection_(boards, present), ui_(ui), entries_(std::move(boards))
{
    setWindowTitle(QStringLiteral("CAN Interface"));

    boards_ = new QComboBox(this);
    for (const std::string& name : selection_.BoardNames())
        boards_->addItem(QString::fromLatin1(name.c_str()));
    address_ = new QLineEdit(this);
    irq_ = new QLineEdit(this);

    auto* boardLabel = new QLabel(QStringLiteral("&Board type:"), this);
    boardLabel->setBuddy(boards_);
    auto* addressLabel = new QLabel(QStringLiteral("&Address:"), this);
    addressLabel->setBuddy(address_);
    auto* irqLabel = new QLabel(QStringLiteral("&IRQ:"), this);
    irqLabel->setBuddy(irq_);

    auto* grid = new QGridLayout;
    grid->addWidget(boardLabel, 0, 0);
    grid->addWidget(boards_, 0, 1, 1, 2);
    grid->addWidget(addressLabel, 1, 0);
    grid->addWidget(address_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("hexadecimal"), this), 1, 2);
    grid->addWidget(irqLabel, 2, 0);
    grid->addWidget(irq_, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("(0 = IRQ not used)"), this), 2, 2);
    // The Linux channel of the PCAN-Light board types, once offered.
    channel_ = new QComboBox(this);
    channel_->setEditable(true);
    channelLabel_ = new QLabel(QStringLiteral("C&hannel:"), this);
    channelLabel_->setBuddy(channel_);
    channelNote_ = new QLabel(this);
    grid->addWidget(channelLabel_, 3, 0);
    grid->addWidget(channel_, 3, 1, 1, 2);
    grid->addWidget(channelNote_, 4, 1, 1, 2);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgInterface::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    boards_->setCurrentIndex(selection_.InitialIndex());
    ShowFields(boards_->currentIndex());
    connect(boards_, &QComboBox::currentIndexChanged, this, &CDlgInterface::ShowFields);
}

void CDlgInterface::SetChannels(const CLinuxChannel& channel, std::string stored, std::string stored2)
{
    linuxChannel_ = &channel;
    stored_[0] = std::move(stored);
    stored_[1] = std::move(stored2);
    ShowFields(boards_->currentIndex());
}

void CDlgInterface::ShowFields(int index)
{
    const bool offered = linuxChannel_ != nullptr && index >= 0 && index < static_cast<int>(entries_.size()) &&
                       CLinuxChannel::UsesChannel(entries_[static_cast<std::size_t>(index)].library);
    channelLabel_->setVisible(offered);
    channel_->setVisible(offered);
    channelNote_->setVisible(offered);
    if (offered) {
        const std::uint32_t type = entries_[static_cast<std::size_t>(index)].boardType;
        const CLinuxChannel::Choice inEffect =
            linuxChannel_->InEffect(type, stored_[CLinuxChannel::SecondChannel(type) ? 1 : 0]);
        channel_->clear();
        for (const std::string& offer : linuxChannel_->Offers(type))
            channel_->addItem(QString::fromStdString(offer));
        channel_->setCurrentText(QString::fromStdString(inEffect.channel));
        const bool fromEnvironment = inEffect.source == CLinuxChannel::Source::Environment;
        channel_->setEnabled(!fromEnvironment);
        channelNote_->setText(fromEnvironment ? QStringLiteral("set by %1").arg(QLatin1String(CLinuxChannel::Variable(type)))
                                              : QStringLiteral("used while %1 is not set").arg(QLatin1String(CLinuxChannel::Variable(type))));
    }
    const CInterfaceSelection::Fields f = selection_.FieldsFor(index);
    address_->setText(QString::fromLatin1(f.address.c_str()));
    irq_->setText(QString::fromLatin1(f.irq.c_str()));
    address_->setEnabled(f.enabled);
    irq_->setEnabled(f.enabled);
}

void CDlgInterface::accept()
{
    const unsigned message = selection_.Accept(boards_->currentIndex(), address_->text().toStdString(),
                                               irq_->text().toStdString());
    if (message != 0) {
        ui_.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation, MessageText(message));
        (message == CInterfaceSelection::kInvalidAddressMessage ? address_ : irq_)->setFocus();
        return;
    }
    choice_ = selection_.Choice();
    if (!channel_->isHidden() && channel_->isEnabled()) {
        const std::string text = channel_->currentText().trimmed().toStdString();
        if (!CLinuxChannel::Valid(text)) {
            ui_.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation,
                            "ERROR:\tPlease enter a channel as virtual:<bus> or socketcan:<interface>!");
            channel_->setFocus();
            return;
        }
        choice_.channel = text;
    }
    QDialog::accept();
}
