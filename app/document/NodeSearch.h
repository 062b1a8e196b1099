// CNodeSearch: the node search. A sweep visits a range of node-ids at one
// baud rate, adds each id to the master, reads the device type and, from
// each drive that answers, its name, ident number and software version.
// The Search Node dialog runs it; its progress window, the Retry/Cancel
// question and the result list are reached through INodeSearchView.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/UserInterface.h"

class CCANopenMaster;

namespace ovro {

class CCommissioning;

// One drive found, in the order found.
struct SearchNodeResult {
    std::uint8_t nodeId = 0;
    std::string deviceName;       // 0x1008:00, at most 16 characters
    std::string identNumber;      // 0x1009:00
    std::string softwareVersion;  // 0x100A:00

    // The row of the result list: "#%u", "%skBit/sec", name, ident, version.
    std::array<std::string, 5> RowTexts(std::uint8_t baudRate) const;
};

class INodeSearchView {
public:
    virtual ~INodeSearchView() = default;
    // The progress window "Search Node Progress" over range steps; each
    // AddText sets its text line and advances it by the step. Null when it
    // cannot be shown. The Search Node dialog is disabled while it exists.
    virtual std::unique_ptr<IProgress> BeginSearchProgress(std::int32_t range) = 0;
    // A message with Retry and Cancel buttons and a warning icon; true: Retry.
    virtual bool AskRetry(const std::string& text) = 0;
    // The Search Node Results dialog: the index of the record taken with
    // "&OK", or nothing after "&Cancel".
    virtual std::optional<std::size_t> ChooseResult(const std::vector<SearchNodeResult>& results,
                                                    std::uint8_t baudRate) = 0;
};

class CNodeSearch {
public:
    static constexpr std::size_t kMaxResults = 127;
    static constexpr const char* kUnknownText = "(unkwown)";
    static constexpr const char* kIdleText = "Search node...";

    // What the Search Node dialog holds: the range (any values 0...255;
    // ids outside 1...127 are refused by the master) and the baud rate.
    struct Range {
        unsigned first = 1;
        unsigned last = 127;
        std::uint8_t baudRate = 7;
    };

    // The end of a search, as the Search Node dialog ends.
    enum class Outcome {
        Chosen,     // a drive was taken from the list: the dialog closes with 1
        Closed,     // the dialog closes with 2
        Cancelled,  // the sweep was cancelled: the dialog stays open
    };

    CNodeSearch(CCANopenMaster& master, const CCommissioning& commissioning, IUserInterface& ui,
                INodeSearchView& view);

    // "&Search": sweeps (again after Retry), shows the list and takes the
    // chosen drive into chosenNodeId and chosenBaudRate.
    Outcome Search(const Range& range, std::uint8_t& chosenNodeId, std::uint8_t& chosenBaudRate);

    // One sweep; false when it was cancelled or the baud rate could not be
    // set (after its message). The drives found are in Results().
    bool Sweep(const Range& range, bool& baudRateFailed);

    const std::vector<SearchNodeResult>& Results() const { return results_; }

    static std::string BaudText(std::uint8_t baudRate);  // "%skBit/sec"

private:
    std::string ReadText(std::uint8_t nodeId, std::uint16_t index);

    CCANopenMaster& master_;
    const CCommissioning& commissioning_;
    IUserInterface& ui_;
    INodeSearchView& view_;
    std::vector<SearchNodeResult> results_;
};

}  // namespace ovro
