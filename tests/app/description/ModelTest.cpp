#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "description/Commissioning.h"
#include "description/QVTDataType.h"

using namespace ovro;

TEST(Enumerator, DisplayText)
{
    EXPECT_EQ(CQVTEnumerator(3, "Homing").GetDisplayText(true), "3 - Homing");
    EXPECT_EQ(CQVTEnumerator(-3, "").GetDisplayText(true), "-3 - ???");
    EXPECT_EQ(CQVTEnumerator(3, "Homing").GetDisplayText(false), "Homing");
}

TEST(Parameter, RawValueAndSize)
{
    CQVTParameter p("P");
    p.dataType = QvtVisibleString;
    p.SetRaw("abcd", 4);
    EXPECT_EQ(p.GetSize(), 4);
    p.SetRaw("ab", 2);
    EXPECT_EQ(p.GetSize(), 2);
    EXPECT_EQ(p.value[2], 0);  // the rest is zero after every setting
    const char sixteen[] = "0123456789ABCDEFextra";
    p.SetRaw(sixteen, sizeof sixteen);  // longer data: only 16 bytes kept
    EXPECT_EQ(p.GetSize(), 16);
    char out[20];
    std::memset(out, 'x', sizeof out);
    p.GetRaw(out, sizeof out);
    EXPECT_EQ(std::string(out, 16), "0123456789ABCDEF");
    EXPECT_EQ(out[16], 'x');  // never more than 16 bytes copied

    p.dataType = QvtInteger16;
    EXPECT_EQ(p.GetSize(), 2);
    const unsigned char minus2[] = {0xFE, 0xFF};
    p.SetRaw(minus2, 2);
    EXPECT_EQ(p.GetInteger(), -2);
    p.dataType = QvtUnsigned16;
    EXPECT_EQ(p.GetInteger(), 0xFFFE);
    p.changed = true;
    p.Clear();
    EXPECT_FALSE(p.changed);
    EXPECT_EQ(p.GetInteger(), 0);
    p.dataType = QvtDate;
    EXPECT_EQ(p.GetSize(), 7);
    p.dataType = 8;
    EXPECT_EQ(p.GetSize(), 0);
}

namespace {

CQVTDevice MakeDevice()
{
    CQVTDevice d;
    d.typeName = "Ovro K315";
    d.sections.emplace_back("Identification");
    d.sections.emplace_back("Motion");
    auto& id = d.sections[0].parameters;
    id.emplace_back("DeviceName");
    id.emplace_back("SoftwareVersion");
    id[1].index = 0x100A;
    auto& motion = d.sections[1].parameters;
    motion.emplace_back("A");
    motion.emplace_back("B");
    motion.emplace_back("SoftwareVersion");
    motion[0].index = 0x100A;  // the same object as in the first section
    motion[0].accessible = 1;
    motion[1].accessible = 3;
    motion[1].changed = true;
    motion[1].index = 0x6081;
    motion[1].subIndex = 2;
    return d;
}

}  // namespace

TEST(Device, FindAndCountParameters)
{
    CQVTDevice d = MakeDevice();
    EXPECT_EQ(d.FindParameter(0x100A, 0), &d.sections[0].parameters[1]);  // section order
    EXPECT_EQ(d.FindParameter(0x6081, 2), &d.sections[1].parameters[1]);
    EXPECT_EQ(d.FindParameter(0x6081, 3), nullptr);
    EXPECT_EQ(d.FindParameterByName("Identification", "SoftwareVersion"), &d.sections[0].parameters[1]);
    EXPECT_EQ(d.FindParameterByName("Motion", "A"), &d.sections[1].parameters[0]);
    EXPECT_EQ(d.FindParameterByName(nullptr, "DeviceName"), nullptr);
    EXPECT_EQ(d.FindParameterByName("Identification", "devicename"), nullptr);
    EXPECT_EQ(CQVTDevice().FindParameterByName("Identification", "DeviceName"), nullptr);
    EXPECT_EQ(d.CountParameters(false, false), 5);
    EXPECT_EQ(d.CountParameters(true, false), 2);
    EXPECT_EQ(d.CountParameters(true, true), 1);
    EXPECT_FALSE(d.sections[0].HasTransferable());
    EXPECT_TRUE(d.sections[1].HasTransferable());
}

