#include "RegistryFile.h"

#include "BoardModels.h"

#include <orxboard/orx11reg.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>
#include <strings.h>

namespace orx {

namespace {

const char* const kRegistrySection = "Registry";
const char* const kBoardSection = "Board";

std::string trim(const std::string& s)
{
    std::size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return "";
    std::size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool sameName(const std::string& a, const std::string& b)
{
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

std::string hex32(std::uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

std::string serialOf(std::uint32_t type, std::uint32_t number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04X%04u", (type >> 8) & 0xFFFFu, number % 10000u);
    return text;
}

}  // namespace

bool RegistryFile::asDword(const std::string& value, std::uint32_t& out)
{
    std::string v = trim(value);
    if (v.empty())
        return false;
    int base = 10;
    std::size_t start = 0;
    if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
        base = 16;
        start = 2;
    }
    unsigned long long n = 0;
    for (std::size_t i = start; i < v.size(); ++i) {
        int c = static_cast<unsigned char>(v[i]);
        int digit;
        if (std::isdigit(c))
            digit = c - '0';
        else if (base == 16 && std::isxdigit(c))
            digit = std::tolower(c) - 'a' + 10;
        else
            return false;
        n = n * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (n > 0xFFFFFFFFull)
            return false;
    }
    out = static_cast<std::uint32_t>(n);
    return true;
}

RegistryFile RegistryFile::defaults()
{
    RegistryFile file;
    std::size_t count = 0;
    const BoardModel* models = BoardModels::all(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (models[i].driver == Driver::None)
            continue;
        std::uint32_t n = file.addEntry(models[i].type);
        if (models[i].type == BoardModels::kDefaultType)
            file.m_default = n;
    }
    return file;
}

std::uint32_t RegistryFile::addEntry(std::uint32_t type)
{
    std::uint32_t number = 1;
    for (const RegistryEntry& e : m_entries)
        number = std::max(number, e.number + 1);
    RegistryEntry entry;
    entry.number = number;
    entry.type = type & 0xFFFFFF00u;
    const BoardModel* model = BoardModels::find(type);
    entry.variables.push_back({"Name", model ? model->name : "unknown board"});
    entry.variables.push_back({"SERIAL", serialOf(type, number)});
    entry.variables.push_back({"DOWNLOAD", "1"});
    entry.variables.push_back({"VERIFY", "1"});
    m_entries.push_back(entry);
    return number;
}

bool RegistryFile::removeEntry(std::uint32_t number)
{
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](const RegistryEntry& e) { return e.number == number; });
    if (it == m_entries.end())
        return false;
    m_entries.erase(it);
    if (m_default == number)
        m_default = 0;
    return true;
}

RegistryEntry* RegistryFile::entry(std::uint32_t number)
{
    for (RegistryEntry& e : m_entries)
        if (e.number == number)
            return &e;
    return nullptr;
}

const RegistryEntry* RegistryFile::entry(std::uint32_t number) const
{
    return const_cast<RegistryFile*>(this)->entry(number);
}

const RegistryEntry* RegistryFile::findType(std::uint32_t type) const
{
    for (const RegistryEntry& e : m_entries)
        if (e.type == (type & 0xFFFFFF00u))
            return &e;
    return nullptr;
}

const std::string* RegistryFile::variable(std::uint32_t number, const std::string& name) const
{
    const RegistryEntry* e = entry(number);
    if (!e)
        return nullptr;
    for (const RegistryVariable& v : e->variables)
        if (sameName(v.name, name))
            return &v.value;
    return nullptr;
}

bool RegistryFile::setVariable(std::uint32_t number, const std::string& name, const std::string& value)
{
    RegistryEntry* e = entry(number);
    if (!e)
        return false;
    for (RegistryVariable& v : e->variables) {
        if (sameName(v.name, name)) {
            v.value = value;
            return true;
        }
    }
    e->variables.push_back({name, value});
    return true;
}

bool RegistryFile::parse(const std::string& text, std::string* error)
{
    RegistryFile result;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    enum { None, Registry, Board, Other } section = None;
    RegistryEntry* current = nullptr;
    bool typed = true;
    auto fail = [&](const std::string& why) {
        if (error)
            *error = "line " + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNumber;
        std::string t = trim(line);
        if (t.empty() || t[0] == '#' || t[0] == ';')
            continue;
        if (t.front() == '[') {
            if (!typed)
                return fail("the entry before has no Type");
            if (t.back() != ']')
                return fail("section without ']'");
            std::string name = trim(t.substr(1, t.size() - 2));
            current = nullptr;
            if (sameName(name, kRegistrySection)) {
                section = Registry;
            } else if (strncasecmp(name.c_str(), kBoardSection, 5) == 0) {
                std::string digits = name.substr(5);
                std::uint32_t number = 0;
                if (digits.find_first_not_of("0123456789") != std::string::npos || !asDword(digits, number) ||
                    number == 0)
                    return fail("board section without an entry number");
                if (result.entry(number))
                    return fail("entry " + std::to_string(number) + " twice");
                result.m_entries.push_back(RegistryEntry{number, 0, {}});
                current = &result.m_entries.back();
                section = Board;
                typed = false;
            } else {
                section = Other;  // kept readable, ignored
            }
            continue;
        }
        std::size_t eq = t.find('=');
        if (eq == std::string::npos || eq == 0)
            return fail("no 'name=value'");
        std::string name = trim(t.substr(0, eq));
        std::string value = trim(t.substr(eq + 1));
        if (section == Registry) {
            if (sameName(name, "Default")) {
                std::uint32_t n = 0;
                if (!value.empty() && !asDword(value, n))
                    return fail("Default is no entry number");
                result.m_default = n;
            } else if (sameName(name, "Selection")) {
                result.m_selection = value;
            }
        } else if (section == Board) {
            if (sameName(name, "Type")) {
                std::uint32_t type = 0;
                if (!asDword(value, type) || type == 0)
                    return fail("Type is no board type code");
                current->type = type & 0xFFFFFF00u;
                typed = true;
            } else {
                bool known = false;
                for (RegistryVariable& v : current->variables)
                    if (sameName(v.name, name)) {
                        v.value = value;
                        known = true;
                    }
                if (!known)
                    current->variables.push_back({name, value});
            }
        } else if (section == None) {
            return fail("'" + name + "' outside of a section");
        }
    }
    if (!typed)
        return fail("the last entry has no Type");
    *this = std::move(result);
    return true;
}

std::string RegistryFile::format() const
{
    std::ostringstream out;
    out << "# Orvax hardware registry: one [Board<n>] entry per board.\n"
           "# DOWNLOAD=0 keeps the firmware the board has; VERIFY=1 reads a download back;\n"
           "# CHANNEL=virtual:<bus> or socketcan:<interface> (empty: $OVRO_CAN_CHANNEL).\n"
           "# Selection answers the board selection: an entry number, \"cancel\", or empty\n"
           "# for the default entry.\n"
        << "[" << kRegistrySection << "]\n"
        << "Version=" << ORX_PRODUCT_VERSION << "\n"
        << "Default=" << m_default << "\n"
        << "Selection=" << m_selection << "\n";
    for (const RegistryEntry& e : m_entries) {
        out << "\n[" << kBoardSection << e.number << "]\n"
            << "Type=" << hex32(e.type) << "\n";
        for (const RegistryVariable& v : e.variables)
            out << v.name << "=" << v.value << "\n";
    }
    return out.str();
}

}  // namespace orx
