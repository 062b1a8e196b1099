// SimProcess.h - runs ovro-drive-sim as a child process on a private bus
// and talks to its control socket.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts the simulator with these arguments plus --control in dir; waits
    // until it answers on its control socket. False when it did not come up.
    bool start(const std::string& dir, const std::vector<std::string>& args);
    // Ends the process (SIGTERM, then SIGKILL) and waits for it.
    void stop();
    bool running() const { return m_pid > 0; }
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

    static std::string executable();

private:
    pid_t m_pid = -1;
    std::string m_controlPath;
    std::string m_logPath;
};
