#include "document/ProfileReader.h"

#include "settings/PlainText.h"
#include "settings/WholeFile.h"

#include <cstdlib>

namespace ovro {

namespace {

// What a line, a name or a value loses at either end.
constexpr const char* kBlanks = " \t\r";

}  // namespace

CProfileReader::CProfileReader(const std::string& fileName)
{
    std::string text;
    if (!CWholeFile::Read(fileName, text))
        return;
    m_open = true;
    Parse(text);
}

CProfileReader CProfileReader::FromText(const std::string& text)
{
    CProfileReader reader;
    reader.m_open = true;
    reader.Parse(text);
    return reader;
}

void CProfileReader::Parse(const std::string& text)
{
    Section* current = nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = Trim(text.substr(start, end - start), kBlanks);
        start = end + 1;

        if (!line.empty() && line[0] == '[') {
            const std::size_t close = line.find(']');
            const std::size_t length = close == std::string::npos ? std::string::npos : close - 1;
            const std::string name = Trim(line.substr(1, length), kBlanks);
            m_sections.push_back(Section{name, {}});
            current = &m_sections.back();
            continue;
        }
        const std::size_t equals = line.find('=');
        if (current == nullptr || equals == std::string::npos)
            continue;
        std::string value = Trim(line.substr(equals + 1), kBlanks);
        // A value in a matching pair of quotes reads without them.
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        current->entries.push_back(Entry{Trim(line.substr(0, equals), kBlanks), value});
    }
}

const CProfileReader::Section* CProfileReader::FindSection(const std::string& name) const
{
    for (const Section& s : m_sections) {
        if (EqualsNoCase(s.name, name))
            return &s;
    }
    return nullptr;
}

const std::string* CProfileReader::FindValue(const std::string& section, const std::string& key) const
{
    if (const Section* s = FindSection(section)) {
        for (const Entry& e : s->entries) {
            if (EqualsNoCase(e.key, key))
                return &e.value;
        }
    }
    return nullptr;
}

std::string CProfileReader::GetString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue) const
{
    const std::string* found = FindValue(section, key);
    std::string value = found != nullptr ? *found : defaultValue;
    if (value.size() > kMaxValue)
        value.resize(kMaxValue);
    return value;
}

long CProfileReader::GetInt(const std::string& section, const std::string& key, long defaultValue) const
{
    const std::string* found = FindValue(section, key);
    if (found == nullptr)
        return defaultValue;
    const std::string& text = *found;
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value > 100000000L)
            break;  // far outside every range the callers accept
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

}  // namespace ovro