TEST(Device, ResetRestoresWorkingState)
{
    CQVTDevice d = MakeDevice();
    d.name = "mine";
    d.text = "t";
    d.date = "today";
    d.nodeId = 5;
    d.nodeIdChanged = true;
    d.baudRate = 2;
    d.baudRateChanged = true;
    d.sections[1].parameters[1].value[0] = 9;
    d.motion.position.readFromDrive = false;
    d.motion.position.profileNumber = 4;
    d.motion.homing.homingMethod = 3;
    d.motion.manual.simulatedMode = 0;
    d.scopeProfile.readFromDrive = false;
    d.actual.recording = 1;
    d.actual.errorList[4].SetCode(0x8130);

    d.Reset();
    EXPECT_EQ(d.name, "Ovro K315");
    EXPECT_TRUE(d.text.empty());
    EXPECT_TRUE(d.date.empty());
    EXPECT_EQ(d.nodeId, 127);
    EXPECT_EQ(d.baudRate, 7);
    EXPECT_FALSE(d.nodeIdChanged || d.baudRateChanged);
    EXPECT_EQ(d.sections[1].parameters[1].value[0], 0);
    EXPECT_FALSE(d.sections[1].parameters[1].changed);
    EXPECT_TRUE(d.motion.position.readFromDrive);
    EXPECT_EQ(d.motion.position.profileNumber, 1);
    EXPECT_EQ(d.motion.homing.homingMethod, -1);
    EXPECT_EQ(d.motion.manual.simulatedMode, 1);
    EXPECT_TRUE(d.scopeProfile.readFromDrive);
    EXPECT_EQ(d.actual.recording, 0);
    EXPECT_EQ(d.actual.errorList[4].Code(), 0);
    EXPECT_EQ(d.GetNodeIdText(), "127");
    EXPECT_EQ(d.GetBaudRateText(), "20");
}

TEST(Commissioning, ModelNamesAndSelection)
{
    EXPECT_EQ(CCommissioning::ModelName(1), "Ovro H315");
    EXPECT_EQ(CCommissioning::ModelName(2), "Ovro K315");
    EXPECT_EQ(CCommissioning::ModelName(3), "(unknown)");
    EXPECT_EQ(CCommissioning::ModelCode("Ovro K315"), 2);
    EXPECT_EQ(CCommissioning::ModelCode("ovro k315"), 0);

    CCommissioning c;
    c.deviceK315.typeName = "Ovro K315";
    c.deviceK315.nodeId = 9;
    EXPECT_EQ(c.SelectDevice(2), &c.deviceK315);
    EXPECT_EQ(c.currentModel, 2);
    EXPECT_EQ(c.deviceK315.nodeId, 127);  // a selected device starts afresh
    EXPECT_EQ(c.deviceK315.name, "Ovro K315");
    c.deviceK315.nodeId = 12;
    EXPECT_EQ(c.SelectDevice(3), nullptr);
    EXPECT_EQ(c.currentModel, 0);
    EXPECT_EQ(c.deviceK315.nodeId, 127);  // the previous device was reset
    c.SelectDevice(1);
    c.deviceH315.nodeId = 3;
    c.ResetDevice();
    EXPECT_EQ(c.GetCurrentDevice(), nullptr);
    EXPECT_EQ(c.deviceH315.nodeId, 127);
}

TEST(Commissioning, ErrorTexts)
{
    CCommissioning c;
    c.errors.emplace_back(-9999, "first\n");
    c.errors.emplace_back(-9999, "second");
    c.errors.emplace_back(-10000, "A system error occurred!");
    c.errors.emplace_back(-5, std::string(2000, 'x'));
    EXPECT_EQ(c.GetErrorText(-9999), "first");  // first match, one LF removed
    EXPECT_EQ(c.GetErrorText(-9998), "Resistance is futile, prepare to assimilate!");
    EXPECT_EQ(c.GetErrorText(-10002), std::strerror(2));  // -10000 minus errno
    EXPECT_EQ(c.GetErrorText(-10000), "A system error occurred!");
    EXPECT_EQ(c.GetErrorText(-5).size(), 1023u);
    EXPECT_FALSE(c.GetErrorText(-2147483647 - 1).empty());
}
