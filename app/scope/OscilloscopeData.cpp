// OscilloscopeData.cpp - the program's oscilloscope data and documents.
#include "scope/OscilloscopeData.h"

#include "scope/RecordingSections.h"

bool COscilloscopeData::AppendRecording(std::string& text) const
{
    CRecordingSections::Append(text, settings, ring);
    return true;
}

bool COscilloscopeData::LoadRecording(const std::string& path)
{
    return CRecordingSections::Load(path, settings, ring);
}
