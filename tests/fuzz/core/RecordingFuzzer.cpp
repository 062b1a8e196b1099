// recording_fuzzer: any bytes as a commissioning document with recording
// sections: loaded into the settings and the ring, then written again, shown
// as table rows and exported in both forms.
#include <cstddef>
#include <cstdint>
#include <string>

#include "scope/RecordingExport.h"
#include "scope/RecordingSections.h"
#include "scope/RecordingTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SampleRing ring;  // allocated once, as in the program
    const std::string text(reinterpret_cast<const char*>(data), size);
    RecordingSettings settings;
    if (!CRecordingSections::LoadText(text, settings, ring))
        return 0;
    if (ring.Count() > SampleRing::kCapacity || settings.channelCount > RecordingSettings::kMaxChannels)
        __builtin_trap();
    const std::string again = CRecordingSections::Format(settings, ring);
    const CRecordingTable table(settings, ring, 2000.0);
    if (table.RowCount() > 0)
        (void)table.Row(table.RowCount() - 1);
    (void)table.ClipboardText();
    (void)CRecordingExport::Text(table, true);
    (void)CRecordingExport::Text(table, false);
    // What was written reads back to the same sections.
    static SampleRing copy;
    RecordingSettings back;
    if (!CRecordingSections::LoadText(again, back, copy) || CRecordingSections::Format(back, copy) != again)
        __builtin_trap();
    return 0;
}
