// Tests of the engine of the software master (SDO client, LMT, PDO and EMCY
// queues) at frame level, against the scripted PCAN-Light library: every
// frame the engine writes is seen, and each answer is scripted.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <deque>
#include <optional>
#include <vector>

#include "fake_pcan.h"
#include "softmaster.h"

namespace {

constexpr uint8_t kNode = 5;

struct Answer {
    std::optional<TPCANMsg> frame; // nullopt: no answer
};

// Answers each request written on `requestId` with the next scripted frame.
struct Script {
    uint32_t requestId = 0x600 + kNode;
    std::deque<Answer> answers;
};

void respond(const TPCANMsg* written, void* context)
{
    auto* script = static_cast<Script*>(context);
    if (written->ID != script->requestId || script->answers.empty())
        return;
    if (written->DATA[0] == 0x80 && written->ID != 0x7E5)
        return; // a client abort gets no answer
    Answer a = script->answers.front();
    script->answers.pop_front();
    if (a.frame)
        fake_pcan_push(&*a.frame);
}

TPCANMsg frame(uint32_t id, std::vector<uint8_t> bytes, int len = -1)
{
    TPCANMsg m{};
    m.ID = id;
    m.MSGTYPE = PCAN_MSGTYPE_STANDARD;
    m.LEN = uint8_t(len < 0 ? bytes.size() : size_t(len));
    std::memcpy(m.DATA, bytes.data(), std::min<size_t>(bytes.size(), 8));
    return m;
}

Answer sdo(std::vector<uint8_t> bytes, int len = 8)
{
    bytes.resize(8);
    return {frame(0x580 + kNode, bytes, len)};
}

Answer abortAnswer(uint32_t code)
{
    return sdo({0x80, 0x00, 0x20, 0x01, uint8_t(code), uint8_t(code >> 8), uint8_t(code >> 16),
                uint8_t(code >> 24)});
}

std::vector<TPCANMsg> written()
{
    std::vector<TPCANMsg> out(4096);
    out.resize(std::min<size_t>(fake_pcan_written(out.data(), out.size()), out.size()));
    return out;
}

uint32_t u32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

class Engine : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_pcan_reset();
        CopHwParam hw{0x378, 7};
        ASSERT_TRUE(COP_Initialize(COP_BOARD_PCAN_ISA, &hw, COP_BAUD_500));
        ASSERT_TRUE(COP_AddNode(kNode));
        COP_SetSDOTimeout(30);
        fake_pcan_set_responder(respond, &script);
        fake_pcan_clear_written();
    }
    void TearDown() override
    {
        fake_pcan_set_responder(nullptr, nullptr);
        COP_Terminate();
    }
    // Leaves a known non-zero last abort behind.
    void presetAbort()
    {
        script.answers.push_back(abortAnswer(0x12345678));
        int16_t len = 0;
        uint8_t buf[8];
        ASSERT_FALSE(COP_ReadSDO(kNode, 0x2001, 1, &len, buf, 8));
        ASSERT_EQ(COP_GetLastAbort(), 0x12345678u);
        fake_pcan_clear_written();
    }
    Script script;
};

TEST_F(Engine, EveryServerAbortIsError4WithTheCodeAsSent)
{
    for (uint32_t code : {0u, 1u, 0x80000000u, 0xFFFFFFFFu, 0x06020000u}) {
        SCOPED_TRACE(code);
        int16_t len = 99;
        uint8_t buf[8];
        script.answers.push_back(abortAnswer(code));
        EXPECT_FALSE(COP_ReadSDO(kNode, 0x2001, 1, &len, buf, 8));
        EXPECT_EQ(COP_GetLastError(), COP_ERR_ABORTED);
        EXPECT_EQ(COP_GetLastAbort(), code);
        EXPECT_EQ(len, 0);

        const uint8_t data[6] = {1, 2, 3, 4, 5, 6};
        script.answers.push_back(abortAnswer(code));
        EXPECT_FALSE(COP_WriteSDO(kNode, 0x2001, 1, 2, data));
        EXPECT_EQ(COP_GetLastError(), COP_ERR_ABORTED);
        EXPECT_EQ(COP_GetLastAbort(), code);

        // Abort in answer to the first segment of a download.
        script.answers.push_back(sdo({0x60, 0x01, 0x20, 0x01}));
        script.answers.push_back(abortAnswer(code));
        EXPECT_FALSE(COP_WriteSDO(kNode, 0x2001, 1, 6, data));
        EXPECT_EQ(COP_GetLastError(), COP_ERR_ABORTED);
        EXPECT_EQ(COP_GetLastAbort(), code);

    }
    for (const TPCANMsg& m : written())
        EXPECT_NE(m.DATA[0], 0x80) << "a server abort is never answered";
}

