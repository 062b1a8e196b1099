#include "document/views/ParameterPrinter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

#include "document/PrintLayout.h"

namespace ovro {

namespace {
constexpr int kPointSize = 10;
constexpr int kPointsPerInch = 72;
constexpr int kLinePercent = 110;
}  // namespace

QFont CParameterPrinter::PrintFont(const QPaintDevice& device)
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(std::max(1, kPointSize * device.logicalDpiY() / kPointsPerInch));
    return font;
}

int CParameterPrinter::LineHeight(const QPaintDevice& device)
{
    // QFontMetrics takes the device by a non-const pointer but only reads it.
    const QFontMetrics metrics(PrintFont(device), const_cast<QPaintDevice*>(&device));
    return std::max(1, metrics.height() * kLinePercent / 100);
}

int CParameterPrinter::Columns(const QPaintDevice& device)
{
    const QFontMetrics metrics(PrintFont(device), const_cast<QPaintDevice*>(&device));
    return std::max(1, device.width() / std::max(1, metrics.horizontalAdvance(QLatin1Char('M'))));
}

std::pair<int, int> CParameterPrinter::PageRange(int fromPage, int toPage, int pageCount)
{
    if (fromPage <= 0 && toPage <= 0)
        return {1, pageCount};
    const int first = std::max(1, fromPage);
    const int last = std::min(pageCount, toPage <= 0 ? pageCount : toPage);
    return {first, last};
}

bool CParameterPrinter::Print(QPrinter& printer, std::time_t now) const
{
    const int lineHeight = LineHeight(printer);
    const CPrintLayout layout(device_, nodeId_, baudRate_, printer.height(), lineHeight, Columns(printer));
    const auto [first, last] = PageRange(printer.fromPage(), printer.toPage(), layout.PageCount());
    if (first > last)
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setFont(PrintFont(printer));
    const QFontMetrics metrics(painter.font(), &printer);
    const int width = printer.width();
    const std::string date = CPrintLayout::DateText(now);
    for (int page = first; page <= last; ++page) {
        if (page != first && !printer.newPage())
            break;
        for (const CPrintLayout::Item& item : layout.Page(page, date)) {
            const int top = static_cast<int>(item.line * lineHeight);
            if (item.kind == CPrintLayout::Item::Kind::Rule) {
                painter.drawLine(0, top, width, top);
                continue;
            }
            const QString text = QString::fromLatin1(item.text.data(), static_cast<qsizetype>(item.text.size()));
            const int x = item.rightAligned ? width - metrics.horizontalAdvance(text) : 0;
            painter.drawText(x, top + metrics.ascent(), text);
        }
    }
    return painter.end();
}

}  // namespace ovro
