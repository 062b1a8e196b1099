// liborx11reg.so as the master library and the drivers load it: the file
// in the user's configuration folder, made on first use, and the ORX_
// functions over it.
#include "PrivateBus.h"

#include <orxboard/orx11reg.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Registry {
    void* lib = nullptr;
#define ORX_FN(name) name##_t name = nullptr;
    ORX_FN(ORX_GetProductVersion)
    ORX_FN(ORX_CheckProductVersion)
    ORX_FN(ORX_SelectHardware)
    ORX_FN(ORX_InstallHardware)
    ORX_FN(ORX_GetConfig)
    ORX_FN(ORX_ScanHardware)
    ORX_FN(ORX_GetOrxRegKey)
    ORX_FN(ORX_GetRegKeyFromHwEntry)
    ORX_FN(ORX_CreateNewHwEntry)
    ORX_FN(ORX_DeleteHwEntry)
    ORX_FN(ORX_FindHwEntry)
    ORX_FN(ORX_EnumHwEntry)
    ORX_FN(ORX_GetHwEntryVar)
    ORX_FN(ORX_SetHwEntryVarString)
    ORX_FN(ORX_SetHwEntryVarDWORD)
    ORX_FN(ORX_SetDefaultHwEntry)
    ORX_FN(ORX_GetDefaultHwEntry)
    ORX_FN(ORX_GetNewCardType)
#undef ORX_FN
    bool load()
    {
        lib = dlopen(OVRO_BIN_DIR "/liborx11reg.so", RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            return false;
        bool all = true;
#define ORX_BIND(name) all = (*reinterpret_cast<void**>(&name) = dlsym(lib, #name)) != nullptr && all;
        ORX_BIND(ORX_GetProductVersion)
        ORX_BIND(ORX_CheckProductVersion)
        ORX_BIND(ORX_SelectHardware)
        ORX_BIND(ORX_InstallHardware)
        ORX_BIND(ORX_GetConfig)
        ORX_BIND(ORX_ScanHardware)
        ORX_BIND(ORX_GetOrxRegKey)
        ORX_BIND(ORX_GetRegKeyFromHwEntry)
        ORX_BIND(ORX_CreateNewHwEntry)
        ORX_BIND(ORX_DeleteHwEntry)
        ORX_BIND(ORX_FindHwEntry)
        ORX_BIND(ORX_EnumHwEntry)
        ORX_BIND(ORX_GetHwEntryVar)
        ORX_BIND(ORX_SetHwEntryVarString)
        ORX_BIND(ORX_SetHwEntryVarDWORD)
        ORX_BIND(ORX_SetDefaultHwEntry)
        ORX_BIND(ORX_GetDefaultHwEntry)
        ORX_BIND(ORX_GetNewCardType)
#undef ORX_BIND
        return all;
    }
};

class RegistryLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.create("ovro-orx11reg-test"));
        ::setenv("XDG_CONFIG_HOME", m_dir.dir().c_str(), 1);
        ASSERT_TRUE(reg.load()) << dlerror();
    }
    void TearDown() override
    {
        if (reg.lib)
            dlclose(reg.lib);
        ::unsetenv("XDG_CONFIG_HOME");
    }
    std::string file() const { return m_dir.path("Orvax/Orx11reg.conf"); }
    std::string text() const
    {
        std::ifstream in(file());
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string var(std::uint32_t entry, const char* name, std::uint32_t* kind = nullptr)
    {
        char value[128] = {};
        std::uint32_t k = 0, size = sizeof value;
        if (reg.ORX_GetHwEntryVar(entry, name, &k, value, &size) != ORX_OK)
            return "<none>";
        if (kind)
            *kind = k;
        if (k == ORX_VAR_DWORD) {
            std::uint32_t n;
            std::memcpy(&n, value, 4);
            return std::to_string(n);
        }
        return value;
    }

    ovro::test::PrivateBus m_dir;
    Registry reg;
};

