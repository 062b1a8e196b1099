// ConnectDeviceDialogChooser.h - the document's Connect Device chooser on
// the program's dialog: each choice runs CDlgConnectDevice modally.
#pragma once

#include "document/ConnectDeviceChooser.h"

#include <QPointer>
#include <QWidget>

class CCANopenMaster;
class IUserInterface;

namespace ovro {
class CCommissioning;
}

class CConnectDeviceDialogChooser : public ovro::IConnectDeviceChooser {
public:
    CConnectDeviceDialogChooser(CCANopenMaster& master, const ovro::CCommissioning& commissioning,
                                IUserInterface& ui, QWidget* owner);

    ovro::ConnectDeviceChoice Choose(const ovro::ConnectDeviceRequest& request) override;

private:
    CCANopenMaster& master_;
    const ovro::CCommissioning& commissioning_;
    IUserInterface& ui_;
    QPointer<QWidget> owner_;
};
