// CWndDeviceStatus: the property sheet inside the Device Status window with
// its six pages in this order: Statusword, Statusregister..., ...Status-
// register, Digital Inputs..., ...Digital Inputs and the logbook page.
#pragma once

#include <QTabWidget>

class CWndLampPage;
class CWndLogBook;

class CWndDeviceStatus : public QTabWidget {
    Q_OBJECT
public:
    static constexpr int kPageCount = 6;
    static constexpr int kLogBookPage = 5;

    explicit CWndDeviceStatus(QWidget* parent = nullptr);

    // Pages 0...4; null for another index.
    CWndLampPage* LampPage(int index) const;
    CWndLogBook* LogBook() const { return logBook_; }

private:
    CWndLampPage* lamps_[kLogBookPage] = {};
    CWndLogBook* logBook_ = nullptr;
};
