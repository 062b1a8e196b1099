#include "EepromStore.h"

#include "FileCalls.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <unistd.h>

namespace {
const char* kHeader = "# ovro-drive-sim store";

bool parseHex(const std::string& text, uint32_t limit, uint32_t& out)
{
    if (text.empty() || text.size() > 8)
        return false;
    char* end = nullptr;
    const unsigned long v = std::strtoul(text.c_str(), &end, 16);
    if (*end != '\0' || v > limit)
        return false;
    out = uint32_t(v);
    return true;
}
}  // namespace

bool EepromStore::load(std::string& error)
{
    m_values.clear();
    nodeId.reset();
    bitTiming.reset();
    m_found = false;
    if (m_path.empty())
        return true;
    FILE* f = std::fopen(m_path.c_str(), "r");
    if (!f) {
        if (errno == ENOENT)
            return true;
        error = m_path + ": " + std::strerror(errno);
        return false;
    }
    std::map<uint32_t, std::vector<uint8_t>> values;
    std::optional<uint8_t> storedNode, storedTiming;
    char buffer[512];
    int lineNo = 0;
    bool ok = true;
    while (ok && std::fgets(buffer, sizeof buffer, f)) {
        ++lineNo;
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream in(line);
        std::string first, second, third, extra;
        in >> first >> second >> third >> extra;
        uint32_t a = 0, b = 0;
        if (first == "lmt") {
            if (!parseHex(second, 0xFF, a) || !parseHex(third, 8, b) || !extra.empty())
                ok = false;
            else {
                storedNode = uint8_t(a);
                storedTiming = uint8_t(b);
            }
            continue;
        }
        if (!parseHex(first, 0xFFFF, a) || !parseHex(second, 0xFF, b) || !extra.empty() ||
            third.size() % 2 != 0) {
            ok = false;
            continue;
        }
        std::vector<uint8_t> bytes;
        for (size_t i = 0; ok && i < third.size(); i += 2) {
            uint32_t byte = 0;
            ok = parseHex(third.substr(i, 2), 0xFF, byte);
            bytes.push_back(uint8_t(byte));
        }
        values[a << 8 | b] = std::move(bytes);
    }
    const bool readError = std::ferror(f);
    std::fclose(f);
    if (readError || !ok) {
        error = m_path + (readError ? ": read error" : ": malformed line " + std::to_string(lineNo));
        return false;
    }
    m_values = std::move(values);
    nodeId = storedNode;
    bitTiming = storedTiming;
    m_found = true;
    return true;
}

bool EepromStore::save(std::string& error)
{
    if (m_path.empty())
        return true;
    std::ostringstream out;
    out << kHeader << "\n";
    char line[64];
    if (nodeId && bitTiming) {
        std::snprintf(line, sizeof line, "lmt %02X %X\n", *nodeId, *bitTiming);
        out << line;
    }
    for (const auto& [key, bytes] : m_values) {
        std::snprintf(line, sizeof line, "%04X %02X ", key >> 8, key & 0xFF);
        out << line;
        for (uint8_t b : bytes) {
            std::snprintf(line, sizeof line, "%02X", b);
            out << line;
        }
        out << "\n";
    }
    const std::string text = out.str();
    const std::string temp = m_path + ".tmp";
    const int fd = FileCalls::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = temp + ": " + std::strerror(errno);
        return false;
    }
    const auto fail = [&](const std::string& file, int code) {
        error = file + ": " + std::strerror(code);
        ::unlink(temp.c_str());
        return false;
    };
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = FileCalls::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : EIO;
            ::close(fd);
            return fail(temp, code);
        }
        done += size_t(n);
    }
    if (FileCalls::fsync(fd) != 0) {
        const int code = errno;
        ::close(fd);
        return fail(temp, code);
    }
    if (FileCalls::close(fd) != 0)
        return fail(temp, errno);
    if (FileCalls::rename(temp.c_str(), m_path.c_str()) != 0)
        return fail(m_path, errno);
    m_found = true;
    return true;
}
