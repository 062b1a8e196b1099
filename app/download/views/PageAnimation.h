// PageAnimation.h - the animation of the firmware download's progress box:
// pages moving from the PC to the drive, one step every 80 ms while it runs.
// It moves whenever the box lets its window messages through.
#pragma once

#include <QTimer>
#include <QWidget>

class CPageAnimation : public QWidget {
    Q_OBJECT
public:
    explicit CPageAnimation(QWidget* parent = nullptr);

    void Start();
    void Stop();
    bool IsRunning() const { return timer_.isActive(); }
    int Frame() const { return frame_; }

    QSize sizeHint() const override { return {160, 36}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer timer_;
    int frame_ = 0;
};
