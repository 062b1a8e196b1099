// The firmware files of data/: exactly what data/make-firmware.sh writes
// with the tools of this build, accepted by the program's HEX reader, and
// complete images for the simulated K315's loaders; the build copies them
// next to the program.
#include "FirmwareImage.h"

#include "download/HexFile.h"
#include "download/PagePacker.h"
#include "download/TextLine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

const std::string kSource = OVRO_SOURCE_DIR;
const std::string kBin = OVRO_BIN_DIR;

struct Shipped {
    const char* path;  // below data/ and the program's folder
    FirmwareImage::Kind kind;
    long size;
    const char* version;
};
const Shipped kFiles[] = {
    {"sll/sll.H86", FirmwareImage::Kind::Loader, 2048, "SLL V1.02"},
    {"firmware/K315_v2200.h86", FirmwareImage::Kind::Application, 8192, "v2.200"},
};

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes of a HEX file as the download packs them, from its first page.
std::vector<std::uint8_t> Memory(const std::string& path, std::uint32_t base)
{
    std::vector<std::uint8_t> memory;
    CPagePacker packer([&](PageBlock& block) {
        const std::size_t at = block.PageAddress() - base;
        if (memory.size() < at + PageBlock::kPageSize)
            memory.resize(at + PageBlock::kPageSize, 0xFF);
        std::copy(block.Data(), block.Data() + PageBlock::kPageSize, memory.begin() + static_cast<long>(at));
        return true;
    });
    FilePtr file = OpenForReading(path);
    EXPECT_TRUE(file) << path;
    HexRecord record;
    packer.BeginFile();
    while (file && ReadHexRecord(file.get(), record) > 0)
        EXPECT_EQ(packer.Add(record), CPagePacker::Status::Ok);
    EXPECT_EQ(packer.Finish(), CPagePacker::Status::Ok);
    return memory;
}

TEST(ShippedFirmware, IsWhatTheGeneratingScriptWrites)
{
    char dir[] = "/tmp/ovro-data-test-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string out = dir;
    const std::string command = "bash '" + kSource + "/data/make-firmware.sh' '" + kBin + "' '" + out + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const Shipped& f : kFiles) {
        for (const char* ext : {"", "sfv"}) {
            const std::string name = *ext ? ReplaceExtension(f.path, ext) : std::string(f.path);
            EXPECT_EQ(Read(out + "/" + name), Read(kSource + "/data/" + name)) << name << " differs from a fresh one";
            EXPECT_EQ(Read(kBin + "/" + name), Read(kSource + "/data/" + name)) << name << " beside the program";
        }
    }
    std::filesystem::remove_all(out);
}

TEST(ShippedFirmware, TheProgramReadsCompleteImages)
{
    for (const Shipped& f : kFiles) {
        const std::string path = kSource + "/data/" + f.path;
        EXPECT_EQ(ScanFile(path), f.size) << f.path;
        const std::vector<std::uint8_t> memory = Memory(path, FirmwareImage::baseOf(f.kind));
        EXPECT_EQ(FirmwareImage::check(f.kind, memory.data(), memory.size()), f.version) << f.path;
    }
}

}  // namespace
