// CRecordingTable: the recording as a table - the "Recorded Data" window's
// grid and the text that its "Clipboard" button copies. One row per sample
// from S up to W - 1: the time from the trigger sample in ms, one column
// per channel and, when the trigger watches the digital inputs or the
// statusword, that signal as an extra column.
//
//   CRecordingTable table(settings, ring, ratedCurrent);
//   grid header: table.Header(); rows: table.Row(i) for i < table.RowCount()
//   clipboard:   table.ClipboardText(progress)
#pragma once

#include "scope/RecordingSettings.h"
#include "scope/SampleRing.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CRecordingTable {
public:
    static constexpr const char* kTitle = "Recorded Data";
    static constexpr const char* kTimeHeader = "Time [ms]";
    static constexpr const char* kCopyProgress = "Copy %li";

    CRecordingTable(const RecordingSettings& settings, const SampleRing& ring, double ratedCurrent);

    std::int32_t RowCount() const { return count_; }
    int ColumnCount() const;
    // "Time [ms]", "%s [%s]" per channel, the extra column's signal name.
    std::vector<std::string> Header() const;
    // The grid's texts of sample row i: "%+li", "%li" per channel, then
    // "0x%08lX" (digital inputs) or "0x%04X" (statusword).
    std::vector<std::string> Row(std::int32_t i) const;

    // The numbers behind the texts.
    long Time(std::int32_t i) const;
    long ChannelValue(std::int32_t i, int channel) const;
    bool HasExtraColumn() const { return settings_.HasExtraColumn(); }
    unsigned long ExtraValue(std::int32_t i) const;
    // The extra column in decimal: "%lu" (digital inputs) or "%u" (statusword).
    std::string ExtraDecimal(std::int32_t i) const;
    int ChannelCount() const { return settings_.channelCount; }

    // Header and rows, tab-separated, the extra column in decimal; rows
    // separated by CR LF. progress gets the rows done.
    std::string ClipboardText(const std::function<void(std::int32_t rows)>& progress = {}) const;

private:
    const Sample& SampleAt(std::int32_t i) const { return ring_.At(first_ + i); }

    const RecordingSettings& settings_;
    const SampleRing& ring_;
    double ratedCurrent_;
    std::int32_t first_;
    std::int32_t count_;
};
