// A frame window's placement as kept in section "Windows": ten numbers,
// "flags,show command,min x,min y,max x,max y,left,top,right,bottom".
#pragma once

#include "settings/ISettingsStore.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <string>

struct WindowPlacement {
    std::uint32_t flags = 0;
    std::uint32_t showCmd = 0;
    std::int32_t minX = 0;
    std::int32_t minY = 0;
    std::int32_t maxX = 0;
    std::int32_t maxY = 0;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool operator==(const WindowPlacement&) const = default;
};

// The text "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d" of a placement.
std::string FormatWindowPlacement(const WindowPlacement& placement);
// The placement of a text of exactly ten decimal numbers, or nothing.
std::optional<WindowPlacement> ParseWindowPlacement(const std::string& text);

// Reads Windows/key; false when the value is missing, empty or does not
// hold exactly ten numbers (placement is then left as it was).
bool ReadWindowPlacement(const ISettingsStore& store, const std::string& key,
                         WindowPlacement& placement);
// Writes Windows/key.
bool WriteWindowPlacement(ISettingsStore& store, const std::string& key,
                          const WindowPlacement& placement);
