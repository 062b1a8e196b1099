// COP_InitBoard against the emulated boards: every way it fails, each
// injected through the registry or the driver, with the undo of the steps
// done in reverse order (seen in the driver's journal), and the slot free
// again afterwards.
#include "BoardFixture.h"

#include <orxboard/kdi3.h>

#include <dlfcn.h>

#include <functional>
#include <vector>

namespace {

struct Failure {
    const char* name;
    std::function<void(BoardFixture&)> prepare;
    std::uint32_t type;
    COP_CM_RESULT result;
    std::vector<std::string> journal;  // the driver's lines during the call
};

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        out.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return out;
}

const std::vector<std::string> kOpened = {"bsp.create 0x01050F00 11", "bsp.open 0", "bsp.download 0",
                                          "firmware.boot", "bsp.configure 0", "kdi.create", "kdi.open-queues 0"};

std::vector<std::string> opened(std::vector<std::string> tail)
{
    std::vector<std::string> all = kOpened;
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
}

void PrintTo(const Failure& f, std::ostream* os)
{
    *os << f.name;
}

class InitBoardFailure : public BoardFixture, public ::testing::WithParamInterface<Failure> {
public:
    // BoardFixture's helpers, for the rows.
    using BoardFixture::deleteEntry;
    using BoardFixture::setRegistryValue;
    using BoardFixture::setVariable;
};

auto fault(const char* what)
{
    return [what](BoardFixture& f) { static_cast<InitBoardFailure&>(f).setVariable(0x01050F00u, "FAULT", what); };
}

const Failure kFailures[] = {
    {"BoardObject", fault("bsp"), 0x01050F00u, CM_ERR_KDI, {"bsp.create fault"}},
    {"MessageInterface", fault("kdi"), 0x01050F00u, CM_ERR_KDI,
     {"bsp.create 0x01050F00 11", "bsp.open 0", "bsp.download 0", "firmware.boot", "bsp.configure 0",
      "kdi.create none", "firmware.stop", "bsp.close 0", "bsp.release"}},
    {"Queues", fault("queues"), 0x01050F00u, CM_ERR_KDI,
     {"bsp.create 0x01050F00 11", "bsp.open 0", "bsp.download 0", "firmware.boot", "bsp.configure 0",
      "kdi.create", "kdi.open-queues 13", "kdi.release", "firmware.stop", "bsp.close 0", "bsp.release"}},
    {"Configuration", fault("configure"), 0x01050F00u, CM_ERR_BOARD_TYPE,
     {"bsp.create 0x01050F00 11", "bsp.open 0", "bsp.download 0", "bsp.configure 13", "bsp.close 0",
      "bsp.release"}},
    {"NoDefaultEntry", [](BoardFixture& f) { static_cast<InitBoardFailure&>(f).setRegistryValue("Default", "0"); },
     CM_BOARD_DEFAULT, CM_ERR_BOARD_TYPE, {}},
    {"DownloadVariableNoNumber", [](BoardFixture& f) { static_cast<InitBoardFailure&>(f).setVariable(0x01050F00u, "DOWNLOAD", "yes"); },
     0x01050F00u, CM_ERR_DOWNLOAD, {}},
    {"Download", fault("download"), 0x01050F00u, CM_ERR_DOWNLOAD,
     {"bsp.create 0x01050F00 11", "bsp.open 0", "bsp.download 13", "bsp.close 0", "bsp.release"}},
    {"OtherProcess", fault("in-use"), 0x01050F00u, CM_ERR_OTHER_PROCESS,
     {"bsp.create 0x01050F00 11", "bsp.open 2", "bsp.release"}},
    {"OpenFails", fault("open"), 0x01050F00u, CM_ERR_GENERAL,
     {"bsp.create 0x01050F00 11", "bsp.open 13", "bsp.release"}},
    {"OldFirmware", fault("version=0x0400"), 0x01050F00u, CM_ERR_FIRMWARE_VERSION,
     opened({"kdi.close-queues 0", "kdi.release", "firmware.stop", "bsp.close 0", "bsp.release"})},
    {"FirmwareJustBelow", fault("version=0x040F"), 0x01050F00u, CM_ERR_FIRMWARE_VERSION,
     opened({"kdi.close-queues 0", "kdi.release", "firmware.stop", "bsp.close 0", "bsp.release"})},
    {"SelectionCancelled", [](BoardFixture& f) { static_cast<InitBoardFailure&>(f).setRegistryValue("Selection", "cancel"); },
     COP_BOARD_ORVAX_APPLET, CM_ERR_SELECTION_CANCELLED, {}},
    {"NoEntryOfTheType", [](BoardFixture& f) { static_cast<InitBoardFailure&>(f).deleteEntry(0x01050F00u); },
     0x01050F00u, CM_ERR_BOARD_NOT_FOUND, {}},
    {"OlderStick", [](BoardFixture&) {}, 0x01050A00u, CM_ERR_NOT_SUPPORTED, {}},
    {"NoOrvaxBoard", [](BoardFixture&) {}, 0x12345600u, CM_ERR_NOT_SUPPORTED, {}},
};

