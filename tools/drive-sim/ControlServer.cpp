#include "ControlServer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
constexpr size_t kMaxLine = 4096;

void watch(int events, int fd)
{
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = fd;
    ::epoll_ctl(events, EPOLL_CTL_ADD, fd, &ev);
}

void writeAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            ::usleep(100);
            continue;
        }
        if (n <= 0)
            return;
        done += size_t(n);
    }
}
}  // namespace

ControlServer::~ControlServer()
{
    for (Client& c : m_clients)
        ::close(c.fd);
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        ::unlink(m_path.c_str());
    }
    if (m_events >= 0)
        ::close(m_events);
}

bool ControlServer::open(const std::string& path, std::string& error)
{
    sockaddr_un addr{};
    if (path.size() >= sizeof addr.sun_path) {
        error = "control path too long: " + path;
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("cannot create the control socket: ") + std::strerror(errno);
        return false;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size());
    ::unlink(path.c_str());  // a socket file left behind by an earlier run
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 || ::listen(fd, 8) < 0) {
        error = "cannot listen on " + path + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    m_listenFd = fd;
    m_path = path;
    m_events = ::epoll_create1(EPOLL_CLOEXEC);
    if (m_events >= 0)
        watch(m_events, m_listenFd);
    return true;
}

void ControlServer::poll()
{
    if (m_listenFd < 0)
        return;
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            break;
        if (m_events >= 0)
            watch(m_events, fd);
        m_clients.push_back({fd, std::string()});
    }
    for (size_t i = 0; i < m_clients.size();) {
        Client& c = m_clients[i];
        bool closed = false;
        char buffer[512];
        for (;;) {
            const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
            if (n > 0) {
                c.input.append(buffer, size_t(n));
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EINTR))
                closed = true;
            if (n < 0 && errno == EINTR)
                continue;
            break;
        }
        size_t eol;
        while ((eol = c.input.find('\n')) != std::string::npos) {
            std::string line = c.input.substr(0, eol);
            c.input.erase(0, eol + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const std::vector<std::string> words = split(line);
            if (words.empty())
                continue;
            std::string reply = m_handler(words);
            if (reply.empty() || reply.back() != '\n')
                reply += '\n';
            writeAll(c.fd, reply);
        }
        if (c.input.size() > kMaxLine) {
            writeAll(c.fd, "error line too long\n");
            closed = true;
        }
        if (closed) {
            ::close(c.fd);
            m_clients.erase(m_clients.begin() + long(i));
        } else {
            ++i;
        }
    }
}

std::vector<std::string> ControlServer::split(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string w;
    while (in >> w)
        words.push_back(w);
    return words;
}
