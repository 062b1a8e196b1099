#include "download/DownloadMessages.h"
#include "download/HexFile.h"
#include "download/TextLine.h"
#include "HexTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cctype>

namespace {

const std::string kEof = ":00000001FF";

std::vector<std::string> SmallFile()
{
    return {HexLine(4, 0, {0x00, 0x01}), HexLine(0, 0x0000, Bytes(16)),
            HexLine(0, 0x0010, Bytes(16, 0x10)), HexLine(5, 0, {0, 0, 0, 0}),
            HexLine(0, 0x0020, Bytes(3, 0xA0)), kEof};
}

class ScanFileTest : public ::testing::Test {
protected:
    // Writes name and its check-sum file with the given CRC.
    std::string WithSfv(const std::string& name, const std::string& text, std::uint32_t crc)
    {
        dir_.Write(ReplaceExtension(name, "sfv"), "; sums\n" + SfvLine(name, crc) + "\n");
        return dir_.Write(name, text);
    }

    TempFolder dir_;
};

TEST(ReplaceExtension, DerivedPaths)
{
    EXPECT_EQ(ReplaceExtension("/fw/app.H86", "sfv"), "/fw/app.sfv");
    EXPECT_EQ(ReplaceExtension("/fw/app.tar.hex", "log"), "/fw/app.tar.log");
    EXPECT_EQ(ReplaceExtension("/fw.v2/app", "log"), "/fw.v2/app.log");
    EXPECT_EQ(ReplaceExtension("app", "sfv"), "app.sfv");
}

TEST_F(ScanFileTest, ValidFileCountsTheDataBytes)
{
    const std::string text = Join(SmallFile(), "\r\n");
    const std::string path = WithSfv("app.h86", text, CrcOfBytes(text));
    std::string log;
    EXPECT_EQ(ScanFile(path, &log), 35);
    EXPECT_EQ(log, dir_.Path("app.log"));
}

TEST_F(ScanFileTest, LfOnlyFileIsSummedAsCrLf)
{
    const std::vector<std::string> lines = SmallFile();
    const std::string lf = Join(lines, "\n");
    const std::string crlf = Join(lines, "\r\n");
    ASSERT_NE(CrcOfBytes(lf), CrcOfBytes(crlf));
    EXPECT_EQ(ScanFile(WithSfv("a.h86", lf, CrcOfBytes(crlf))), 35);
    EXPECT_EQ(ScanFile(WithSfv("b.h86", lf, CrcOfBytes(lf))), kScanCrcMismatch);
}

TEST_F(ScanFileTest, EndRecordWithoutLineFeedPasses)
{
    std::vector<std::string> lines = SmallFile();
    lines.pop_back();
    const std::string text = Join(lines, "\r\n") + kEof;
    EXPECT_EQ(ScanFile(WithSfv("a.h86", text, CrcOfBytes(text))), 35);
}

TEST_F(ScanFileTest, CheckSumErrors)
{
    const std::string text = Join(SmallFile(), "\r\n");
    EXPECT_EQ(ScanFile(WithSfv("a.h86", text, CrcOfBytes(text) ^ 1u)), kScanCrcMismatch);
    // A check-sum file without a deciding line expects 0xFFFFFFFF.
    dir_.Write("b.sfv", "; nothing\n");
    EXPECT_EQ(ScanFile(dir_.Write("b.h86", text)), kScanCrcMismatch);
    dir_.Write("c.sfv", "c.h86\n");
    EXPECT_EQ(ScanFile(dir_.Write("c.h86", text)), kScanSfvBad);
    EXPECT_EQ(ScanFile(dir_.Write("d.h86", text)), kScanSfvNotFound);
    ASSERT_EQ(::mkdir(dir_.Path("e.sfv").c_str(), 0700), 0);
    EXPECT_EQ(ScanFile(dir_.Write("e.h86", text)), kScanSfvAccessDenied);
}

TEST_F(ScanFileTest, BadLines)
{
    const std::vector<std::string> good = SmallFile();
    const std::vector<std::vector<std::string>> bad = {
        {good[0], "", good[1], kEof},                  // empty line in the middle
        {good[0], "010000000FF", kEof},                // no colon
        {good[0], ":0000001F", kEof},                  // too short
        {good[0], HexLine(0, 0, Bytes(33)), kEof},     // longer than the record store
    };
    for (const auto& lines : bad) {
        const std::string text = Join(lines, "\r\n");
        EXPECT_EQ(ScanFile(WithSfv("a.h86", text, CrcOfBytes(text))), kScanBadLine) << text;
    }
    // 32 data bytes are still fine.
    const std::string text = Join({HexLine(0, 0, Bytes(32)), kEof}, "\r\n");
    EXPECT_EQ(ScanFile(WithSfv("b.h86", text, CrcOfBytes(text))), 32);
}

TEST_F(ScanFileTest, MissingEmptyAndUnreadableFiles)
{
    std::string log;
    EXPECT_EQ(ScanFile(dir_.Path("none.h86"), &log), kScanNotFound);
    EXPECT_EQ(log, dir_.Path("none.log"));
    EXPECT_EQ(ScanFile(WithSfv("empty.h86", "", 0)), kScanBadLine);
    ASSERT_EQ(::mkdir(dir_.Path("folder.h86").c_str(), 0700), 0);
    EXPECT_EQ(ScanFile(dir_.Path("folder.h86")), kScanAccessDenied);
}

TEST_F(ScanFileTest, OnlyDataRecordsCount)
{
    // The scan neither checks record types nor record check sums.
    const std::vector<std::string> lines = {HexLine(2, 0, {0x10, 0x00}),
                                            HexLine(3, 0, {1, 2, 3, 4}), HexLine(0, 0, Bytes(7)),
                                            HexLine(6, 0, Bytes(9)), kEof};
    const std::string text = Join(lines, "\n");
    EXPECT_EQ(ScanFile(WithSfv("a.h86", text, CrcOfBytes(Join(lines, "\r\n")))), 7);
}

// ---- ReadHexRecord -------------------------------------------------------

class ReadHexRecordTest : public ::testing::Test {
protected:
    FilePtr Open(const std::vector<std::string>& lines, const char* eol = "\r\n")
    {
        return OpenForReading(dir_.Write("r.h86", Join(lines, eol)));
    }

