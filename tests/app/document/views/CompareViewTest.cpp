// The Compare view shows what CParameterCompare decided, row by row.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTableWidget>

#include "description/QVTDevice.h"
#include "document/ParameterValue.h"
#include "document/views/CompareView.h"

namespace {

TEST(CompareView, ShowsEachRowWithItsMarkAndColourAndTheCount)
{
    ovro::CQVTDevice device;
    device.sections.emplace_back("MotionProfile");
    device.sections[0].name = "Motion Profile";
    for (const char* key : {"ProfileVelocity", "ProfileAcceleration", "Positionings"}) {
        ovro::CQVTParameter p(key);
        p.index = 0x6081;
        p.dataType = 7;
        p.accessible = std::string(key) == "Positionings" ? 0 : 1;
        p.defaultValue = "3000";
        device.sections[0].parameters.push_back(p);
    }
    ovro::CQVTDevice drive = device;
    ovro::CParameterValue::SetValueText(drive.sections[0].parameters[0], "2500");  // changed in drive
    ovro::CParameterValue::SetValueText(drive.sections[0].parameters[1], "3000");
    ovro::CParameterValue::SetValueText(device.sections[0].parameters[0], "3000");
    ovro::CParameterValue::SetValueText(device.sections[0].parameters[1], "3000");

    ovro::CParameterCompare compare;
    compare.TakeDrive(drive);
    CCompareView view;
    view.Show(compare.Rows(device));
    QTableWidget* table = view.Table();
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("Motion Profile: ProfileVelocity"));
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("6081/00"));
    EXPECT_EQ(table->item(0, 2)->text(), QStringLiteral("2500"));
    EXPECT_EQ(table->item(0, 3)->text(), QStringLiteral("3000"));
    EXPECT_EQ(table->item(0, 5)->text(), QStringLiteral("changed in drive"));
    EXPECT_EQ(table->item(0, 2)->background().color(), QColor(255, 160, 160));
    EXPECT_EQ(table->item(1, 5)->text(), QString());
    EXPECT_EQ(table->item(2, 5)->text(), QStringLiteral("read only"));
    EXPECT_TRUE(view.Summary()->text().contains(QStringLiteral("2 parameters compared")));
    EXPECT_TRUE(view.Summary()->text().contains(QStringLiteral("1 changed in drive")));
    EXPECT_TRUE(view.Summary()->text().contains(QStringLiteral("Drive and document differ.")));
}

}  // namespace
