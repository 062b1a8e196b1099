#include "download/views/PageAnimation.h"

#include <QPainter>

namespace {
constexpr int kSteps = 12;  // frames from the PC to the drive
}  // namespace

CPageAnimation::CPageAnimation(QWidget* parent) : QWidget(parent)
{
    timer_.setInterval(80);
    connect(&timer_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % kSteps;
        update();
    });
    setMinimumSize(sizeHint());
}

void CPageAnimation::Start()
{
    timer_.start();
}

void CPageAnimation::Stop()
{
    timer_.stop();
    frame_ = 0;
    update();
}

void CPageAnimation::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const int h = height();
    // the PC on the left, the drive on the right
    const QRect pc(2, h / 2 - 10, 24, 20);
    const QRect drive(width() - 22, h / 2 - 14, 20, 28);
    p.setPen(pal.color(QPalette::WindowText));
    p.setBrush(pal.color(QPalette::Base));
    p.drawRect(pc);
    p.drawRect(drive);
    if (!timer_.isActive())
        return;
    // a page on its way
    const int from = pc.right() + 4;
    const int to = drive.left() - 16;
    const int x = from + (to - from) * frame_ / (kSteps - 1);
    p.setBrush(pal.color(QPalette::Highlight));
    p.drawRect(QRect(x, h / 2 - 7, 12, 14));
}
