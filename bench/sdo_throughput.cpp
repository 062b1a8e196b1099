// sdo_throughput - figures of the SDO path of the software master and of the
// virtual bus. The whole stack (libmastergate.so -> libsoftmaster.so ->
// libpcan_usb.so -> virtual bus) runs against
//   - a ScriptedPeer in this process, and
//   - ovro-drive-sim, a process of its own,
// each on a private bus at 500 kbit/s. Prints
//   - expedited SDO reads per second and the client's CPU per read,
//   - segmented upload and download throughput in KB/s,
//   - the CPU of a COP_ReadSDO that waits for an answer that never comes,
//   - the simulator's SDO turnaround (request datagram in, answer out),
//   - the sender's CPU per frame with 2, 16 and 128 endpoints on the bus,
//   - the machine's floor: a bare datagram round trip between two processes.
// Usage: sdo_throughput [seconds per figure, default 2]
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <canbus/canbus.h>
#include <cop/cop.h>

#include "ScriptedPeer.h"
#include "SimProcess.h"

namespace {

constexpr uint8_t kNode = 5;
constexpr uint8_t kSilentNode = 6;
constexpr uint32_t kBitrate = 500000;
const char* const kBus = "bench";

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double cpuSeconds(int who)
{
    rusage ru{};
    getrusage(who, &ru);
    auto s = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return s(ru.ru_utime) + s(ru.ru_stime);
}

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

int fail(const char* what)
{
    std::fprintf(stderr, "sdo_throughput: %s failed, error %d\n", what, int(COP_GetLastError()));
    return 1;
}

// Transfers that timed out (a frame the bus dropped) are counted, not fatal.
struct Failures {
    long timeouts = 0;
    bool tolerable()
    {
        if (COP_GetLastError() != COP_ERR_TIMEOUT)
            return false;
        ++timeouts;
        return true;
    }
};

struct ReadFigures {
    double perSecond = 0;
    double cpuMicroseconds = 0;  // of this process per read
    double switches = 0;         // voluntary context switches of this process per read
};

long voluntarySwitches()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_nvcsw;
}

// Expedited reads of one object for `span` seconds.
bool expeditedReads(uint16_t index, uint8_t sub, double span, Failures& failures, ReadFigures& out)
{
    long reads = 0;
    uint8_t buf[8];
    int16_t len = 0;
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    const long switchesBefore = voluntarySwitches();
    const auto start = Clock::now();
    while (seconds(Clock::now() - start) < span) {
        for (int i = 0; i < 100; ++i, ++reads)
            if (!COP_ReadSDO(kNode, index, sub, &len, buf, sizeof buf) && !failures.tolerable())
                return false;
    }
    const double wall = seconds(Clock::now() - start);
    out.perSecond = double(reads) / wall;
    out.cpuMicroseconds = (cpuSeconds(RUSAGE_SELF) - cpuBefore) * 1e6 / double(reads);
    out.switches = double(voluntarySwitches() - switchesBefore) / double(reads);
    return true;
}

// KB/s of segmented uploads of one object into a buffer of `size` bytes.
bool segmentedUploads(uint16_t index, uint8_t sub, int16_t size, double span, Failures& failures, double& kbPerSecond)
{
    std::vector<uint8_t> buffer(size_t(size) + 1);
    long bytes = 0;
    const auto start = Clock::now();
    while (seconds(Clock::now() - start) < span) {
        int16_t len = 0;
        if (COP_ReadSDO(kNode, index, sub, &len, buffer.data(), size))
            bytes += len;
        else if (!failures.tolerable())
            return false;
    }
    kbPerSecond = double(bytes) / 1024.0 / seconds(Clock::now() - start);
    return true;
}

bool segmentedDownloads(uint16_t index, uint8_t sub, double span, Failures& failures, double& kbPerSecond)
{
    std::vector<uint8_t> block(32767);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = uint8_t(i);
    long bytes = 0;
    const auto start = Clock::now();
    while (seconds(Clock::now() - start) < span) {
        if (COP_WriteSDO(kNode, index, sub, int16_t(block.size()), block.data()))
            bytes += long(block.size());
        else if (!failures.tolerable())
            return false;
    }
    kbPerSecond = double(bytes) / 1024.0 / seconds(Clock::now() - start);
    return true;
}

