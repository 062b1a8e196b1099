// CParameterValue: the text forms of a parameter's value (parameter table,
// commissioning file, print-out), the value set from text, and the
// comparison used after a refused write.
#pragma once

#include <cstdint>
#include <string>

#include "description/QVTParameter.h"

namespace ovro {

class CParameterValue {
public:
    // The value as text by its data type; with enumeration, an integer value
    // that has an enumerator shows as "<value> - <text>". Unknown types: "".
    static std::string GetValueText(const CQVTParameter& parameter, bool withEnumeration);

    // Sets an integer (2...7) or Visible String (9) value from text; false
    // (value unchanged) for a text the type does not accept and for every
    // other type. Does not touch the changed flag.
    static bool SetValueText(CQVTParameter& parameter, const std::string& text);

    // Sets a value from the text that GetValueText gives without
    // enumeration, as a commissioning file holds it: SetValueText, and for
    // Octet String, Date and Time Of Day their text forms read backwards,
    // so that the value read shows the text the file holds. False (value
    // unchanged) for a text that is not such a form.
    static bool SetFileText(CQVTParameter& parameter, const std::string& text);

    // -1, 0 or 1 as the parameter's value is smaller than, equal to or greater
    // than other (16 bytes, as received from the drive); other types than
    // the integers and Visible String give 1, a missing other value -1.
    static int Compare(const CQVTParameter& parameter, const std::uint8_t* other);

private:
    static std::string DateText(const CQVTParameter::Value& b);
    static std::string TimeOfDayText(const CQVTParameter::Value& b);
    static bool SetOctetText(CQVTParameter& p, const std::string& text);
    static bool SetDateText(CQVTParameter& p, const std::string& text);
    static bool SetTimeOfDayText(CQVTParameter& p, const std::string& text);
};

}  // namespace ovro