TEST_F(Engine, NoAnswerTimesOutWithTheClientAbort)
{
    presetAbort();
    int16_t len = 0;
    uint8_t buf[8];
    EXPECT_FALSE(COP_ReadSDO(kNode, 0x6041, 2, &len, buf, 8));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_TIMEOUT);
    EXPECT_EQ(COP_GetLastAbort(), 0u);
    auto w = written();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(uint32_t(w[1].ID), 0x600u + kNode);
    EXPECT_EQ(w[1].LEN, 8);
    const uint8_t expect[8] = {0x80, 0x41, 0x60, 0x02, 0x00, 0x00, 0x04, 0x05};
    EXPECT_EQ(std::memcmp(w[1].DATA, expect, 8), 0);
}

TEST_F(Engine, WrongAnswersEndWithTheirClientAbort)
{
    struct Case {
        std::vector<Answer> answers;
        int32_t error;
        uint32_t clientAbort;
    };
    const std::vector<Case> cases = {
        {{sdo({0x43, 0, 0x20, 1, 1, 2, 3, 4}, 7)}, COP_ERR_LENGTH, 0x08000000},
        {{sdo({0x43}, 0)}, COP_ERR_LENGTH, 0x08000000},
        {{sdo({0x60, 0, 0x20, 1})}, COP_ERR_FORMAT, 0x05040001},
        {{sdo({0x41, 0, 0x20, 1, 20}), sdo({0x10, 1, 2, 3, 4, 5, 6, 7})}, COP_ERR_FORMAT, 0x05030000},
        {{sdo({0x41, 0, 0x20, 1, 20}), sdo({0x00, 1, 2, 3, 4, 5, 6, 7}), sdo({0x00, 1, 2, 3, 4, 5, 6, 7})},
         COP_ERR_FORMAT,
         0x05030000},
        {{sdo({0x41, 0, 0x20, 1, 20}), sdo({0x20, 1, 2, 3, 4, 5, 6, 7})}, COP_ERR_FORMAT, 0x05040001},
        {{sdo({0x41, 0, 0x20, 1, 20}), sdo({0x00, 1, 2, 3, 4, 5, 6, 7}, 9)}, COP_ERR_TIMEOUT, 0x05040000},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        presetAbort();
        script.answers.assign(cases[i].answers.begin(), cases[i].answers.end());
        int16_t len = 99;
        uint8_t buf[32];
        EXPECT_FALSE(COP_ReadSDO(kNode, 0x2001, 1, &len, buf, 32));
        EXPECT_EQ(COP_GetLastError(), cases[i].error);
        EXPECT_EQ(COP_GetLastAbort(), 0u);
        EXPECT_EQ(len, 0);
        auto w = written();
        ASSERT_FALSE(w.empty());
        EXPECT_EQ(w.back().DATA[0], 0x80);
        EXPECT_EQ(u32(w.back().DATA + 4), cases[i].clientAbort);
    }
}

