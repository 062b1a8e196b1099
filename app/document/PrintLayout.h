// CPrintLayout: the pages of the parameter list's print-out, without any
// painting. Every page has the date and page number at the top, a rule, the
// identification block of the drive and a second rule; below them the body
// - the device type, then each section with its parameters - runs on in
// numbered lines, each line on its own page. Positions are in lines of the
// print font (line 0 at the top of the page). A parameter line wider than
// the page goes on in further lines below its value column, so that a long
// value (an Octet String) stays within the right margin.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace ovro {

class CQVTDevice;

class CPrintLayout {
public:
    static constexpr int kBodyLine = 11;     // first line of the body
    static constexpr int kHeaderLines = 12;  // lines a page keeps for its head
    static constexpr double kFirstRule = 2.5;
    static constexpr double kSecondRule = 9.5;

    struct Item {
        enum class Kind { Text, Rule } kind = Kind::Text;
        double line = 0;          // text: its line; rule: its height in lines
        bool rightAligned = false;
        std::string text;
    };

    // pageHeight and lineHeight in the same unit (device pixels); columns:
    // the characters of the print font a line holds (0: no limit).
    CPrintLayout(const CQVTDevice& device, int nodeId, int baudRate, int pageHeight, int lineHeight,
                 int columns = 0);
    // Where a parameter's value starts in its line, and so where its
    // further lines start.
    static constexpr int kValueColumn = 8 + 37 + 1;

    int LinesPerPage() const { return linesPerPage_; }
    int TotalLines() const { return totalLines_; }
    int PageCount() const { return pageCount_; }
    // The body, line by line (line 0 the device type).
    const std::vector<std::string>& Body() const { return body_; }

    // Everything on one page (1-based), dated with the text of DateText.
    std::vector<Item> Page(int page, const std::string& date) const;

    // "  Date: 12/08/2026 05:58:24 PM" of a local time.
    static std::string DateText(std::time_t now);
    // The pages the print dialog offers: up to 2 for model 1, else 3.
    static int OfferedPages(int model);
    // "#5@20kBit/s  " of the identification block.
    static std::string NodeSettingsText(int nodeId, int baudRate);

private:
    std::string IdentValue(const char* key) const;

    const CQVTDevice& device_;
    int nodeId_;
    int baudRate_;
    int linesPerPage_ = 1;
    int totalLines_ = 0;
    int pageCount_ = 1;
    std::vector<std::string> body_;
};

}  // namespace ovro
