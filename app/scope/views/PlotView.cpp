// PlotView.cpp - the plot and its timer.
#include "scope/views/PlotView.h"

#include "scope/Recording.h"
#include "scope/views/CiPlotX.h"

#include <QTimer>
#include <QVBoxLayout>

CPlotView::CPlotView(CRecording& recording, QWidget* parent)
    : QWidget(parent), recording_(recording), plot_(new CiPlotX(this)), timer_(new QTimer(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot_);
    timer_->setInterval(static_cast<int>(CRecording::kTickPeriod.count()));
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &CPlotView::OnTimer);
    recording_.SetPlot(plot_);
}

void CPlotView::StartTimer()
{
    timer_->start();
}

void CPlotView::StopTimer()
{
    timer_->stop();
}

void CPlotView::OnTimer()
{
    recording_.OnTimer();
    emit ticked();
}

void CPlotView::ZoomIn()
{
    plot_->ZoomIn();
}

void CPlotView::ZoomOut()
{
    plot_->ZoomOut();
}

void CPlotView::SetManualZoom(bool on)
{
    plot_->SetManualZoom(on);
}

void CPlotView::SetRectangleZoom(bool on)
{
    plot_->SetRectangleZoom(on);
}

void CPlotView::SetCursor(bool on)
{
    plot_->SetCursor(on);
}