TEST_F(Engine, UploadFitsTheBufferAndRunsToTheEnd)
{
    // 10 bytes into 4: the first 4, and both segments are fetched.
    script.answers = {sdo({0x41, 0x08, 0x10, 0, 10}), sdo({0x00, 1, 2, 3, 4, 5, 6, 7}),
                      sdo({0x19, 8, 9, 10})};
    int16_t len = 0;
    uint8_t buf[12];
    std::memset(buf, 0xEE, sizeof buf);
    ASSERT_TRUE(COP_ReadSDO(kNode, 0x1008, 0, &len, buf, 4));
    EXPECT_EQ(len, 4);
    EXPECT_EQ(buf[3], 4);
    EXPECT_EQ(buf[4], 0xEE) << "nothing beyond the buffer";
    auto w = written();
    ASSERT_EQ(w.size(), 3u);
    EXPECT_EQ(w[1].DATA[0], 0x60);
    EXPECT_EQ(w[2].DATA[0], 0x70);

    // 3 bytes segmented into 10: terminated.
    script.answers = {sdo({0x41, 0x08, 0x10, 0, 3}), sdo({0x09, 'a', 'b', 'c'})};
    std::memset(buf, 0xEE, sizeof buf);
    ASSERT_TRUE(COP_ReadSDO(kNode, 0x1008, 0, &len, buf, 10));
    EXPECT_EQ(len, 3);
    EXPECT_STREQ(reinterpret_cast<char*>(buf), "abc");

    script.answers = {sdo({0x4F, 0, 0x20, 1, 0xAB, 0xCD})};
    ASSERT_TRUE(COP_ReadSDO(kNode, 0x2000, 1, &len, buf, 8));
    EXPECT_EQ(len, 1);
    EXPECT_EQ(buf[0], 0xAB);
    script.answers = {sdo({0x42, 0, 0x20, 1, 1, 2, 3, 4})};
    ASSERT_TRUE(COP_ReadSDO(kNode, 0x2000, 1, &len, buf, 8));
    EXPECT_EQ(len, 4);
    script.answers = {sdo({0x43, 0, 0x20, 1, 1, 2, 3, 4})};
    ASSERT_TRUE(COP_ReadSDO(kNode, 0x2000, 1, &len, buf, 2));
    EXPECT_EQ(len, 2);
    script.answers = {sdo({0x43, 0, 0x20, 1, 1, 2, 3, 4})};
    ASSERT_TRUE(COP_ReadSDO(kNode, 0x2000, 1, &len, buf, -5)) << "a negative size copies nothing";
    EXPECT_EQ(len, 0);
    EXPECT_EQ(COP_GetLastError(), 0);
}

// Valid upload segments of 7 bytes each, toggling, none of them the last.
std::deque<Answer> endlessSegments(size_t count)
{
    std::deque<Answer> answers{sdo({0x41, 0x00, 0x30, 0x00, 0, 0, 0, 0})};  // size not given
    for (size_t i = 0; i < count; ++i)
        answers.push_back(sdo({uint8_t(i % 2 ? 0x10 : 0x00), 1, 2, 3, 4, 5, 6, 7}));
    return answers;
}

TEST_F(Engine, UploadThatNeverEndsIsAbortedBeyondBufferAndLargestObject)
{
    // An 8-byte buffer: the upload may run on to the largest object the
    // program reads (1024 bytes, 146 segments), not further.
    script.answers = endlessSegments(400);
    int16_t len = 99;
    uint8_t buf[8];
    EXPECT_FALSE(COP_ReadSDO(kNode, 0x3000, 0, &len, buf, sizeof buf));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_LENGTH);
    EXPECT_EQ(COP_GetLastAbort(), 0u);
    EXPECT_EQ(len, 0);
    auto w = written();
    ASSERT_EQ(w.size(), 1u + 147u + 1u) << "initiate, 147 segment requests, the abort";
    EXPECT_EQ(w.back().DATA[0], 0x80);
    EXPECT_EQ(u32(w.back().DATA + 4), 0x05040005u);

    // A larger buffer moves the bound to its own size.
    fake_pcan_clear_written();
    script.answers = endlessSegments(400);
    std::vector<uint8_t> big(2000);
    EXPECT_FALSE(COP_ReadSDO(kNode, 0x3000, 0, &len, big.data(), int16_t(big.size())));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_LENGTH);
    EXPECT_EQ(written().size(), 1u + 286u + 1u);
    EXPECT_EQ(big[1999], 5) << "kept up to the buffer's end";

    // An object of exactly the largest size still reads, cut to the buffer.
    script.answers = endlessSegments(146);
    script.answers.push_back(sdo({0x0B, 1, 2}));  // the last, 2 bytes: 1024 in all
    EXPECT_TRUE(COP_ReadSDO(kNode, 0x3000, 0, &len, buf, sizeof buf));
    EXPECT_EQ(len, 8);
}