int againstScriptedPeer(double span)
{
    ovro::test::ScriptedPeer peer(kBus, kNode, kBitrate);
    if (!peer.isOpen()) {
        std::fprintf(stderr, "sdo_throughput: cannot open the peer's endpoint\n");
        return 1;
    }
    peer.setObject(0x2000, 1, {1, 2, 3, 4});
    peer.setObject(0x2F50, 1, {});
    peer.setObject(0x3000, 0, std::vector<uint8_t>(32767, 0x5A), ovro::test::ScriptedPeer::Access::ReadOnly);

    if (!COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_500))
        return fail("COP_Initialize");
    if (!COP_AddNode(kNode) || !COP_AddNode(kSilentNode))
        return fail("COP_AddNode");
    COP_SetSDOTimeout(1000);  // only a lost frame waits this long

    Failures failures;
    ReadFigures reads;
    double upload = 0, download = 0;
    if (!expeditedReads(0x2000, 1, span, failures, reads))
        return fail("COP_ReadSDO");
    if (!segmentedUploads(0x3000, 0, 32767, span, failures, upload))
        return fail("segmented COP_ReadSDO");
    if (!segmentedDownloads(0x2F50, 1, span, failures, download))
        return fail("COP_WriteSDO");

    // Waiting for an answer that never comes.
    const uint16_t waitMs = uint16_t(span * 1000 > 60000 ? 60000 : span * 1000);
    COP_SetSDOTimeout(waitMs);
    const double processBefore = cpuSeconds(RUSAGE_SELF);
    const double threadBefore = cpuSeconds(RUSAGE_THREAD);
    const auto start = Clock::now();
    uint8_t buf[8];
    int16_t len = 0;
    const bool answered = COP_ReadSDO(kSilentNode, 0x2000, 1, &len, buf, sizeof buf);
    const double wall = seconds(Clock::now() - start);
    const double processCpu = (cpuSeconds(RUSAGE_SELF) - processBefore) / wall;
    const double threadCpu = (cpuSeconds(RUSAGE_THREAD) - threadBefore) / wall;
    int status = 0;
    if (answered || COP_GetLastError() != COP_ERR_TIMEOUT)
        status = fail("the silent read");
    COP_Terminate();

    std::printf("against a ScriptedPeer in this process (its CPU counts as well):\n");
    std::printf("  expedited SDO reads:        %10.0f reads/s, %.1f us CPU per read (client and peer)\n",
                reads.perSecond, reads.cpuMicroseconds);
    std::printf("  segmented SDO upload:       %10.1f KB/s (32767-byte object)\n", upload);
    std::printf("  segmented SDO download:     %10.1f KB/s (32767 bytes)\n", download);
    std::printf("  CPU while waiting %.1f s:    %10.4f CPU s/s for the process, %.4f for the waiting thread\n",
                wall, processCpu, threadCpu);
    if (failures.timeouts)
        std::printf("  transfers that timed out:   %10ld (frames lost on the bus)\n", failures.timeouts);
    return status;
}

