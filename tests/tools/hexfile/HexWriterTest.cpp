// The HEX and check-sum files ovro-hexfile writes, read back with the
// program's own reader: every byte at its address, the CRC of the .sfv.
#include "HexWriter.h"

#include "download/HexFile.h"
#include "download/TextLine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace {

class HexWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dir[] = "/tmp/ovro-hexfile-test-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        dir_ = dir;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The data bytes of a HEX file by absolute address, through ReadHexRecord.
    static std::map<std::uint32_t, std::uint8_t> Load(const std::string& path)
    {
        std::map<std::uint32_t, std::uint8_t> bytes;
        FilePtr file = OpenForReading(path);
        EXPECT_TRUE(file);
        HexRecord record;
        int n = 0;
        while (file && (n = ReadHexRecord(file.get(), record)) > 0) {
            for (int i = 0; i < n; ++i)
                bytes[record.Address() + static_cast<std::uint32_t>(i)] = record.data[static_cast<std::size_t>(i)];
        }
        EXPECT_EQ(n, 0) << "record error at line " << record.line;
        return bytes;
    }

    static std::vector<std::uint8_t> Image(std::size_t size)
    {
        std::vector<std::uint8_t> image(size);
        for (std::size_t i = 0; i < size; ++i)
            image[i] = static_cast<std::uint8_t>(i * 37 + (i >> 8));
        return image;
    }

    std::string dir_;
};

TEST_F(HexWriterTest, EveryByteComesBackAtItsAddress)
{
    struct Row {
        const char* name;
        std::size_t size;
        std::uint32_t address;
        std::size_t recordSize;
    };
    const Row rows[] = {
        {"small image at 0", 100, 0x0000, 32},
        {"one byte", 1, 0x0123, 32},
        {"above 64 KiB", 1000, 0x10000, 32},
        {"across a 64 KiB boundary", 300, 0x1FFF0, 32},
        {"16-byte records", 257, 0x8000, 16},
        {"7-byte records across a boundary", 50, 0xFFFFD, 7},
        {"at the top of the address space", 64, 0xFFFFFFC0, 32},
    };
    for (const Row& row : rows) {
        const std::vector<std::uint8_t> image = Image(row.size);
        const std::string hex = Path("image.h86");
        std::string error;
        ASSERT_TRUE(HexWriter::WriteFiles(image, row.address, row.recordSize, hex, error)) << row.name << error;
        EXPECT_EQ(ScanFile(hex), static_cast<long>(row.size)) << row.name << ": the scan and its .sfv agree";
        const auto bytes = Load(hex);
        ASSERT_EQ(bytes.size(), row.size) << row.name;
        std::uint32_t at = row.address;
        for (std::uint8_t b : image)
            ASSERT_EQ(bytes.at(at++), b) << row.name;
    }
}

TEST_F(HexWriterTest, RecordsEndInCrLfAndNeverCrossA64KiBBoundary)
{
    const std::string text = HexWriter::HexText(Image(80), 0x2FFE0, 32);
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.back(), '\r');
        lines.push_back(line.substr(0, line.size() - 1));
    }
    const std::vector<std::string> expected = {
        ":020000040002F8",  // segment 0x0002
        lines[1],           // 32 bytes at 0xFFE0 (checked below)
        ":020000040003F7",  // the next segment before the next record
        lines[3],
        lines[4],
        ":00000001FF",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(lines[1].substr(0, 9), ":20FFE000");
    EXPECT_EQ(lines[3].substr(0, 9), ":20000000");
    EXPECT_EQ(lines[4].substr(0, 9), ":10002000");
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST_F(HexWriterTest, TheCheckSumFileNamesTheFileAndItsCrc)
{
    const std::string hex = Path("K315.h86");
    std::string error;
    ASSERT_TRUE(HexWriter::WriteFiles(Image(10), 0, 32, hex, error)) << error;
    // CRC-32 bit by bit, as a check of the table-driven one.
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : Read(hex)) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1u) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    char value[16];
    std::snprintf(value, sizeof value, "%08X", ~crc);
    EXPECT_EQ(Read(Path("K315.sfv")), std::string("; written by ovro-hexfile\r\nK315.h86 ") + value + "\r\n");
}

TEST_F(HexWriterTest, AFailedWriteKeepsTheFilesThereWere)
{
    const std::string hex = Path("K315.h86");
    std::string error;
    ASSERT_TRUE(HexWriter::WriteFiles(Image(10), 0, 32, hex, error)) << error;
    const std::string oldHex = Read(hex);
    const std::string oldSfv = Read(Path("K315.sfv"));
    std::filesystem::create_directory(Path("K315.sfv.tmp"));  // the check-sum file cannot be written
    EXPECT_FALSE(HexWriter::WriteFiles(Image(500), 0, 32, hex, error));
    EXPECT_NE(error.find("K315.sfv.tmp"), std::string::npos) << error;
    EXPECT_EQ(Read(hex), oldHex);
    EXPECT_EQ(Read(Path("K315.sfv")), oldSfv);
    EXPECT_FALSE(std::filesystem::exists(Path("K315.h86.tmp")));

    EXPECT_FALSE(HexWriter::WriteFiles(Image(10), 0, 33, hex, error)) << "33-byte records";
    EXPECT_FALSE(HexWriter::WriteFiles(Image(10), 0, 0, hex, error)) << "0-byte records";
    EXPECT_FALSE(HexWriter::WriteFiles(Image(65), 0xFFFFFFC0, 32, hex, error)) << "beyond 4 GiB";
    EXPECT_FALSE(HexWriter::WriteFiles(Image(10), 0, 32, Path("missing/K315.h86"), error));
    EXPECT_EQ(Read(hex), oldHex);
}

}  // namespace
