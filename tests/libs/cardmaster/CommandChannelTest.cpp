// The command channel of the board master against a board driver whose
// answer queue the test fills: an answer is matched to its command, a late
// answer of an earlier command is passed over, and a block longer than any
// answer (which the driver refuses to hand over into an answer's buffer)
// is dropped instead of standing in front of every answer after it.
#include "CommandChannel.h"
#include "QueManager.h"

#include <orxboard/kdi3.h>
#include <orxboard/orx_protocol.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using namespace cardmaster;

// The driver's queues as the board maker's driver keeps them: a block too
// long for the caller's buffer stays at the front (KDI_ERR_SIZE).
struct ScriptedBoard {
    KdiMsgIf kdi{};
    std::mutex mutex;
    std::deque<std::vector<std::uint8_t>> answers;
    std::vector<std::uint16_t> sentCodes;

    static ScriptedBoard& of(KdiMsgIf* self) { return *reinterpret_cast<ScriptedBoard*>(self); }

    ScriptedBoard()
    {
        kdi.OpenQueues = [](KdiMsgIf*, std::uint16_t, std::uint16_t) -> KDI_RESULT { return KDI_OK; };
        kdi.CloseQueues = [](KdiMsgIf*) -> KDI_RESULT { return KDI_OK; };
        kdi.TxFree = [](KdiMsgIf*, std::uint16_t, std::uint32_t* free) -> KDI_RESULT {
            *free = 1;
            return KDI_OK;
        };
        kdi.Send = [](KdiMsgIf* self, std::uint16_t, const void* block, std::uint32_t) -> KDI_RESULT {
            std::lock_guard<std::mutex> lock(of(self).mutex);
            of(self).sentCodes.push_back(orx_block_code(static_cast<const std::uint8_t*>(block)));
            return KDI_OK;
        };
        kdi.RxLevel = [](KdiMsgIf* self, std::uint16_t queue, std::uint32_t* count) -> KDI_RESULT {
            std::lock_guard<std::mutex> lock(of(self).mutex);
            *count = queue == ORX_RXQ_ANSWER ? static_cast<std::uint32_t>(of(self).answers.size()) : 0;
            return KDI_OK;
        };
        kdi.Receive = [](KdiMsgIf* self, std::uint16_t queue, void* block, std::uint32_t capacity,
                         std::uint32_t* size) -> KDI_RESULT {
            std::lock_guard<std::mutex> lock(of(self).mutex);
            auto& q = of(self).answers;
            if (queue != ORX_RXQ_ANSWER || q.empty())
                return KDI_ERR_EMPTY;
            *size = static_cast<std::uint32_t>(q.front().size());
            if (q.front().size() > capacity)
                return KDI_ERR_SIZE;
            std::memcpy(block, q.front().data(), q.front().size());
            q.pop_front();
            return KDI_OK;
        };
        kdi.WaitEvent = [](KdiMsgIf*, std::uint16_t, std::uint32_t) -> KDI_RESULT { return KDI_ERR_TIMEOUT; };
        kdi.SetEvent = [](KdiMsgIf*, std::uint16_t) -> KDI_RESULT { return KDI_OK; };
        kdi.Release = [](KdiMsgIf*) {};
    }

    // An answer: code, parameter length, result byte, data.
    void answer(std::uint16_t code, std::int8_t result, std::vector<std::uint8_t> data = {})
    {
        std::vector<std::uint8_t> block(ORX_ANSWER_DATA + data.size());
        orx_block_begin(block.data(), code, static_cast<std::uint16_t>(1 + data.size()));
        block[ORX_RESULT_BYTE] = static_cast<std::uint8_t>(result);
        std::copy(data.begin(), data.end(), block.begin() + ORX_ANSWER_DATA);
        std::lock_guard<std::mutex> lock(mutex);
        answers.push_back(block);
    }
    void raw(std::vector<std::uint8_t> block)
    {
        std::lock_guard<std::mutex> lock(mutex);
        answers.push_back(std::move(block));
    }
};
static_assert(offsetof(ScriptedBoard, kdi) == 0, "the driver object comes first");

class CommandChannelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        slot.kdi = &board.kdi;
        slot.queues = std::make_unique<QueManager>(&board.kdi, 1);
        ASSERT_EQ(slot.queues->open(), CM_OK);
        slot.commTimeout = 300;
        slot.phase = BoardSlot::kOpen;
    }
    void TearDown() override { slot.queues->close(); }

    ScriptedBoard board;
    BoardSlot slot;
};

TEST_F(CommandChannelTest, TheAnswerToTheCommandComesBackWithItsResult)
{
    board.answer(ORX_CMD_START_NODE, 0);
    std::uint8_t node = 5;
    EXPECT_EQ(CommandChannel::command(slot, ORX_CMD_START_NODE, &node, 1), CM_OK);
    board.answer(ORX_CMD_START_NODE, CM_ERR_PARAMETER);
    EXPECT_EQ(CommandChannel::command(slot, ORX_CMD_START_NODE, &node, 1), CM_ERR_PARAMETER);
}

TEST_F(CommandChannelTest, ALateAnswerToAnotherCommandIsPassedOver)
{
    board.answer(ORX_CMD_DELETE_NODE, 0);  // of a command that timed out before
    board.answer(ORX_CMD_START_NODE, 0);
    std::uint8_t node = 5;
    EXPECT_EQ(CommandChannel::command(slot, ORX_CMD_START_NODE, &node, 1), CM_OK);
    EXPECT_TRUE(board.answers.empty());
}

TEST_F(CommandChannelTest, ABlockTooLongForAnAnswerIsDroppedAndTheNextAnswerServes)
{
    std::vector<std::uint8_t> tooLong(ORX_COMMAND_BLOCK_MAX + 40, 0x55);
    orx_block_begin(tooLong.data(), ORX_CMD_START_NODE, static_cast<std::uint16_t>(tooLong.size() - ORX_HEADER));
    board.raw(tooLong);
    board.answer(ORX_CMD_START_NODE, 0);
    std::uint8_t node = 5;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CommandChannel::command(slot, ORX_CMD_START_NODE, &node, 1), CM_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250)) << "waited for a time-out";
    EXPECT_TRUE(board.answers.empty());

    // Alone in the queue it does not block the next command either.
    board.raw(tooLong);
    EXPECT_EQ(CommandChannel::command(slot, ORX_CMD_START_NODE, &node, 1), CM_ERR_TIMEOUT);
    EXPECT_TRUE(board.answers.empty());
    board.answer(ORX_CMD_START_NODE, 0);
    EXPECT_EQ(CommandChannel::command(slot, ORX_CMD_START_NODE, &node, 1), CM_OK);
}

}  // namespace
