#include "document/SafeFile.h"

#include "document/WriteCalls.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace ovro {

namespace {

bool WriteAll(const WriteCalls& io, int fd, const std::string& content)
{
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = io.write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;  // a write that takes nothing would loop for ever
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

mode_t NewFileMode(const std::string& path)
{
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0)
        return old.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Creates a new temporary file beside the target: ".<name>.XXXXXX".
int CreateTemporary(const WriteCalls& io, const std::filesystem::path& folder, const std::string& name,
                    std::string& temp)
{
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::minstd_rand random(static_cast<unsigned>(std::random_device{}()) ^ static_cast<unsigned>(::getpid()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix(6, 'X');
        for (char& c : suffix)
            c = kLetters[random() % (sizeof kLetters - 1)];
        temp = (folder / ("." + name + "." + suffix)).string();
        const int fd = io.open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

}  // namespace

bool CSafeFile::Replace(const std::string& path, const std::string& content)
{
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    const WriteCalls& io = CWriteCalls::Current();
    const std::filesystem::path target(path);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::string temp;
    const int fd = CreateTemporary(io, folder, target.filename().string(), temp);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, NewFileMode(path)) == 0 && WriteAll(io, fd, content) && io.fsync(fd) == 0;
    int error = errno;
    if (io.close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && io.rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        errno = error;
        return false;
    }
    // Make the rename itself durable; the file is complete either way, so
    // this is not one of the calls whose failure counts.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace ovro