// The simulator's SDO turnaround seen from a plain socket on the bus: the
// time from sending the request datagram to the kernel's time stamp of the
// answer datagram, which the kernel takes as the simulator sends it. The
// requests follow each other as a master's do, each right after the answer.
bool simulatorTurnaround(const std::string& busDir, int count, double& median, double& p90)
{
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    timeval tv{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    sockaddr_un own{};
    own.sun_family = AF_UNIX;
    const std::string ownPath = busDir + "/probe-" + std::to_string(getpid()) + ".sock";
    std::snprintf(own.sun_path, sizeof own.sun_path, "%s", ownPath.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&own), sizeof own) != 0) {
        close(fd);
        return false;
    }
    // The simulator is the only other endpoint on the bus now.
    std::string simPath;
    for (const auto& entry : std::filesystem::directory_iterator(busDir))
        if (entry.path().extension() == ".sock" && entry.path() != ownPath)
            simPath = entry.path();
    sockaddr_un sim{};
    sim.sun_family = AF_UNIX;
    std::snprintf(sim.sun_path, sizeof sim.sun_path, "%s", simPath.c_str());

    canbus_frame request{};
    request.id = 0x600 + kNode;
    request.len = 8;
    const uint8_t upload[8] = {0x40, 0x00, 0x10, 0x00, 0, 0, 0, 0};
    std::memcpy(request.data, upload, 8);
    request.bitrate = kBitrate;
    uint8_t wire[CANBUS_FRAME_SIZE];
    canbus_encode(&request, wire);

    std::vector<double> times;
    for (int i = 0; i < count && !simPath.empty(); ++i) {
        timespec sent{};
        clock_gettime(CLOCK_REALTIME, &sent);
        if (sendto(fd, wire, sizeof wire, 0, reinterpret_cast<sockaddr*>(&sim), sizeof sim) != sizeof wire)
            break;
        for (;;) {
            uint8_t in[64];
            char control[CMSG_SPACE(sizeof(timespec))];
            iovec iov{in, sizeof in};
            msghdr msg{};
            msg.msg_iov = &iov;
            msg.msg_iovlen = 1;
            msg.msg_control = control;
            msg.msg_controllen = sizeof control;
            const ssize_t n = recvmsg(fd, &msg, 0);
            if (n < 0)
                break;  // lost: no figure for this one
            canbus_frame answer{};
            if (!canbus_decode(in, size_t(n), &answer) || answer.id != 0x580u + kNode)
                continue;
            for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
                if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
                    timespec at{};
                    std::memcpy(&at, CMSG_DATA(c), sizeof at);
                    times.push_back(double(at.tv_sec - sent.tv_sec) * 1e6 + double(at.tv_nsec - sent.tv_nsec) / 1e3);
                }
            }
            break;
        }
    }
    close(fd);
    unlink(ownPath.c_str());
    if (times.empty())
        return false;
    std::sort(times.begin(), times.end());
    median = times[times.size() / 2];
    p90 = times[times.size() * 9 / 10];
    return true;
}

int againstSimulator(const std::string& busDir, double span)
{
    ovro::test::SimProcess sim;
    if (!sim.start(busDir, {"--node-id", "5", "--bitrate", "500", "--bus", kBus})) {
        std::fprintf(stderr, "sdo_throughput: ovro-drive-sim did not start (%s)\n%s",
                     ovro::test::SimProcess::executable().c_str(), sim.log().c_str());
        return 1;
    }
    double median = 0, p90 = 0;
    const bool turnaround = simulatorTurnaround(busDir, 2000, median, p90);

    if (!COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_500))
        return fail("COP_Initialize");
    if (!COP_AddNode(kNode))
        return fail("COP_AddNode");
    COP_SetSDOTimeout(1000);
    Failures failures;
    ReadFigures reads;
    double upload = 0;
    if (!expeditedReads(0x1000, 0, span, failures, reads))
        return fail("COP_ReadSDO");
    if (!segmentedUploads(0x1008, 0, 255, span, failures, upload))
        return fail("segmented COP_ReadSDO");
    COP_Terminate();
    sim.stop();

    std::printf("against ovro-drive-sim (a process of its own):\n");
    std::printf("  expedited SDO reads:        %10.0f reads/s (target >= 30000)\n", reads.perSecond);
    std::printf("  client CPU per read:        %10.1f us (target <= 8)\n", reads.cpuMicroseconds);
    std::printf("  client thread sleeps:       %10.2f per read (all its threads; 1 is one wake-up per answer)\n",
                reads.switches);
    std::printf("  segmented SDO upload:       %10.1f KB/s (0x1008, the device name)\n", upload);
    if (turnaround)
        std::printf("  simulator SDO turnaround:   %10.1f us median, %.1f us at 90 %% (target median < 20)\n",
                    median, p90);
    else
        std::printf("  simulator SDO turnaround:   no answers\n");
    if (failures.timeouts)
        std::printf("  transfers that timed out:   %10ld (frames lost on the bus)\n", failures.timeouts);
    return 0;
}