TEST_P(InitBoardFailure, FailsAndUndoesItsStepsInReverseOrder)
{
    const Failure& f = GetParam();
    f.prepare(*this);
    clearJournal();
    std::uint16_t h = 0xBEEF;
    std::uint32_t type = f.type, entry = 0;
    EXPECT_EQ(COP_InitBoard(&h, &type, &entry), f.result);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(lines(journal()), f.journal);

    // Nothing is left behind: with the registry put right the board opens.
    if (f.result == CM_ERR_BOARD_NOT_FOUND)
        return;  // the entry itself is gone
    setVariable(kStick, "FAULT", "");
    setVariable(kStick, "DOWNLOAD", "1");
    COP_CM_RESULT r = 1;
    EXPECT_NE(open(kStick, &r), 0);
    EXPECT_EQ(r, CM_OK);
}

INSTANTIATE_TEST_SUITE_P(Rows, InitBoardFailure, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<Failure>& info) { return std::string(info.param.name); });

class InitBoard : public BoardFixture {};

TEST_F(InitBoard, ABoardWithoutFirmwareDoesNotAnswer)
{
    // DOWNLOAD=0 keeps what the board has, and a new board has nothing.
    setVariable(kStick, "DOWNLOAD", "0");
    COP_CM_RESULT r = 1;
    EXPECT_EQ(open(kStick, &r), 0);
    EXPECT_EQ(r, CM_ERR_COMMUNICATION);
    EXPECT_EQ(journalAfter(journal(), "kdi.open-queues 0"), "kdi.close-queues 0\nkdi.release\nbsp.close 0\nbsp.release\n");

    // Once loaded, the board keeps its firmware for the next open without a download.
    setVariable(kStick, "DOWNLOAD", "1");
    std::uint16_t h = open(kStick, &r);
    ASSERT_EQ(r, CM_OK);
    ASSERT_EQ(COP_ReleaseBoard(h), CM_OK);
    handleCount = 0;
    setVariable(kStick, "DOWNLOAD", "0");
    clearJournal();
    EXPECT_NE(open(kStick, &r), 0);
    EXPECT_EQ(r, CM_OK);
    EXPECT_EQ(journal().find("bsp.download"), std::string::npos);
}

TEST_F(InitBoard, TheLowestFirmwareVersionAndTheTypesOfTheRegistry)
{
    setVariable(kStick, "FAULT", "version=0x041F");
    COP_CM_RESULT r = 1;
    std::uint16_t h = open(kStick, &r);
    ASSERT_EQ(r, CM_OK);
    CopBoardInfo info{};
    ASSERT_EQ(COP_GetBoardInfo(h, &info), CM_OK);
    EXPECT_EQ(info.firmwareVersion, 0x041F);
    EXPECT_EQ(info.apiVersion, CM_API_VERSION);
    EXPECT_EQ(info.hardwareVersion, 0x0105);
    EXPECT_STREQ(info.boardName, "Stick-U1 compact");
    EXPECT_STREQ(info.serialNumber, "050F0011");
    releaseAll();

    // 0: the registry's default board (the stick); the low byte is ignored.
    std::uint32_t type = CM_BOARD_DEFAULT, entry = 0;
    ASSERT_EQ(COP_InitBoard(&h, &type, &entry), CM_OK);
    handles[handleCount++] = h;
    EXPECT_EQ(type, kStick);
    EXPECT_EQ(entry, 11u);
    releaseAll();
    type = kStick | 0x42;
    ASSERT_EQ(COP_InitBoard(&h, &type, &entry), CM_OK);
    handles[handleCount++] = h;
    EXPECT_EQ(type, kStick);
    releaseAll();

    // The applet type lets the registry's selection choose: entry 12 is the other stick.
    setRegistryValue("Selection", "12");
    type = COP_BOARD_ORVAX_APPLET;
    ASSERT_EQ(COP_InitBoard(&h, &type, &entry), CM_OK);
    handles[handleCount++] = h;
    EXPECT_EQ(type, 0x01051300u);
    EXPECT_EQ(entry, 12u);
}

