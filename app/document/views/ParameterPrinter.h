// CParameterPrinter: paints the pages of the parameter list's print-out
// (CPrintLayout) onto a printer, in "Courier New", 10 points at the
// printer's vertical resolution, lines 110 % of the font's height.
#pragma once

#include <ctime>
#include <utility>

class QFont;
class QPaintDevice;
class QPrinter;

namespace ovro {

class CQVTDevice;

class CParameterPrinter {
public:
    CParameterPrinter(const CQVTDevice& device, int nodeId, int baudRate)
        : device_(device), nodeId_(nodeId), baudRate_(baudRate) {}

    // Prints the pages the printer asks for (all when its range is 0 - 0),
    // dated now; false when the printer cannot be painted on.
    bool Print(QPrinter& printer, std::time_t now) const;

    static QFont PrintFont(const QPaintDevice& device);
    static int LineHeight(const QPaintDevice& device);
    // The characters of the print font a line of the page holds.
    static int Columns(const QPaintDevice& device);
    // First and last page to print of pageCount for a requested range.
    static std::pair<int, int> PageRange(int fromPage, int toPage, int pageCount);

private:
    const CQVTDevice& device_;
    int nodeId_;
    int baudRate_;
};

}  // namespace ovro
