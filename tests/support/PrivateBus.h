// PrivateBus.h - a fresh temporary directory that holds a private virtual
// CAN bus: create() points OVRO_CANBUS_DIR at it, so that every endpoint
// the test opens afterwards lands there; the directory goes with its owner.
#pragma once

#include <string>

namespace ovro::test {

class PrivateBus {
public:
    PrivateBus() = default;
    ~PrivateBus() { remove(); }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Makes /tmp/<prefix>-XXXXXX and sets OVRO_CANBUS_DIR to it; false
    // when the directory could not be made.
    bool create(const std::string& prefix);
    // Removes the directory with everything in it and unsets OVRO_CANBUS_DIR.
    void remove();

    const std::string& dir() const { return m_dir; }
    // A file in the directory.
    std::string path(const std::string& name) const { return m_dir + "/" + name; }

private:
    std::string m_dir;
};

}  // namespace ovro::test
