// CWholeFile: reads a file in one go without ever throwing. A missing
// file, a folder of that name and an error while reading all give false,
// so that a reader reports a file it cannot read instead of ending the
// program (a std::ifstream read through stream-buffer iterators throws on
// a read error, for a folder too).
#pragma once

#include <string>

namespace ovro {

class CWholeFile {
public:
    // The bytes of the regular file at path; false (bytes empty, errno
    // set) when it cannot be opened, is not a regular file or a read fails.
    static bool Read(const std::string& path, std::string& bytes);
};

}  // namespace ovro
