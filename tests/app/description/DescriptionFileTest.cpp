#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "description/Commissioning.h"
#include "description/QVTDataType.h"
#include "description/XmlReader.h"

using namespace ovro;

namespace {

const char kFile[] = OVRO_DESCRIPTION_FILE;

void CheckDevice(const CQVTDevice& d, int model, const char* typeName)
{
    SCOPED_TRACE(typeName);
    EXPECT_EQ(d.model, model);
    EXPECT_EQ(d.typeName, typeName);
    EXPECT_GE(d.sections.size(), 8u);
    EXPECT_GE(d.CountParameters(false, false), 80);
    EXPECT_GT(d.CountParameters(true, false), 0);
    EXPECT_FALSE(d.modes.empty());
    ASSERT_FALSE(d.sections.empty());
    const CQVTSection& first = d.sections.front();
    EXPECT_EQ(first.key, "Identification");
    for (const char* key :
         {"MotorManufacturer", "DeviceName", "MotorIdentNo", "LSS_SerialNumber", "SoftwareVersion"}) {
        EXPECT_NE(first.FindParameterByName(key), nullptr) << key;
        EXPECT_NE(d.FindParameterByName("Identification", key), nullptr) << key;
    }
    // Every parameter has a known data type, an object index and a unique
    // key within its section (the key addresses it in commissioning files).
    for (const CQVTSection& s : d.sections) {
        std::set<std::string> keys;
        for (const CQVTParameter& p : s.parameters) {
            EXPECT_NE(DataTypeFixedSize(p.dataType) + (p.dataType == QvtVisibleString ? 1 : 0), 0)
                << s.key << "/" << p.key;
            EXPECT_NE(p.index, 0) << s.key << "/" << p.key;
            EXPECT_TRUE(keys.insert(p.key).second) << "duplicate " << s.key << "/" << p.key;
        }
    }
}

}  // namespace

TEST(DescriptionFile, LoadsBothModels)
{
    if (!std::filesystem::exists(kFile))
        GTEST_SKIP() << "device description " << kFile << " does not exist yet";
    CCommissioning c;
    ASSERT_TRUE(c.LoadDescription(kFile));
    CheckDevice(c.deviceH315, 1, "Ovro H315");
    CheckDevice(c.deviceK315, 2, "Ovro K315");
    EXPECT_FALSE(c.boards.empty());
    EXPECT_FALSE(c.errors.empty());
    EXPECT_EQ(c.GetErrorText(0), "Success, no error.");
}

TEST(DescriptionFile, MissingFileFails)
{
    CCommissioning c;
    EXPECT_FALSE(c.LoadDescription(std::string(kFile) + ".missing"));
}

TEST(DescriptionFile, AFolderOrAReadErrorFailsWithoutThrowing)
{
    // A folder of that name, and a file whose read fails with an I/O error
    // (reading the unmapped start of the process's own memory).
    const char* const rows[] = {"/tmp", "/proc/self/mem"};
    for (const char* path : rows) {
        SCOPED_TRACE(path);
        CCommissioning c;
        bool loaded = true;
        EXPECT_NO_THROW(loaded = c.LoadDescription(path));
        EXPECT_FALSE(loaded);
        CXmlReader reader(path);
        EXPECT_EQ(reader.Read(), CXmlReader::XmlError);
    }
}
