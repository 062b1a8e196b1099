// EepromStore.h - the drive's non-volatile store, kept in a text file:
// stored parameter values by index and sub-index, the LMT settings and the
// retained counters. Writes go to a temporary file that replaces the old one,
// so a failed write never destroys a good store. Without a path the store
// lives in memory for the run of the process.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

class EepromStore {
public:
    explicit EepromStore(std::string path) : m_path(std::move(path)) {}

    const std::string& path() const { return m_path; }
    // Reads the file. A missing file is not an error (found() stays false);
    // an unreadable or malformed one is, and leaves the store empty.
    bool load(std::string& error);
    bool found() const { return m_found; }
    bool save(std::string& error);

    // Values by key index << 8 | sub-index.
    std::map<uint32_t, std::vector<uint8_t>>& values() { return m_values; }
    const std::map<uint32_t, std::vector<uint8_t>>& values() const { return m_values; }

    std::optional<uint8_t> nodeId;     // LMT: stored node-id (0xFF unconfigured)
    std::optional<uint8_t> bitTiming;  // LMT: stored bit-timing index

private:
    std::string m_path;
    bool m_found = false;
    std::map<uint32_t, std::vector<uint8_t>> m_values;
};
