#include "SimProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#ifndef OVRO_DRIVE_SIM
#error "OVRO_DRIVE_SIM must name the simulator executable"
#endif

namespace ovro::test {

std::string SimProcess::executable()
{
    return OVRO_DRIVE_SIM;
}

bool SimProcess::start(const std::string& dir, const std::vector<std::string>& args)
{
    return launch(dir, args) && waitUntilUp();
}

bool SimProcess::launch(const std::string& dir, const std::vector<std::string>& args)
{
    stop();
    static int counter = 0;
    ++counter;
    m_controlPath = dir + "/sim" + std::to_string(counter) + ".ctl";
    m_logPath = dir + "/sim" + std::to_string(counter) + ".log";
    std::vector<std::string> all = {executable()};
    all.insert(all.end(), args.begin(), args.end());
    all.push_back("--control");
    all.push_back(m_controlPath);
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        // The simulator ends with the test, even when the test dies first.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(127);
        const int fd = ::open(m_logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            ::dup2(fd, 2);
            ::dup2(fd, 1);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    m_pid = pid;
    return true;
}

bool SimProcess::waitUntilUp(int timeoutMs)
{
    if (m_pid <= 0)
        return false;
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (control("state").find("ok") != std::string::npos)
            return true;
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    stop();
    return false;
}

void SimProcess::stop()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    if (wait(3000) == -1 && m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    m_pid = -1;
}

int SimProcess::wait(int timeoutMs)
{
    if (m_pid <= 0)
        return -1;
    for (int i = 0; i <= timeoutMs; i += 5) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
}

std::string SimProcess::control(const std::string& line)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::string();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, m_controlPath.c_str(), sizeof addr.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0) {
        ::close(fd);
        return std::string();
    }
    timeval tv{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    const std::string request = line + "\n";
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != ssize_t(request.size())) {
        ::close(fd);
        return std::string();
    }
    std::string reply;
    char buffer[1024];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        reply.append(buffer, size_t(n));
        // Complete when the last line starts with ok or error.
        if (reply.size() >= 1 && reply.back() == '\n') {
            const size_t start = reply.rfind('\n', reply.size() - 2);
            const std::string last = reply.substr(start == std::string::npos ? 0 : start + 1);
            if (last.rfind("ok", 0) == 0 || last.rfind("error", 0) == 0)
                break;
        }
    }
    ::close(fd);
    return reply;
}

std::string SimProcess::state(const std::string& key)
{
    std::istringstream in(control("state"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + "=", 0) == 0)
            return line.substr(key.size() + 1);
    }
    return std::string();
}

bool SimProcess::waitForState(const std::string& key, const std::string& value, int timeoutMs)
{
    for (int waited = 0;; waited += 5) {
        if (state(key) == value)
            return true;
        if (waited >= timeoutMs)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::string SimProcess::log() const
{
    std::ifstream in(m_logPath);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace ovro::test
