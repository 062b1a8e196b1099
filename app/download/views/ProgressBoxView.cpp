#include "download/views/ProgressBoxView.h"

#include "download/views/ProgressBox.h"

std::unique_ptr<IDownloadProgress> CProgressBoxView::OpenProgressBox()
{
    return std::make_unique<CProgressBox>(store_, owner_);
}
