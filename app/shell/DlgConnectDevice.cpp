// DlgConnectDevice.cpp - the Connect Device dialog.
#include "shell/DlgConnectDevice.h"

#include "shell/DlgSearchNode.h"
#include "shell/NodeIdSpinBox.h"

#include "ui/UserInterface.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

CDlgConnectDevice::CDlgConnectDevice(const ovro::ConnectDeviceRequest& request, CCANopenMaster& master,
                                     const ovro::CCommissioning& commissioning, IUserInterface& ui,
                                     QWidget* parent)
    : QDialog(parent), model_(request), master_(master), commissioning_(commissioning), ui_(ui)
{
    setWindowTitle(QStringLiteral("Connect Device"));
    auto* layout = new QVBoxLayout(this);

    auto* device = new QGroupBox(QStringLiteral("Device"), this);
    auto* form = new QFormLayout(device);
    // The field takes any number of three digits; its arrows run over
    // 1...127, and "C&onnect" insists on them.
    nodeId_ = new CNodeIdSpinBox(999, device);
    baudList_ = new QComboBox(device);
    for (const char* text : ovro::CConnectDeviceModel::BaudRateTexts())
        baudList_->addItem(QString::fromLatin1(text));
    form->addRow(QStringLiteral("&Node-ID:"), nodeId_);
    form->addRow(QStringLiteral("&Baud rate (kBit/sec):"), baudList_);
    layout->addWidget(device);

    configuration_ = new QGroupBox(QStringLiteral("Configuration"), this);
    auto* config = new QVBoxLayout(configuration_);
    auto* parameterLabel = new QLabel(QStringLiteral("&Parameter:"), configuration_);
    download_ = new QCheckBox(QStringLiteral("&Download parameters into the device"), configuration_);
    store_ = new QCheckBox(QStringLiteral("Store parameters into the &EEPROM"), configuration_);
    parameterLabel->setBuddy(download_);
    config->addWidget(parameterLabel);
    config->addWidget(download_);
    config->addWidget(store_);
    configuration_->setEnabled(model_.ConfigurationEnabled());
    layout->addWidget(configuration_);

    auto* buttons = new QHBoxLayout;
    connect_ = new QPushButton(QStringLiteral("C&onnect"), this);
    connect_->setDefault(true);
    offline_ = new QPushButton(QStringLiteral("O&ffline"), this);
    offline_->setEnabled(model_.OfflineEnabled());
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    search_ = new QPushButton(QStringLiteral("&Search Node..."), this);
    buttons->addWidget(connect_);
    buttons->addWidget(offline_);
    buttons->addWidget(cancel);
    buttons->addStretch();
    buttons->addWidget(search_);
    layout->addLayout(buttons);

    connect(connect_, &QPushButton::clicked, this, &CDlgConnectDevice::OnConnect);
    connect(offline_, &QPushButton::clicked, this, &CDlgConnectDevice::OnOffline);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(search_, &QPushButton::clicked, this, &CDlgConnectDevice::OnSearchNode);

    download_->setChecked(request.download);
    store_->setChecked(request.store);
    ShowValues();
}

void CDlgConnectDevice::ShowValues()
{
    const ovro::ConnectDeviceRequest& values = model_.Values();
    nodeId_->setValue(values.nodeId);
    baudList_->setCurrentIndex(ovro::ListedBaudRateCode(values.baudRate));
}

void CDlgConnectDevice::OnConnect()
{
    std::string prompt;
    ovro::ConnectDeviceChoice choice;
    if (!model_.Connect(nodeId_->cleanText().toStdString(), static_cast<std::uint8_t>(baudList_->currentIndex()),
                        download_->isChecked(), store_->isChecked(), choice, prompt)) {
        ui_.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation, prompt);
        nodeId_->setFocus();
        nodeId_->selectAll();
        return;
    }
    choice_ = choice;
    done(ovro::ConnectDeviceChoice::Connect);
}

void CDlgConnectDevice::OnOffline()
{
    choice_ = ovro::ConnectDeviceChoice{};
    choice_.result = ovro::ConnectDeviceChoice::Offline;
    choice_.nodeId = static_cast<std::uint8_t>(nodeId_->value() > 0 && nodeId_->value() < 128 ? nodeId_->value()
                                                                                              : model_.Values().nodeId);
    choice_.baudRate = static_cast<std::uint8_t>(baudList_->currentIndex());
    done(ovro::ConnectDeviceChoice::Offline);
}

void CDlgConnectDevice::reject()
{
    choice_ = ovro::ConnectDeviceChoice{};
    choice_.result = ovro::ConnectDeviceChoice::Cancel;
    done(ovro::ConnectDeviceChoice::Cancel);
}

void CDlgConnectDevice::OnSearchNode()
{
    const int typed = nodeId_->value();
    const auto nodeId = static_cast<std::uint8_t>(typed > 0 && typed < 128 ? typed : model_.Values().nodeId);
    CDlgSearchNode search(master_, commissioning_, ui_, nodeId, static_cast<std::uint8_t>(baudList_->currentIndex()),
                          this);
    search.exec();
    // The flags the user ticked go with a drive found.
    ovro::ConnectDeviceRequest values = model_.Values();
    values.download = download_->isChecked();
    values.store = store_->isChecked();
    model_ = ovro::CConnectDeviceModel(values);
    ovro::ConnectDeviceChoice choice;
    const bool chosen = model_.TakeSearch(search.Outcome(), search.ChosenNodeId(), search.BaudRate(), choice);
    ShowValues();
    if (chosen) {
        choice_ = choice;
        done(ovro::ConnectDeviceChoice::Connect);
    }
}
