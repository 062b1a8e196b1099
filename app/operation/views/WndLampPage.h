// CWndLampPage: one bit page of the Device Status window (CWndStatusword,
// CWndStatusregisterHigh, CWndStatusregisterLow, CWndDigitalInputsHigh,
// CWndDigitalInputsLow): 16 lamps beside their fixed bit texts, the eight
// higher bits above the eight lower ones. A set bit shows the green lamp,
// a clear bit the dark red one (15 x 15 pixels).
#pragma once

#include <array>
#include <cstdint>

#include <QPixmap>
#include <QWidget>

class QLabel;

namespace ovro {
struct LampPage;
}

class CWndLampPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLampSize = 15;

    // index: the page 0...4 of CStatusLampPages.
    explicit CWndLampPage(int index, QWidget* parent = nullptr);

    const ovro::LampPage& Page() const { return page_; }
    // Shows the 16 bits.
    void SetBits(std::uint16_t bits);
    std::uint16_t Bits() const { return bits_; }
    // Whether the lamp of bit 0...15 is lit (shows the green image).
    bool LampLit(int bit) const;
    // The two lamp images.
    static const QPixmap& LampImage(bool lit);

private:
    const ovro::LampPage& page_;
    std::array<QLabel*, 16> lamps_{}; // by bit
    std::uint16_t bits_ = 0;
};
