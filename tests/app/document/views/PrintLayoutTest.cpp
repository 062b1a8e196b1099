// The pages of the parameter list's print-out, and the PDF they make.
#include "ViewTestSupport.h"

#include <QFile>
#include <QPrinter>

#include <cctype>

#include "description/QVTDataType.h"
#include "description/QVTDevice.h"
#include "document/ParameterValue.h"
#include "document/PrintLayout.h"
#include "document/views/ParameterPrinter.h"
#include "document/views/QVTView.h"

using ovro::CPrintLayout;

namespace viewtest {
namespace {

class PrintLayoutTest : public OfflineDocTest {
protected:
    static int CountParameters(const ovro::CQVTDevice& device)
    {
        int n = 0;
        for (const auto& s : device.sections)
            n += static_cast<int>(s.parameters.size());
        return n;
    }
    static std::vector<const CPrintLayout::Item*> At(const std::vector<CPrintLayout::Item>& items, double line)
    {
        std::vector<const CPrintLayout::Item*> found;
        for (const auto& item : items) {
            if (item.line == line)
                found.push_back(&item);
        }
        return found;
    }
    // Page objects of a PDF file ("/Type /Page", not "/Type /Pages").
    static int PdfPages(const QByteArray& pdf)
    {
        int pages = 0;
        for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0; at = pdf.indexOf("/Type /Page", at + 1)) {
            if (pdf.mid(at + 11, 1) != "s")
                ++pages;
        }
        return pages;
    }
};

TEST_F(PrintLayoutTest, PageCountFollowsTheLinesOfEachModel)
{
    for (int model : {1, 2}) {
        ovro::CQVTDoc& doc = OpenOffline(model);
        const ovro::CQVTDevice& device = *doc.Device();
        const int sections = static_cast<int>(device.sections.size());
        const int parameters = CountParameters(device);
        // 100 lines of 10 pixels: 12 go to the head of the page.
        const CPrintLayout layout(device, 9, 7, 1000, 10);
        EXPECT_EQ(layout.LinesPerPage(), 88);
        EXPECT_EQ(layout.TotalLines(), parameters + 2 + 3 * sections);
        EXPECT_EQ(layout.PageCount(), layout.TotalLines() / 88 + 1);
        // The body: the type, then each section's name, a gap, its
        // parameters and a gap.
        ASSERT_EQ(static_cast<int>(layout.Body().size()), 1 + parameters + 3 * sections);
        EXPECT_EQ(layout.Body()[0], "  " + device.typeName);
        EXPECT_EQ(layout.Body()[1], "     " + device.sections[0].name);
        EXPECT_EQ(layout.Body()[2], "");
        EXPECT_EQ(layout.Body().back(), "");
        EXPECT_EQ(CPrintLayout::OfferedPages(model), model == 1 ? 2 : 3);
    }
}

TEST_F(PrintLayoutTest, ParameterLinesHaveTheirColumns)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    ovro::CQVTDevice& device = *doc.Device();
    // First section: name and value only.
    const ovro::CQVTParameter& first = device.sections[0].parameters[0];
    const std::string value = ovro::CParameterValue::GetValueText(first, false);
    const CPrintLayout layout(device, 9, 7, 1000, 10);
    std::string name = first.name;
    name.resize(37, ' ');
    EXPECT_EQ(layout.Body()[3], "        " + name + " " + value);

    // A later section: the value right-aligned in 11 places, then the unit;
    // a Visible String has no unit column. A value with an enumerator is
    // its code alone.
    const auto& later = device.sections[1].parameters;
    std::size_t line = 1 + 3 + device.sections[0].parameters.size() + 2;
    for (const ovro::CQVTParameter& p : later) {
        std::string padded = p.name;
        padded.resize(std::max<std::size_t>(37, padded.size()), ' ');
        const std::string v = ovro::CParameterValue::GetValueText(p, false);
        std::string expected = "        " + padded + " ";
        if (p.dataType == ovro::QvtVisibleString) {
            expected += v;
        } else {
            expected += std::string(v.size() < 11 ? 11 - v.size() : 0, ' ') + v + " " + p.unit;
        }
        EXPECT_EQ(layout.Body()[line], expected) << p.key;
        ++line;
    }
}

