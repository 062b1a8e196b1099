// DlgOptionNodePage.cpp - the Node Settings page of the program options.
#include "shell/DlgOptionNodePage.h"

#include "shell/ProgramOptions.h"

#include "settings/BaudRate.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

CDlgOptionNodePage::CDlgOptionNodePage(std::uint8_t nodeId, std::uint8_t baudIndex, QWidget* parent)
    : QWidget(parent)
{
    nodeId_ = new QSpinBox(this);
    nodeId_->setRange(ProgramOptions::kMinNodeId, ProgramOptions::kMaxNodeId);
    nodeId_->setValue(nodeId);
    baud_ = new QComboBox(this);
    for (int code = 0; code < ovro::kBaudRateCount; ++code)
        baud_->addItem(QString::fromLatin1(ovro::BaudRateKbitText(code)));
    baud_->setCurrentIndex(ovro::ListedBaudRateCode(baudIndex));
    defaults_ = new QPushButton(QStringLiteral("&Defaults"), this);

    auto* nodeLabel = new QLabel(QStringLiteral("&Node-Id.:"), this);
    nodeLabel->setBuddy(nodeId_);
    auto* baudLabel = new QLabel(QStringLiteral("&Baud rate:"), this);
    baudLabel->setBuddy(baud_);
    auto* grid = new QGridLayout;
    grid->addWidget(nodeLabel, 0, 0);
    grid->addWidget(nodeId_, 0, 1);
    grid->addWidget(baudLabel, 1, 0);
    grid->addWidget(baud_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("kBit/s"), this), 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(defaults_, 0, Qt::AlignLeft);
    layout->addStretch();

    connect(defaults_, &QPushButton::clicked, this, &CDlgOptionNodePage::OnDefaults);
}

std::uint8_t CDlgOptionNodePage::NodeId() const
{
    return static_cast<std::uint8_t>(nodeId_->value());
}

std::uint8_t CDlgOptionNodePage::BaudIndex() const
{
    const int index = baud_->currentIndex();
    return index >= 0 ? static_cast<std::uint8_t>(index) : ProgramOptions::kDefaultBaudIndex;
}

void CDlgOptionNodePage::OnDefaults()
{
    nodeId_->setValue(ProgramOptions::kDefaultNodeId);
    baud_->setCurrentIndex(ProgramOptions::kDefaultBaudIndex);
}
