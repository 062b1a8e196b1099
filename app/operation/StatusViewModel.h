// CStatusViewModel: the texts of the Device Status window (CStatusView,
// every 100 ms) - the mode caption, actual position and velocity, the drive
// status, the logbook page's counters and the rows of its error list. It
// reads only the document's record and causes no bus traffic; it keeps the
// five error codes last shown, so that only changed rows are rewritten.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "operation/DriveStatusText.h"

namespace ovro {

class CQVTDevice;
class IDriveDocument;
struct ActualValues;

struct StatusViewTexts {
    std::string modeCaption; // the name of the mode of operation display
    std::string position;    // "%li"
    std::string velocity;    // "%li"
    DriveStatusText status;
};

struct LogbookTexts {
    std::string powerOnSeconds; // "%lu"
    std::string powerOnTime;    // "T#%lud%luh%lum%lus"
    std::string turnOnSeconds;
    std::string turnOnTime;
    std::string positionings;   // "%lu"
};

// One row of the error list to rewrite: row 1...5, both cells empty for code 0.
struct ErrorListRow {
    int row;
    std::string emergency; // "%04Xh"
    std::string meaning;
};

class CStatusViewModel {
public:
    static constexpr int kHistoryEntries = 5;
    static constexpr const char* kModeCaption = "Mode of Operation";

    // The fields when the window opens: "0", "Offline!", "No device connected.".
    static StatusViewTexts Initial();
    // The texts; nothing unless the document is ready and has a record.
    static std::optional<StatusViewTexts> Refresh(const IDriveDocument& doc);
    static LogbookTexts Logbook(const ActualValues& actual);
    // "T#1d1h1m1s" of 90061 seconds.
    static std::string Duration(std::uint32_t seconds);

    // Row 1...5 of an error-history entry (0...4) as it stands.
    static ErrorListRow RowOf(const CQVTDevice& device, int entry);
    // The rows whose code changed since the last call; none while the
    // document's error history is not valid.
    std::vector<ErrorListRow> ErrorRows(const IDriveDocument& doc);
    const std::array<std::uint16_t, kHistoryEntries>& ShownCodes() const { return shown_; }

private:
    std::array<std::uint16_t, kHistoryEntries> shown_{};
};

} // namespace ovro