TEST_F(PrintLayoutTest, LongValuesStayWithinTheRightMarginAndCodesPrintBare)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    ovro::CQVTDevice& device = *doc.Device();
    ovro::CQVTParameter* data = device.FindParameter(0x2003, 2);  // "Production Data", 16 bytes
    ovro::CQVTParameter* baud = device.FindParameter(0x2005, 2);  // "Baud Rate", enumerated
    ASSERT_NE(data, nullptr);
    ASSERT_NE(baud, nullptr);
    const std::uint8_t bytes[16] = {0x10, 0x21, 0x32, 0x43, 0x54, 0x65, 0x76, 0x87,
                                    0x98, 0xA9, 0xBA, 0xCB, 0xDC, 0xED, 0xFE, 0x0F};
    data->SetRaw(bytes, sizeof bytes);
    ASSERT_TRUE(ovro::CParameterValue::SetValueText(*baud, "7"));
    const std::string value = ovro::CParameterValue::GetValueText(*data, false);

    const int sections = static_cast<int>(device.sections.size());
    const int parameters = CountParameters(device);
    const struct {
        int columns;
        int further;  // lines the Production Data line takes beyond its first
    } rows[] = {{0, 0}, {200, 0}, {90, 1}, {80, 2}, {60, 5}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.columns);
        const CPrintLayout layout(device, 9, 7, 1000, 10, row.columns);
        std::size_t at = 0;
        while (at < layout.Body().size() && layout.Body()[at].rfind("        Production Data", 0) != 0)
            ++at;
        ASSERT_LT(at, layout.Body().size());
        // The value goes on below its column and loses nothing.
        std::string joined = layout.Body()[at].substr(CPrintLayout::kValueColumn);
        for (int i = 1; i <= row.further; ++i) {
            const std::string& next = layout.Body()[at + static_cast<std::size_t>(i)];
            ASSERT_EQ(next.rfind(std::string(CPrintLayout::kValueColumn, ' '), 0), 0u) << next;
            joined += " " + next.substr(CPrintLayout::kValueColumn);
        }
        EXPECT_EQ(joined, value);
        EXPECT_NE(layout.Body()[at + static_cast<std::size_t>(row.further) + 1].rfind(
                      std::string(CPrintLayout::kValueColumn, ' '), 0),
                  0u);
        if (row.columns > 0) {
            for (const std::string& line : layout.Body())
                EXPECT_LE(static_cast<int>(line.size()), row.columns) << line;
        }
        EXPECT_GE(layout.TotalLines(), parameters + 2 + 3 * sections + row.further);
        EXPECT_EQ(layout.TotalLines(), static_cast<int>(layout.Body().size()) + 1);
    }
    // The baud rate prints as the code the drive holds, as every value
    // without its enumerator's text (the table shows that).
    const CPrintLayout layout(device, 9, 7, 1000, 10, 90);
    bool found = false;
    for (const std::string& line : layout.Body()) {
        if (line.rfind("        Baud Rate ", 0) == 0) {
            found = true;
            std::string name = "Baud Rate";
            name.resize(37, ' ');
            EXPECT_EQ(line, "        " + name + " " + std::string(10, ' ') + "7 ") << line;
        }
    }
    EXPECT_TRUE(found);
}

TEST_F(PrintLayoutTest, EveryPageHasTheHeadAndItsShareOfTheBody)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    ovro::CQVTDevice& device = *doc.Device();
    ovro::CQVTParameter* name = device.sections[0].FindParameterByName("DeviceName");
    ASSERT_NE(name, nullptr);
    ASSERT_TRUE(ovro::CParameterValue::SetValueText(*name, "K315-A"));
    const CPrintLayout layout(device, 9, 7, 400, 10);  // 28 body lines a page
    ASSERT_EQ(layout.LinesPerPage(), 28);
    ASSERT_GT(layout.PageCount(), 2);
    std::vector<int> printed(layout.Body().size(), 0);
    for (int page = 1; page <= layout.PageCount(); ++page) {
        const auto items = layout.Page(page, "  Date: x");
        const auto top = At(items, 0);
        ASSERT_EQ(top.size(), 2u);
        EXPECT_EQ(top[0]->text, "  Date: x");
        EXPECT_FALSE(top[0]->rightAligned);
        EXPECT_EQ(top[1]->text, "Page " + std::to_string(page) + "  ");
        EXPECT_TRUE(top[1]->rightAligned);
        const auto firstRule = At(items, 2.5);
        ASSERT_EQ(firstRule.size(), 1u);
        EXPECT_EQ(firstRule[0]->kind, CPrintLayout::Item::Kind::Rule);
        const auto secondRule = At(items, 9.5);
        ASSERT_EQ(secondRule.size(), 1u);
        EXPECT_EQ(secondRule[0]->kind, CPrintLayout::Item::Kind::Rule);

        const char* labels[] = {"  Manufacturer:", "  Device name:", "  Ident. no.:",
                                "  Serial no.:",   "  Prog. version:", "  Node settings:"};
        for (int i = 0; i < 6; ++i) {
            const auto line = At(items, 3 + i);
            ASSERT_EQ(line.size(), 2u) << i;
            EXPECT_EQ(line[0]->text, labels[i]);
            EXPECT_TRUE(line[1]->rightAligned);
        }
        EXPECT_EQ(At(items, 4)[1]->text, "K315-A  ");
        EXPECT_EQ(At(items, 8)[1]->text, "#9@20kBit/s  ");

        for (const auto& item : items) {
            if (item.line < CPrintLayout::kBodyLine)
                continue;
            EXPECT_LT(item.line, CPrintLayout::kBodyLine + 28);
            const int n = (page - 1) * 28 + static_cast<int>(item.line) - CPrintLayout::kBodyLine;
            ASSERT_LT(n, static_cast<int>(printed.size()));
            EXPECT_EQ(item.text, layout.Body()[static_cast<std::size_t>(n)]);
            ++printed[static_cast<std::size_t>(n)];
        }
    }
    for (std::size_t n = 0; n < printed.size(); ++n)
        EXPECT_EQ(printed[n], 1) << "body line " << n;
}

