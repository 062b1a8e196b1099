// InterfaceSelection.cpp - the logic of the "CAN Interface" dialog.
#include "shell/InterfaceSelection.h"

#include <cstdio>
#include <utility>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int DigitValue(char c, unsigned base)
{
    int d = -1;
    if (c >= '0' && c <= '9')
        d = c - '0';
    else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
    return (d >= 0 && static_cast<unsigned>(d) < base) ? d : -1;
}

// Digits of a base with optional blanks around; at most max.
bool ParseUnsigned(const std::string& text, unsigned base, std::uint64_t max, std::uint64_t& value)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (base == 16 && i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')
        && i + 2 < text.size() && DigitValue(text[i + 2], 16) >= 0)
        i += 2;
    std::uint64_t v = 0;
    std::size_t digits = 0;
    for (; i < text.size(); ++i) {
        const int d = DigitValue(text[i], base);
        if (d < 0)
            break;
        v = v * base + static_cast<unsigned>(d);
        if (v > max)
            return false;
        ++digits;
    }
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (digits == 0 || i != text.size())
        return false;
    value = v;
    return true;
}

} // namespace

CInterfaceSelection::CInterfaceSelection(std::vector<BoardEntry> boards, const InterfaceChoice& present)
    : boards_(std::move(boards)), present_(present), choice_(present)
{
}

std::vector<std::string> CInterfaceSelection::BoardNames() const
{
    std::vector<std::string> names;
    names.reserve(boards_.size());
    for (const BoardEntry& b : boards_)
        names.push_back(b.name.empty() ? "???" : b.name);
    return names;
}

int CInterfaceSelection::InitialIndex() const
{
    if (boards_.empty())
        return -1;
    for (std::size_t i = 0; i < boards_.size(); ++i)
        if (boards_[i].boardType == present_.boardType)
            return static_cast<int>(i);
    return 0;
}

CInterfaceSelection::Fields CInterfaceSelection::FieldsFor(int index) const
{
    Fields f;
    if (index < 0 || static_cast<std::size_t>(index) >= boards_.size() || boards_[index].plugAndPlay)
        return f;
    char text[32];
    f.enabled = true;
    std::snprintf(text, sizeof text, "%04lX", static_cast<unsigned long>(present_.address));
    f.address = text;
    std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(present_.irq));
    f.irq = text;
    return f;
}

unsigned CInterfaceSelection::Accept(int index, const std::string& addressText, const std::string& irqText)
{
    InterfaceChoice c = present_;
    if (index >= 0 && static_cast<std::size_t>(index) < boards_.size()) {
        const BoardEntry& b = boards_[index];
        c.boardType = b.boardType;
        c.library = b.library;
        c.plugAndPlay = b.plugAndPlay;
        if (!b.plugAndPlay) {
            if (!ParseAddress(addressText, c.address))
                return kInvalidAddressMessage;
            if (!ParseIrq(irqText, c.irq))
                return kInvalidIrqMessage;
        }
    } else {
        c.boardType = 0xFFFFFFFFu;
    }
    choice_ = c;
    return 0;
}

bool CInterfaceSelection::ParseAddress(const std::string& text, std::uint32_t& value)
{
    std::uint64_t v = 0;
    if (!ParseUnsigned(text, 16, 0xFFFFFFFFu, v))
        return false;
    value = static_cast<std::uint32_t>(v);
    return true;
}

bool CInterfaceSelection::ParseIrq(const std::string& text, std::uint32_t& value)
{
    std::uint64_t v = 0;
    if (!ParseUnsigned(text, 10, kMaxIrq, v))
        return false;
    value = static_cast<std::uint32_t>(v);
    return true;
}
