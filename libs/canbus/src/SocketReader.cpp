#include <canbus/SocketReader.h>

#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <system_error>

namespace ovro::canbus {

namespace {

// How long after a consumer's wait the reader thread keeps standing aside.
constexpr std::chrono::milliseconds kConsumerWindow{1};

std::int64_t steadyNow()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int addTo(int poll, int fd, std::uint32_t events)
{
    epoll_event ev{};
    ev.events = events;
    ev.data.fd = fd;
    return epoll_ctl(poll, EPOLL_CTL_ADD, fd, &ev) == 0 ? 0 : errno;
}

// Waits with microsecond resolution where the kernel has it.
int waitOn(int poll, epoll_event* events, int count, std::chrono::microseconds timeout)
{
    if (timeout.count() < 0)
        return epoll_wait(poll, events, count, -1);
    timespec ts{static_cast<time_t>(timeout.count() / 1000000), static_cast<long>(timeout.count() % 1000000) * 1000};
    int n = epoll_pwait2(poll, events, count, &ts, nullptr);
    if (n < 0 && errno == ENOSYS) {
        const auto ms = (timeout.count() + 999) / 1000;
        n = epoll_wait(poll, events, count, ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(ms));
    }
    return n;
}

}  // namespace

SocketReader::SocketReader(int socket, std::function<std::size_t()> drain)
    : socket_(socket), drain_(std::move(drain))
{
}

SocketReader::~SocketReader()
{
    stop();
    for (int fd : {consumerPoll_, readerPoll_, stopEvent_, notifyEvent_})
        if (fd >= 0)
            close(fd);
}

int SocketReader::start()
{
    std::lock_guard<std::mutex> lock(setupMutex_);
    if (thread_.joinable())
        return 0;
    if (consumerPoll_ < 0) {
        // The consumer's wait goes into the socket's wait queue before the
        // reader's: that order makes a waiting consumer the one woken.
        stopEvent_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        notifyEvent_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        consumerPoll_ = epoll_create1(EPOLL_CLOEXEC);
        readerPoll_ = epoll_create1(EPOLL_CLOEXEC);
        if (stopEvent_ < 0 || notifyEvent_ < 0 || consumerPoll_ < 0 || readerPoll_ < 0)
            return errno;
        int error = addTo(consumerPoll_, socket_, EPOLLIN | EPOLLEXCLUSIVE);
        if (error == 0)
            error = addTo(consumerPoll_, notifyEvent_, EPOLLIN);
        if (error == 0)
            error = addTo(readerPoll_, socket_, EPOLLIN | EPOLLEXCLUSIVE);
        if (error == 0)
            error = addTo(readerPoll_, stopEvent_, EPOLLIN);
        if (error != 0)
            return error;
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
    std::lock_guard<std::mutex> lock(setupMutex_);
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

int SocketReader::setWakeFd(int fd)
{
    std::lock_guard<std::mutex> lock(setupMutex_);
    if (consumerPoll_ < 0)
        return EBADF;
    if (wakeFd_ >= 0)
        epoll_ctl(consumerPoll_, EPOLL_CTL_DEL, wakeFd_, nullptr);
    wakeFd_ = -1;
    if (fd < 0)
        return 0;
    const int error = addTo(consumerPoll_, fd, EPOLLIN);
    if (error == 0)
        wakeFd_ = fd;
    return error;
}

std::size_t SocketReader::drainNow()
{
    std::size_t queued;
    {
        std::lock_guard<std::mutex> lock(drainMutex_);
        queued = drain_();
    }
    // A consumer that announced its wait may have looked at the queue just
    // before this drain filled it: tell it.
    if (queued > 0 && consumerWaits_.load()) {
        std::uint64_t one = 1;
        ssize_t n = write(notifyEvent_, &one, sizeof one);
        (void)n;
    }
    return queued;
}

void SocketReader::takeNotification()
{
    std::uint64_t count = 0;
    ssize_t n = read(notifyEvent_, &count, sizeof count);
    (void)n;
}

void SocketReader::markConsumerActive()
{
    consumersUntil_.store(steadyNow() + std::chrono::nanoseconds(kConsumerWindow).count());
}

SocketReader::Wait SocketReader::awaitData(std::chrono::microseconds timeout, const std::function<bool()>& queued)
{
    if (consumerPoll_ < 0)
        return Wait::Busy;
    if (consumerWaits_.exchange(true))
        return Wait::Busy;
    markConsumerActive();
    struct Leave {
        SocketReader& reader;
        ~Leave()
        {
            reader.markConsumerActive();
            reader.consumerWaits_.store(false);
        }
    } leave{*this};
    if (queued())
        return Wait::Ready;
    epoll_event events[4];
    const int n = waitOn(consumerPoll_, events, 4, timeout);
    if (n < 0)
        return Wait::Ready;  // interrupted: the caller looks again
    if (n == 0)
        return Wait::TimedOut;
    Wait result = Wait::Ready;
    for (int i = 0; i < n; ++i) {
        if (events[i].data.fd == notifyEvent_)
            takeNotification();
        else if (events[i].data.fd != socket_)
            result = Wait::Woken;
    }
    return result;
}

void SocketReader::run()
{
    for (;;) {
        const std::int64_t aside = consumersUntil_.load() - steadyNow();
        if (aside > 0) {
            // Consumers drain the socket themselves now: sleep without it.
            pollfd stop{stopEvent_, POLLIN, 0};
            const timespec ts{static_cast<time_t>(aside / 1000000000), static_cast<long>(aside % 1000000000)};
            if (ppoll(&stop, 1, &ts, nullptr) > 0)
                return;
            continue;
        }
        epoll_event events[2];
        const int n = epoll_wait(readerPoll_, events, 2, -1);
        if (n < 0) {
            // Never stop draining on a passing failure (EINTR, ENOMEM).
            if (errno != EINTR)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        bool readable = false;
        for (int i = 0; i < n; ++i) {
            if (events[i].data.fd == stopEvent_)
                return;
            if (events[i].events & EPOLLERR) {
                // Take the pending error (interface down, ...) so that
                // waiting goes on; what it means reaches the owner by
                // other ways.
                int error = 0;
                socklen_t size = sizeof error;
                getsockopt(socket_, SOL_SOCKET, SO_ERROR, &error, &size);
            }
            readable = true;
        }
        if (readable)
            drainNow();
    }
}

}  // namespace ovro::canbus
