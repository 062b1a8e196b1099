// CMessageFormat: the program's message texts as terminal lines. A text is
// Latin-1 with tabs and line breaks laid out for a message box; on the
// terminal it becomes clean UTF-8 lines: the first line carries the
// severity word, the lines after it are indented, blank lines disappear.
#pragma once

#include <string>

#include "ui/UserInterface.h"

class CMessageFormat {
public:
    // "ERROR:", "FATAL ERROR:", ...
    static const char* SeverityWord(MessageSeverity severity);
    // The whole message as lines ending with '\n'. A text that does not
    // start with a severity word gets the word of severity in front.
    static std::string Readable(MessageSeverity severity, const std::string& text);
    // A text without its severity word, as indented lines (questions).
    static std::string Lines(const std::string& text, const std::string& indent);
    // Latin-1 bytes as UTF-8.
    static std::string Utf8(const std::string& latin1);
    // "\r\n" and "\r" as "\n".
    static std::string UnixLineBreaks(const std::string& text);
};
