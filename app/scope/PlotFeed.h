// CPlotFeed: the points of the sample ring in a plot - the samples that
// arrived since the last tick, or the whole recording again (after Stop,
// after a recording is loaded, for "Graphic view"). A sample's time is its
// distance from the trigger sample times the time base; currents are shown
// in mA, the other signals as stored.
#pragma once

#include "scope/RecordingSettings.h"
#include "scope/SampleRing.h"

#include <cstdint>
#include <functional>

class IRecordingPlot;

class CPlotFeed {
public:
    static constexpr const char* kTimeTitle = "Time";
    // A rebuild reports its progress after every so many samples.
    static constexpr std::int32_t kProgressStep = 213;

    // The value a channel shows for a signal: the current in mA from its
    // per-thousand value and the rated current (mA), others as stored.
    static double ShownValue(const Sample& sample, int signal, double ratedCurrent);

    // Clears the plot's channels and sets them up from the channel list,
    // titled "%s [%s]" (name, unit), with the time axis titled "Time".
    static void SetUpChannels(IRecordingPlot& plot, const RecordingSettings& settings);

    // Adds the samples from D up to W - 1 and moves D past them; the
    // number of samples added.
    static std::int32_t AddNewSamples(IRecordingPlot& plot, const RecordingSettings& settings, SampleRing& ring,
                                      double ratedCurrent);

    // Channels set up again, then every sample from S up to W - 1; progress
    // gets the number of samples done every 213 samples.
    static void Rebuild(IRecordingPlot& plot, const RecordingSettings& settings, SampleRing& ring,
                        double ratedCurrent, const std::function<void(std::int32_t done)>& progress = {});

private:
    static void AddSample(IRecordingPlot& plot, const RecordingSettings& settings, const SampleRing& ring,
                          std::int32_t index, double ratedCurrent);
};
