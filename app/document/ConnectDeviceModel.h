// CConnectDeviceModel: the values and rules of the Connect Device dialog
// without its window: the node-id field (1...127), the baud-rate list, the
// buttons the caller allows, and taking over what the node search chose.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "document/ConnectDeviceChooser.h"
#include "document/NodeSearch.h"
#include "settings/BaudRate.h"

namespace ovro {

class CConnectDeviceModel {
public:
    explicit CConnectDeviceModel(const ConnectDeviceRequest& request) : request_(request) {}

    // The nine entries of every baud-rate list, by baud-rate code.
    using BaudRateList = std::array<const char*, kBaudRateCount>;
    static const BaudRateList& BaudRateTexts();

    // "Please enter an integer between 1 and 127."
    static std::string NodeIdPrompt();

    bool OfflineEnabled() const { return request_.offlineAllowed; }
    bool ConfigurationEnabled() const { return request_.configurationAllowed; }

    // "C&onnect" with the node-id text and the selected list entry; false
    // (and the prompt) when the node-id is not a whole number 1...127: the
    // dialog stays open.
    bool Connect(const std::string& nodeIdText, std::uint8_t baudRate, bool download, bool store,
                 ConnectDeviceChoice& choice, std::string& prompt) const;

    // "&Search Node...": the dialog shows what the search dialog ended
    // with; true when a drive was chosen and the dialog closes with Connect.
    bool TakeSearch(CNodeSearch::Outcome outcome, std::uint8_t chosenNodeId, std::uint8_t chosenBaudRate,
                    ConnectDeviceChoice& choice);

    const ConnectDeviceRequest& Values() const { return request_; }

private:
    ConnectDeviceRequest request_;
};

}  // namespace ovro
