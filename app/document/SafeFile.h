// Replacing a file without ever leaving it half written: the new content
// goes to a temporary file in the same folder, which is flushed to disk and
// then renamed over the old file. If anything fails, the old file stays as
// it was and the temporary file is removed.
#pragma once

#include <string>

namespace ovro {

// The line end of the text files the program writes (documents, recordings,
// exports): CR LF, as the files are read on Windows too.
inline constexpr char kLineEnd[] = "\r\n";

class CSafeFile {
public:
    // Writes content to path; false (with errno set) when the file could not
    // be written completely.
    static bool Replace(const std::string& path, const std::string& content);
};

}  // namespace ovro
