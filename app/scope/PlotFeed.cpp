// PlotFeed.cpp - samples into plot points.
#include "scope/PlotFeed.h"

#include "scope/RecordingPlot.h"
#include "scope/Trigger.h"

double CPlotFeed::ShownValue(const Sample& sample, int signal, double ratedCurrent)
{
    if (signal == RecordingSettings::kCurrent)
        return sample.current * ratedCurrent * 0.001;
    return CTrigger::SignalValue(sample, signal);
}

void CPlotFeed::SetUpChannels(IRecordingPlot& plot, const RecordingSettings& settings)
{
    std::vector<std::string> titles;
    for (int signal : settings.Channels())
        titles.push_back(settings.SignalTitle(signal));
    plot.SetChannels(titles, kTimeTitle);
}

void CPlotFeed::AddSample(IRecordingPlot& plot, const RecordingSettings& settings, const SampleRing& ring,
                          std::int32_t index, double ratedCurrent)
{
    const double t = static_cast<double>(ring.Step(index)) * settings.TimeBaseMilliseconds();
    const Sample& sample = ring.At(index);
    const int channels = plot.ChannelCount();
    for (int signal = 0; signal < RecordingSettings::kChannelSignals; ++signal) {
        const SignalDef& def = settings.signalDefs[static_cast<std::size_t>(signal)];
        if (def.use != 0 && def.channel < channels)
            plot.AddPoint(def.channel, t, ShownValue(sample, signal, ratedCurrent));
    }
}

std::int32_t CPlotFeed::AddNewSamples(IRecordingPlot& plot, const RecordingSettings& settings, SampleRing& ring,
                                      double ratedCurrent)
{
    const std::int32_t w = ring.W();
    std::int32_t d = ring.D();
    std::int32_t added = 0;
    while (d != w) {
        AddSample(plot, settings, ring, d, ratedCurrent);
        d = SampleRing::Wrap(std::int64_t(d) + 1);
        ++added;
    }
    ring.SetD(d);
    return added;
}

void CPlotFeed::Rebuild(IRecordingPlot& plot, const RecordingSettings& settings, SampleRing& ring,
                        double ratedCurrent, const std::function<void(std::int32_t done)>& progress)
{
    SetUpChannels(plot, settings);
    ring.SetD(ring.S());
    const std::int32_t count = ring.Count();
    const std::int32_t s = ring.S();
    for (std::int32_t i = 0; i < count; ++i) {
        AddSample(plot, settings, ring, s + i, ratedCurrent);
        if (progress && (i + 1) % kProgressStep == 0)
            progress(i + 1);
    }
    ring.SetD(ring.W());
    plot.Repaint();
}
