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

    // Codes below -10000: the system's message for error number -10000
    // minus the code; others: the error list; else the fallback text.
    std::string Text(std::int32_t code) const;

    // The rule itself, for any holder of an error list: `listed` is the
    // list's text of the code, or null when the list has none. -10000 itself
    // carries no error number (errno 0 would read "Success") and so takes
    // its text from the list. At most 1023 characters, one trailing line
    // feed removed.
    static std::string Compose(std::int32_t code, const std::string* listed);

    // The system's message for an error number, in English when available,
    // without a trailing line feed.
    static std::string SystemText(int number);

    static constexpr const char* kUnknownErrorText = "Resistance is futile, prepare to assimilate!";

private:
    std::map<std::int32_t, std::string> errors_;
};
