// SimProcess.h - runs ovro-drive-sim as a child process on a private bus
// and talks to its control socket. The process ends with its owner, and
// with the test program when that dies first.
//
// Typical use in a test fixture:
//   ovro::test::PrivateBus bus;                 // in SetUp: bus.create("ovro-x")
//   ovro::test::SimProcess sim;
//   ASSERT_TRUE(sim.start(bus.dir(), {"--model", "K315", "--bus", "x"})) << sim.log();
//   sim.control("fault 0x7500");
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace ovro::test {

class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts the simulator with these arguments plus --control in dir (its
    // output goes to a log file there); waits until it answers on its
    // control socket. False when it did not come up.
    bool start(const std::string& dir, const std::vector<std::string>& args);
    // The two halves of start(), for starting many simulators at once:
    // launch() only starts the process, waitUntilUp() waits for its answer.
    bool launch(const std::string& dir, const std::vector<std::string>& args);
    bool waitUntilUp(int timeoutMs = 3000);
    // Ends the process (SIGTERM, then SIGKILL) and waits for it.
    void stop();
    bool running() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }
    // Waits for the process to end by itself; returns its exit code or -1.
    int wait(int timeoutMs);

    // Sends one control line and returns the whole answer (up to and
    // including the line that starts with "ok" or "error").
    std::string control(const std::string& line);
    // A value of the "state" report ("nmt", "node-id", ...), empty if missing.
    std::string state(const std::string& key);
    // Polls the state report until key has this value (frames sent on the
    // bus reach the simulator by another path than the control socket).
    bool waitForState(const std::string& key, const std::string& value, int timeoutMs = 1000);
    // What the simulator wrote to stderr so far.
    std::string log() const;

    // The simulator program of this build.
    static std::string executable();

private:
    pid_t m_pid = -1;
    std::string m_controlPath;
    std::string m_logPath;
};

}  // namespace ovro::test
