// SocketReader - the thread that keeps draining a socket: it waits until the
// socket is readable and calls the owner's drain function, which reads
// everything waiting into a ReceiveQueue. The virtual bus endpoint and the
// SocketCAN channel of the PCAN-Light libraries both run on it.
//
// The thread never gives up on a passing failure (EINTR, ENOMEM); it takes a
// pending socket error (an interface gone down) and goes on. It ends when
// stopped or when the socket is closed under it.
#ifndef CANBUS_SOCKETREADER_H
#define CANBUS_SOCKETREADER_H

#include <functional>
#include <thread>

namespace ovro::canbus {

class SocketReader {
public:
    // drain: reads the socket (without blocking) until it is empty.
    SocketReader(int socket, std::function<void()> drain);
    ~SocketReader();  // stops the thread

    SocketReader(const SocketReader&) = delete;
    SocketReader& operator=(const SocketReader&) = delete;

    // Starts the thread; 0 or a positive errno.
    int start();
    // Stops the thread and waits for it; the socket stays open.
    void stop();

private:
    void run();

    int socket_;
    int stopEvent_ = -1;
    std::function<void()> drain_;
    std::thread thread_;
};

}  // namespace ovro::canbus

#endif
