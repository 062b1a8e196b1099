// ControlCommands.h - the lines of the test control socket: each names
// something a test does to the drive (a fault, an emergency, a lost or
// wrong SDO answer, silence, a power cycle, the manual inputs, ...).
#pragma once

#include <string>
#include <vector>

class SimulatedNode;

class ControlCommands {
public:
    explicit ControlCommands(SimulatedNode& node) : m_node(node) {}

    // Carries out one line, split into words; the answer's last line starts
    // with "ok" or "error".
    std::string handle(const std::vector<std::string>& words);

    // The answer to "help".
    static const char* help();

private:
    SimulatedNode& m_node;
};
