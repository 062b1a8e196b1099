// DlgConnectDevice.h - the "Connect Device" dialog: node-id and baud rate of
// the drive, the download and store flags where the caller allows them,
// "C&onnect", "O&ffline", "&Cancel" and "&Search Node...". The rules are
// CConnectDeviceModel's; the dialog shows them and forwards the input.
#pragma once

#include "document/ConnectDeviceModel.h"

#include <QDialog>

class CCANopenMaster;
class IUserInterface;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QSpinBox;

namespace ovro {
class CCommissioning;
}

class CDlgConnectDevice : public QDialog {
    Q_OBJECT
public:
    CDlgConnectDevice(const ovro::ConnectDeviceRequest& request, CCANopenMaster& master,
                      const ovro::CCommissioning& commissioning, IUserInterface& ui, QWidget* parent = nullptr);

    // The button and the values taken (Cancel after the close box).
    ovro::ConnectDeviceChoice Choice() const { return choice_; }

    QSpinBox* NodeIdField() const { return nodeId_; }
    QComboBox* BaudRateList() const { return baudList_; }
    QCheckBox* DownloadBox() const { return download_; }
    QCheckBox* StoreBox() const { return store_; }
    QGroupBox* ConfigurationGroup() const { return configuration_; }
    QPushButton* ConnectButton() const { return connect_; }
    QPushButton* OfflineButton() const { return offline_; }
    QPushButton* SearchButton() const { return search_; }

public slots:
    void OnConnect();
    void OnOffline();
    void OnSearchNode();
    // "&Cancel", the close box and Escape.
    void reject() override;

private:
    void ShowValues();

    ovro::CConnectDeviceModel model_;
    CCANopenMaster& master_;
    const ovro::CCommissioning& commissioning_;
    IUserInterface& ui_;
    ovro::ConnectDeviceChoice choice_;
    QSpinBox* nodeId_ = nullptr;
    QComboBox* baudList_ = nullptr;
    QGroupBox* configuration_ = nullptr;
    QCheckBox* download_ = nullptr;
    QCheckBox* store_ = nullptr;
    QPushButton* connect_ = nullptr;
    QPushButton* offline_ = nullptr;
    QPushButton* search_ = nullptr;
};
