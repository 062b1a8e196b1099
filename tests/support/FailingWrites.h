// FailingWrites.h - makes one of the program's file-writing calls fail
// (ovro::CWriteCalls): the n-th open, write, fsync, close or rename from
// now on returns -1 with the given errno; every other call is the
// system's. The system's calls come back when the object goes.
//
//   ovro::test::FailingWrites fail(ovro::test::WriteCall::Fsync, 1, EIO);
//   EXPECT_FALSE(ovro::CSafeFile::Replace(path, text));
//   EXPECT_TRUE(fail.failed());
#pragma once

#include <cstddef>
#include <string>

namespace ovro::test {

enum class WriteCall { Open, Write, Fsync, Close, Rename };

const char* WriteCallName(WriteCall call);

class FailingWrites {
public:
    // maxWrite > 0 lets each write take at most that many bytes, so that a
    // file is written in several calls (a disk that fills up half way).
    FailingWrites(WriteCall call, int nth, int error, std::size_t maxWrite = 0);
    ~FailingWrites();
    FailingWrites(const FailingWrites&) = delete;
    FailingWrites& operator=(const FailingWrites&) = delete;

    // The failure has happened.
    bool failed() const;
    // Calls of this kind made so far (the failed one included).
    int calls(WriteCall call) const;
};

}  // namespace ovro::test
