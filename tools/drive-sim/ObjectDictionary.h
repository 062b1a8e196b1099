// ObjectDictionary.h - the drive's object dictionary.
//
// Entries are addressed by index and sub-index. Each carries its data type,
// access, current value (little-endian bytes, as on the bus), factory value,
// optional value range and storage class, and two hooks:
//  - the read hook runs before an SDO upload or a PDO sample and may refresh
//    the value (actual position, status word, ...) or refuse with an abort;
//  - the write hook runs after the access, length and range checks of an SDO
//    download or received PDO, before the value is stored; it may refuse the
//    value with an abort code or act on it.
// The typed get/set helpers are for the drive's own use: they skip the
// access checks and the hooks.
#pragma once

#include "SdoAbortCode.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

enum class DataType : uint16_t {
    Boolean = 0x0001,
    Integer8 = 0x0002,
    Integer16 = 0x0003,
    Integer32 = 0x0004,
    Unsigned8 = 0x0005,
    Unsigned16 = 0x0006,
    Unsigned32 = 0x0007,
    Real32 = 0x0008,
    VisibleString = 0x0009,
    OctetString = 0x000A,
    Date = 0x000B,       // 7-byte DATE structure of the description
    TimeOfDay = 0x000C,  // 6 bytes
    Domain = 0x000F,
    Integer64 = 0x0015,
    Unsigned64 = 0x001B,
};

enum class Access : uint8_t {
    ReadOnly,   // "ro": written by the drive only
    WriteOnly,  // "wo"
    ReadWrite,  // "rw"
    Const,      // "const": never changes
};

// What a store (0x1010) and a restore (0x1011) do with an entry.
enum class Storage : uint8_t {
    Volatile,   // power-on value is the factory value
    Parameter,  // saved by "save" into the store file, reset by "load"
    Retained,   // always kept in the store file (counters, LMT settings), never reset
};

struct ObjectEntry;

// Refreshes entry.value before it is read; returns 0 or an abort code.
using ReadHook = std::function<uint32_t(ObjectEntry& entry)>;
// Checks or acts on a value about to be written; returns 0 to accept (the
// dictionary then stores it unless storeWrites is false) or an abort code.
using WriteHook = std::function<uint32_t(ObjectEntry& entry, const std::vector<uint8_t>& value)>;

struct ObjectEntry {
    uint16_t index = 0;
    uint8_t subIndex = 0;
    DataType type = DataType::Unsigned8;
    Access access = Access::ReadOnly;
    std::string name;
    std::vector<uint8_t> value;         // current value
    std::vector<uint8_t> factoryValue;  // default of the description
    bool hasRange = false;              // min/max apply (integer types only)
    int64_t minimum = 0;
    int64_t maximum = 0;
    size_t maxSize = 0;                 // strings and domains: longest value, 0 = any
    bool pdoMappable = false;
    Storage storage = Storage::Volatile;
    bool storeWrites = true;            // false: the write hook keeps the value itself
    ReadHook onRead;
    WriteHook onWrite;

    bool readable() const { return access != Access::WriteOnly; }
    bool writable() const { return access == Access::ReadWrite || access == Access::WriteOnly; }
    // Fixed size in bytes of the type, 0 for strings and domains.
    size_t fixedSize() const;
    int64_t asSigned() const;    // value as a number, sign-extended for signed types
    uint64_t asUnsigned() const;
};

class ObjectDictionary {
public:
    // Size in bytes of a fixed-size type, 0 for strings and domains.
    static size_t sizeOf(DataType type);
    static bool isSigned(DataType type);
    static std::vector<uint8_t> encode(DataType type, int64_t value);

    // Adds (or replaces) an entry; its value starts as its factory value.
    ObjectEntry& add(uint16_t index, uint8_t subIndex, DataType type, Access access,
                     int64_t factoryValue, const std::string& name = std::string());
    ObjectEntry& addString(uint16_t index, uint8_t subIndex, Access access,
                           const std::string& factoryValue, const std::string& name = std::string());
    ObjectEntry& addBytes(uint16_t index, uint8_t subIndex, DataType type, Access access,
                          const std::vector<uint8_t>& factoryValue,
                          const std::string& name = std::string());
    void remove(uint16_t index);  // every sub-index of an object

    ObjectEntry* find(uint16_t index, uint8_t subIndex);
    const ObjectEntry* find(uint16_t index, uint8_t subIndex) const;
    bool hasObject(uint16_t index) const;
    bool has(uint16_t index, uint8_t subIndex) const { return find(index, subIndex) != nullptr; }

    void setReadHook(uint16_t index, uint8_t subIndex, ReadHook hook);
    void setWriteHook(uint16_t index, uint8_t subIndex, WriteHook hook);

    // Checked access as the SDO server and the PDO engine use it: access,
    // length, range and hooks. Return 0 or the abort code.
    uint32_t read(uint16_t index, uint8_t subIndex, std::vector<uint8_t>& out);
    uint32_t write(uint16_t index, uint8_t subIndex, const uint8_t* data, size_t size);
    // Upload size of an entry without running its read hook (0 when unknown).
    uint32_t checkReadable(uint16_t index, uint8_t subIndex) const;

    // Unchecked helpers for the drive itself (no access check, no hooks).
    // Missing entries read as 0 / "" and are not created by the setters.
    int64_t getSigned(uint16_t index, uint8_t subIndex) const;
    uint64_t getUnsigned(uint16_t index, uint8_t subIndex) const;
    std::string getString(uint16_t index, uint8_t subIndex) const;
    std::vector<uint8_t> getBytes(uint16_t index, uint8_t subIndex) const;
    bool set(uint16_t index, uint8_t subIndex, int64_t value);
    bool setString(uint16_t index, uint8_t subIndex, const std::string& value);
    bool setBytes(uint16_t index, uint8_t subIndex, const std::vector<uint8_t>& value);

    // Sets every entry of the storage class to its factory value.
    void resetToFactory(Storage storage);

    // All entries, ordered by index and sub-index (key = index << 8 | sub).
    const std::map<uint32_t, ObjectEntry>& entries() const { return m_entries; }
    std::map<uint32_t, ObjectEntry>& entries() { return m_entries; }

    static uint32_t key(uint16_t index, uint8_t subIndex) { return uint32_t(index) << 8 | subIndex; }

private:
    std::map<uint32_t, ObjectEntry> m_entries;
};
