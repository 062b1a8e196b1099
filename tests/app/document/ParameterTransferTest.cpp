// Reading and writing one parameter through a node object, with the COP
// calls of the node answered by a scripted drive in this program (these
// definitions take the place of the master library's).
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "canopen/CANopenNode.h"
#include "cop/cop.h"
#include "description/QVTDataType.h"
#include "description/QVTDevice.h"
#include "document/NullProgress.h"
#include "document/ParameterDownload.h"
#include "document/ParameterTransfer.h"
#include "document/ParameterValue.h"

using namespace ovro;

namespace {

struct ScriptedDrive {
    using Key = std::pair<std::uint16_t, std::uint8_t>;
    std::map<Key, std::vector<std::uint8_t>> objects;
    std::map<Key, std::uint32_t> readAborts;
    std::map<Key, std::uint32_t> writeAborts;
    bool writeStoresAnyway = false;  // an aborted write that still took effect
    std::int32_t otherError = 0;     // every call fails with this error when set
    std::int32_t lastError = 0;
    std::uint32_t lastAbort = 0;
    int writes = 0;
    std::int16_t lastWriteLength = -1;
    std::vector<std::pair<Key, std::vector<std::uint8_t>>> written;  // every write, in order
};

ScriptedDrive g_drive;

COP_BOOL Abort(std::uint32_t code)
{
    g_drive.lastError = COP_ERR_ABORTED;
    g_drive.lastAbort = code;
    return 0;
}

}  // namespace

extern "C" {

int32_t COP_GetLastError(void)
{
    return g_drive.lastError;
}

uint32_t COP_GetLastAbort(void)
{
    return g_drive.lastAbort;
}

COP_BOOL COP_ReadSDO(uint8_t, uint16_t index, uint8_t subIndex, int16_t* length, uint8_t* data, int16_t size)
{
    if (g_drive.otherError != 0) {
        g_drive.lastError = g_drive.otherError;
        return 0;
    }
    const ScriptedDrive::Key key{index, subIndex};
    if (g_drive.readAborts.count(key) != 0)
        return Abort(g_drive.readAborts[key]);
    auto it = g_drive.objects.find(key);
    if (it == g_drive.objects.end())
        return Abort(0x06020000u);
    const std::size_t n = std::min<std::size_t>(it->second.size(), static_cast<std::size_t>(size));
    std::memcpy(data, it->second.data(), n);
    *length = static_cast<int16_t>(it->second.size());  // as the board path reports it
    g_drive.lastError = 0;
    return 1;
}

COP_BOOL COP_WriteSDO(uint8_t, uint16_t index, uint8_t subIndex, int16_t length, const uint8_t* data)
{
    ++g_drive.writes;
    g_drive.lastWriteLength = length;
    g_drive.written.push_back({{index, subIndex}, std::vector<std::uint8_t>(data, data + length)});
    if (g_drive.otherError != 0) {
        g_drive.lastError = g_drive.otherError;
        return 0;
    }
    const ScriptedDrive::Key key{index, subIndex};
    if (g_drive.writeAborts.count(key) != 0) {
        if (g_drive.writeStoresAnyway)
            g_drive.objects[key].assign(data, data + length);
        return Abort(g_drive.writeAborts[key]);
    }
    g_drive.objects[key].assign(data, data + length);
    g_drive.lastError = 0;
    return 1;
}

}  // extern "C"

namespace {

class ParameterTransferTest : public testing::Test {
protected:
    void SetUp() override { g_drive = ScriptedDrive(); }

    static CQVTParameter Make(int type, std::uint16_t index, std::uint8_t sub = 0)
    {
        CQVTParameter p("P");
        p.dataType = type;
        p.index = index;
        p.subIndex = sub;
        p.accessible = 1;
        return p;
    }

    CCANopenNode m_node;
};

}  // namespace

TEST_F(ParameterTransferTest, ReadStoresTheBytesAndClearsChanged)
{
    g_drive.objects[{0x1008, 0}] = {'K', '3', '1', '5'};
    CQVTParameter p = Make(QvtVisibleString, 0x1008);
    CParameterValue::SetValueText(p, "previous value");
    p.changed = true;
    EXPECT_EQ(CParameterTransfer::Read(p, m_node), CParameterTransfer::Done);
    EXPECT_EQ(CParameterValue::GetValueText(p, false), "K315");
    EXPECT_FALSE(p.changed);

    // More than 16 bytes reported: only 16 kept.
    g_drive.objects[{0x1009, 0}] = std::vector<std::uint8_t>(20, 'x');
    CQVTParameter h = Make(QvtVisibleString, 0x1009);
    EXPECT_EQ(CParameterTransfer::Read(h, m_node), CParameterTransfer::Done);
    EXPECT_EQ(CParameterValue::GetValueText(h, false), std::string(16, 'x'));
}

TEST_F(ParameterTransferTest, ReadAbortKeepsTheValueOtherErrorsStop)
{
    CQVTParameter p = Make(QvtUnsigned16, 0x6073);
    CParameterValue::SetValueText(p, "1200");
    p.changed = true;
    EXPECT_EQ(CParameterTransfer::Read(p, m_node), CParameterTransfer::Refused);
    EXPECT_EQ(CParameterValue::GetValueText(p, false), "1200");
    EXPECT_TRUE(p.changed);
    EXPECT_EQ(m_node.LastAbort(), 0x06020000u);

    g_drive.otherError = -9999;
    EXPECT_EQ(CParameterTransfer::Read(p, m_node), CParameterTransfer::Failed);
    EXPECT_EQ(m_node.LastError(), -9999);
}

