// ChildProcess: runs a program to its end with captured output. (Simulated
// drives that keep running are tests/support's SimProcess.)
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

struct RunResult {
    int status = -1;  // exit status; 128 + signal when killed
    std::string out;
    std::string err;
};

// Runs argv with stdin from /dev/null; kills it after timeoutMs. watch, when
// given, sees the process and its output so far after every read (a test
// that signals the program at a point of its output).
using OutputWatch = std::function<void(pid_t pid, const RunResult& sofar)>;
RunResult RunProgram(const std::vector<std::string>& argv, int timeoutMs = 60000, const OutputWatch& watch = {});
