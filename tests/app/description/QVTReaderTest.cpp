#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "description/Commissioning.h"
#include "description/QVTReader.h"
#include "description/XmlReader.h"

using namespace ovro;

namespace {

struct Model {
    CQVTDevice h315;
    CQVTDevice k315;
    std::deque<CQVTBoard> boards;
    std::deque<CQVTEnumerator> errors;

    bool Load(const std::string& text)
    {
        CXmlReader xml = CXmlReader::FromText(text);
        CQVTReader reader(h315, k315, boards, errors);
        return reader.Read(xml);
    }
};

const char kSmall[] = R"(<?xml version="1.0" encoding="ISO-8859-1"?>
<!-- description -->
<Commissioning Version="1.2">
  <Device Type="Ovro K315">
    <Name>K315 drive</Name>
    <ToolTip>tip</ToolTip>
    <Modes>
      <Enumerator Value="1">Profile Position Mode</Enumerator>
      <Enumerator Value="-3">Simulated Manual</Enumerator>
    </Modes>
    <Homing><Enumerator Value="0x11">Method 17</Enumerator></Homing>
    <Emergency><Enumerator Value="0x8130">Heartbeat</Enumerator></Emergency>
    <Section Name="Identification">
      <Name>Identity</Name>
      <Parameter Name="DeviceName">
        <Name>Device name</Name>
        <Index>0x1008</Index><Subindex>0</Subindex>
        <Datatype>Visible String</Datatype><Accessible>0</Accessible>
      </Parameter>
      <Parameter Name="Mode">
        <Index>24672</Index><Subindex>0</Subindex>
        <Datatype>0x2</Datatype><Accessible>1</Accessible>
        <Unit>u</Unit><MinValue>-3</MinValue><MaxValue>6</MaxValue><DefaultValue>1</DefaultValue>
        <Enumeration>
          <Enumerator Value="1">PP</Enumerator>
          <Enumerator Value="1">duplicate</Enumerator>
          <Enumerator>changed &amp; kept</Enumerator>
        </Enumeration>
      </Parameter>
    </Section>
  </Device>
  <Device Type="Ovro X999">
    <Name>ignored</Name>
    <Modes><Enumerator Value="7">ignored</Enumerator></Modes>
    <Section Name="Ghost"><Parameter Name="G"><Index>1</Index></Parameter></Section>
  </Device>
  <Device Type="Ovro H315">
    <Section Name="Only"><Name></Name><Parameter Name="P"><Datatype>Unsigned32</Datatype></Parameter></Section>
  </Device>
  <Device Type="Ovro K315">
    <Section Name="Second"/>
  </Device>
  <Interface>
    <Board PnP="no">before any vendor</Board>
    <Board Vendor="200" Type="0x00010000" PnP="YES" Lines="1">PEAK PCAN-USB</Board>
    <Board Vendor="100" Type="16842752" PnP="No" Lines="2">Orvax Card</Board>
  </Interface>
  <Error>
    <Enumerator Value="0">Success, no error.</Enumerator>
    <Enumerator Value="-9999">first</Enumerator>
    <Enumerator Value="-9999">second</Enumerator>
  </Error>
</Commissioning>
<!-- end -->
)";

}  // namespace

TEST(QVTReader, LoadsDevicesSectionsParametersAndLists)
{
    Model m;
    ASSERT_TRUE(m.Load(kSmall));

    EXPECT_EQ(m.k315.model, 2);
    EXPECT_EQ(m.k315.typeName, "Ovro K315");
    EXPECT_EQ(m.k315.name, "K315 drive");
    EXPECT_EQ(m.k315.toolTip, "tip");
    ASSERT_EQ(m.k315.modes.size(), 2u);
    EXPECT_EQ(m.k315.modes[1].value, -3);
    EXPECT_EQ(m.k315.GetModeText(-3), "Simulated Manual");
    EXPECT_EQ(m.k315.GetModeText(5), "Unknown mode of operation");
    EXPECT_EQ(m.k315.homingMethods.at(0).value, 17);
    EXPECT_EQ(m.k315.GetEmergencyText(0xFFFF8130u), "Heartbeat");  // low 16 bits
    EXPECT_EQ(m.k315.GetEmergencyText(0x8131u), "Unknown emergency code.");

    // A second Device of the same type appends to the same device.
    ASSERT_EQ(m.k315.sections.size(), 2u);
    const CQVTSection& id = m.k315.sections[0];
    EXPECT_EQ(id.key, "Identification");
    EXPECT_EQ(id.name, "Identity");
    EXPECT_EQ(m.k315.sections[1].key, "Second");
    ASSERT_EQ(id.parameters.size(), 2u);
    const CQVTParameter& name = id.parameters[0];
    EXPECT_EQ(name.key, "DeviceName");
    EXPECT_EQ(name.name, "Device name");
    EXPECT_EQ(name.index, 0x1008);
    EXPECT_EQ(name.dataType, 9);
    EXPECT_FALSE(name.IsTransferable());
    const CQVTParameter& mode = id.parameters[1];
    EXPECT_EQ(mode.name, "Mode");  // no Name element: the key
    EXPECT_EQ(mode.index, 0x6060);
    EXPECT_EQ(mode.dataType, 2);
    EXPECT_EQ(mode.accessible, 1);
    EXPECT_EQ(mode.unit, "u");
    EXPECT_EQ(mode.minValue, "-3");
    EXPECT_EQ(mode.maxValue, "6");
    EXPECT_EQ(mode.defaultValue, "1");
    // Duplicates are kept; an Enumerator without Value renames the previous one.
    ASSERT_EQ(mode.enumerators.size(), 2u);
    EXPECT_EQ(mode.enumerators[0].text, "PP");
    EXPECT_EQ(mode.enumerators[1].text, "changed &amp; kept");
    EXPECT_EQ(mode.FindEnumerator(1), &mode.enumerators[0]);

    // The unknown device type loads nothing, and nothing leaks into others.
    EXPECT_EQ(m.k315.modes.size(), 2u);
    EXPECT_EQ(m.k315.CountParameters(false, false), 2);
    ASSERT_EQ(m.h315.sections.size(), 1u);
    EXPECT_EQ(m.h315.sections[0].name, "Only");  // empty Name keeps the key
    EXPECT_EQ(m.h315.sections[0].parameters.at(0).dataType, 7);
    EXPECT_EQ(m.h315.typeName, "Ovro H315");
    EXPECT_EQ(m.h315.model, 1);

    ASSERT_EQ(m.boards.size(), 2u);
    EXPECT_EQ(m.boards[0].vendor, 200);
    EXPECT_EQ(m.boards[0].type, 0x00010000u);
    EXPECT_TRUE(m.boards[0].plugAndPlay);
    EXPECT_FALSE(m.boards[0].multiLine);
    EXPECT_EQ(m.boards[0].name, "PEAK PCAN-USB");
    EXPECT_EQ(m.boards[1].type, 0x01010000u);
    EXPECT_FALSE(m.boards[1].plugAndPlay);
    EXPECT_TRUE(m.boards[1].multiLine);
    EXPECT_EQ(m.errors.size(), 3u);
}

