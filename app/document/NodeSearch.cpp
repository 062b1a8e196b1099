#include "document/NodeSearch.h"

#include <cstring>

#include "canopen/CANopenMaster.h"
#include "canopen/CANopenNode.h"
#include "description/Commissioning.h"
#include "document/DocMessage.h"
#include "document/NullProgress.h"
#include "settings/BaudRate.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

namespace ovro {

namespace {
constexpr std::uint32_t kTextSize = 16;
}

std::string CNodeSearch::BaudText(std::uint8_t baudRate)
{
    return StringPrintf("%skBit/sec", BaudRateText(baudRate).c_str());
}

std::array<std::string, 5> SearchNodeResult::RowTexts(std::uint8_t baudRate) const
{
    return {StringPrintf("#%u", static_cast<unsigned>(nodeId)), CNodeSearch::BaudText(baudRate), deviceName,
            identNumber, softwareVersion};
}

CNodeSearch::CNodeSearch(CCANopenMaster& master, const CCommissioning& commissioning, IUserInterface& ui,
                         INodeSearchView& view)
    : master_(master), commissioning_(commissioning), ui_(ui), view_(view)
{
}

std::string CNodeSearch::ReadText(std::uint8_t nodeId, std::uint16_t index)
{
    CCANopenNode* node = master_.GetNode(nodeId);
    std::uint8_t buffer[kTextSize] = {};
    std::uint32_t length = 0;
    if (node == nullptr || !node->ReadSDO(index, 0, buffer, &length, kTextSize))
        return kUnknownText;
    // The text the drive sent, cut to 16 bytes and at its first zero.
    const std::size_t size = length < kTextSize ? length : kTextSize;
    const void* zero = std::memchr(buffer, 0, size);
    const std::size_t end = zero != nullptr ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - buffer)
                                            : size;
    return std::string(reinterpret_cast<const char*>(buffer), end);
}

bool CNodeSearch::Sweep(const Range& range, bool& baudRateFailed)
{
    baudRateFailed = false;
    results_.clear();
    const unsigned count = (range.first > range.last ? range.first - range.last : range.last - range.first) + 1;
    std::unique_ptr<IProgress> window = view_.BeginSearchProgress(static_cast<std::int32_t>(count));
    CNullProgress noWindow;
    IProgress& progress = window ? *window : static_cast<IProgress&>(noWindow);

    if (range.baudRate != master_.BaudRate()) {
        progress.AddText(StringPrintf("Setting baud rate to %skBit/sec", BaudRateText(range.baudRate).c_str()), 1);
        if (!master_.Reinitialize(range.baudRate, 0)) {
            window.reset();
            const std::string error = commissioning_.GetErrorText(master_.LastError());
            CDocMessage::Show(ui_, MessageIcon::Stop, FormatMessage(kMsgSearchFailed, error.c_str()));
            baudRateFailed = true;
            return false;
        }
    }

    const int direction = range.first <= range.last ? 1 : -1;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned id = static_cast<unsigned>(static_cast<int>(range.first) + direction * static_cast<int>(i));
        if (progress.Cancelled())
            return false;
        progress.AddText(StringPrintf("Search with %skBit/sec, Node-ID=%u", BaudRateText(range.baudRate).c_str(), id),
                         1);
        // Ids outside 1...127 (and above 255) are refused here.
        if (id > 255 || !master_.ConnectNode(static_cast<std::uint8_t>(id)))
            continue;
        const auto nodeId = static_cast<std::uint8_t>(id);
        CCANopenNode* node = master_.GetNode(nodeId);
        std::uint32_t deviceType = 0;
        if (node != nullptr && node->ReadU32(CANopen::Object::DeviceType, 0, deviceType) &&
            results_.size() < kMaxResults) {
            SearchNodeResult found;
            found.nodeId = nodeId;
            found.deviceName = ReadText(nodeId, CANopen::Object::DeviceName);
            found.identNumber = ReadText(nodeId, CANopen::Object::HardwareVersion);
            found.softwareVersion = ReadText(nodeId, CANopen::Object::SoftwareVersion);
            results_.push_back(found);
        }
        master_.DisconnectNode(nodeId);
    }
    return true;
}

CNodeSearch::Outcome CNodeSearch::Search(const Range& range, std::uint8_t& chosenNodeId,
                                         std::uint8_t& chosenBaudRate)
{
    for (;;) {
        bool baudRateFailed = false;
        if (!Sweep(range, baudRateFailed))
            return baudRateFailed ? Outcome::Closed : Outcome::Cancelled;
        if (!results_.empty()) {
            const std::optional<std::size_t> row = view_.ChooseResult(results_, range.baudRate);
            if (!row || *row >= results_.size())
                return Outcome::Closed;
            chosenNodeId = results_[*row].nodeId;
            chosenBaudRate = range.baudRate;
            return Outcome::Chosen;
        }
        if (!view_.AskRetry(MessageText(kMsgNoNodeFound)))
            return Outcome::Closed;
    }
}

}  // namespace ovro
