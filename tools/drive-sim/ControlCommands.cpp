#include "ControlCommands.h"

#include "FileCalls.h"
#include "NumberArgument.h"
#include "SimulatedNode.h"

#include <array>
#include <cerrno>
#include <cstdint>

const char* ControlCommands::help()
{
    return "commands:\n"
           "  state                        print the drive's state\n"
           "  fault CODE                   raise a drive fault with this emergency code\n"
           "  emcy CODE [REG [B0..B4]]     send an emergency\n"
           "  drop N                       the next N SDO answers go missing\n"
           "  toggle                       the next SDO segment answer has the wrong toggle bit\n"
           "  length                       the next SDO answer has a wrong frame length\n"
           "  drop N|toggle|length at INDEX SUB\n"
           "                               the same from the next request for this object on\n"
           "  drop N|length at lmt CS      the same for the answers of this LMT service on\n"
           "  powercycle at INDEX SUB|lmt CS [MS]\n"
           "                               switch off instead of answering that request, on after MS\n"
           "                               milliseconds (default 50)\n"
           "  silent [MS] at INDEX SUB|lmt CS\n"
           "                               fall silent instead of answering that request\n"
           "  fail-write open|write|fsync|close|rename [ERRNO]\n"
           "                               the next such call writing the store file fails (ENOSPC)\n"
           "  clear                        no injected fault any more\n"
           "  abort INDEX SUB|* CODE       abort every access to the object with CODE\n"
           "  abort clear                  stop aborting\n"
           "  refuse store|firmware        refuse the next store or firmware command\n"
           "  silent [MS]                  stop talking (for MS milliseconds, or until resume)\n"
           "  resume                       talk again\n"
           "  powercycle                   switch off and on (reset from the store)\n"
           "  manual p|n|off               press the MAN-P or MAN-N input, or release both\n"
           "  axis INCREMENTS              place the motor at this position\n"
           "ok\n";
}

namespace {
// "at INDEX SUB" or "at lmt CS" from words[first]: arms the fault there.
bool armAt(SimulatedNode& node, const std::vector<std::string>& words, size_t first, const FaultTriggers::Fault& fault,
           bool lmtAllowed)
{
    const auto number = NumberArgument::parse;
    uint64_t a = 0, b = 0;
    if (words.size() != first + 3 || words[first] != "at")
        return false;
    if (words[first + 1] == "lmt") {
        if (!lmtAllowed || !number(words[first + 2], 0xFF, a))
            return false;
        node.triggers().armLmt(uint8_t(a), fault);
        return true;
    }
    if (!number(words[first + 1], 0xFFFF, a) || !number(words[first + 2], 0xFF, b))
        return false;
    node.triggers().armSdo(FaultTriggers::sdoKey(uint16_t(a), uint8_t(b)), fault);
    return true;
}
}  // namespace