TEST_F(RegistryLibrary, MakesTheFileOnFirstUseInTheConfigurationFolder)
{
    char key[512];
    ASSERT_EQ(reg.ORX_GetOrxRegKey(key, sizeof key), ORX_OK);
    EXPECT_EQ(key, file());
    EXPECT_EQ(reg.ORX_GetOrxRegKey(key, 8), ORX_ERR_SIZE);
    std::uint32_t count = 0;
    ASSERT_EQ(reg.ORX_ScanHardware(&count), ORX_OK);
    EXPECT_EQ(count, 12u);
    EXPECT_NE(text().find("[Board11]\nType=0x01050F00"), std::string::npos) << text();
    std::uint32_t entry = 0, type = 0;
    ASSERT_EQ(reg.ORX_GetDefaultHwEntry(&entry), ORX_OK);
    ASSERT_EQ(reg.ORX_GetConfig(entry, &type), ORX_OK);
    EXPECT_EQ(type, 0x01050F00u);
    ASSERT_EQ(reg.ORX_GetRegKeyFromHwEntry(entry, key, sizeof key), ORX_OK);
    EXPECT_EQ(std::string(key), file() + "#Board11");
    for (std::uint32_t i = 0; i < 12; ++i) {
        std::uint32_t e = 0;
        ASSERT_EQ(reg.ORX_EnumHwEntry(i, &e), ORX_OK);
        EXPECT_EQ(e, i + 1);
    }
    EXPECT_EQ(reg.ORX_EnumHwEntry(12, &entry), ORX_ERR_NO_MORE);
}

TEST_F(RegistryLibrary, VariablesAsStringsAndDwords)
{
    std::uint32_t kind = 0;
    EXPECT_EQ(var(11, "DOWNLOAD", &kind), "1");
    EXPECT_EQ(kind, static_cast<std::uint32_t>(ORX_VAR_DWORD));
    EXPECT_EQ(var(11, "Type", &kind), std::to_string(0x01050F00u));
    EXPECT_EQ(var(11, "CHANNEL"), "<none>");
    ASSERT_EQ(reg.ORX_SetHwEntryVarString(11, "CHANNEL", "virtual:lab"), ORX_OK);
    EXPECT_EQ(var(11, "channel", &kind), "virtual:lab");
    EXPECT_EQ(kind, static_cast<std::uint32_t>(ORX_VAR_STRING));
    ASSERT_EQ(reg.ORX_SetHwEntryVarDWORD(11, "VERIFY", 0), ORX_OK);
    EXPECT_EQ(var(11, "VERIFY"), "0");
    char small[4];
    std::uint32_t size = sizeof small;
    EXPECT_EQ(reg.ORX_GetHwEntryVar(11, "CHANNEL", &kind, small, &size), ORX_ERR_SIZE);
    EXPECT_EQ(size, 12u) << "the size it needs";
    EXPECT_EQ(reg.ORX_SetHwEntryVarString(99, "CHANNEL", "x"), ORX_ERR_NOT_FOUND);
    EXPECT_EQ(reg.ORX_SetHwEntryVarString(11, "Type", "1"), ORX_ERR_PARAMETER) << "the type is no variable";
    EXPECT_EQ(reg.ORX_SetHwEntryVarString(11, "A=B", "1"), ORX_ERR_PARAMETER);
    EXPECT_EQ(reg.ORX_SetHwEntryVarString(11, "CHANNEL", "two\nlines"), ORX_ERR_PARAMETER);
    EXPECT_EQ(reg.ORX_GetHwEntryVar(11, "CHANNEL", &kind, nullptr, &size), ORX_ERR_PARAMETER);
}

