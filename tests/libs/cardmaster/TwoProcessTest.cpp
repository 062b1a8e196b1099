// Two programs on the same boards: the board table is shared between the
// processes, so neither opens a board the other has, and a board whose
// program died is free again.
#include "BoardFixture.h"

#include <orxboard/kdi3.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

// The probe program, with a pipe to its input and one from its output.
class Probe {
public:
    Probe(std::uint32_t type, bool driverOnly = false)
    {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
            return;
        char typeText[16];
        std::snprintf(typeText, sizeof typeText, "0x%08X", type);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::execl(OVRO_BIN_DIR "/cardmaster_probe", "cardmaster_probe", typeText, driverOnly ? "driver" : nullptr,
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        m_input = in[1];
        m_output = ::fdopen(out[0], "r");
    }
    ~Probe() { end(); }

    // "<result> <handle>", read once.
    bool answer(int& result, unsigned& handle)
    {
        return m_output && std::fscanf(m_output, "%d %u", &result, &handle) == 2;
    }
    // Lets the probe release its board and end.
    void end()
    {
        if (m_input >= 0)
            ::close(m_input);
        m_input = -1;
        wait();
    }
    void kill()
    {
        if (m_pid > 0)
            ::kill(m_pid, SIGKILL);
        end();
    }

private:
    void wait()
    {
        if (m_pid > 0)
            ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
        if (m_output)
            std::fclose(m_output);
        m_output = nullptr;
    }

    pid_t m_pid = -1;
    int m_input = -1;
    std::FILE* m_output = nullptr;
};

class TwoProcesses : public BoardFixture {};

TEST_F(TwoProcesses, NeitherOpensTheBoardTheOtherHas)
{
    {
        Probe other(kStick);
        int result = 1;
        unsigned handle = 0;
        ASSERT_TRUE(other.answer(result, handle));
        ASSERT_EQ(result, CM_OK);
        EXPECT_EQ(handle, 1u);
        COP_CM_RESULT r = 1;
        EXPECT_EQ(open(kStick, &r), 0);
        EXPECT_EQ(r, CM_ERR_IN_USE);
        // Another board takes the next of the shared slots.
        EXPECT_EQ(open(0x01051300u, &r), 2);
        EXPECT_EQ(r, CM_OK);
        releaseAll();
        other.end();
    }
    std::uint16_t mine = openStick();
    ASSERT_NE(mine, 0);
    Probe other(kStick);
    int result = 1;
    unsigned handle = 0;
    ASSERT_TRUE(other.answer(result, handle));
    EXPECT_EQ(result, CM_ERR_IN_USE);
    EXPECT_EQ(handle, 0u);
}

TEST_F(TwoProcesses, TheBoardOfAProgramThatDiedIsFreeAgain)
{
    Probe other(kStick);
    int result = 1;
    unsigned handle = 0;
    ASSERT_TRUE(other.answer(result, handle));
    ASSERT_EQ(result, CM_OK);
    other.kill();  // no COP_ReleaseBoard
    COP_CM_RESULT r = 1;
    EXPECT_EQ(open(kStick, &r), 1) << "the dead program's slot is taken over";
    EXPECT_EQ(r, CM_OK);
}

TEST_F(TwoProcesses, ABoardAnotherProcessHoldsThroughTheDriverIsUsedByAnotherProcess)
{
    Probe other(kStick, true);
    int result = 1;
    unsigned handle = 0;
    ASSERT_TRUE(other.answer(result, handle));
    ASSERT_EQ(result, KDI_OK);
    COP_CM_RESULT r = 1;
    EXPECT_EQ(open(kStick, &r), 0);
    EXPECT_EQ(r, CM_ERR_OTHER_PROCESS);
    other.end();
    EXPECT_NE(open(kStick, &r), 0);
    EXPECT_EQ(r, CM_OK);
}

}  // namespace
