// FileCalls.h - the system calls through which the simulator writes its
// files (the EEPROM store, the FLASH image). The unit tests and the control
// line "fail-write" make the next call of one kind fail, as a full or
// failing disk would, to see that the drive refuses the command and keeps
// the file it had.
#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>

class FileCalls {
public:
    enum class Call { Open, Write, Fsync, Close, Rename };

    static int open(const char* path, int flags, mode_t mode);
    static ssize_t write(int fd, const void* data, size_t size);
    static ssize_t pwrite(int fd, const void* data, size_t size, off_t offset);  // counts as Write
    static int fsync(int fd);
    static int close(int fd);
    static int rename(const char* from, const char* to);

    // The next call of this kind fails with the error (once).
    static void failNext(Call call, int error);
    // No call fails.
    static void clear();
    // "open", "write", "fsync", "close" or "rename".
    static bool parse(const std::string& name, Call& call);
};
