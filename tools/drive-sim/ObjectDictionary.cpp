#include "ObjectDictionary.h"

#include <algorithm>

size_t ObjectDictionary::sizeOf(DataType type)
{
    switch (type) {
    case DataType::Boolean:
    case DataType::Integer8:
    case DataType::Unsigned8: return 1;
    case DataType::Integer16:
    case DataType::Unsigned16: return 2;
    case DataType::Integer32:
    case DataType::Unsigned32:
    case DataType::Real32: return 4;
    case DataType::Integer64:
    case DataType::Unsigned64: return 8;
    case DataType::Date: return 7;
    case DataType::TimeOfDay: return 6;
    case DataType::VisibleString:
    case DataType::OctetString:
    case DataType::Domain: return 0;
    }
    return 0;
}

bool ObjectDictionary::isSigned(DataType type)
{
    return type == DataType::Integer8 || type == DataType::Integer16 || type == DataType::Integer32 ||
           type == DataType::Integer64;
}

static bool isInteger(DataType type)
{
    switch (type) {
    case DataType::Boolean:
    case DataType::Integer8:
    case DataType::Integer16:
    case DataType::Integer32:
    case DataType::Integer64:
    case DataType::Unsigned8:
    case DataType::Unsigned16:
    case DataType::Unsigned32:
    case DataType::Unsigned64: return true;
    default: return false;
    }
}

std::vector<uint8_t> ObjectDictionary::encode(DataType type, int64_t value)
{
    size_t size = sizeOf(type);
    if (size == 0)
        size = 4;
    std::vector<uint8_t> bytes(size, 0);
    const uint64_t bits = static_cast<uint64_t>(value);
    for (size_t i = 0; i < size && i < 8; ++i)
        bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    return bytes;
}

size_t ObjectEntry::fixedSize() const
{
    return ObjectDictionary::sizeOf(type);
}

uint64_t ObjectEntry::asUnsigned() const
{
    uint64_t v = 0;
    for (size_t i = 0; i < value.size() && i < 8; ++i)
        v |= uint64_t(value[i]) << (8 * i);
    return v;
}

int64_t ObjectEntry::asSigned() const
{
    uint64_t v = asUnsigned();
    const size_t size = std::min<size_t>(value.size(), 8);
    if (ObjectDictionary::isSigned(type) && size > 0 && size < 8) {
        const uint64_t sign = uint64_t(1) << (8 * size - 1);
        if (v & sign)
            v |= ~((sign << 1) - 1);
    }
    return static_cast<int64_t>(v);
}

ObjectEntry& ObjectDictionary::addBytes(uint16_t index, uint8_t subIndex, DataType type, Access access,
                                        const std::vector<uint8_t>& factoryValue, const std::string& name)
{
    ObjectEntry& e = m_entries[key(index, subIndex)];
    e = ObjectEntry();
    e.index = index;
    e.subIndex = subIndex;
    e.type = type;
    e.access = access;
    e.name = name;
    e.factoryValue = factoryValue;
    e.value = factoryValue;
    return e;
}

ObjectEntry& ObjectDictionary::add(uint16_t index, uint8_t subIndex, DataType type, Access access,
                                   int64_t factoryValue, const std::string& name)
{
    return addBytes(index, subIndex, type, access, encode(type, factoryValue), name);
}

ObjectEntry& ObjectDictionary::addString(uint16_t index, uint8_t subIndex, Access access,
                                         const std::string& factoryValue, const std::string& name)
{
    return addBytes(index, subIndex, DataType::VisibleString, access,
                    std::vector<uint8_t>(factoryValue.begin(), factoryValue.end()), name);
}

void ObjectDictionary::remove(uint16_t index)
{
    m_entries.erase(m_entries.lower_bound(key(index, 0)), m_entries.upper_bound(key(index, 0xFF)));
}

ObjectEntry* ObjectDictionary::find(uint16_t index, uint8_t subIndex)
{
    auto it = m_entries.find(key(index, subIndex));
    return it == m_entries.end() ? nullptr : &it->second;
}

const ObjectEntry* ObjectDictionary::find(uint16_t index, uint8_t subIndex) const
{
    auto it = m_entries.find(key(index, subIndex));
    return it == m_entries.end() ? nullptr : &it->second;
}

bool ObjectDictionary::hasObject(uint16_t index) const
{
    auto it = m_entries.lower_bound(key(index, 0));
    return it != m_entries.end() && it->second.index == index;
}

void ObjectDictionary::setReadHook(uint16_t index, uint8_t subIndex, ReadHook hook)
{
    if (ObjectEntry* e = find(index, subIndex))
        e->onRead = std::move(hook);
}