TEST_F(PrintLayoutTest, MissingIdentityAndOddBaudRatesHaveTheirTexts)
{
    ovro::CQVTDoc& doc = OpenOffline(1);
    ovro::CQVTDevice& device = *doc.Device();
    ovro::CQVTSection& first = device.sections[0];
    for (auto it = first.parameters.begin(); it != first.parameters.end(); ++it) {
        if (it->key == "MotorManufacturer") {
            first.parameters.erase(it);
            break;
        }
    }
    const CPrintLayout layout(device, 127, 12, 1000, 10);
    const auto items = layout.Page(1, "");
    EXPECT_EQ(At(items, 3)[1]->text, "(unknown)");
    EXPECT_EQ(At(items, 8)[1]->text, "#127@?kBit/s  ");
    EXPECT_EQ(CPrintLayout::NodeSettingsText(5, 0), "#5@1.0MBit/s  ");
    EXPECT_EQ(CPrintLayout::NodeSettingsText(5, 8), "#5@10kBit/s  ");
}

TEST_F(PrintLayoutTest, PagesTooSmallForTheHeadStillTerminate)
{
    ovro::CQVTDoc& doc = OpenOffline(1);
    for (int height : {0, 50, 120, 130}) {
        const CPrintLayout layout(*doc.Device(), 1, 7, height, 10);
        EXPECT_EQ(layout.LinesPerPage(), 1) << height;
        EXPECT_EQ(layout.PageCount(), layout.TotalLines() + 1);
        EXPECT_EQ(layout.Page(2, "").size(), 17u);  // head (16 items) and one body line
    }
    const CPrintLayout zero(*doc.Device(), 1, 7, 1000, 0);
    EXPECT_EQ(zero.LinesPerPage(), 1);
}

TEST_F(PrintLayoutTest, DateIsTheLocalTimeInTwelveHourForm)
{
    const std::string date = CPrintLayout::DateText(1796740704);  // 2026-12-08
    // "  Date: MM/DD/YYYY hh:mm:ss AM" - digits where the pattern has 9.
    const std::string pattern = "  Date: 99/99/9999 99:99:99 ";
    ASSERT_EQ(date.size(), pattern.size() + 2) << date;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '9') {
            EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(date[i]))) << date;
        } else {
            EXPECT_EQ(date[i], pattern[i]) << date;
        }
    }
    const std::string half = date.substr(pattern.size());
    EXPECT_TRUE(half == "AM" || half == "PM") << date;
    EXPECT_NE(date.find("/2026 "), std::string::npos) << date;
}

TEST_F(PrintLayoutTest, PageRangeIsClampedToThePrintOut)
{
    using ovro::CParameterPrinter;
    EXPECT_EQ(CParameterPrinter::PageRange(0, 0, 4), std::make_pair(1, 4));
    EXPECT_EQ(CParameterPrinter::PageRange(2, 3, 4), std::make_pair(2, 3));
    EXPECT_EQ(CParameterPrinter::PageRange(3, 9, 4), std::make_pair(3, 4));
    EXPECT_EQ(CParameterPrinter::PageRange(5, 6, 4).first, 5);  // nothing left: first > last
}

TEST_F(PrintLayoutTest, EachModelPrintsToAPdfFileOfItsPages)
{
    for (int model : {1, 2}) {
        ovro::CQVTDoc& doc = OpenOffline(model);
        CQVTView view(&doc);
        const QString file = QString::fromStdString(bus_.dir()) + QStringLiteral("/list%1.pdf").arg(model);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        const CPrintLayout layout(*doc.Device(), doc.NodeId(), doc.Device()->baudRate, printer.height(),
                                  ovro::CParameterPrinter::LineHeight(printer),
                                  ovro::CParameterPrinter::Columns(printer));
        ASSERT_GE(layout.LinesPerPage(), 40);  // 10 points on A4 or Letter
        ASSERT_GE(ovro::CParameterPrinter::Columns(printer), 70);
        ASSERT_TRUE(view.PrintTo(printer));
        QFile pdf(file);
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        EXPECT_TRUE(bytes.startsWith("%PDF"));
        EXPECT_EQ(PdfPages(bytes), layout.PageCount()) << "model " << model;

        // A range prints just those pages.
        const QString part = QString::fromStdString(bus_.dir()) + QStringLiteral("/part%1.pdf").arg(model);
        QPrinter second(QPrinter::HighResolution);
        second.setOutputFormat(QPrinter::PdfFormat);
        second.setOutputFileName(part);
        second.setFromTo(2, 2);
        ASSERT_TRUE(view.PrintTo(second));
        QFile partPdf(part);
        ASSERT_TRUE(partPdf.open(QIODevice::ReadOnly));
        EXPECT_EQ(PdfPages(partPdf.readAll()), 1);
        EXPECT_GE(view.OfferedPages(printer), std::max(CPrintLayout::OfferedPages(model), layout.PageCount()));
    }
}

}  // namespace
}  // namespace viewtest