// CPU of the sending thread per frame with `endpoints` endpoints on a bus
// of their own (the sender and endpoints - 1 receivers that drain).
double senderCpuPerFrame(int endpoints, int frames)
{
    const std::string bus = "senders" + std::to_string(endpoints);
    std::vector<canbus_endpoint*> sinks;
    for (int i = 1; i < endpoints; ++i)
        if (canbus_endpoint* ep = canbus_open(bus.c_str(), kBitrate, nullptr))
            sinks.push_back(ep);
    canbus_endpoint* sender = canbus_open(bus.c_str(), kBitrate, nullptr);
    if (!sender)
        return -1;
    canbus_frame frame{};
    frame.id = 0x181;
    frame.len = 8;
    for (int i = 0; i < 50; ++i)  // warm up
        canbus_send(sender, &frame);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // What measuring itself costs, taken off each figure.
    double overhead = 0;
    for (int i = 0; i < frames; ++i) {
        const double before = threadCpuSeconds();
        overhead += threadCpuSeconds() - before;
    }
    double cpu = -overhead;
    for (int i = 0; i < frames; ++i) {
        frame.data[0] = uint8_t(i);
        const double before = threadCpuSeconds();
        canbus_send(sender, &frame);
        cpu += threadCpuSeconds() - before;
        // Time for the receivers to drain, so that no send meets a full peer.
        std::this_thread::sleep_for(std::chrono::microseconds(100 + 5 * endpoints));
    }
    canbus_close(sender);
    for (canbus_endpoint* ep : sinks)
        canbus_close(ep);
    return cpu * 1e6 / frames;
}

// The kernel's own share: CPU of one sendmmsg of a 20-byte datagram to each
// of `receivers` plain sockets that nobody waits on (no wake-ups).
double kernelFloorPerReceiver(const std::string& dir, int receivers, int frames)
{
    std::vector<int> sockets;
    std::vector<sockaddr_un> addresses(static_cast<size_t>(receivers));
    for (int i = 0; i < receivers; ++i) {
        sockaddr_un& a = addresses[size_t(i)];
        a.sun_family = AF_UNIX;
        std::snprintf(a.sun_path, sizeof a.sun_path, "%s/floor-%d-%d.sock", dir.c_str(), int(getpid()), i);
        const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        sockets.push_back(fd);
    }
    const int sender = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    uint8_t wire[CANBUS_FRAME_SIZE] = {};
    iovec iov{wire, sizeof wire};
    std::vector<mmsghdr> messages(static_cast<size_t>(receivers));
    for (int i = 0; i < receivers; ++i) {
        messages[size_t(i)] = mmsghdr{};
        messages[size_t(i)].msg_hdr.msg_name = &addresses[size_t(i)];
        messages[size_t(i)].msg_hdr.msg_namelen = sizeof(sockaddr_un);
        messages[size_t(i)].msg_hdr.msg_iov = &iov;
        messages[size_t(i)].msg_hdr.msg_iovlen = 1;
    }
    double cpu = 0;
    for (int f = 0; f < frames; ++f) {
        const double before = threadCpuSeconds();
        sendmmsg(sender, messages.data(), unsigned(receivers), MSG_DONTWAIT);
        const double after = threadCpuSeconds();
        cpu += after - before - (threadCpuSeconds() - after);  // less one clock reading
        uint8_t in[64];
        for (int fd : sockets)
            while (recv(fd, in, sizeof in, MSG_DONTWAIT) > 0) {
            }
    }
    close(sender);
    for (int i = 0; i < receivers; ++i) {
        close(sockets[size_t(i)]);
        unlink(addresses[size_t(i)].sun_path);
    }
    return cpu * 1e6 / frames / receivers;
}