TEST_F(RegistryLibrary, EntriesComeAndGo)
{
    std::uint32_t entry = 0;
    ASSERT_EQ(reg.ORX_FindHwEntry(0x01041255u, &entry), ORX_OK) << "the low byte does not count";
    EXPECT_EQ(entry, 10u);
    ASSERT_EQ(reg.ORX_DeleteHwEntry(10), ORX_OK);
    EXPECT_EQ(reg.ORX_FindHwEntry(0x01041200u, &entry), ORX_ERR_NOT_FOUND);
    EXPECT_EQ(reg.ORX_DeleteHwEntry(10), ORX_ERR_NOT_FOUND);
    EXPECT_EQ(reg.ORX_InstallHardware(0x01999900u, &entry), ORX_ERR_NOT_FOUND) << "no Orvax board";
    ASSERT_EQ(reg.ORX_InstallHardware(0x01041200u, &entry), ORX_OK);
    EXPECT_EQ(entry, 13u);
    EXPECT_EQ(var(13, "DOWNLOAD"), "1");
    ASSERT_EQ(reg.ORX_SetDefaultHwEntry(13), ORX_OK);
    std::uint32_t def = 0;
    ASSERT_EQ(reg.ORX_GetDefaultHwEntry(&def), ORX_OK);
    EXPECT_EQ(def, 13u);
    EXPECT_EQ(reg.ORX_SetDefaultHwEntry(77), ORX_ERR_NOT_FOUND);
    ASSERT_EQ(reg.ORX_DeleteHwEntry(13), ORX_OK);
    EXPECT_EQ(reg.ORX_GetDefaultHwEntry(&def), ORX_ERR_NOT_FOUND) << "the default went with its entry";
    std::uint32_t newer = 0;
    ASSERT_EQ(reg.ORX_GetNewCardType(0x01050F42u, &newer), ORX_OK);
    EXPECT_EQ(newer, 0x01050F00u);
    EXPECT_EQ(reg.ORX_GetNewCardType(0x00010000u, &newer), ORX_ERR_NOT_FOUND);
}

TEST_F(RegistryLibrary, TheSelectionAnswersFromTheRegistry)
{
    auto setSelection = [&](const std::string& value) {
        std::string t = text();
        std::size_t at = t.find("Selection=");
        t.replace(at, t.find('\n', at) - at, "Selection=" + value);
        std::ofstream(file()) << t;
    };
    std::uint32_t count = 0;
    ASSERT_EQ(reg.ORX_ScanHardware(&count), ORX_OK);  // makes the file
    std::uint32_t entry = 0;
    ASSERT_EQ(reg.ORX_SelectHardware(&entry), ORX_OK);
    EXPECT_EQ(entry, 11u) << "empty: the default entry";
    setSelection("3");
    ASSERT_EQ(reg.ORX_SelectHardware(&entry), ORX_OK);
    EXPECT_EQ(entry, 3u);
    setSelection("Cancel");
    EXPECT_EQ(reg.ORX_SelectHardware(&entry), ORX_ERR_CANCELLED);
    setSelection("99");
    EXPECT_EQ(reg.ORX_SelectHardware(&entry), ORX_ERR_NOT_FOUND);
    setSelection("stick");
    EXPECT_EQ(reg.ORX_SelectHardware(&entry), ORX_ERR_FORMAT);
}

TEST_F(RegistryLibrary, AMalformedFileIsReportedAndNeverOverwritten)
{
    std::uint32_t count = 0;
    ASSERT_EQ(reg.ORX_ScanHardware(&count), ORX_OK);
    std::string broken = text() + "\n[Board40]\nDOWNLOAD=1\n";
    std::ofstream(file()) << broken;
    EXPECT_EQ(reg.ORX_ScanHardware(&count), ORX_ERR_FORMAT);
    EXPECT_EQ(reg.ORX_SetHwEntryVarString(11, "CHANNEL", "virtual:x"), ORX_ERR_FORMAT);
    EXPECT_EQ(text(), broken);
}

TEST_F(RegistryLibrary, ProductVersion)
{
    char version[16];
    ASSERT_EQ(reg.ORX_GetProductVersion(version, sizeof version), ORX_OK);
    EXPECT_STREQ(version, "01,01,0,0");
    EXPECT_EQ(reg.ORX_GetProductVersion(version, 4), ORX_ERR_SIZE);
    EXPECT_EQ(reg.ORX_CheckProductVersion("01,01,0,0"), ORX_OK);
    EXPECT_EQ(reg.ORX_CheckProductVersion("02,00,0,0"), ORX_ERR_VERSION);
    EXPECT_EQ(reg.ORX_CheckProductVersion(nullptr), ORX_ERR_PARAMETER);
}

}  // namespace
