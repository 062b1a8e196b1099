#include "FuzzFiles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

struct ScratchFolder {
    std::string path;
    ScratchFolder()
    {
        // A memory file system where there is one: rewriting a file on a
        // disk file system makes close() wait for the data.
        char shm[] = "/dev/shm/ovro-fuzz-XXXXXX";
        char tmp[] = "/tmp/ovro-fuzz-XXXXXX";
        char* pattern = mkdtemp(shm);
        if (pattern == nullptr)
            pattern = mkdtemp(tmp);
        if (pattern == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

const std::string& Folder()
{
    static ScratchFolder folder;
    return folder.path;
}

}  // namespace

std::string WriteScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    const std::string path = Folder() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
    return path;
}