std::string ControlCommands::handle(const std::vector<std::string>& words)
{
    if (words.empty())
        return "error empty command (try 'help')";
    const auto number = NumberArgument::parse;
    const std::string& cmd = words[0];
    const size_t argc = words.size() - 1;
    SdoServer& sdo = m_node.sdoServer();
    uint64_t a = 0, b = 0, c = 0;
    if (cmd == "help")
        return help();
    if (cmd == "state")
        return m_node.stateReport() + "ok";
    if (cmd == "fault" && argc == 1 && number(words[1], 0xFFFF, a) && a != 0) {
        m_node.raiseFault(uint16_t(a));
        return "ok";
    }
    if (cmd == "emcy" && argc >= 1 && argc != 3 && argc <= 7 && number(words[1], 0xFFFF, a)) {
        uint64_t reg = 0;
        if (argc >= 2 && !number(words[2], 0xFF, reg))
            return "error bad error register";
        std::array<uint8_t, 5> data{};
        for (size_t i = 3; i <= argc; ++i) {
            uint64_t v = 0;
            if (!number(words[i], 0xFF, v))
                return "error bad data byte";
            data[i - 3] = uint8_t(v);
        }
        m_node.sendEmergency(uint16_t(a), uint8_t(reg), data);
        return "ok";
    }
    FaultTriggers::Fault fault;
    if (cmd == "drop" && argc == 4 && number(words[1], 1000000, a) && a > 0) {
        fault.dropAnswers = unsigned(a);
        return armAt(m_node, words, 2, fault, true) ? "ok" : "error bad place (at INDEX SUB or at lmt CS)";
    }
    if (cmd == "toggle" && argc == 3) {
        fault.wrongToggle = true;
        return armAt(m_node, words, 1, fault, false) ? "ok" : "error bad place (at INDEX SUB)";
    }
    if (cmd == "length" && argc == 3) {
        fault.wrongLength = true;
        return armAt(m_node, words, 1, fault, true) ? "ok" : "error bad place (at INDEX SUB or at lmt CS)";
    }
    if (cmd == "powercycle" && (argc == 3 || argc == 4)) {
        fault.powerCycle = true;
        fault.offMs = 50;
        if (argc == 4) {
            if (!number(words[4], 60000, a))
                return "error bad time";
            fault.offMs = uint32_t(a);
        }
        return armAt(m_node, std::vector<std::string>(words.begin(), words.begin() + 4), 1, fault, true)
                   ? "ok"
                   : "error bad place (at INDEX SUB or at lmt CS)";
    }
    if (cmd == "silent" && (argc == 3 || argc == 4) && words[argc - 2] == "at") {
        fault.silentMs = FaultTriggers::kForGood;
        if (argc == 4) {
            if (!number(words[1], 3600000, a) || a == 0)
                return "error bad time";
            fault.silentMs = uint32_t(a);
        }
        return armAt(m_node, words, argc - 2, fault, true) ? "ok" : "error bad place (at INDEX SUB or at lmt CS)";
    }
    if (cmd == "fail-write" && (argc == 1 || argc == 2)) {
        FileCalls::Call call{};
        if (!FileCalls::parse(words[1], call))
            return "error unknown call: " + words[1];
        a = ENOSPC;
        if (argc == 2 && (!number(words[2], 4095, a) || a == 0))
            return "error bad errno";
        FileCalls::failNext(call, int(a));
        return "ok";
    }
    if (cmd == "clear" && argc == 0) {
        sdo.faults() = SdoServer::Faults();
        m_node.triggers().clear();
        FileCalls::clear();
        m_node.takeInjectedFailure(InjectedFailure::RefuseStore);
        m_node.takeInjectedFailure(InjectedFailure::RefuseFirmware);
        return "ok";
    }
    if (cmd == "drop" && argc == 1 && number(words[1], 1000000, a)) {
        sdo.faults().dropAnswers = unsigned(a);
        return "ok";
    }
    if (cmd == "toggle" && argc == 0) {
        sdo.faults().wrongToggle = true;
        return "ok";
    }
    if (cmd == "length" && argc == 0) {
        sdo.faults().wrongLength = true;
        return "ok";
    }
    if (cmd == "abort" && argc == 1 && words[1] == "clear") {
        sdo.clearForcedAborts();
        return "ok";
    }
    if (cmd == "abort" && argc == 3 && number(words[1], 0xFFFF, a) &&
        (words[2] == "*" || number(words[2], 0xFF, b)) && number(words[3], 0xFFFFFFFF, c) && c != 0) {
        sdo.addForcedAbort(uint16_t(a), words[2] == "*" ? -1 : int(b), uint32_t(c));
        return "ok";
    }
    if (cmd == "refuse" && argc == 1 && (words[1] == "store" || words[1] == "firmware")) {
        m_node.refuseNext(words[1] == "store" ? InjectedFailure::RefuseStore : InjectedFailure::RefuseFirmware);
        return "ok";
    }
    if (cmd == "silent" && argc <= 1) {
        if (argc == 1 && !number(words[1], 3600000, a))
            return "error bad time";
        if (argc == 1)
            m_node.silenceFor(a);
        else
            m_node.silenceUntilResumed();
        return "ok";
    }
    if (cmd == "resume" && argc == 0) {
        m_node.resume();
        return "ok";
    }
    if (cmd == "powercycle" && argc == 0) {
        m_node.powerCycle();
        return "ok";
    }
    std::string reply;
    if (m_node.moduleControl(words, reply))
        return reply;
    return "error unknown command or bad arguments: " + cmd + " (try 'help')";
}
