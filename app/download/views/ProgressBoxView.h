// ProgressBoxView.h - opens CProgressBox windows for the firmware download,
// owned by the given window and keeping their check box in the settings.
#pragma once

#include "download/DownloadProgress.h"

#include "settings/ISettingsStore.h"

class QWidget;

class CProgressBoxView : public IDownloadView {
public:
    CProgressBoxView(ISettingsStore& store, QWidget* owner) : store_(store), owner_(owner) {}
    std::unique_ptr<IDownloadProgress> OpenProgressBox() override;

private:
    ISettingsStore& store_;
    QWidget* owner_;
};
