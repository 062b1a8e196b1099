// CANopenErrorText.h - the one lookup that turns a COP error code into the
// text the program shows.
#pragma once

#include <cstdint>
#include <map>
#include <string>

class CCANopenErrorText {
public:
    // The error list of the device description, filled by the application.
    void SetErrorList(std::map<std::int32_t, std::string> errors);
    const std::map<std::int32_t, std::string>& ErrorList() const { return errors_; }

    // Codes of -10000 and below: the system's message for error number
    // -10000 minus the code; others: the error list; else the fallback text.
    std::string Text(std::int32_t code) const;

    // The system's message for an error number, in English when available,
    // without a trailing line feed.
    static std::string SystemText(int number);

    static constexpr const char* kUnknownErrorText = "Resistance is futile, prepare to assimilate!";

private:
    std::map<std::int32_t, std::string> errors_;
};
