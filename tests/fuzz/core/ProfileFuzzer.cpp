// profile_fuzzer: any bytes as a profile-format file, looked up by keys of
// the commissioning document and by names taken from the input itself.
#include <cstddef>
#include <cstdint>
#include <string>

#include "document/ProfileReader.h"

using namespace ovro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const CProfileReader file = CProfileReader::FromText(text);

    (void)file.GetString("Commissioning", "Type", "(unknown)");
    (void)file.GetInt("NodeSettings", "NodeId", -1);
    (void)file.GetString("", "", "");

    // A section and key named by the input: the first bracketed name and the
    // first name before "=", so that lookups also hit what the file holds.
    const std::size_t open = text.find('[');
    const std::size_t close = text.find(']', open == std::string::npos ? 0 : open);
    const std::size_t equals = text.find('=');
    if (open != std::string::npos && close != std::string::npos && equals != std::string::npos) {
        const std::string section = text.substr(open + 1, close - open - 1);
        const std::size_t keyStart = text.rfind('\n', equals);
        const std::size_t from = keyStart == std::string::npos ? 0 : keyStart + 1;
        const std::string key = text.substr(from, equals - from);
        const std::string value = file.GetString(section, key, "");
        if (value.size() > CProfileReader::kMaxValue)
            __builtin_trap();  // values are cut at kMaxValue characters
        (void)file.GetInt(section, key, 0);
    }
    return 0;
}
