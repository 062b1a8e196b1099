#include "FlashStore.h"

#include "FirmwareImage.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool writeAll(int fd, off_t offset, const uint8_t* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
        offset += n;
    }
    return true;
}
}  // namespace

FlashStore::FlashStore(std::string path) : m_path(std::move(path)), m_bytes(FirmwareImage::kFlashSize, 0xFF) {}

FlashStore::~FlashStore()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FlashStore::load(const std::string& factoryVersion, std::string& error)
{
    std::fill(m_bytes.begin(), m_bytes.end(), 0xFF);
    const std::vector<uint8_t> factory =
        FirmwareImage::make(FirmwareImage::Kind::Application, factoryVersion, FirmwareImage::kFactorySize);
    if (m_path.empty()) {
        std::copy(factory.begin(), factory.end(), m_bytes.begin());
        return true;
    }
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            error = m_path + ": " + std::strerror(errno);
            return false;
        }
        std::copy(factory.begin(), factory.end(), m_bytes.begin());
        return true;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || uint64_t(st.st_size) != m_bytes.size()) {
        error = m_path + ": not a FLASH image of " + std::to_string(m_bytes.size()) + " bytes";
        ::close(fd);
        return false;
    }
    size_t done = 0;
    while (done < m_bytes.size()) {
        const ssize_t n = ::read(fd, m_bytes.data() + done, m_bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = m_path + ": " + (n < 0 ? std::strerror(errno) : "file ends early");
            ::close(fd);
            return false;
        }
        done += size_t(n);
    }
    ::close(fd);
    return true;
}

bool FlashStore::openFile(std::string& error)
{
    if (m_path.empty() || m_fd >= 0)
        return true;
    m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0) {
        error = m_path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool FlashStore::erase(std::string& error)
{
    std::fill(m_bytes.begin(), m_bytes.end(), 0xFF);
    if (m_path.empty())
        return true;
    if (!openFile(error))
        return false;
    if (!writeAll(m_fd, 0, m_bytes.data(), m_bytes.size()) || ::ftruncate(m_fd, off_t(m_bytes.size())) != 0) {
        error = m_path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool FlashStore::write(uint32_t offset, const uint8_t* data, size_t size, std::string& error)
{
    if (offset > m_bytes.size() || size > m_bytes.size() - offset) {
        error = "write beyond the end of the FLASH";
        return false;
    }
    std::copy(data, data + size, m_bytes.begin() + offset);
    if (m_path.empty())
        return true;
    if (!openFile(error))
        return false;
    if (!writeAll(m_fd, off_t(offset), data, size)) {
        error = m_path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