TEST_F(ParameterTransferTest, WriteUsesTheSdoSize)
{
    CQVTParameter p = Make(QvtInteger16, 0x607C);
    ASSERT_TRUE(CParameterValue::SetValueText(p, "-2"));
    p.changed = true;
    EXPECT_EQ(CParameterTransfer::Write(p, m_node), CParameterTransfer::Done);
    EXPECT_FALSE(p.changed);
    EXPECT_EQ(g_drive.lastWriteLength, 2);
    EXPECT_EQ(g_drive.objects[std::make_pair(std::uint16_t{0x607C}, std::uint8_t{0})],
              (std::vector<std::uint8_t>{0xFE, 0xFF}));

    CQVTParameter s = Make(QvtVisibleString, 0x2001, 3);
    ASSERT_TRUE(CParameterValue::SetValueText(s, "abc"));
    EXPECT_EQ(CParameterTransfer::Write(s, m_node), CParameterTransfer::Done);
    EXPECT_EQ(g_drive.lastWriteLength, 3);
}

TEST_F(ParameterTransferTest, AbortedWriteIsConfirmedByReadingBack)
{
    CQVTParameter p = Make(QvtUnsigned32, 0x6081);
    ASSERT_TRUE(CParameterValue::SetValueText(p, "1000"));
    g_drive.writeAborts[{0x6081, 0}] = 0x08000022u;

    // The drive refused and holds another value: still changed, an error.
    g_drive.objects[{0x6081, 0}] = {0xE7, 0x03, 0, 0};  // 999
    p.changed = true;
    std::uint32_t abort = 0;
    EXPECT_EQ(CParameterTransfer::Write(p, m_node, &abort), CParameterTransfer::Refused);
    EXPECT_EQ(abort, 0x08000022u);  // the write's own abort code
    EXPECT_TRUE(p.changed);
    EXPECT_EQ(CParameterValue::GetValueText(p, false), "1000");

    // The read-back fails too.
    g_drive.readAborts[{0x6081, 0}] = 0x06010001u;
    EXPECT_EQ(CParameterTransfer::Write(p, m_node), CParameterTransfer::Refused);
    EXPECT_TRUE(p.changed);
    g_drive.readAborts.clear();

    // The value arrived although the drive aborted: confirmed.
    g_drive.writeStoresAnyway = true;
    EXPECT_EQ(CParameterTransfer::Write(p, m_node, &abort), CParameterTransfer::Confirmed);
    EXPECT_EQ(abort, 0x08000022u);
    EXPECT_FALSE(p.changed);
}

TEST_F(ParameterTransferTest, OtherWriteErrorsStopWithoutReadingBack)
{
    CQVTParameter p = Make(QvtUnsigned8, 0x6060);
    p.changed = true;
    g_drive.otherError = -3;
    std::uint32_t abort = 7;
    EXPECT_EQ(CParameterTransfer::Write(p, m_node, &abort), CParameterTransfer::Failed);
    EXPECT_EQ(abort, 0u);
    EXPECT_EQ(m_node.LastError(), -3);
    EXPECT_TRUE(p.changed);
    EXPECT_EQ(g_drive.writes, 1);
}

TEST_F(ParameterTransferTest, ADownloadSwitchesTheModeOnceForEachRunOfEqualModes)
{
    // accessible (the mode a write needs) and changed flag of each parameter,
    // in description order over two sections.
    const struct {
        std::uint16_t index;
        std::uint8_t accessible;
        bool changed;
    } rows[] = {
        {0x2101, 1, true},     // mode 1: switch
        {0x2102, 1, true},     //   same mode: no switch
        {0x2103, 0, true},     //   never transferred: no switch, no write
        {0x2104, 3, false},    //   unchanged: not written, no switch
        {0x2105, 1, true},     //   still mode 1
        {0x2106, 3, true},     // mode 3: switch
        {0x2107, 3, true},     //   same
        {0x2108, 0x80, true},  // the configuration mode (-128): switch
        {0x2109, 1, true},     // back to 1: switch
    };
    CQVTDevice device;
    device.sections.emplace_back("A");
    device.sections.emplace_back("B");
    for (std::size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        CQVTParameter p = Make(QvtUnsigned16, rows[i].index);
        p.accessible = rows[i].accessible;
        p.changed = rows[i].changed;
        ASSERT_TRUE(CParameterValue::SetValueText(p, std::to_string(i + 1)));
        device.sections[i < 4 ? 0 : 1].parameters.push_back(p);
    }
    CNullProgress progress;
    const CParameterDownload::Outcome outcome = CParameterDownload::Run(device, m_node, progress);
    EXPECT_EQ(outcome.attempted, 7);
    EXPECT_FALSE(outcome.failed);
    EXPECT_FALSE(outcome.stopped);

    std::vector<std::pair<std::uint16_t, int>> sequence;  // object, and the mode for 0x6060
    for (const auto& [key, data] : g_drive.written)
        sequence.push_back({key.first, key.first == 0x6060 ? data.at(0) : -1});
    const std::vector<std::pair<std::uint16_t, int>> expected = {
        {0x6060, 1}, {0x2101, -1}, {0x2102, -1}, {0x2105, -1}, {0x6060, 3}, {0x2106, -1},
        {0x2107, -1}, {0x6060, 0x80}, {0x2108, -1}, {0x6060, 1}, {0x2109, -1},
    };
    EXPECT_EQ(sequence, expected);
}
