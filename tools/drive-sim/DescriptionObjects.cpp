#include "DescriptionObjects.h"

#include "description/Commissioning.h"
#include "ObjectIndex.h"

#include <ctime>

#include <cerrno>
#include <cstdio>
#include <sstream>
#include <cstdlib>
#include <unistd.h>

namespace {
bool fileExists(const std::string& path)
{
    return !path.empty() && ::access(path.c_str(), R_OK) == 0;
}

std::string directoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool toDataType(int code, DataType& type)
{
    switch (code) {
    case 1: type = DataType::Boolean; return true;
    case 2: type = DataType::Integer8; return true;
    case 3: type = DataType::Integer16; return true;
    case 4: type = DataType::Integer32; return true;
    case 5: type = DataType::Unsigned8; return true;
    case 6: type = DataType::Unsigned16; return true;
    case 7: type = DataType::Unsigned32; return true;
    case 9: type = DataType::VisibleString; return true;
    case 10: type = DataType::OctetString; return true;
    case 11: type = DataType::Date; return true;
    case 12: type = DataType::TimeOfDay; return true;
    default: return false;
    }
}
// Objects whose factory values follow the node-id or the command line: the
// description's defaults (written for one node-id) do not apply to them.
bool drivenBySimulator(uint16_t index, uint8_t sub)
{
    using namespace ObjectIndex;
    return index == EmcyCobId || (index >= ObjectIndex::SdoServer && index < 0x1300) ||
           (index >= RpdoCommunication && index < 0x1C00) || (index == Identity && sub == 4) ||
           index == StoreParameters || index == RestoreDefaults || index == ErrorHistory;
}

// "dd.mm.yyyy hh:mm" as the 7-byte DATE or the 6-byte TIME_OF_DAY.
std::vector<uint8_t> parseDate(const std::string& text, DataType type)
{
    int day = 1, month = 1, year = 1984, hour = 0, minute = 0;
    std::vector<uint8_t> out(ObjectDictionary::sizeOf(type), 0);
    if (std::sscanf(text.c_str(), "%d.%d.%d %d:%d", &day, &month, &year, &hour, &minute) < 3 || day < 1 ||
        day > 31 || month < 1 || month > 12 || year < 1984 || year > 2069 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59)
        return out;
    if (type == DataType::Date) {
        out[2] = uint8_t(minute);
        out[3] = uint8_t(hour);
        out[4] = uint8_t(day);
        out[5] = uint8_t(month);
        out[6] = uint8_t(year >= 2000 ? year - 2000 : year - 1900);
        return out;
    }
    std::tm tm{};
    tm.tm_mday = day;
    tm.tm_mon = month - 1;
    tm.tm_year = year - 1900;
    const long long days = (static_cast<long long>(timegm(&tm)) - 441763200LL) / 86400;  // since 1 Jan 1984
    const uint32_t ms = uint32_t((hour * 60 + minute) * 60000);
    for (int i = 0; i < 4; ++i)
        out[size_t(i)] = uint8_t(ms >> (8 * i));
    out[4] = uint8_t(days);
    out[5] = uint8_t(days >> 8);
    return out;
}

// "0x01 0x02 ..." as bytes, padded with zeros.
std::vector<uint8_t> parseOctets(const std::string& text, size_t size)
{
    std::vector<uint8_t> out;
    std::istringstream in(text);
    std::string word;
    while (in >> word && out.size() < size) {
        int64_t v = 0;
        if (!DescriptionObjects::parseInteger(word, v) || v < 0 || v > 255)
            break;
        out.push_back(uint8_t(v));
    }
    out.resize(size, 0);
    return out;
}
}  // namespace

std::string DescriptionObjects::locate(const std::string& given, const std::string& programPath)
{
    if (!given.empty())
        return given;
    std::string program = programPath;
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0)
        program.assign(self, size_t(n));
    const std::string dir = directoryOf(program);
    for (const std::string& candidate : {dir + "/Ovro-QVT.xml", dir + "/../share/ovro-qvt/Ovro-QVT.xml"}) {
        if (fileExists(candidate))
            return candidate;
    }
    return std::string();
}

