// DlgSearchNode.cpp - the Search Node dialog.
#include "shell/DlgSearchNode.h"

#include "shell/DlgSearchNodeProgress.h"
#include "shell/DlgSearchNodeResults.h"
#include "shell/NodeIdSpinBox.h"

#include "canopen/CANopenMaster.h"
#include "document/ConnectDeviceModel.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// The id fields take 0...255 and their arrows run over 1...127; ids
// outside 1...127 are skipped by the sweep.
QSpinBox* NodeIdField(int value, QWidget* parent)
{
    auto* field = new CNodeIdSpinBox(255, parent);
    field->setValue(value);
    return field;
}

} // namespace

CDlgSearchNode::CDlgSearchNode(CCANopenMaster& master, const ovro::CCommissioning& commissioning,
                               IUserInterface& ui, std::uint8_t chosenNodeId, std::uint8_t baudRate,
                               QWidget* parent)
    : QDialog(parent), master_(master), commissioning_(commissioning), ui_(ui), chosenNodeId_(chosenNodeId),
      baudRate_(baudRate)
{
    setWindowTitle(QStringLiteral("Search Node"));
    auto* layout = new QVBoxLayout(this);
    auto* warning = new QLabel(QStringLiteral("For this functionality there should be only one node\n"
                                              "in the network. Please switch off the power supply\n"
                                              "of all other nodes that should not be configured."),
                               this);
    layout->addWidget(warning);

    auto* form = new QFormLayout;
    first_ = NodeIdField(1, this);
    last_ = NodeIdField(127, this);
    baudList_ = new QComboBox(this);
    for (const char* text : ovro::CConnectDeviceModel::BaudRateTexts())
        baudList_->addItem(QString::fromLatin1(text));
    baudList_->setCurrentIndex(ovro::ListedBaudRateCode(baudRate_));
    form->addRow(QStringLiteral("&First Node-ID:"), first_);
    form->addRow(QStringLiteral("&Last Node-ID:"), last_);
    form->addRow(QStringLiteral("&Baud rate (kBit/sec):"), baudList_);
    layout->addLayout(form);

    auto* buttons = new QHBoxLayout;
    search_ = new QPushButton(QStringLiteral("&Search"), this);
    search_->setDefault(true);
    defaults_ = new QPushButton(QStringLiteral("&Defaults"), this);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    buttons->addWidget(search_);
    buttons->addWidget(defaults_);
    buttons->addStretch();
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(search_, &QPushButton::clicked, this, &CDlgSearchNode::OnSearch);
    connect(defaults_, &QPushButton::clicked, this, &CDlgSearchNode::OnDefaults);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CDlgSearchNode::OnDefaults()
{
    first_->setValue(1);
    last_->setValue(127);
    const std::uint8_t present = master_.BaudRate();
    baudList_->setCurrentIndex(ovro::ListedBaudRateCode(present));
}

void CDlgSearchNode::OnSearch()
{
    ovro::CNodeSearch::Range range;
    range.first = static_cast<unsigned>(first_->value());
    range.last = static_cast<unsigned>(last_->value());
    range.baudRate = static_cast<std::uint8_t>(baudList_->currentIndex());
    baudRate_ = range.baudRate;
    ovro::CNodeSearch search(master_, commissioning_, ui_, *this);
    outcome_ = search.Search(range, chosenNodeId_, baudRate_);
    switch (outcome_) {
    case ovro::CNodeSearch::Outcome::Chosen:
        done(QDialog::Accepted);
        break;
    case ovro::CNodeSearch::Outcome::Closed:
        done(QDialog::Rejected);
        break;
    case ovro::CNodeSearch::Outcome::Cancelled:
        break;  // stays open for another try
    }
}

std::unique_ptr<IProgress> CDlgSearchNode::BeginSearchProgress(std::int32_t range)
{
    return std::make_unique<CDlgSearchNodeProgress>(range, this);
}

bool CDlgSearchNode::AskRetry(const std::string& text)
{
    QMessageBox box(QMessageBox::Warning, windowTitle(), QString::fromLatin1(text.c_str()),
                    QMessageBox::Retry | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Retry);
    return box.exec() == QMessageBox::Retry;
}

std::optional<std::size_t> CDlgSearchNode::ChooseResult(const std::vector<ovro::SearchNodeResult>& results,
                                                        std::uint8_t baudRate)
{
    CDlgSearchNodeResults dialog(results, baudRate, this);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Chosen();
}
