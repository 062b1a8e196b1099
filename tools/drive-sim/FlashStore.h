// FlashStore.h - the application FLASH of the simulated K315, optionally
// kept in a file (--flash): the raw bytes of the memory, the first byte of
// the file at the first FLASH address, every erased byte 0xFF. Pages are
// written into the file as the second-level loader programs them, so that
// a drive switched off in the middle finds its FLASH as it was left.
//
// A missing file holds the application the drive leaves the factory with
// (its version text given to load); the file is created when the FLASH is
// first erased. Without a path the FLASH
// lives in memory for the run of the process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class FlashStore {
public:
    explicit FlashStore(std::string path = std::string());
    ~FlashStore();
    FlashStore(const FlashStore&) = delete;
    FlashStore& operator=(const FlashStore&) = delete;

    // Reads the file (or, when it does not exist, takes the factory
    // application). False with a message when the file cannot be read or
    // is not exactly the size of the FLASH; the file is left as it is.
    bool load(const std::string& factoryVersion, std::string& error);

    // Sets every byte to 0xFF, in the file too. False with a message when
    // the file cannot be written.
    bool erase(std::string& error);
    // Programs size bytes at offset (from the first FLASH address).
    bool write(uint32_t offset, const uint8_t* data, size_t size, std::string& error);

    const std::vector<uint8_t>& bytes() const { return m_bytes; }
    const std::string& path() const { return m_path; }

private:
    bool openFile(std::string& error);

    std::string m_path;
    int m_fd = -1;
    std::vector<uint8_t> m_bytes;
};
