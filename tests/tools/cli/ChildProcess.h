// ChildProcess: runs a program to its end with captured output, or keeps
// one running (a simulated drive) until it is stopped.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct RunResult {
    int status = -1;  // exit status; 128 + signal when killed
    std::string out;
    std::string err;
};

// Runs argv with stdin from /dev/null; kills it after timeoutMs.
RunResult RunProgram(const std::vector<std::string>& argv, int timeoutMs = 60000);

class BackgroundProcess {
public:
    BackgroundProcess() = default;
    ~BackgroundProcess() { Stop(); }
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    // Starts argv with its output into logPath.
    bool Start(const std::vector<std::string>& argv, const std::string& logPath);
    // SIGTERM, then SIGKILL after 3 s; waits for the end.
    void Stop();
    bool Running();

private:
    pid_t pid_ = -1;
};
