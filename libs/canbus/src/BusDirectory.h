// BusDirectory - the folder of one virtual bus and the socket files in it.
#ifndef CANBUS_BUSDIRECTORY_H
#define CANBUS_BUSDIRECTORY_H

#include <string>

namespace ovro::canbus {

class BusDirectory {
public:
    // "<root>/<name>"; empty when the name is not a plain file name.
    static std::string pathOf(const char* name);

    explicit BusDirectory(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    // Creates the folder and its missing parents with mode 0700.
    // 0 or a positive errno.
    int create() const;

private:
    std::string path_;
};

}  // namespace ovro::canbus

#endif
