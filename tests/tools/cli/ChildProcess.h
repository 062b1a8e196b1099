// ChildProcess: runs a program to its end with captured output. (Simulated
// drives that keep running are tests/support's SimProcess.)
#pragma once

#include <string>
#include <vector>

struct RunResult {
    int status = -1;  // exit status; 128 + signal when killed
    std::string out;
    std::string err;
};

// Runs argv with stdin from /dev/null; kills it after timeoutMs.
RunResult RunProgram(const std::vector<std::string>& argv, int timeoutMs = 60000);
