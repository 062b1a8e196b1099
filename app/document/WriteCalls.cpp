#include "document/WriteCalls.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace ovro {

namespace {

int SystemOpen(const char* path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

const WriteCalls kSystem = {SystemOpen, ::write, ::fsync, ::close, std::rename};

WriteCalls current = kSystem;

}  // namespace

const WriteCalls& CWriteCalls::Current()
{
    return current;
}

const WriteCalls& CWriteCalls::System()
{
    return kSystem;
}

WriteCalls CWriteCalls::Install(const WriteCalls& calls)
{
    const WriteCalls old = current;
    current = calls;
    return old;
}

}  // namespace ovro
