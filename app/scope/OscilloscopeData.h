// COscilloscopeData: what exists once in the program for the oscilloscope -
// the recording settings, the sample ring and the collector with its
// trigger state - and the seam through which a document keeps its
// recording: the sections appended when it is saved and loaded when it is
// opened. The application object owns one; ovro-qvt-cli and the tests make
// their own.
//
//   COscilloscopeData data;
//   data.settings.Read(store);                    // start-up
//   CRecording recording(data.settings, data.collector, master, ui);
//   data.AppendRecording(text);                   // document saved
//   data.LoadRecording(path);                     // document opened
#pragma once

#include "scope/RecordingSettings.h"
#include "scope/SampleCollector.h"
#include "scope/SampleRing.h"

#include <string>

class COscilloscopeData {
public:
    COscilloscopeData() : collector(ring) {}
    COscilloscopeData(const COscilloscopeData&) = delete;
    COscilloscopeData& operator=(const COscilloscopeData&) = delete;

    // The recording sections after a document's text; always true.
    bool AppendRecording(std::string& text) const;
    // The recording of a document file into settings and ring; false when
    // the file cannot be read.
    bool LoadRecording(const std::string& path);

    RecordingSettings settings;
    SampleRing ring;
    CSampleCollector collector;
};
