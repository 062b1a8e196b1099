#include "FailingWrites.h"

#include "document/WriteCalls.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace ovro::test {

namespace {

struct State {
    WriteCall call = WriteCall::Open;
    int nth = 0;
    int error = 0;
    std::size_t maxWrite = 0;
    int counts[5] = {};
    bool failed = false;
    ovro::WriteCalls system{};
};
State state;

// True when this call is the one to fail (errno is set then).
bool Fails(WriteCall call)
{
    const int count = ++state.counts[static_cast<int>(call)];
    if (call != state.call || count != state.nth)
        return false;
    state.failed = true;
    errno = state.error;
    return true;
}

int Open(const char* path, int flags, mode_t mode)
{
    return Fails(WriteCall::Open) ? -1 : state.system.open(path, flags, mode);
}

ssize_t Write(int fd, const void* data, std::size_t size)
{
    if (Fails(WriteCall::Write))
        return -1;
    return state.system.write(fd, data, state.maxWrite ? std::min(size, state.maxWrite) : size);
}

int Fsync(int fd)
{
    return Fails(WriteCall::Fsync) ? -1 : state.system.fsync(fd);
}

int Close(int fd)
{
    if (Fails(WriteCall::Close)) {
        state.system.close(fd);  // the descriptor is gone all the same, as after EIO
        errno = state.error;
        return -1;
    }
    return state.system.close(fd);
}

int Rename(const char* from, const char* to)
{
    return Fails(WriteCall::Rename) ? -1 : state.system.rename(from, to);
}

}  // namespace

const char* WriteCallName(WriteCall call)
{
    switch (call) {
    case WriteCall::Open: return "open";
    case WriteCall::Write: return "write";
    case WriteCall::Fsync: return "fsync";
    case WriteCall::Close: return "close";
    case WriteCall::Rename: return "rename";
    }
    return "?";
}

FailingWrites::FailingWrites(WriteCall call, int nth, int error, std::size_t maxWrite)
{
    state = State();
    state.call = call;
    state.nth = nth;
    state.error = error;
    state.maxWrite = maxWrite;
    state.system = ovro::CWriteCalls::System();
    ovro::CWriteCalls::Install({Open, Write, Fsync, Close, Rename});
}

FailingWrites::~FailingWrites()
{
    ovro::CWriteCalls::Install(ovro::CWriteCalls::System());
}

bool FailingWrites::failed() const
{
    return state.failed;
}

int FailingWrites::calls(WriteCall call) const
{
    return state.counts[static_cast<int>(call)];
}

}  // namespace ovro::test
