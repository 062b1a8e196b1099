#include "settings/WindowPlacement.h"

#include "settings/SettingsKeys.h"

#include <charconv>
#include <cstdio>
#include <vector>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// One comma-separated field: blanks, a decimal number, blanks.
template <typename T>
bool ParseField(std::string_view field, T& value)
{
    while (!field.empty() && IsBlank(field.front()))
        field.remove_prefix(1);
    while (!field.empty() && IsBlank(field.back()))
        field.remove_suffix(1);
    if (!field.empty() && field.front() == '+')
        field.remove_prefix(1);
    if (field.empty())
        return false;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value, 10);
    return ec == std::errc() && ptr == end;
}

}  // namespace

std::string FormatWindowPlacement(const WindowPlacement& p)
{
    char text[160];
    std::snprintf(text, sizeof text, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d",
                  static_cast<unsigned>(p.flags), static_cast<unsigned>(p.showCmd),
                  static_cast<int>(p.minX), static_cast<int>(p.minY),
                  static_cast<int>(p.maxX), static_cast<int>(p.maxY),
                  static_cast<int>(p.left), static_cast<int>(p.top),
                  static_cast<int>(p.right), static_cast<int>(p.bottom));
    return text;
}

std::optional<WindowPlacement> ParseWindowPlacement(const std::string& text)
{
    std::vector<std::string_view> fields;
    std::string_view rest(text);
    for (;;) {
        const std::size_t comma = rest.find(',');
        fields.push_back(rest.substr(0, comma));
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    if (fields.size() != 10)
        return std::nullopt;

    WindowPlacement p;
    std::int32_t* const coords[8] = {&p.minX, &p.minY, &p.maxX, &p.maxY,
                                     &p.left, &p.top, &p.right, &p.bottom};
    if (!ParseField(fields[0], p.flags) || !ParseField(fields[1], p.showCmd))
        return std::nullopt;
    for (int i = 0; i < 8; ++i)
        if (!ParseField(fields[static_cast<std::size_t>(i) + 2], *coords[i]))
            return std::nullopt;
    return p;
}

bool ReadWindowPlacement(const ISettingsStore& store, const std::string& key,
                         WindowPlacement& placement)
{
    const std::string text = store.ReadString(SettingsKeys::kWindows, key, std::string());
    if (text.empty())
        return false;
    const std::optional<WindowPlacement> parsed = ParseWindowPlacement(text);
    if (!parsed)
        return false;
    placement = *parsed;
    return true;
}

bool WriteWindowPlacement(ISettingsStore& store, const std::string& key,
                          const WindowPlacement& placement)
{
    return store.WriteString(SettingsKeys::kWindows, key, FormatWindowPlacement(placement));
}