TEST_F(InitBoard, FourSlotsAndEachEntryOnce)
{
    // One board per driver library: the four fill the four slots.
    const std::uint32_t types[4] = {kStick, 0x01010000u, 0x01021500u, 0x01041200u};
    std::uint16_t seen[4] = {};
    for (int i = 0; i < 4; ++i) {
        COP_CM_RESULT r = 1;
        seen[i] = open(types[i], &r);
        ASSERT_EQ(r, CM_OK) << std::hex << types[i];
        EXPECT_EQ(seen[i], i + 1);
    }
    COP_CM_RESULT r = 1;
    EXPECT_EQ(open(0x01051300u, &r), 0);
    EXPECT_EQ(r, CM_ERR_NO_SLOT);
    ASSERT_EQ(COP_ReleaseBoard(seen[1]), CM_OK);

    // The same entry again: in use, whichever way it is chosen.
    EXPECT_EQ(open(kStick, &r), 0);
    EXPECT_EQ(r, CM_ERR_IN_USE);
    EXPECT_EQ(open(CM_BOARD_DEFAULT, &r), 0);
    EXPECT_EQ(r, CM_ERR_IN_USE);
    setRegistryValue("Selection", "11");
    EXPECT_EQ(open(COP_BOARD_ORVAX_APPLET, &r), 0);
    EXPECT_EQ(r, CM_ERR_IN_USE);
    // The freed slot takes a board again.
    EXPECT_EQ(open(0x01020600u, &r), 2);
    EXPECT_EQ(r, CM_OK);
}

TEST_F(InitBoard, ADriverThatRunsAnotherBoardOfThisProcessRefusesTheOpen)
{
    // Someone in this process holds the driver's one board through the driver itself.
    auto create = reinterpret_cast<KDI3_CreateBspInstance_t>(dlsym(drivers[0], "KDI3_CreateBspInstance"));
    ASSERT_NE(create, nullptr);
    KdiBsp* other = create(kStick, 11);
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(other->Open(other), KDI_OK);
    COP_CM_RESULT r = 1;
    EXPECT_EQ(open(kStick, &r), 0);
    EXPECT_EQ(r, CM_ERR_GENERAL);
    other->Close(other);
    other->Release(other);
    EXPECT_NE(open(kStick, &r), 0);
    EXPECT_EQ(r, CM_OK);
}

TEST_F(InitBoard, NullArgumentsAndUnknownHandles)
{
    std::uint16_t h = 0;
    std::uint32_t type = kStick, entry = 0;
    EXPECT_EQ(COP_InitBoard(nullptr, &type, &entry), CM_ERR_PARAMETER);
    EXPECT_EQ(COP_InitBoard(&h, nullptr, &entry), CM_ERR_PARAMETER);
    EXPECT_EQ(COP_InitBoard(&h, &type, nullptr), CM_ERR_PARAMETER);
    for (std::uint16_t bad : {0, 1, 4, 5, 0xFFFF}) {
        EXPECT_EQ(COP_ReleaseBoard(bad), CM_ERR_GENERAL);
        EXPECT_EQ(COP_StartNode(bad, 1), CM_ERR_GENERAL);
    }
    std::uint16_t stick = openStick();
    ASSERT_EQ(COP_ReleaseBoard(stick), CM_OK);
    handleCount = 0;
    EXPECT_EQ(COP_ReleaseBoard(stick), CM_ERR_GENERAL) << "released";
    EXPECT_EQ(COP_StartNode(stick, 1), CM_ERR_GENERAL);
}

}  // namespace
