// IRecordingPlot: what the recording needs of the plot that shows it -
// channels with titles, points added one by one, the time axis and a
// repaint. The oscilloscope window implements it on its plot control;
// tests and the command line use their own.
#pragma once

#include <string>
#include <vector>

class IRecordingPlot {
public:
    virtual ~IRecordingPlot() = default;
    // Removes every channel and sets up one per title, in channel order.
    virtual void SetChannels(const std::vector<std::string>& titles, const std::string& timeTitle) = 0;
    virtual int ChannelCount() const = 0;
    // Adds a point (time in ms) at the end of a channel.
    virtual void AddPoint(int channel, double timeMs, double value) = 0;
    virtual void SetTimeAxis(double minimum, double span) = 0;
    virtual double TimeMinimum() const = 0;
    virtual double TimeSpan() const = 0;
    // Shows the points added since the last repaint.
    virtual void Repaint() = 0;
};
