// MessageTexts.h - the program's numbered message texts, in one table.
//
// Texts are Latin-1 byte strings; "\xB4" is the character ´. A text may be a
// printf format whose arguments the message's user supplies.
#pragma once

#include <cstddef>
#include <string>

// The text of a message number; "" for a number the table does not hold.
const char* MessageText(unsigned id);

// The text of a message number with its printf arguments filled in.
std::string FormatMessage(unsigned id, ...);

// printf into a std::string.
std::string StringPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Every number in the table, for checks of the table itself.
struct MessageEntry {
    unsigned id;
    const char* text;
};
const MessageEntry* MessageTable(std::size_t* count);
