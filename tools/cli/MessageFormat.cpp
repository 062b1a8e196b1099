#include "MessageFormat.h"

#include <vector>

namespace {

constexpr const char* kIndent = "    ";

// The text split at its line breaks, each line without leading blanks and
// with its inner tabs as single spaces; empty lines are dropped.
std::vector<std::string> CleanLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    auto flush = [&lines, &line] {
        std::size_t end = line.find_last_not_of(" \t");
        line = end == std::string::npos ? std::string() : line.substr(0, end + 1);
        if (!line.empty())
            lines.push_back(line);
        line.clear();
    };
    for (const char c : CMessageFormat::UnixLineBreaks(text)) {
        if (c == '\n') {
            flush();
        } else if (c == '\t' || c == ' ') {
            if (!line.empty() && line.back() != ' ')
                line += ' ';
        } else {
            line += c;
        }
    }
    flush();
    return lines;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

const char* CMessageFormat::SeverityWord(MessageSeverity severity)
{
    switch (severity) {
    case MessageSeverity::FatalError:
        return "FATAL ERROR:";
    case MessageSeverity::Error:
        return "ERROR:";
    case MessageSeverity::Sorry:
        return "SORRY:";
    case MessageSeverity::Success:
        return "SUCCESS:";
    case MessageSeverity::Info:
        break;
    }
    return "INFO:";
}

std::string CMessageFormat::UnixLineBreaks(const std::string& text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            result += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string CMessageFormat::Utf8(const std::string& latin1)
{
    std::string result;
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            result += c;
        } else {
            result += static_cast<char>(0xC0 | (byte >> 6));
            result += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return result;
}

std::string CMessageFormat::Readable(MessageSeverity severity, const std::string& text)
{
    std::vector<std::string> lines = CleanLines(text);
    static const char* const kWords[] = {"FATAL ERROR:", "ERROR:", "SORRY:", "INFO:", "SUCCESS:"};
    bool hasWord = false;
    for (const char* word : kWords)
        hasWord = hasWord || (!lines.empty() && StartsWith(lines.front(), word));
    if (!hasWord) {
        if (lines.empty())
            lines.emplace_back(SeverityWord(severity));
        else
            lines.front() = std::string(SeverityWord(severity)) + ' ' + lines.front();
    }
    std::string result;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // A "SUCCESS:" line after a line break starts a paragraph of its own.
        const bool head = i == 0 || StartsWith(lines[i], "SUCCESS:");
        result += (head ? "" : kIndent) + Utf8(lines[i]) + '\n';
    }
    return result;
}

std::string CMessageFormat::Lines(const std::string& text, const std::string& indent)
{
    std::string result;
    for (const std::string& line : CleanLines(text))
        result += indent + Utf8(line) + '\n';
    return result;
}
