#include "document/PrintLayout.h"

#include <cstdio>

#include "description/QVTDataType.h"
#include "description/QVTDevice.h"
#include "document/ParameterValue.h"
#include "settings/BaudRate.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

namespace ovro {

namespace {

// The identification block: label and the key of its parameter in the
// device's first section.
struct IdentLine {
    unsigned label;
    const char* key;
};
constexpr IdentLine kIdentLines[] = {
    {kMsgPrintManufacturer, "MotorManufacturer"},
    {kMsgPrintDeviceName, "DeviceName"},
    {kMsgPrintIdentNo, "MotorIdentNo"},
    {kMsgPrintSerialNo, "LSS_SerialNumber"},
    {kMsgPrintVersion, "SoftwareVersion"},
};
constexpr int kFirstIdentLine = 3;

// The value as the drive holds it, without its enumerator's text: the
// print-out lists codes (a baud rate, a mode) in its narrow value column.
std::string ParameterLine(const CQVTParameter& p, bool firstSection)
{
    const std::string value = CParameterValue::GetValueText(p, false);
    if (firstSection || p.dataType == QvtVisibleString)
        return StringPrintf("        %-37s %s", p.name.c_str(), value.c_str());
    return StringPrintf("        %-37s %11s %s", p.name.c_str(), value.c_str(), p.unit.c_str());
}

// A line cut at blanks into lines of at most columns characters; the
// further ones start at the value column (or at the left when the page is
// too narrow for that). A word longer than a line is cut where it must.
std::vector<std::string> Wrap(const std::string& line, int columns)
{
    const std::size_t width = static_cast<std::size_t>(columns);
    if (columns <= 0 || line.size() <= width)
        return {line};
    const std::size_t indent = width > CPrintLayout::kValueColumn + 8 ? CPrintLayout::kValueColumn : 0;
    std::vector<std::string> lines;
    std::string rest = line;
    std::string lead;
    while (lead.size() + rest.size() > width) {
        const std::size_t room = width - lead.size();
        std::size_t cut = rest.rfind(' ', room);
        if (cut == std::string::npos || cut == 0 || (lines.empty() && cut <= indent))
            cut = room;
        lines.push_back(lead + rest.substr(0, cut));
        const std::size_t next = rest.find_first_not_of(' ', cut);
        rest = next == std::string::npos ? std::string() : rest.substr(next);
        lead.assign(indent, ' ');
    }
    if (!rest.empty())
        lines.push_back(lead + rest);
    return lines;
}

}  // namespace

CPrintLayout::CPrintLayout(const CQVTDevice& device, int nodeId, int baudRate, int pageHeight, int lineHeight,
                           int columns)
    : device_(device), nodeId_(nodeId), baudRate_(baudRate)
{
    // A page too small for its head still takes one body line, rather than
    // dividing by nothing.
    if (lineHeight > 0 && pageHeight / lineHeight - kHeaderLines > 1)
        linesPerPage_ = pageHeight / lineHeight - kHeaderLines;
    int sections = 0;
    int parameters = 0;
    int further = 0;  // lines that go on from a parameter's line
    body_.push_back(StringPrintf("  %s", device.typeName.c_str()));
    for (const CQVTSection& section : device.sections) {
        const bool first = sections == 0;
        body_.push_back(StringPrintf("     %s", section.name.c_str()));
        body_.emplace_back();
        for (const CQVTParameter& p : section.parameters) {
            const std::vector<std::string> lines = Wrap(ParameterLine(p, first), columns);
            body_.insert(body_.end(), lines.begin(), lines.end());
            further += static_cast<int>(lines.size()) - 1;
        }
        body_.emplace_back();
        ++sections;
        parameters += static_cast<int>(section.parameters.size());
    }
    totalLines_ = parameters + 2 + 3 * sections + further;
    pageCount_ = totalLines_ / linesPerPage_ + 1;
}

std::string CPrintLayout::IdentValue(const char* key) const
{
    const CQVTParameter* p = device_.sections.empty() ? nullptr : device_.sections.front().FindParameterByName(key);
    if (p == nullptr)
        return MessageText(kMsgPrintUnknown);
    return StringPrintf("%s  ", CParameterValue::GetValueText(*p, false).c_str());
}

std::string CPrintLayout::NodeSettingsText(int nodeId, int baudRate)
{
    const char* rate = BaudRateRateText(baudRate);
    if (rate == nullptr)
        rate = "?kBit/s";
    return StringPrintf("#%u@%s  ", static_cast<unsigned>(nodeId), rate);
}

std::vector<CPrintLayout::Item> CPrintLayout::Page(int page, const std::string& date) const
{
    std::vector<Item> items;
    auto text = [&items](double line, bool right, std::string t) {
        Item item;
        item.line = line;
        item.rightAligned = right;
        item.text = std::move(t);
        items.push_back(std::move(item));
    };
    auto rule = [&items](double line) {
        Item item;
        item.kind = Item::Kind::Rule;
        item.line = line;
        items.push_back(std::move(item));
    };
    text(0, false, date);
    text(0, true, StringPrintf("Page %li  ", static_cast<long>(page)));
    rule(kFirstRule);
    int line = kFirstIdentLine;
    for (const IdentLine& ident : kIdentLines) {
        text(line, false, MessageText(ident.label));
        text(line, true, IdentValue(ident.key));
        ++line;
    }
    text(line, false, MessageText(kMsgPrintNodeSettings));
    text(line, true, NodeSettingsText(nodeId_, baudRate_));
    rule(kSecondRule);
    for (std::size_t n = 0; n < body_.size(); ++n) {
        const int number = static_cast<int>(n);
        if (number / linesPerPage_ == page - 1)
            text(number % linesPerPage_ + kBodyLine, false, body_[n]);
    }
    return items;
}

std::string CPrintLayout::DateText(std::time_t now)
{
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr)
        return std::string();
    char text[64];
    if (std::strftime(text, sizeof text, "  Date: %m/%d/%Y %I:%M:%S %p", &local) == 0)
        return std::string();
    return text;
}

int CPrintLayout::OfferedPages(int model)
{
    return model == 1 ? 2 : 3;
}

}  // namespace ovro
