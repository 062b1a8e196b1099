// CProfileReader: key lookups in a profile-format text file ("[Section]"
// headers and "key=value" entries), with the rules of the classic profile
// functions: sections and keys match without regard to case, the first
// section of a name and the first entry of a key in it win, values are cut
// at 256 characters, and a missing file, section or key gives the default.
// The file is read once, when the reader is created.
#pragma once

#include <string>
#include <vector>

namespace ovro {

class CProfileReader {
public:
    static constexpr std::size_t kMaxValue = 256;

    explicit CProfileReader(const std::string& fileName);
    static CProfileReader FromText(const std::string& text);

    bool IsOpen() const { return m_open; }
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue) const;
    // The leading whole decimal number of the entry (optional sign); an
    // entry without digits gives 0, a missing entry the default.
    long GetInt(const std::string& section, const std::string& key, long defaultValue) const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    CProfileReader() = default;
    void Parse(const std::string& text);
    const Section* FindSection(const std::string& name) const;
    const std::string* FindValue(const std::string& section, const std::string& key) const;

    bool m_open = false;
    std::vector<Section> m_sections;
};

}  // namespace ovro