TEST_F(Engine, DownloadsSendTheirFrames)
{
    const uint8_t data[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    script.answers = {sdo({0x60})};
    ASSERT_TRUE(COP_WriteSDO(kNode, 0x6040, 0, 4, data));
    script.answers = {sdo({0x60}), sdo({0x20})};
    ASSERT_TRUE(COP_WriteSDO(kNode, 0x6040, 0, 5, data));
    script.answers = {sdo({0x60}), sdo({0x20}), sdo({0x30})};
    ASSERT_TRUE(COP_WriteSDO(kNode, 0x6040, 0, 14, data));
    auto w = written();
    ASSERT_EQ(w.size(), 6u);
    EXPECT_EQ(w[0].DATA[0], 0x23);
    EXPECT_EQ(w[1].DATA[0], 0x21);
    EXPECT_EQ(u32(w[1].DATA + 4), 5u);
    EXPECT_EQ(w[2].DATA[0], 0x05);
    EXPECT_EQ(w[2].DATA[5], 5);
    EXPECT_EQ(w[2].DATA[6], 0);
    EXPECT_EQ(w[3].DATA[0], 0x21);
    EXPECT_EQ(w[4].DATA[0], 0x00);
    EXPECT_EQ(w[5].DATA[0], 0x11);
    EXPECT_EQ(w[5].DATA[7], 14);

    // A segment answer with the toggle bit of the previous segment.
    script.answers = {sdo({0x60}), sdo({0x20}), sdo({0x20})};
    EXPECT_FALSE(COP_WriteSDO(kNode, 0x6040, 0, 20, data));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_FORMAT);
    EXPECT_EQ(u32(written().back().DATA + 4), 0x05030000u);
    // An initiate answer other than exactly 0x60.
    script.answers = {sdo({0x61})};
    EXPECT_FALSE(COP_WriteSDO(kNode, 0x6040, 0, 2, data));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_FORMAT);
}

TEST_F(Engine, ArgumentErrorsKeepTheLastAbort)
{
    presetAbort();
    int16_t len;
    uint8_t buf[8];
    EXPECT_FALSE(COP_ReadSDO(kNode, 0x1000, 0, nullptr, buf, 8));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_FATAL);
    EXPECT_FALSE(COP_ReadSDO(kNode + 1, 0x1000, 0, &len, buf, 8));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_NODE_ID);
    EXPECT_FALSE(COP_WriteSDO(kNode, 0x1000, 0, 0, buf));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_ILLEGAL_PARAM);
    EXPECT_FALSE(COP_ConfigureNode("a", "b", "c", 1, COP_BAUD_800));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_BAUDRATE);
    EXPECT_EQ(COP_GetLastAbort(), 0x12345678u);
    EXPECT_TRUE(written().empty());
}

TEST_F(Engine, LmtFailuresStopTheSequence)
{
    script.requestId = 0x7E5;
    auto lmt = [](std::vector<uint8_t> bytes) {
        bytes.resize(8);
        return Answer{frame(0x7E4, bytes)};
    };
    // Only the confirmed services are answered; the switch is a write too.
    script.answers = {Answer{}, lmt({0x24, 'K', 'e', 'l', 'v', 'a', 'n', 'e'}),
                      lmt({0x25, 'O', 'v', 'r', 'o', 'K', '3', '1'})};
    char manufacturer[8], product[8];
    EXPECT_FALSE(COP_GetLMTAddress(manufacturer, product, nullptr));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_FATAL);
    EXPECT_EQ(written().size(), 3u);
    EXPECT_EQ(std::memcmp(product, "OvroK31", 7), 0);

    fake_pcan_clear_written();
    script.answers = {Answer{}, Answer{}, Answer{}, lmt({0x11, 1})};
    EXPECT_FALSE(COP_ConfigureNode("Kelvane", "OvroK31", "01234567890123", 9, COP_BAUD_250));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_ABORTED);
    EXPECT_EQ(COP_GetLastAbort(), 1u);
    auto w = written();
    ASSERT_EQ(w.size(), 4u) << "no bit-timing request after a refused node-id";
    EXPECT_EQ(w[2].DATA[0], 0x03);
    EXPECT_EQ(w[2].DATA[1], 0x01);
    EXPECT_EQ(w[2].DATA[7], 0x23);
    EXPECT_EQ(w[3].DATA[0], 0x11);
    EXPECT_EQ(w[3].DATA[1], 9);

    script.answers = {Answer{}, Answer{}, Answer{}, lmt({0x11, 0}), lmt({0x13, 0}), lmt({0x17, 0})};
    script.answers.back().frame->LEN = 5;
    EXPECT_FALSE(COP_ConfigureNode("Kelvane", "OvroK31", "01234567890123", 9, COP_BAUD_250));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_LENGTH);
    EXPECT_EQ(COP_GetLastAbort(), 0u);
}