// The floor of any read on this machine: a bare round trip of one datagram
// to an echoing process and back (send, wait, receive), without a library.
bool bareRoundTrip(const std::string& dir, int count, double& perSecond, double& cpuMicroseconds)
{
    sockaddr_un a{}, b{};
    a.sun_family = b.sun_family = AF_UNIX;
    std::snprintf(a.sun_path, sizeof a.sun_path, "%s/bare-a.sock", dir.c_str());
    std::snprintf(b.sun_path, sizeof b.sun_path, "%s/bare-b.sock", dir.c_str());
    const int own = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int echo = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (bind(own, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        bind(echo, reinterpret_cast<sockaddr*>(&b), sizeof b) != 0)
        return false;
    const pid_t child = fork();
    if (child == 0) {
        uint8_t in[CANBUS_FRAME_SIZE];
        for (int i = 0; i < count; ++i)
            if (recv(echo, in, sizeof in, 0) > 0)
                sendto(echo, in, sizeof in, 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
        _exit(0);
    }
    const int poll = epoll_create1(EPOLL_CLOEXEC);
    epoll_event event{};
    event.events = EPOLLIN;
    epoll_ctl(poll, EPOLL_CTL_ADD, own, &event);
    uint8_t frame[CANBUS_FRAME_SIZE] = {};
    int answered = 0;
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        sendto(own, frame, sizeof frame, 0, reinterpret_cast<sockaddr*>(&b), sizeof b);
        if (epoll_wait(poll, &event, 1, 1000) == 1 && recv(own, frame, sizeof frame, MSG_DONTWAIT) > 0)
            ++answered;
    }
    perSecond = double(answered) / seconds(Clock::now() - start);
    cpuMicroseconds = (cpuSeconds(RUSAGE_SELF) - cpuBefore) * 1e6 / double(count);
    if (child > 0)
        waitpid(child, nullptr, 0);
    close(poll);
    close(own);
    close(echo);
    unlink(a.sun_path);
    unlink(b.sun_path);
    return child > 0 && answered == count;
}

}  // namespace

int main(int argc, char** argv)
{
    const double span = argc > 1 ? std::atof(argv[1]) : 2.0;
    char dir[] = "/tmp/ovro-bench.XXXXXX";
    if (!mkdtemp(dir)) {
        std::perror("mkdtemp");
        return 1;
    }
    setenv("OVRO_CANBUS_DIR", dir, 1);
    setenv("OVRO_CAN_CHANNEL", (std::string("virtual:") + kBus).c_str(), 1);
    const std::string busDir = std::string(dir) + "/" + kBus;

    int status = againstScriptedPeer(span);
    if (status == 0)
        status = againstSimulator(busDir, span);

    if (status == 0) {
        const int frames = int(std::max(200.0, 1000 * span));
        const double two = senderCpuPerFrame(2, frames);
        const double sixteen = senderCpuPerFrame(16, frames);
        const double many = senderCpuPerFrame(128, frames);
        std::printf("sender CPU per frame (canbus_send):\n");
        std::printf("  2 endpoints:                %10.2f us\n", two);
        std::printf("  16 endpoints:               %10.2f us (%.2f us per receiver)\n", sixteen, sixteen / 15);
        std::printf("  128 endpoints:              %10.2f us (%.2f us per receiver), %.1f times the cost with 2\n",
                    many, many / 127, many / two);
        std::printf("  kernel floor:               %10.2f us per receiver (sendmmsg to 127 sockets, none woken)\n",
                    kernelFloorPerReceiver(dir, 127, frames / 2));
    }
    double barePerSecond = 0, bareCpu = 0;
    if (bareRoundTrip(dir, int(std::max(2000.0, 10000 * span)), barePerSecond, bareCpu))
        std::printf("machine floor (bare datagram round trip, no library):\n"
                    "  round trips:                %10.0f per s, %.1f us client CPU each\n",
                    barePerSecond, bareCpu);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return status;
}
