// The C entry points: each call goes through the operations in place.
#include <socketcan/socketcan.h>

#include "SystemOps.h"

#include <dirent.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::atomic<const socketcan_ops*> present{nullptr};

const socketcan_ops& current()
{
    const socketcan_ops* ops = present.load();
    return ops ? *ops : ovro::socketcan::systemOps();
}

// The member of the operations in place, or the system's where it is NULL.
template <typename Member>
auto pick(Member member, void*& context)
{
    const socketcan_ops& ops = current();
    if (ops.*member) {
        context = ops.context;
        return ops.*member;
    }
    context = nullptr;
    return ovro::socketcan::systemOps().*member;
}

bool validName(const char* interface)
{
    return interface && *interface && std::strlen(interface) < SOCKETCAN_NAME_SIZE &&
           std::strchr(interface, '/') == nullptr;
}

}  // namespace

extern "C" {

const socketcan_ops* socketcan_system_ops(void)
{
    return &ovro::socketcan::systemOps();
}

void socketcan_set_ops(const socketcan_ops* ops)
{
    present.store(ops);
}

int socketcan_open(const char* interface, uint32_t err_mask)
{
    if (!validName(interface))
        return -ENODEV;
    void* context;
    auto call = pick(&socketcan_ops::open, context);
    return call(context, interface, err_mask);
}

int socketcan_bitrate(const char* interface, uint32_t* bitrate)
{
    if (!validName(interface) || !bitrate)
        return -ENODEV;
    *bitrate = 0;
    void* context;
    auto call = pick(&socketcan_ops::bitrate, context);
    return call(context, interface, bitrate);
}

int socketcan_set_bitrate(const char* interface, uint32_t bitrate)
{
    if (!validName(interface))
        return -ENODEV;
    void* context;
    auto call = pick(&socketcan_ops::set_bitrate, context);
    return call(context, interface, bitrate);
}

int socketcan_is_up(const char* interface)
{
    if (!validName(interface))
        return -ENODEV;
    void* context;
    auto call = pick(&socketcan_ops::is_up, context);
    return call(context, interface);
}

int socketcan_bring_up(const char* interface)
{
    if (!validName(interface))
        return -ENODEV;
    void* context;
    auto call = pick(&socketcan_ops::bring_up, context);
    return call(context, interface);
}

size_t socketcan_list(char (*names)[SOCKETCAN_NAME_SIZE], size_t max)
{
    void* context;
    auto call = pick(&socketcan_ops::list, context);
    return call(context, names, max);
}

size_t socketcan_list_in(const char* sysfs_net, char (*names)[SOCKETCAN_NAME_SIZE], size_t max)
{
    std::vector<std::string> found;
    if (DIR* dir = sysfs_net ? opendir(sysfs_net) : nullptr) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.empty() || name[0] == '.' || name.size() >= SOCKETCAN_NAME_SIZE)
                continue;
            const std::string typeFile = std::string(sysfs_net) + "/" + name + "/type";
            std::FILE* file = std::fopen(typeFile.c_str(), "r");
            if (!file)
                continue;
            int type = 0;
            // 280: ARPHRD_CAN
            if (std::fscanf(file, "%d", &type) == 1 && type == 280)
                found.push_back(name);
            std::fclose(file);
        }
        closedir(dir);
    }
    std::sort(found.begin(), found.end());
    for (std::size_t i = 0; i < found.size() && i < max && names; ++i) {
        std::memset(names[i], 0, SOCKETCAN_NAME_SIZE);
        std::memcpy(names[i], found[i].c_str(), found[i].size());
    }
    return found.size();
}

}  // extern "C"
