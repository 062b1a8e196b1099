// Scratch files of the file-reader fuzz targets: one private folder per
// process, removed at exit, into which each input is written before the
// reader under test opens it by name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes the bytes to the named file in the private folder and returns its
// path; aborts when the file cannot be written (a fuzz run is then void).
std::string WriteScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size);
