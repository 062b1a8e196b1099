// The three-way comparison: drive, document and the description's default.
#include <gtest/gtest.h>

#include <cstring>

#include "description/QVTDevice.h"
#include "document/ParameterCompare.h"
#include "document/ParameterValue.h"

namespace {

using ovro::CParameterCompare;
using Mark = CParameterCompare::Mark;

// A device of one section with one Unsigned32 parameter (default 3000) and
// one read-only counter.
ovro::CQVTDevice MakeDevice(const char* factory = "3000")
{
    ovro::CQVTDevice device;
    device.sections.emplace_back("MotionProfile");
    ovro::CQVTParameter velocity("ProfileVelocity");
    velocity.index = 0x6081;
    velocity.dataType = 7;
    velocity.accessible = 1;
    velocity.defaultValue = factory;
    ovro::CQVTParameter counter("Positionings");
    counter.index = 0x200E;
    counter.subIndex = 3;
    counter.dataType = 7;
    counter.accessible = 0;
    counter.defaultValue = "0";
    device.sections[0].parameters.push_back(velocity);
    device.sections[0].parameters.push_back(counter);
    return device;
}

void Set(ovro::CQVTParameter& p, const char* text)
{
    ASSERT_TRUE(ovro::CParameterValue::SetValueText(p, text)) << text;
}

struct MarkRow {
    const char* name;
    const char* drive;
    const char* document;
    const char* factory;
    Mark mark;
    bool changedFromFactory;
};

class CompareMarks : public ::testing::TestWithParam<MarkRow> {};

TEST_P(CompareMarks, FollowFromTheThreeValues)
{
    const MarkRow& row = GetParam();
    ovro::CQVTDevice drive = MakeDevice(row.factory);
    Set(drive.sections[0].parameters[0], row.drive);
    Set(drive.sections[0].parameters[1], "17");
    ovro::CQVTDevice document = MakeDevice(row.factory);
    Set(document.sections[0].parameters[0], row.document);
    Set(document.sections[0].parameters[1], "9");  // a counter: never counts

    CParameterCompare compare;
    compare.TakeDrive(drive);
    const std::vector<CParameterCompare::Row> rows = compare.Rows(document);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].mark, row.mark);
    EXPECT_EQ(rows[0].changedFromFactory, row.changedFromFactory);
    EXPECT_EQ(rows[0].drive, ovro::CParameterValue::GetValueText(drive.sections[0].parameters[0], true));
    EXPECT_EQ(rows[0].document, row.document);
    EXPECT_EQ(rows[1].mark, Mark::ReadOnly);
    EXPECT_EQ(rows[1].drive, "17");
    EXPECT_EQ(compare.InStep(document), row.mark == Mark::Same);
    const CParameterCompare::Summary s = CParameterCompare::Summarize(rows);
    EXPECT_EQ(s.compared, 1);
    EXPECT_EQ(s.notDownloaded, row.mark == Mark::NotDownloaded ? 1 : 0);
    EXPECT_EQ(s.changedInDrive, row.mark == Mark::ChangedInDrive ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CompareMarks,
    ::testing::Values(MarkRow{"AllFactory", "3000", "3000", "3000", Mark::Same, false},
                      MarkRow{"InStepAwayFromFactory", "2500", "2500", "3000", Mark::Same, true},
                      MarkRow{"NotYetDownloaded", "3000", "2500", "3000", Mark::NotDownloaded, true},
                      MarkRow{"ChangedInDrive", "2500", "3000", "3000", Mark::ChangedInDrive, false},
                      MarkRow{"DriveDriftedElsewhere", "2000", "2500", "3000", Mark::ChangedInDrive, true},
                      MarkRow{"HexSameAsDecimal", "0xBB8", "3000", "3000", Mark::Same, false},
                      MarkRow{"NoDefaultKnown", "2000", "2500", "", Mark::NotDownloaded, false}),
    [](const ::testing::TestParamInfo<MarkRow>& info) { return info.param.name; });

TEST(ParameterCompare, AParameterTheDriveDidNotGiveIsNotInStep)
{
    ovro::CQVTDevice document = MakeDevice();
    CParameterCompare compare;  // no drive values at all
    const std::vector<CParameterCompare::Row> rows = compare.Rows(document);
    EXPECT_EQ(rows[0].mark, Mark::NotRead);
    EXPECT_EQ(rows[1].mark, Mark::ReadOnly);
    EXPECT_FALSE(compare.InStep(document));
    EXPECT_STREQ(CParameterCompare::MarkText(Mark::NotRead), "not readable");
}

TEST(ParameterCompare, StringsCompareAsTextOtherTypesByteForByte)
{
    ovro::CQVTParameter name("DeviceName");
    name.dataType = 9;
    ovro::CQVTParameter::Value a{}, b{};
    std::memcpy(a.data(), "Ovro K315", 9);
    std::memcpy(b.data(), "Ovro K315", 9);
    EXPECT_TRUE(CParameterCompare::SameValue(name, a, b));
    b[8] = '6';
    EXPECT_FALSE(CParameterCompare::SameValue(name, a, b));
    ovro::CQVTParameter date("Date");
    date.dataType = 11;
    EXPECT_TRUE(CParameterCompare::SameValue(date, a, a));
    EXPECT_FALSE(CParameterCompare::SameValue(date, a, b));
}

}  // namespace