    TempFolder dir_;
    HexRecord rec;
};

TEST_F(ReadHexRecordTest, ReadsDataRecordsInOrder)
{
    FilePtr f = Open(SmallFile());
    ASSERT_TRUE(f);
    ASSERT_EQ(ReadHexRecord(f.get(), rec), 16);
    EXPECT_EQ(rec.base, 0x10000u);
    EXPECT_EQ(rec.offset, 0u);
    EXPECT_EQ(rec.Address(), 0x10000u);
    EXPECT_EQ(rec.line, 2);
    EXPECT_EQ(rec.data[15], 15);
    ASSERT_EQ(ReadHexRecord(f.get(), rec), 16);
    EXPECT_EQ(rec.offset, 0x10u);
    EXPECT_EQ(rec.data[0], 0x10);
    ASSERT_EQ(ReadHexRecord(f.get(), rec), 3);   // the type 05 record is skipped
    EXPECT_EQ(rec.line, 5);
    EXPECT_EQ(rec.offset, 0x20u);
    EXPECT_EQ(rec.data[2], 0xA2);
    EXPECT_EQ(ReadHexRecord(f.get(), rec), 0);
    EXPECT_EQ(rec.line, 6);
}

TEST_F(ReadHexRecordTest, ExtendedAddresses)
{
    FilePtr f = Open({HexLine(2, 0, {0x12, 0x34}), HexLine(0, 0x0005, {1}),
                      HexLine(4, 0, {0x00, 0x08}), HexLine(0, 0xFFFF, {2}), kEof},
                     "\n");
    ASSERT_EQ(ReadHexRecord(f.get(), rec), 1);
    EXPECT_EQ(rec.Address(), 0x12345u);
    ASSERT_EQ(ReadHexRecord(f.get(), rec), 1);
    EXPECT_EQ(rec.Address(), 0x8FFFFu);
}

TEST_F(ReadHexRecordTest, LowerCaseHexIsRead)
{
    std::string line = HexLine(0, 0xABCD, {0xEF, 0xDC});
    for (char& c : line)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    FilePtr f = Open({line});
    ASSERT_EQ(ReadHexRecord(f.get(), rec), 2);
    EXPECT_EQ(rec.offset, 0xABCDu);
    EXPECT_EQ(rec.data[1], 0xDC);
}

TEST_F(ReadHexRecordTest, EndOfDataForms)
{
    FilePtr f = Open({HexLine(0, 0, {})});
    EXPECT_EQ(ReadHexRecord(f.get(), rec), 0);      // an empty data record ends the data
    f = Open({HexLine(3, 0, {0, 0, 0, 0})});
    EXPECT_EQ(ReadHexRecord(f.get(), rec), 0);      // end of file without an end record
    f = Open({});
    EXPECT_EQ(ReadHexRecord(f.get(), rec), 0);
}

struct RecordCase {
    std::string line;
    int result;
};

TEST_F(ReadHexRecordTest, RecordErrorsWithTheirLine)
{
    std::string badSum = HexLine(0, 0x10, Bytes(4));
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    std::string badDigit = HexLine(0, 0x10, {0x12, 0x34});
    badDigit[9] = 'G';
    const RecordCase cases[] = {
        {badSum, kRecordChecksum},
        {badDigit, kRecordChecksum},                 // a non-hex pair reads as 0
        {HexLine(6, 0, {}), kRecordUnknownType},
        {HexLine(0xFF, 0, {1}), kRecordUnknownType},
        {"", kRecordBad},
        {":00000001F", kRecordBad},
        {"00000001FF0", kRecordBad},
        {HexLine(0, 0, Bytes(33)), kRecordBad},      // beyond the 32-byte store
        {HexLine(0, 0, Bytes(255)).substr(0, 200), kRecordBad},
        {":10F0000000", kRecordBad},                 // cut off; zeros would sum up right
        {HexLine(0, 0x10, Bytes(4)).substr(0, 18), kRecordBad},
        {HexLine(2, 0, {}), kRecordBad},             // extended address without data
        {HexLine(4, 0, {1, 2, 3}), kRecordBad},
    };
    for (const RecordCase& c : cases) {
        rec = HexRecord();
        FilePtr f = Open({HexLine(0, 0, {9}), c.line, kEof});
        ASSERT_EQ(ReadHexRecord(f.get(), rec), 1);
        EXPECT_EQ(ReadHexRecord(f.get(), rec), c.result) << c.line;
        EXPECT_EQ(rec.line, 2) << c.line;
        EXPECT_EQ(rec.data[0], 9) << c.line;          // the data store keeps the last record
        if (c.result != kRecordUnknownType) {
            EXPECT_EQ(rec.length, 1) << c.line;
        }
    }
}

TEST_F(ReadHexRecordTest, ThirtyTwoBytesFillTheStore)
{
    FilePtr f = Open({HexLine(0, 0x0070, Bytes(32, 0x40)), kEof});
    ASSERT_EQ(ReadHexRecord(f.get(), rec), 32);
    EXPECT_EQ(rec.data[31], 0x5F);
}

TEST(DownloadMessages, FileSpecificTexts)
{
    EXPECT_EQ(ScanErrorMessage(kScanNotFound, true), 63543);
    EXPECT_EQ(ScanErrorMessage(kScanNotFound, false), 63551);
    EXPECT_EQ(ScanErrorMessage(kScanSfvBad, true), ScanErrorMessage(kScanSfvBad, false));
    EXPECT_EQ(ScanErrorMessage(kScanCrcMismatch, false), 63554);
    EXPECT_EQ(ScanErrorMessage(-99, false), 63550);
    EXPECT_EQ(RecordErrorMessage(kRecordUnknownType), 63558);
    EXPECT_EQ(RecordErrorMessage(kRecordBad), 63560);
    EXPECT_EQ(RecordErrorMessage(-8), 63561);
}

}  // namespace
