#include "document/ConnectDeviceModel.h"

#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

namespace ovro {

const CConnectDeviceModel::BaudRateList& CConnectDeviceModel::BaudRateTexts()
{
    static const BaudRateList kTexts = [] {
        BaudRateList texts{};
        for (int code = 0; code < kBaudRateCount; ++code)
            texts[static_cast<std::size_t>(code)] = BaudRateKbitText(code);
        return texts;
    }();
    return kTexts;
}

std::string CConnectDeviceModel::NodeIdPrompt()
{
    std::string text = MessageText(kMsgEnterInteger);
    const auto replace = [&text](const std::string& key, const std::string& value) {
        const std::size_t at = text.find(key);
        if (at != std::string::npos)
            text.replace(at, key.size(), value);
    };
    replace("%1", "1");
    replace("%2", "127");
    return text;
}

bool CConnectDeviceModel::Connect(const std::string& nodeIdText, std::uint8_t baudRate, bool download, bool store,
                                  ConnectDeviceChoice& choice, std::string& prompt) const
{
    const std::size_t begin = nodeIdText.find_first_not_of(" \t");
    const std::size_t end = nodeIdText.find_last_not_of(" \t");
    unsigned long value = 0;
    bool valid = begin != std::string::npos;
    if (valid) {
        for (std::size_t i = begin; i <= end && valid; ++i) {
            const char c = nodeIdText[i];
            valid = (c >= '0' && c <= '9') || (i == begin && c == '+' && end > begin);
            if (valid && c != '+')
                value = value < 1000 ? value * 10 + static_cast<unsigned long>(c - '0') : value;
        }
    }
    if (!valid || value < 1 || value > 127) {
        prompt = NodeIdPrompt();
        return false;
    }
    choice.result = ConnectDeviceChoice::Connect;
    choice.nodeId = static_cast<std::uint8_t>(value);
    choice.baudRate = IsBaudRateCode(baudRate) ? baudRate : request_.baudRate;
    choice.download = request_.configurationAllowed && download;
    choice.store = request_.configurationAllowed && store;
    return true;
}

bool CConnectDeviceModel::TakeSearch(CNodeSearch::Outcome outcome, std::uint8_t chosenNodeId,
                                     std::uint8_t chosenBaudRate, ConnectDeviceChoice& choice)
{
    request_.nodeId = chosenNodeId;
    request_.baudRate = chosenBaudRate;
    if (outcome != CNodeSearch::Outcome::Chosen)
        return false;
    choice.result = ConnectDeviceChoice::Connect;
    choice.nodeId = chosenNodeId;
    choice.baudRate = chosenBaudRate;
    choice.download = request_.configurationAllowed && request_.download;
    choice.store = request_.configurationAllowed && request_.store;
    return true;
}

}  // namespace ovro
