// CiPlotX: the oscilloscope's plot control on a QCustomPlot - channels
// with titles and a legend, points added at the end of a channel, the time
// axis (minimum and span), zoom in and out about the present view, manual
// zoom by dragging and the mouse wheel, zoom into a marked rectangle, and a
// cursor that shows the values under the mouse. New points are appended
// and the value axis grows with them, so a tick costs the points it adds,
// not the whole recording.
#pragma once

#include "scope/RecordingPlot.h"

#include <qcustomplot.h>

#include <vector>

class CiPlotX : public QCustomPlot, public IRecordingPlot {
    Q_OBJECT
public:
    explicit CiPlotX(QWidget* parent = nullptr);

    // ---- IRecordingPlot -------------------------------------------------------
    void SetChannels(const std::vector<std::string>& titles, const std::string& timeTitle) override;
    int ChannelCount() const override;
    void AddPoint(int channel, double timeMs, double value) override;
    void SetTimeAxis(double minimum, double span) override;
    double TimeMinimum() const override;
    double TimeSpan() const override;
    void Repaint() override;

    // ---- View commands ----------------------------------------------------------
    void ZoomIn();
    void ZoomOut();
    void SetManualZoom(bool on);
    void SetRectangleZoom(bool on);
    void SetCursor(bool on);
    bool ManualZoom() const { return manualZoom_; }
    bool RectangleZoom() const { return rectangleZoom_; }
    bool CursorShown() const { return cursor_ != nullptr && cursor_->visible(); }
    // The cursor's text for a time: the time and each channel's value there.
    QString CursorText(double timeMs) const;
    // Points of a channel (for tests and the cursor).
    int PointCount(int channel) const;

    static QColor ChannelColor(int channel);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void UpdateInteractions();
    void FollowNewest(double timeMs);

    bool manualZoom_ = false;
    bool rectangleZoom_ = false;
    bool haveValues_ = false;
    double lowest_ = 0.0;
    double highest_ = 0.0;
    double newest_ = 0.0;
    QCPItemStraightLine* cursor_ = nullptr;
    QCPItemText* cursorText_ = nullptr;
};
