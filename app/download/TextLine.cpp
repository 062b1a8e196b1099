#include "download/TextLine.h"

#include <sys/stat.h>

FilePtr OpenForReading(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return FilePtr();
    return FilePtr(std::fopen(path.c_str(), "rb"));
}

bool ReadTextLine(std::FILE* file, std::string& line)
{
    line.clear();
    while (line.size() < kMaxLineRead) {
        int c = std::getc(file);
        if (c == EOF)
            break;
        if (c == '\r') {
            const int next = std::getc(file);
            if (next == '\n')
                c = '\n';
            else if (next != EOF)
                std::ungetc(next, file);
        }
        line.push_back(static_cast<char>(c));
        if (c == '\n')
            break;
    }
    return !line.empty();
}
