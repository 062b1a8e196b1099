#include "PdfBook.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cctype>
#include <cmath>
#include <set>

std::string PdfBook::slug(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.')
            out += static_cast<char>(c);
        else if (!out.empty() && out.back() != '_')
            out += '_';
    }
    while (!out.empty() && out.back() == '_')
        out.pop_back();
    return out.empty() ? "Chapter" : out;
}

bool PdfBook::write(const std::string& markdown, const std::vector<Heading>& headings, const std::string& path,
                    std::string& error)
{
    QTextDocument document;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    document.setDefaultFont(font);
    document.setMarkdown(QString::fromUtf8(markdown.data(), static_cast<qsizetype>(markdown.size())));

    // Each chapter starts on a page of its own.
    bool first = true;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() != 1)
            continue;
        if (!first) {
            QTextBlockFormat format = block.blockFormat();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(block).setBlockFormat(format);
        }
        first = false;
    }

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setTitle(QString::fromStdString(title_));
    writer.setCreator(QStringLiteral("Ovro-QVT"));
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                             QPageLayout::Millimeter);
    writer.setPageLayout(layout);

    // The document laid out on pages of the paint area's shape: then each
    // block's place tells its page, and print() keeps this layout.
    const QRectF paintPt = layout.paintRect(QPageLayout::Point);
    const QRectF fullPt = layout.fullRect(QPageLayout::Point);
    const qreal pageWidth = 595;  // a fixed text width in the document's units
    const qreal pageHeight = pageWidth * paintPt.height() / paintPt.width();
    document.setPageSize(QSizeF(pageWidth, pageHeight));
    document.documentLayout();  // lays the text out

    destinations_.clear();
    std::vector<PdfDestinations::OutlineItem> outline;
    std::set<std::string> used;
    std::size_t next = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level == 0)
            continue;
        const std::string text = block.text().toStdString();
        Heading heading{slug(text), level == 1};
        if (next < headings.size())
            heading = headings[next];
        ++next;
        std::string name = heading.destination;
        for (int n = 2; used.count(name); ++n)
            name = heading.destination + "_" + std::to_string(n);
        used.insert(name);
        const QRectF rect = document.documentLayout()->blockBoundingRect(block);
        const int page = static_cast<int>(std::floor(rect.top() / pageHeight));
        const qreal within = rect.top() - page * pageHeight;
        const double top = fullPt.height() - (paintPt.top() + within * paintPt.height() / pageHeight);
        destinations_.push_back({name, page, top});
        if (heading.inOutline)
            outline.push_back({text, name});
    }
    if (next < headings.size()) {
        error = "the text has fewer headings than destinations";
        return false;
    }

    document.print(&writer);
    buffer.close();
    std::string pdf(buffer.data().constData(), static_cast<std::size_t>(buffer.data().size()));
    if (!PdfDestinations::add(pdf, destinations_, outline, error)) {
        error = "adding the destinations failed: " + error;
        return false;
    }
    QSaveFile file(QString::fromLocal8Bit(path.c_str()));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(pdf.data(), static_cast<qint64>(pdf.size())) != static_cast<qint64>(pdf.size()) ||
        !file.commit()) {
        error = "cannot write " + path + ": " + file.errorString().toStdString();
        return false;
    }
    return true;
}
