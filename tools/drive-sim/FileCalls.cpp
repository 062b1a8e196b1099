#include "FileCalls.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int kCalls = 5;
int pendingError[kCalls] = {};  // 0: the call works

bool fails(FileCalls::Call call)
{
    int& error = pendingError[int(call)];
    if (error == 0)
        return false;
    errno = error;
    error = 0;
    return true;
}
}  // namespace

int FileCalls::open(const char* path, int flags, mode_t mode)
{
    return fails(Call::Open) ? -1 : ::open(path, flags, mode);
}

ssize_t FileCalls::write(int fd, const void* data, size_t size)
{
    return fails(Call::Write) ? -1 : ::write(fd, data, size);
}

ssize_t FileCalls::pwrite(int fd, const void* data, size_t size, off_t offset)
{
    return fails(Call::Write) ? -1 : ::pwrite(fd, data, size, offset);
}

int FileCalls::fsync(int fd)
{
    return fails(Call::Fsync) ? -1 : ::fsync(fd);
}

int FileCalls::close(int fd)
{
    if (fails(Call::Close)) {
        const int error = errno;
        ::close(fd);  // the descriptor is gone all the same
        errno = error;
        return -1;
    }
    return ::close(fd);
}

int FileCalls::rename(const char* from, const char* to)
{
    return fails(Call::Rename) ? -1 : std::rename(from, to);
}

void FileCalls::failNext(Call call, int error)
{
    pendingError[int(call)] = error;
}

void FileCalls::clear()
{
    for (int& error : pendingError)
        error = 0;
}

bool FileCalls::parse(const std::string& name, Call& call)
{
    static const char* const kNames[kCalls] = {"open", "write", "fsync", "close", "rename"};
    for (int i = 0; i < kCalls; ++i) {
        if (name == kNames[i]) {
            call = Call(i);
            return true;
        }
    }
    return false;
}
