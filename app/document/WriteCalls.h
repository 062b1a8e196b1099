// WriteCalls.h - the system calls through which the program writes its
// files (the safe replace of documents and exports, the download log), as
// one table of plain functions. The program always uses the system's; a
// test puts a table of its own in place to make one call fail (a full disk,
// a failed flush, a refused rename) and sees what the writer does then.
//
//   const ovro::WriteCalls& io = ovro::CWriteCalls::Current();
//   int fd = io.open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
//   io.write(fd, data, size); io.fsync(fd); io.close(fd); io.rename(temp, path);
#pragma once

#include <cstddef>
#include <sys/types.h>

namespace ovro {

struct WriteCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*write)(int fd, const void* data, std::size_t size);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
};

class CWriteCalls {
public:
    // The calls in use.
    static const WriteCalls& Current();
    // The system's own calls.
    static const WriteCalls& System();
    // Puts calls in place and returns those they replace (tests only; not
    // to be called while a file is being written).
    static WriteCalls Install(const WriteCalls& calls);
};

}  // namespace ovro