void ObjectDictionary::setWriteHook(uint16_t index, uint8_t subIndex, WriteHook hook)
{
    if (ObjectEntry* e = find(index, subIndex))
        e->onWrite = std::move(hook);
}

uint32_t ObjectDictionary::checkReadable(uint16_t index, uint8_t subIndex) const
{
    const ObjectEntry* e = find(index, subIndex);
    if (!e)
        return hasObject(index) ? SdoAbortCode::NoSubIndex : SdoAbortCode::NoObject;
    if (!e->readable())
        return SdoAbortCode::WriteOnly;
    return SdoAbortCode::None;
}

uint32_t ObjectDictionary::read(uint16_t index, uint8_t subIndex, std::vector<uint8_t>& out)
{
    if (uint32_t abort = checkReadable(index, subIndex))
        return abort;
    ObjectEntry& e = *find(index, subIndex);
    if (e.onRead) {
        if (uint32_t abort = e.onRead(e))
            return abort;
    }
    out = e.value;
    return SdoAbortCode::None;
}

uint32_t ObjectDictionary::write(uint16_t index, uint8_t subIndex, const uint8_t* data, size_t size)
{
    ObjectEntry* e = find(index, subIndex);
    if (!e)
        return hasObject(index) ? SdoAbortCode::NoSubIndex : SdoAbortCode::NoObject;
    if (!e->writable())
        return SdoAbortCode::ReadOnly;
    const size_t fixed = e->fixedSize();
    if (fixed != 0) {
        if (size > fixed)
            return SdoAbortCode::LengthTooHigh;
        if (size < fixed)
            return SdoAbortCode::LengthTooLow;
    } else if (e->maxSize != 0 && size > e->maxSize) {
        return SdoAbortCode::LengthTooHigh;
    }
    std::vector<uint8_t> value(data, data + size);
    if (e->hasRange && isInteger(e->type)) {
        ObjectEntry probe;
        probe.type = e->type;
        probe.value = value;
        if (isSigned(e->type)) {
            const int64_t v = probe.asSigned();
            if (v > e->maximum)
                return SdoAbortCode::ValueTooHigh;
            if (v < e->minimum)
                return SdoAbortCode::ValueTooLow;
        } else {
            const uint64_t v = probe.asUnsigned();
            if (e->maximum >= 0 && v > static_cast<uint64_t>(e->maximum))
                return SdoAbortCode::ValueTooHigh;
            if (e->minimum > 0 && v < static_cast<uint64_t>(e->minimum))
                return SdoAbortCode::ValueTooLow;
        }
    }
    if (e->onWrite) {
        if (uint32_t abort = e->onWrite(*e, value))
            return abort;
    }
    if (e->storeWrites)
        e->value = std::move(value);
    return SdoAbortCode::None;
}

int64_t ObjectDictionary::getSigned(uint16_t index, uint8_t subIndex) const
{
    const ObjectEntry* e = find(index, subIndex);
    return e ? e->asSigned() : 0;
}

uint64_t ObjectDictionary::getUnsigned(uint16_t index, uint8_t subIndex) const
{
    const ObjectEntry* e = find(index, subIndex);
    return e ? e->asUnsigned() : 0;
}

std::string ObjectDictionary::getString(uint16_t index, uint8_t subIndex) const
{
    const ObjectEntry* e = find(index, subIndex);
    if (!e)
        return std::string();
    std::string s(e->value.begin(), e->value.end());
    const size_t nul = s.find('\0');
    return nul == std::string::npos ? s : s.substr(0, nul);
}

std::vector<uint8_t> ObjectDictionary::getBytes(uint16_t index, uint8_t subIndex) const
{
    const ObjectEntry* e = find(index, subIndex);
    return e ? e->value : std::vector<uint8_t>();
}

bool ObjectDictionary::set(uint16_t index, uint8_t subIndex, int64_t value)
{
    ObjectEntry* e = find(index, subIndex);
    if (!e)
        return false;
    e->value = encode(e->type, value);
    return true;
}

bool ObjectDictionary::setString(uint16_t index, uint8_t subIndex, const std::string& value)
{
    return setBytes(index, subIndex, std::vector<uint8_t>(value.begin(), value.end()));
}

bool ObjectDictionary::setBytes(uint16_t index, uint8_t subIndex, const std::vector<uint8_t>& value)
{
    ObjectEntry* e = find(index, subIndex);
    if (!e)
        return false;
    e->value = value;
    return true;
}

void ObjectDictionary::resetToFactory(Storage storage)
{
    for (auto& [k, e] : m_entries) {
        if (e.storage == storage)
            e.value = e.factoryValue;
    }
}
