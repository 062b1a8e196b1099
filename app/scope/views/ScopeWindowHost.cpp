// ScopeWindowHost.cpp - the oscilloscope window in the main frame.
#include "scope/views/ScopeWindowHost.h"

#include "scope/OscilloscopeData.h"
#include "scope/views/PlotFrame.h"

#include <QMdiArea>
#include <QMdiSubWindow>

CScopeWindowHost::CScopeWindowHost(QMdiArea* area, COscilloscopeData& data, CCANopenMaster& master,
                                   IUserInterface& ui, ISettingsStore& store, QObject* parent)
    : QObject(parent), area_(area), data_(data), master_(master), ui_(ui), store_(store)
{
}

CScopeWindowHost::~CScopeWindowHost()
{
    delete frame_.data();
}

CPlotFrame* CScopeWindowHost::Open(ovro::CQVTDoc* doc)
{
    if (frame_ != nullptr) {
        if (frame_->isMinimized())
            frame_->showNormal();
        area_->setActiveSubWindow(frame_);
        return frame_;
    }
    const QMdiSubWindow* active = area_->activeSubWindow();
    const bool maximised = active != nullptr && active->isMaximized();
    auto* frame = new CPlotFrame(doc, data_, master_, ui_, store_);
    area_->addSubWindow(frame);
    frame_ = frame;
    connect(frame, &CPlotFrame::frameClosed, this, [this] { emit openChanged(false); });
    if (maximised)
        frame->showMaximized();
    else
        frame->show();
    frame->OnInitialUpdate();
    area_->setActiveSubWindow(frame);
    emit openChanged(true);
    return frame;
}

bool CScopeWindowHost::IsOpen() const
{
    return frame_ != nullptr;
}

CPlotFrame* CScopeWindowHost::Frame() const
{
    return frame_.data();
}

bool CScopeWindowHost::Close()
{
    if (frame_ == nullptr)
        return true;
    frame_->CloseForDocument();
    return frame_ == nullptr || !frame_->isVisible();
}

void CScopeWindowHost::Export()
{
    if (frame_ != nullptr)
        frame_->OnExport();
}

bool CScopeWindowHost::AppendRecording(std::string& text) const
{
    return data_.AppendRecording(text);
}

bool CScopeWindowHost::LoadRecording(const std::string& path)
{
    return data_.LoadRecording(path);
}
