// PointPlot.h - a plot for the recording tests that keeps every point.
#pragma once

#include "scope/RecordingPlot.h"

#include <string>
#include <vector>

namespace scopetest {

// A plot that keeps its points.
class PointPlot : public IRecordingPlot {
public:
    struct Point {
        double t;
        double value;
    };
    void SetChannels(const std::vector<std::string>& t, const std::string& time) override
    {
        titles = t;
        timeTitle = time;
        points.assign(t.size(), {});
        ++setUps;
    }
    int ChannelCount() const override { return static_cast<int>(titles.size()); }
    void AddPoint(int channel, double t, double value) override
    {
        points.at(static_cast<std::size_t>(channel)).push_back({t, value});
    }
    void SetTimeAxis(double minimum, double span) override
    {
        timeMin = minimum;
        timeSpan = span;
    }
    double TimeMinimum() const override { return timeMin; }
    double TimeSpan() const override { return timeSpan; }
    void Repaint() override { ++repaints; }

    std::vector<std::string> titles;
    std::string timeTitle;
    std::vector<std::vector<Point>> points;
    double timeMin = 0;
    double timeSpan = 1000;
    int setUps = 0;
    int repaints = 0;
};

}  // namespace scopetest
