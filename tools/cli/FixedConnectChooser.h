// CFixedConnectChooser: the Connect Device dialog answered from the command
// line - always the same button and values.
#pragma once

#include "document/ConnectDeviceChooser.h"

class CFixedConnectChooser : public ovro::IConnectDeviceChooser {
public:
    explicit CFixedConnectChooser(const ovro::ConnectDeviceChoice& choice) : choice_(choice) {}
    ovro::ConnectDeviceChoice Choose(const ovro::ConnectDeviceRequest& /*request*/) override { return choice_; }

private:
    ovro::ConnectDeviceChoice choice_;
};
