#include <canbus/SocketReader.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <system_error>

namespace ovro::canbus {

SocketReader::SocketReader(int socket, std::function<void()> drain)
    : socket_(socket), drain_(std::move(drain))
{
}

SocketReader::~SocketReader()
{
    stop();
    if (stopEvent_ >= 0)
        close(stopEvent_);
}

int SocketReader::start()
{
    if (thread_.joinable())
        return 0;
    if (stopEvent_ < 0) {
        stopEvent_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (stopEvent_ < 0)
            return errno;
    }
    try {
        thread_ = std::thread(&SocketReader::run, this);
    } catch (const std::system_error& e) {
        return e.code().value() ? e.code().value() : EAGAIN;
    }
    return 0;
}

void SocketReader::stop()
{
    if (!thread_.joinable())
        return;
    std::uint64_t one = 1;
    ssize_t n = write(stopEvent_, &one, sizeof one);
    (void)n;
    thread_.join();
    std::uint64_t count = 0;
    n = read(stopEvent_, &count, sizeof count);  // ready for another start()
    (void)n;
}

void SocketReader::run()
{
    for (;;) {
        pollfd fds[2] = {{socket_, POLLIN, 0}, {stopEvent_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            // Never stop draining on a passing failure (EINTR, ENOMEM).
            if (errno != EINTR)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (fds[1].revents || (fds[0].revents & POLLNVAL))
            return;
        if (fds[0].revents & POLLERR) {
            // Take the pending error (interface down, ...) so that polling
            // goes on; what it means reaches the owner by other ways.
            int error = 0;
            socklen_t size = sizeof error;
            getsockopt(socket_, SOL_SOCKET, SO_ERROR, &error, &size);
        }
        if (fds[0].revents & (POLLIN | POLLERR | POLLHUP))
            drain_();
    }
}

}  // namespace ovro::canbus