TEST(QVTReader, RootAndVersionChecks)
{
    Model m;
    EXPECT_TRUE(m.Load("<commissioning Version='1.2'/>"));  // other letter case
    EXPECT_TRUE(m.Load("<COMMISSIONING/>"));               // no Version
    EXPECT_FALSE(m.Load("<Commissioning Version='1.2.1'/>"));
    EXPECT_FALSE(m.Load("<Commissioning Version='1.3'/>"));
    EXPECT_FALSE(m.Load("<Description Version='1.2'/>"));
    EXPECT_TRUE(m.Load(""));                                // nothing to load
    EXPECT_TRUE(m.Load("<?xml version='1.0'?><!-- only -->"));
    EXPECT_FALSE(m.Load("<Commissioning><Device></Commissioning>"));
}

TEST(QVTReader, TruncatedFileIsRefused)
{
    Model m;
    EXPECT_FALSE(m.Load("<Commissioning><Device Type='Ovro K315'><Section Name='S'/><!-- cut -->"));
    EXPECT_FALSE(m.Load("<Commissioning><Device Type='Ovro K315'>text"));
}

TEST(QVTReader, NumbersAndDataTypes)
{
    auto parameter = [](const std::string& inner) {
        Model m;
        EXPECT_TRUE(m.Load("<Commissioning><Device Type='Ovro H315'><Section Name='S'>"
                           "<Parameter Name='P'>" + inner +
                           "</Parameter></Section></Device></Commissioning>"));
        return m.h315.sections.at(0).parameters.at(0);
    };
    EXPECT_EQ(parameter("<Index>0x607a</Index>").index, 0x607A);
    EXPECT_EQ(parameter("<Index>24698</Index>").index, 0x607A);
    EXPECT_EQ(parameter("<Index>0X607A</Index>").index, 0);
    EXPECT_EQ(parameter("<Index>0x1607A</Index>").index, 0x607A);  // kept as 16 bits
    EXPECT_EQ(parameter("<Subindex>0x0a</Subindex>").subIndex, 10);
    EXPECT_EQ(parameter("<Datatype>7</Datatype>").dataType, 7);
    EXPECT_EQ(parameter("<Datatype>0x7</Datatype>").dataType, 7);
    EXPECT_EQ(parameter("<Datatype>Unsigned32</Datatype>").dataType, 7);
    EXPECT_EQ(parameter("<Datatype>0</Datatype>").dataType, 0);
    EXPECT_EQ(parameter("<Datatype>unsigned32</Datatype>").dataType, 0);
    EXPECT_EQ(parameter("<Datatype>Time Of Day</Datatype>").dataType, 12);
    EXPECT_EQ(parameter("<Accessible>-3</Accessible>").accessible, 253);
    EXPECT_EQ(parameter("<Accessible>x</Accessible>").accessible, 0);

    EXPECT_EQ(CQVTReader::SignedNumber("010"), 8);  // C-style octal
    EXPECT_EQ(CQVTReader::SignedNumber("0X1A"), 26);
    EXPECT_EQ(CQVTReader::UnsignedNumber("010"), 10);
    EXPECT_EQ(CQVTReader::UnsignedNumber("12abc"), 12);
    EXPECT_EQ(CQVTReader::UnsignedNumber(""), 0u);
}

TEST(QVTReader, PathsMatchWithoutCaseButNamesExactly)
{
    Model m;
    ASSERT_TRUE(m.Load("<Commissioning><device Type='Ovro K315'/>"
                       "<Device Type='Ovro H315'><Section Name='S'/></Device></Commissioning>"));
    EXPECT_EQ(m.k315.model, 0);  // "device" is not the element "Device"
    EXPECT_EQ(m.h315.sections.size(), 1u);
}