TEST_F(Engine, ConfigureNodeReadsTheTextsOnlyUpToTheirTerminatingZero)
{
    // The three texts end right before an inaccessible page: a read of a
    // byte beyond any terminating zero would fault.
    const long page = sysconf(_SC_PAGESIZE);
    auto* pages = static_cast<char*>(mmap(nullptr, size_t(2 * page), PROT_READ | PROT_WRITE,
                                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(pages, MAP_FAILED);
    ASSERT_EQ(mprotect(pages + page, size_t(page), PROT_NONE), 0);
    char* end = pages + page;
    char* serial = end - 3;
    std::memcpy(serial, "12", 3);
    char* product = serial - 4;
    std::memcpy(product, "Ovr", 4);
    char* manufacturer = product - 8;
    std::memcpy(manufacturer, "Ke\0levan", 8);  // bytes after the zero are not the text's

    script.requestId = 0x7E5;
    auto lmt = [](std::vector<uint8_t> bytes) {
        bytes.resize(8);
        return Answer{frame(0x7E4, bytes)};
    };
    script.answers = {Answer{}, Answer{}, Answer{}, lmt({0x11, 0}), lmt({0x13, 0}), lmt({0x17, 0})};
    EXPECT_TRUE(COP_ConfigureNode(manufacturer, product, serial, 9, COP_BAUD_250));
    auto w = written();
    ASSERT_EQ(w.size(), 6u);
    EXPECT_EQ(std::vector<uint8_t>(w[0].DATA, w[0].DATA + 8), (std::vector<uint8_t>{0x01, 'K', 'e', 0, 0, 0, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(w[1].DATA, w[1].DATA + 8), (std::vector<uint8_t>{0x02, 'O', 'v', 'r', 0, 0, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(w[2].DATA, w[2].DATA + 8), (std::vector<uint8_t>{0x03, 0x12, 0, 0, 0, 0, 0, 0}))
        << "missing serial digits count as 0";
    munmap(pages, size_t(2 * page));
}

TEST_F(Engine, PdoAndEmergencyQueuesKeepEachOthersFrames)
{
    ASSERT_TRUE(COP_CreatePDO(kNode, 8, 0, 0x380 + kNode, 8));
    fake_pcan_push_data(0x080 + kNode, 8, (const uint8_t*)"\x10\x32\x01\x00\x00\x00\x00\x07");
    fake_pcan_push_data(0x080 + 9, 8, (const uint8_t*)"\x10\x32\x01\x00\x00\x00\x00\x09"); // absent
    fake_pcan_push_data(0x380 + kNode, 3, (const uint8_t*)"\x01\x02\x03");
    fake_pcan_push_data(0x080 + kNode, 2, (const uint8_t*)"\x20\x33");

    uint8_t node = 0, pdo = 0, len = 0, data[8];
    ASSERT_TRUE(COP_ReadPDO(&node, &pdo, data, &len));
    EXPECT_EQ(node, kNode);
    EXPECT_EQ(pdo, 8);
    EXPECT_EQ(len, 3);
    EXPECT_FALSE(COP_ReadPDO(&node, &pdo, data, &len));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_QUEUE_EMPTY);

    ASSERT_TRUE(COP_GetEmergency(&node, data));
    EXPECT_EQ(node, kNode);
    EXPECT_EQ(data[7], 0x07);
    // The absent node's emergency is dropped; one queued entry is looked at per call.
    EXPECT_FALSE(COP_GetEmergency(&node, data));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_QUEUE_EMPTY);
    ASSERT_TRUE(COP_GetEmergency(&node, data));
    EXPECT_EQ(node, kNode);
    EXPECT_EQ(data[0], 0x20);
    EXPECT_EQ(data[2], 0) << "a short emergency leaves no stale bytes";
    EXPECT_FALSE(COP_GetEmergency(&node, data));
    EXPECT_EQ(COP_GetLastError(), COP_ERR_QUEUE_EMPTY);

    // A PDO that arrives while emergencies are read waits for COP_ReadPDO.
    fake_pcan_push_data(0x380 + kNode, 1, (const uint8_t*)"\x42");
    EXPECT_FALSE(COP_GetEmergency(&node, data));
    ASSERT_TRUE(COP_ReadPDO(&node, &pdo, data, &len));
    EXPECT_EQ(data[0], 0x42);
}

} // namespace
