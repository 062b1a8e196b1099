#include "RegistryStore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orx {

namespace {

const char* const kFolder = "Orvax";
const char* const kFile = "Orx11reg.conf";

// An exclusive lock on "<file>.lock" for as long as the object lives.
class FileLock {
public:
    explicit FileLock(const std::string& file)
    {
        m_fd = ::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0)
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~FileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

bool makeFolders(const std::string& dir)
{
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos == dir.size() || dir[pos] == '/') {
            std::string part = dir.substr(0, pos);
            if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
                return false;
        }
    }
    return true;
}

std::string folderOf(const std::string& file)
{
    return file.substr(0, file.rfind('/'));
}

// 1 read, 0 missing, -1 unreadable.
int readText(const std::string& file, std::string& text)
{
    struct stat st;
    if (::stat(file.c_str(), &st) != 0)
        return errno == ENOENT ? 0 : -1;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return -1;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return in.bad() ? -1 : 1;
}

bool writeText(const std::string& file, const std::string& text)
{
    if (!makeFolders(folderOf(file)))
        return false;
    std::string temp = file + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), file.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

ORX_RESULT parseInto(const std::string& text, RegistryFile& file)
{
    RegistryFile parsed;
    if (!parsed.parse(text, nullptr))
        return ORX_ERR_FORMAT;
    file = std::move(parsed);
    return ORX_OK;
}

}  // namespace

std::string RegistryStore::configFolder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* pw = ::getpwuid(::getuid());
        home = pw ? pw->pw_dir : "/tmp";
    }
    return std::string(home) + "/.config";
}

std::string RegistryStore::path()
{
    return configFolder() + "/" + kFolder + "/" + kFile;
}

ORX_RESULT RegistryStore::load(RegistryFile& file)
{
    const std::string name = path();
    std::string text;
    int r = readText(name, text);
    if (r > 0)
        return parseInto(text, file);
    if (r < 0)
        return ORX_ERR_IO;
    // Missing: made once, under the lock, by whoever comes first.
    if (makeFolders(folderOf(name))) {
        FileLock lock(name);
        r = readText(name, text);
        if (r > 0)
            return parseInto(text, file);
        if (r == 0 && lock.held()) {
            file = RegistryFile::defaults();
            writeText(name, file.format());
            return ORX_OK;
        }
    }
    file = RegistryFile::defaults();
    return ORX_OK;
}

ORX_RESULT RegistryStore::update(const std::function<ORX_RESULT(RegistryFile&)>& change)
{
    const std::string name = path();
    if (!makeFolders(folderOf(name)))
        return ORX_ERR_IO;
    FileLock lock(name);
    if (!lock.held())
        return ORX_ERR_IO;
    RegistryFile file;
    std::string text;
    int r = readText(name, text);
    if (r < 0)
        return ORX_ERR_IO;
    if (r == 0)
        file = RegistryFile::defaults();
    else if (parseInto(text, file) != ORX_OK)
        return ORX_ERR_FORMAT;
    ORX_RESULT result = change(file);
    if (result != ORX_OK)
        return result;
    return writeText(name, file.format()) ? ORX_OK : ORX_ERR_IO;
}

}  // namespace orx
