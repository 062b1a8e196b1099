#include "BusDirectory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace ovro::canbus {

namespace {

bool plainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace

std::string BusDirectory::pathOf(const char* name)
{
    std::string bus = (name && *name) ? name : "default";
    if (!plainName(bus))
        return {};
    const char* env = std::getenv("OVRO_CANBUS_DIR");
    std::string root = (env && *env) ? env : "/tmp/ovro-canbus-" + std::to_string(getuid());
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    return root + "/" + bus;
}

int BusDirectory::create() const
{
    // Walk down the path and make every missing folder.
    for (std::size_t pos = 1; pos <= path_.size(); ++pos) {
        if (pos != path_.size() && path_[pos] != '/')
            continue;
        std::string part = path_.substr(0, pos);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    struct stat st {};
    if (stat(path_.c_str(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

}  // namespace ovro::canbus
