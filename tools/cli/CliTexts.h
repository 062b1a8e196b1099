// The messages of ovro-qvt-cli that the program itself has no text for
// (the single-object access and the interface choice). Latin-1, laid out
// like the program's message texts.
#pragma once

namespace CliTexts {

// Object address, node-id, error text.
inline constexpr const char* kReadFailed = "ERROR:\tcan\xB4" "t read object %04X/%02X of node #%u!\n\n\t%s";
inline constexpr const char* kWriteFailed = "ERROR:\tcan\xB4" "t write object %04X/%02X of node #%u!\n\n\t%s";
// Board name.
inline constexpr const char* kUnknownBoard = "interface '%s' is not in the description's interface list";
inline constexpr const char* kNoInterface =
    "no CAN interface chosen: give --board NAME or choose one in Ovro-QVT (Interface, Initialize...)";

}  // namespace CliTexts
