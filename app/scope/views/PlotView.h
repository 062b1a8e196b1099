// CPlotView: the oscilloscope's form view - the plot control (CiPlotX) and
// the window timer that drives the recording: every 55 ms it runs the
// recording's tick, which collects the PDOs and adds the new samples.
#pragma once

#include <QWidget>

class CiPlotX;
class CRecording;
class QTimer;

class CPlotView : public QWidget {
    Q_OBJECT
public:
    explicit CPlotView(CRecording& recording, QWidget* parent = nullptr);

    CiPlotX* Plot() const { return plot_; }
    QTimer* Timer() const { return timer_; }
    // Starts and stops the timer.
    void StartTimer();
    void StopTimer();

    // "Zoom +", "Zoom -", the three modes.
    void ZoomIn();
    void ZoomOut();
    void SetManualZoom(bool on);
    void SetRectangleZoom(bool on);
    void SetCursor(bool on);

signals:
    // After each tick: the lamp and the commands may have changed.
    void ticked();

private:
    void OnTimer();

    CRecording& recording_;
    CiPlotX* plot_;
    QTimer* timer_;
};