bool DescriptionObjects::parseInteger(const std::string& text, int64_t& out)
{
    size_t begin = text.find_first_not_of(" \t");
    size_t end = text.find_last_not_of(" \t");
    if (begin == std::string::npos)
        return false;
    const std::string t = text.substr(begin, end - begin + 1);
    errno = 0;
    char* stop = nullptr;
    long long v = 0;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        const unsigned long long u = std::strtoull(t.c_str() + 2, &stop, 16);
        v = static_cast<long long>(u);
    } else {
        v = std::strtoll(t.c_str(), &stop, 10);
    }
    if (errno != 0 || stop == nullptr || *stop != '\0')
        return false;
    out = v;
    return true;
}

int DescriptionObjects::add(ObjectDictionary& od, DriveModel model, const std::string& path, std::string& error)
{
    ovro::CCommissioning description;
    if (!fileExists(path) || !description.LoadDescription(path)) {
        error = "cannot read the device description '" + path + "'";
        return -1;
    }
    const ovro::CQVTDevice* device = description.GetDevice(
        model == DriveModel::K315 ? ovro::CCommissioning::ModelK315 : ovro::CCommissioning::ModelH315);
    if (!device) {
        error = "the device description has no such model";
        return -1;
    }
    int added = 0;
    for (const ovro::CQVTSection& section : device->sections) {
        for (const ovro::CQVTParameter& p : section.parameters) {
            DataType type;
            if (!toDataType(p.dataType, type))
                continue;
            if (p.index == ObjectIndex::ModelProbe && model != DriveModel::K315)
                continue;  // the H315 has no model probe
            if (ObjectEntry* existing = od.find(p.index, p.subIndex)) {
                // A fixed object: the description gives its factory value.
                if (existing->type == type && !drivenBySimulator(p.index, p.subIndex)) {
                    if (type == DataType::VisibleString)
                        existing->factoryValue.assign(p.defaultValue.begin(), p.defaultValue.end());
                    else if (ObjectDictionary::sizeOf(type) != 0) {
                        int64_t value = 0;
                        if (parseInteger(p.defaultValue, value))
                            existing->factoryValue = ObjectDictionary::encode(type, value);
                        int64_t lo = 0, hi = 0;
                        if (existing->writable() && parseInteger(p.minValue, lo) && parseInteger(p.maxValue, hi) &&
                            lo <= hi) {
                            existing->hasRange = true;
                            existing->minimum = lo;
                            existing->maximum = hi;
                        }
                    }
                    existing->value = existing->factoryValue;
                }
                continue;
            }
            // Transferable parameters are the ones the drive lets the program write.
            const Access access = p.accessible != 0 ? Access::ReadWrite : Access::ReadOnly;
            ObjectEntry* e = nullptr;
            if (type == DataType::VisibleString) {
                e = &od.addString(p.index, p.subIndex, access, p.defaultValue.substr(0, 16), p.name);
                e->maxSize = 16;
            } else if (type == DataType::OctetString) {
                e = &od.addBytes(p.index, p.subIndex, type, access, parseOctets(p.defaultValue, 16), p.name);
                e->maxSize = 16;
            } else if (type == DataType::Date || type == DataType::TimeOfDay) {
                e = &od.addBytes(p.index, p.subIndex, type, access, parseDate(p.defaultValue, type), p.name);
            } else {
                int64_t value = 0;
                parseInteger(p.defaultValue, value);
                e = &od.add(p.index, p.subIndex, type, access, value, p.name);
                int64_t lo = 0, hi = 0;
                if (parseInteger(p.minValue, lo) && parseInteger(p.maxValue, hi) && lo <= hi) {
                    e->hasRange = true;
                    e->minimum = lo;
                    e->maximum = hi;
                }
            }
            e->pdoMappable = ObjectDictionary::sizeOf(type) != 0 && ObjectDictionary::sizeOf(type) <= 4;
            if (access == Access::ReadWrite)
                e->storage = Storage::Parameter;
            ++added;
        }
    }
    return added;
}
