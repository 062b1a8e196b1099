// CANopenErrorText.cpp - the one lookup that turns a COP error code into text.
#include "canopen/CANopenErrorText.h"

#include <cop/cop.h>

#include <clocale>
#include <cstring>
#include <locale.h>
#include <string.h>
#include <utility>

void CCANopenErrorText::SetErrorList(std::map<std::int32_t, std::string> errors)
{
    errors_ = std::move(errors);
}

std::string CCANopenErrorText::SystemText(int number)
{
    std::string text;
    // the C locale's messages are the US English ones
    locale_t english = newlocale(LC_MESSAGES_MASK, "C", static_cast<locale_t>(0));
    if (english != static_cast<locale_t>(0)) {
        text = strerror_l(number, english);
        freelocale(english);
    } else {
        text = std::strerror(number);
    }
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

std::string CCANopenErrorText::Text(std::int32_t code) const
{
    auto it = errors_.find(code);
    return Compose(code, it != errors_.end() ? &it->second : nullptr);
}

std::string CCANopenErrorText::Compose(std::int32_t code, const std::string* listed)
{
    constexpr std::size_t kMaxText = 1023;
    std::string text;
    if (code < COP_ERR_SYSTEM)
        text = SystemText(static_cast<int>(static_cast<std::int64_t>(COP_ERR_SYSTEM) - code));
    else if (listed)
        text = *listed;
    else
        text = kUnknownErrorText;
    if (text.size() > kMaxText)
        text.resize(kMaxText);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}
