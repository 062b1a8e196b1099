#include "operation/views/WndDeviceStatus.h"

#include "operation/StatusLampPages.h"
#include "operation/views/WndLampPage.h"
#include "operation/views/WndLogBook.h"

CWndDeviceStatus::CWndDeviceStatus(QWidget* parent) : QTabWidget(parent)
{
    setObjectName(QStringLiteral("CWndDeviceStatus"));
    for (int i = 0; i < kLogBookPage; ++i) {
        lamps_[i] = new CWndLampPage(i, this);
        addTab(lamps_[i], QString::fromLatin1(lamps_[i]->Page().title));
    }
    logBook_ = new CWndLogBook(this);
    // The doubled ampersand shows one ampersand in the tab.
    addTab(logBook_, QStringLiteral("Logbook && Error History"));
}

CWndLampPage* CWndDeviceStatus::LampPage(int index) const
{
    return index >= 0 && index < kLogBookPage ? lamps_[index] : nullptr;
}
