// CiPlotX.cpp - the plot control of the oscilloscope.
#include "scope/views/CiPlotX.h"

#include <QMouseEvent>

#include <algorithm>

CiPlotX::CiPlotX(QWidget* parent) : QCustomPlot(parent)
{
    legend->setVisible(true);
    legend->setFont(QFont(font().family(), 8));
    axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignLeft);
    xAxis->setRange(0, 1000);
    yAxis->setRange(-1, 1);
    axisRect()->setRangeDrag(Qt::Horizontal | Qt::Vertical);
    axisRect()->setRangeZoom(Qt::Horizontal | Qt::Vertical);
    setMouseTracking(true);
    setNoAntialiasingOnDrag(true);
}

QColor CiPlotX::ChannelColor(int channel)
{
    static const QColor colors[] = {QColor(0, 0, 200), QColor(200, 0, 0), QColor(0, 140, 0), QColor(160, 0, 160)};
    return colors[static_cast<std::size_t>(channel) % 4];
}

void CiPlotX::SetChannels(const std::vector<std::string>& titles, const std::string& timeTitle)
{
    clearGraphs();
    for (std::size_t i = 0; i < titles.size(); ++i) {
        QCPGraph* g = addGraph();
        g->setName(QString::fromLatin1(titles[i].c_str()));
        g->setPen(QPen(ChannelColor(static_cast<int>(i)), 1.5));
        g->setAdaptiveSampling(true);
    }
    xAxis->setLabel(QString::fromLatin1(timeTitle.c_str()));
    haveValues_ = false;
    newest_ = xAxis->range().lower;
    replot(rpQueuedReplot);
}

int CiPlotX::ChannelCount() const
{
    return graphCount();
}

int CiPlotX::PointCount(int channel) const
{
    if (channel < 0 || channel >= graphCount())
        return 0;
    return graph(channel)->dataCount();
}

void CiPlotX::AddPoint(int channel, double timeMs, double value)
{
    if (channel < 0 || channel >= graphCount())
        return;
    graph(channel)->addData(timeMs, value);
    if (!haveValues_) {
        lowest_ = highest_ = value;
        haveValues_ = true;
    } else {
        lowest_ = std::min(lowest_, value);
        highest_ = std::max(highest_, value);
    }
    newest_ = std::max(newest_, timeMs);
}

void CiPlotX::SetTimeAxis(double minimum, double span)
{
    if (span <= 0)
        span = 1000;
    xAxis->setRange(minimum, minimum + span);
    replot(rpQueuedReplot);
}

double CiPlotX::TimeMinimum() const
{
    return xAxis->range().lower;
}

double CiPlotX::TimeSpan() const
{
    return xAxis->range().size();
}

// While nobody zooms by hand, the time axis moves on with the newest point.
void CiPlotX::FollowNewest(double timeMs)
{
    if (manualZoom_ || rectangleZoom_)
        return;
    const QCPRange range = xAxis->range();
    if (timeMs > range.upper)
        xAxis->setRange(timeMs - range.size(), timeMs);
}

void CiPlotX::Repaint()
{
    if (haveValues_ && !manualZoom_ && !rectangleZoom_) {
        const double margin = std::max(1.0, (highest_ - lowest_) * 0.05);
        yAxis->setRange(lowest_ - margin, highest_ + margin);
    }
    FollowNewest(newest_);
    replot(rpQueuedReplot);
}

void CiPlotX::ZoomIn()
{
    xAxis->scaleRange(0.5, xAxis->range().center());
    replot(rpQueuedReplot);
}

void CiPlotX::ZoomOut()
{
    xAxis->scaleRange(2.0, xAxis->range().center());
    replot(rpQueuedReplot);
}

void CiPlotX::UpdateInteractions()
{
    setInteraction(QCP::iRangeDrag, manualZoom_);
    setInteraction(QCP::iRangeZoom, manualZoom_);
    setSelectionRectMode(rectangleZoom_ ? QCP::srmZoom : QCP::srmNone);
}

void CiPlotX::SetManualZoom(bool on)
{
    manualZoom_ = on;
    if (on)
        rectangleZoom_ = false;
    UpdateInteractions();
}

void CiPlotX::SetRectangleZoom(bool on)
{
    rectangleZoom_ = on;
    if (on)
        manualZoom_ = false;
    UpdateInteractions();
}

void CiPlotX::SetCursor(bool on)
{
    if (cursor_ == nullptr) {
        cursor_ = new QCPItemStraightLine(this);
        cursor_->setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
        cursorText_ = new QCPItemText(this);
        cursorText_->setPositionAlignment(Qt::AlignTop | Qt::AlignRight);
        cursorText_->position->setType(QCPItemPosition::ptAxisRectRatio);
        cursorText_->position->setCoords(0.99, 0.02);
        cursorText_->setBrush(QBrush(QColor(255, 255, 225)));
        cursorText_->setPadding(QMargins(4, 2, 4, 2));
        cursorText_->setTextAlignment(Qt::AlignLeft);
    }
    const double t = xAxis->range().center();
    cursor_->point1->setCoords(t, 0);
    cursor_->point2->setCoords(t, 1);
    cursorText_->setText(CursorText(t));
    cursor_->setVisible(on);
    cursorText_->setVisible(on);
    replot(rpQueuedReplot);
}

QString CiPlotX::CursorText(double timeMs) const
{
    QString text = QStringLiteral("%1 = %2 ms").arg(xAxis->label().isEmpty() ? QStringLiteral("t") : xAxis->label())
                       .arg(timeMs, 0, 'f', 0);
    for (int c = 0; c < graphCount(); ++c) {
        const QSharedPointer<QCPGraphDataContainer> points = graph(c)->data();
        if (points->isEmpty())
            continue;
        // The point nearest to the time.
        auto at = points->findBegin(timeMs, false);
        if (at == points->constEnd())
            --at;
        if (at != points->constBegin() && timeMs - (at - 1)->key < at->key - timeMs)
            --at;
        text += QStringLiteral("\n%1: %2").arg(graph(c)->name()).arg(at->value, 0, 'f', 0);
    }
    return text;
}

void CiPlotX::mouseMoveEvent(QMouseEvent* event)
{
    QCustomPlot::mouseMoveEvent(event);
    if (!CursorShown())
        return;
    const double t = xAxis->pixelToCoord(event->position().x());
    cursor_->point1->setCoords(t, 0);
    cursor_->point2->setCoords(t, 1);
    cursorText_->setText(CursorText(t));
    replot(rpQueuedReplot);
}
