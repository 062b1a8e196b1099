#include "PeerList.h"

#include <dirent.h>
#include <sys/socket.h>

#include <cstring>

namespace ovro::canbus {

namespace {

bool endsWith(const char* text, const char* tail)
{
    std::size_t n = std::strlen(text), m = std::strlen(tail);
    return n > m && std::strcmp(text + n - m, tail) == 0;
}

}  // namespace

bool PeerList::refresh(const std::string& own, const BusRecord* record)
{
    const auto now = std::chrono::steady_clock::now();
    const std::uint64_t changes = record ? record->peerChanges() : 0;
    if (scanned_ && record && changes == seenChanges_ && now - scannedAt_ < kForeignPeers)
        return false;
    seenChanges_ = changes;  // a change after this look brings another scan
    scannedAt_ = now;
    scanned_ = true;
    scan(own);
    return true;
}

void PeerList::scan(const std::string& own)
{
    peers_.clear();
    wireTimed_ = endsWith(own.c_str(), kWireTimeEnding);
    DIR* dir = opendir(dir_.c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir)) {
        if (!endsWith(entry->d_name, ".sock") || own == entry->d_name)
            continue;
        if (endsWith(entry->d_name, kWireTimeEnding))
            wireTimed_ = true;
        sockaddr_un addr;
        std::memset(&addr, 0, sizeof addr);
        addr.sun_family = AF_UNIX;
        const std::size_t name = std::strlen(entry->d_name);
        if (dir_.size() + 1 + name >= sizeof addr.sun_path)
            continue;
        std::memcpy(addr.sun_path, dir_.data(), dir_.size());
        addr.sun_path[dir_.size()] = '/';
        std::memcpy(addr.sun_path + dir_.size() + 1, entry->d_name, name + 1);
        peers_.push_back(addr);
    }
    closedir(dir);
}

}  // namespace ovro::canbus
