// The fixture of the document's command tests (DocCommandsTest.cpp,
// DocMemoryTest.cpp): a K315 on a private virtual bus and its parameters.
#ifndef OVRO_TESTS_DOCUMENT_DOCCOMMANDSTEST_H
#define OVRO_TESTS_DOCUMENT_DOCCOMMANDSTEST_H

#include "DocTestSupport.h"

#include "description/QVTDevice.h"
#include "document/ParameterValue.h"

namespace doctest {

using ovro::ConnectDeviceChoice;
using ovro::CQVTParameter;

inline constexpr std::uint16_t kHeartbeat = 0x1017;  // "ProducerHeartbeatTime", Unsigned16, transferable
inline constexpr std::uint16_t kGuardTime = 0x100C;  // "GuardTime", Unsigned16, transferable

class DocCommandsTest : public SimBusTest {
protected:
    // A K315 at node 5, 20 kBit/s, connected and uploaded.
    ovro::CQVTDoc& Connected(const std::string& model = "K315")
    {
        DriveOptions options;
        options.model = model;
        AddDrive(options);
        ovro::CQVTDoc& doc = MakeDocument();
        chooser_.Push(ConnectDeviceChoice::Connect, 5, 7);
        EXPECT_TRUE(doc.OnNewDocument());
        return doc;
    }

    CQVTParameter& Param(ovro::CQVTDoc& doc, std::uint16_t index)
    {
        CQVTParameter* p = doc.Device()->FindParameter(index, 0);
        EXPECT_NE(p, nullptr);
        return *p;
    }

    void Edit(ovro::CQVTDoc& doc, std::uint16_t index, const std::string& text)
    {
        CQVTParameter& p = Param(doc, index);
        ASSERT_TRUE(ovro::CParameterValue::SetValueText(p, text));
        p.changed = true;
    }

    std::uint16_t DriveU16(ovro::CQVTDoc& doc, std::uint16_t index)
    {
        std::uint16_t value = 0xFFFF;
        EXPECT_TRUE(doc.Node()->ReadU16(index, 0, value));
        return value;
    }

    // "MaxMotorSpeed", 0x6410/02: an application parameter (factory 3000).
    CQVTParameter& SpeedParam(ovro::CQVTDoc& doc) { return *doc.Device()->FindParameter(0x6410, 2); }
    void EditSpeed(ovro::CQVTDoc& doc, const std::string& text)
    {
        ASSERT_TRUE(ovro::CParameterValue::SetValueText(SpeedParam(doc), text));
        SpeedParam(doc).changed = true;
    }
    std::string Speed(ovro::CQVTDoc& doc) { return ovro::CParameterValue::GetValueText(SpeedParam(doc), false); }
};

}  // namespace doctest

#endif
