// ControlServer.h - the test control socket: a Unix stream socket that
// takes one command per line and answers each with text whose last line
// starts with "ok" or "error".
#pragma once

#include <functional>
#include <string>
#include <vector>

class ControlServer {
public:
    using Handler = std::function<std::string(const std::vector<std::string>& words)>;

    explicit ControlServer(Handler handler) : m_handler(std::move(handler)) {}
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    bool open(const std::string& path, std::string& error);
    // Accepts clients and serves complete lines, without blocking.
    void poll();
    // Readable while a client connects or sends: for the event loop's wait.
    int eventFd() const { return m_events; }

    static std::vector<std::string> split(const std::string& line);

private:
    struct Client {
        int fd;
        std::string input;
    };

    Handler m_handler;
    std::string m_path;
    int m_listenFd = -1;
    int m_events = -1;  // epoll of the listening socket and the clients
    std::vector<Client> m_clients;
};
