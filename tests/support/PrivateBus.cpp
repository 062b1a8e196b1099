#include "PrivateBus.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace ovro::test {

bool PrivateBus::create(const std::string& prefix)
{
    remove();
    const std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr)
        return false;
    m_dir = name.data();
    ::setenv("OVRO_CANBUS_DIR", m_dir.c_str(), 1);
    return true;
}

void PrivateBus::remove()
{
    if (m_dir.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
    ::unsetenv("OVRO_CANBUS_DIR");
    m_dir.clear();
}

}  // namespace ovro::test
