// CRecordingSections: the two sections that carry a recording in a
// commissioning document, after the document's own sections:
// "[Recording]" with the settings and the counts, and "[PlotData]" with one
// line per sample. Lines end with CR LF.
//
//   std::string text = ...;                                  // the document
//   CRecordingSections::Append(text, settings, ring);       // saving
//   CRecordingSections::Load(path, settings, ring);         // opening
#pragma once

#include "scope/RecordingSettings.h"
#include "scope/SampleRing.h"

#include <string>

class CRecordingSections {
public:
    static constexpr const char* kRecording = "Recording";
    static constexpr const char* kPlotData = "[PlotData]";
    static constexpr std::size_t kMaxLine = 255;

    // Appends both sections for the samples from S up to W - 1.
    static void Append(std::string& text, const RecordingSettings& settings, const SampleRing& ring);
    static std::string Format(const RecordingSettings& settings, const SampleRing& ring);

    // One "[PlotData]" line: position, velocity, current, demanded velocity,
    // digital inputs and statusword (both hexadecimal, upper case).
    static std::string DataLine(const Sample& sample);
    // Scans a data line into the sample; the fields it does not reach stay.
    static void ScanDataLine(const std::string& line, Sample& sample);

    // Replaces the settings with those of the file's "[Recording]" section
    // and reads its samples into the ring from index 0: S = D = 0, W = the
    // number of samples read (at most PlotCount, the data lines present and
    // 29999), T = PlotTrigger. False when the file cannot be read.
    static bool Load(const std::string& path, RecordingSettings& settings, SampleRing& ring);
    static bool LoadText(const std::string& text, RecordingSettings& settings, SampleRing& ring);
};
