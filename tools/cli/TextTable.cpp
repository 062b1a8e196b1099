#include "TextTable.h"

#include <algorithm>

#include "MessageFormat.h"

namespace {

// A cell on one line: line breaks and tabs of a drive's text become spaces.
std::string OneLine(const std::string& text)
{
    std::string result = text;
    std::replace_if(result.begin(), result.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return result;
}

}  // namespace

void CTextTable::AddRow(std::vector<std::string> cells)
{
    cells.resize(header_.size());
    for (std::string& cell : cells)
        cell = OneLine(cell);
    rows_.push_back(std::move(cells));
}

std::string CTextTable::Text(const std::string& indent) const
{
    std::vector<std::size_t> widths(header_.size(), 0);
    for (std::size_t c = 0; c < header_.size(); ++c) {
        widths[c] = header_[c].size();
        for (const auto& row : rows_)
            widths[c] = std::max(widths[c], row[c].size());
    }
    // Widths count Latin-1 characters, one byte each, before the UTF-8 form.
    auto line = [&](const std::vector<std::string>& cells) {
        std::string text;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            std::string cell = cells[c];
            if (c + 1 < cells.size())
                cell += std::string(widths[c] - cell.size() + 2, ' ');
            text += cell;
        }
        const std::size_t end = text.find_last_not_of(' ');
        text.resize(end == std::string::npos ? 0 : end + 1);
        return indent + CMessageFormat::Utf8(text) + '\n';
    };
    std::string result = line(header_);
    std::vector<std::string> rule;
    for (std::size_t w : widths)
        rule.push_back(std::string(w, '-'));
    result += line(rule);
    for (const auto& row : rows_)
        result += line(row);
    return result;
}
