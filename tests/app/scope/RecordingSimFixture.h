// RecordingSimFixture.h - the fixture of the recording tests against the
// simulated drive: a connected K315 at node 5 whose oscilloscope window is open, driven by 55 ms ticks.
#pragma once

#include "DocTestSupport.h"

#include "canopen/CANopenDrive.h"
#include "description/QVTDevice.h"
#include "scope/OscilloscopeData.h"
#include "scope/Recording.h"
#include "PointPlot.h"

#include <functional>
#include <memory>
#include <thread>

namespace scopetest {


class RecordingSim : public doctest::SimBusTest {
protected:
    COscilloscopeData data;
    PointPlot plot;
    std::unique_ptr<CRecording> recording;
    std::vector<std::chrono::milliseconds> waits;

    // A K315 at node 5 and 1000 kBit/s (or another rate), connected and
    // uploaded, and its oscilloscope window opened.
    ovro::CQVTDoc& Connected(int kbit = 1000, std::uint8_t baud = COP_BAUD_1000)
    {
        using ovro::ConnectDeviceChoice;
        doctest::DriveOptions options;
        options.kbit = kbit;
        AddDrive(options);
        ovro::CQVTDoc& doc = MakeDocument();
        chooser_.Push(ConnectDeviceChoice::Connect, 5, baud);
        EXPECT_TRUE(doc.OnNewDocument());
        recording = std::make_unique<CRecording>(data.settings, data.collector, master_, ui_);
        recording->SetDocument(&doc);
        recording->SetPlot(&plot);
        recording->SetSleep([this](std::chrono::milliseconds ms) { waits.push_back(ms); });
        recording->Open();
        return doc;
    }

    doctest::SimProcess& Drive() { return *drives_.front(); }

    // Timer ticks every 55 ms.
    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i) {
            const auto next = std::chrono::steady_clock::now() + CRecording::kTickPeriod;
            recording->OnTimer();
            std::this_thread::sleep_until(next);
        }
    }

    // Ticks until the condition holds or the limit passes.
    bool TicksUntil(const std::function<bool()>& done, int limit = 100)
    {
        for (int i = 0; i < limit && !done(); ++i)
            Ticks(1);
        return done();
    }

    // A profile-position move to an absolute target, by SDO.
    void MoveTo(ovro::CQVTDoc& doc, std::int32_t target)
    {
        CCANopenNode& node = *doc.Node();
        ASSERT_TRUE(SwitchModeOfOperation(node, ModeOfOperation::ProfilePosition, ui_));
        ASSERT_TRUE(EnableOperation(node, ui_));
        ASSERT_TRUE(node.WriteU32(0x607A, 0, static_cast<std::uint32_t>(target)));
        ASSERT_TRUE(node.WriteU16(CANopen::Object::Controlword, 0, Controlword::EnableOperation));
        ASSERT_TRUE(StartDrive(node, Controlword::StartMotion, ui_));
    }

    std::uint32_t DriveU32(ovro::CQVTDoc& doc, std::uint16_t index, std::uint8_t sub)
    {
        std::uint32_t value = 0;
        EXPECT_TRUE(doc.Node()->ReadU32(index, sub, value)) << std::hex << index;
        return value;
    }

    std::vector<std::string> Messages() const
    {
        std::vector<std::string> texts;
        for (const auto& m : ui_.messages)
            texts.push_back(m.text);
        return texts;
    }
};

}  // namespace scopetest
