// The store file: round trip, damaged files, failed writes.
#include "EepromStore.h"
#include "FileCalls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {
class EepromStoreTest : public ::testing::Test {
protected:
    std::string dir;

    void SetUp() override
    {
        char pattern[] = "/tmp/ovro-eeprom-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    static std::string read(const std::string& file)
    {
        std::ifstream in(file);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
};

TEST_F(EepromStoreTest, RoundTrip)
{
    const std::string file = dir + "/store";
    EepromStore store(file);
    std::string error;
    ASSERT_TRUE(store.load(error));
    EXPECT_FALSE(store.found()) << "missing file: empty store";
    store.values()[0x608100] = {0xB8, 0x0B, 0, 0};
    store.values()[0x100800] = {};
    store.nodeId = 9;
    store.bitTiming = 4;
    ASSERT_TRUE(store.save(error)) << error;

    EepromStore again(file);
    ASSERT_TRUE(again.load(error)) << error;
    EXPECT_TRUE(again.found());
    EXPECT_EQ(again.values(), store.values());
    EXPECT_EQ(again.nodeId, std::optional<uint8_t>(9));
    EXPECT_EQ(again.bitTiming, std::optional<uint8_t>(4));
}

TEST_F(EepromStoreTest, DamagedFileIsReportedAndNotTouched)
{
    const std::string file = dir + "/store";
    for (const char* bad : {"6081 00 B80\n", "6081 00 zz\n", "10000 00 00\n", "lmt 05\n", "6081 00 00 extra\n"}) {
        {
            std::ofstream out(file);
            out << "# ovro-drive-sim store\n" << bad;
        }
        EepromStore store(file);
        std::string error;
        EXPECT_FALSE(store.load(error)) << bad;
        EXPECT_NE(error.find("malformed line 2"), std::string::npos) << error;
        EXPECT_TRUE(store.values().empty());
        EXPECT_FALSE(store.nodeId);
        EXPECT_EQ(read(file), std::string("# ovro-drive-sim store\n") + bad);
    }
}

TEST_F(EepromStoreTest, FailedSaveKeepsTheOldFile)
{
    const std::string file = dir + "/store";
    EepromStore store(file);
    store.values()[0x608100] = {1, 2, 3, 4};
    std::string error;
    ASSERT_TRUE(store.save(error));
    const std::string good = read(file);
    // The temporary file cannot be written: a directory stands in its way.
    ASSERT_TRUE(std::filesystem::create_directory(file + ".tmp"));
    store.values()[0x608100] = {5, 6, 7, 8};
    EXPECT_FALSE(store.save(error));
    EXPECT_NE(error.find("store.tmp"), std::string::npos) << error;
    EXPECT_EQ(read(file), good);
}

TEST_F(EepromStoreTest, EachFailingCallKeepsTheOldFile)
{
    const std::string file = dir + "/store";
    EepromStore store(file);
    store.values()[0x608100] = {1, 2, 3, 4};
    std::string error;
    ASSERT_TRUE(store.save(error));
    const std::string good = read(file);
    store.values()[0x608100] = {5, 6, 7, 8};
    const struct {
        FileCalls::Call call;
        int error;
    } rows[] = {{FileCalls::Call::Open, EACCES},
                {FileCalls::Call::Write, ENOSPC},
                {FileCalls::Call::Fsync, EIO},
                {FileCalls::Call::Close, EIO},
                {FileCalls::Call::Rename, EXDEV}};
    for (const auto& row : rows) {
        FileCalls::failNext(row.call, row.error);
        error.clear();
        EXPECT_FALSE(store.save(error)) << int(row.call);
        EXPECT_NE(error.find(std::strerror(row.error)), std::string::npos) << error;
        EXPECT_EQ(read(file), good) << error;
        EXPECT_FALSE(std::filesystem::exists(file + ".tmp")) << error;
    }
    FileCalls::clear();
    EXPECT_TRUE(store.save(error));
    EXPECT_NE(read(file), good);
}

TEST_F(EepromStoreTest, WithoutAPathTheStoreLivesInMemory)
{
    EepromStore store("");
    std::string error;
    EXPECT_TRUE(store.load(error));
    store.values()[1] = {1};
    EXPECT_TRUE(store.save(error));
    EXPECT_EQ(store.values().size(), 1u);
}
}  // namespace
