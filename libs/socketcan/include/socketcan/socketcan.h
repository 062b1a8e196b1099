/*
 * socketcan.h - the one way to a Linux SocketCAN interface.
 *
 * The PCAN-Light-compatible libraries, the simulated drive and the canbus
 * tool get their raw CAN socket and the interface's state (bit rate, up or
 * down) here. A socket carries struct can_frame records, one per read or
 * write, with error frames of the classes asked for.
 *
 *   int fd = socketcan_open("can0", CAN_ERR_CRTL | CAN_ERR_BUSOFF);
 *   if (fd < 0) ... -fd is the errno (ENODEV: no such interface)
 *   uint32_t rate = 0;
 *   socketcan_bitrate("can0", &rate);     0 in rate: no bit timing (vcan)
 *   socketcan_set_bitrate("can0", 500000) -EPERM when not ours to change
 *   write(fd, &frame, sizeof frame); read(fd, &frame, sizeof frame);
 *   close(fd);
 *
 * Tests put their own operations in place with socketcan_set_ops (for
 * example one end of a socketpair(AF_UNIX, SOCK_SEQPACKET), which carries
 * can_frame records exactly as a raw CAN socket does). The operations are
 * process-global: the library is shared, so every driver library loaded
 * into the process sees the same ones.
 */
#ifndef SOCKETCAN_SOCKETCAN_H
#define SOCKETCAN_SOCKETCAN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SOCKETCAN_NAME_SIZE 16 /* IFNAMSIZ */
#define SOCKETCAN_API __attribute__((visibility("default")))

typedef struct socketcan_ops {
    /* A raw CAN socket bound to the interface, non-blocking and
     * close-on-exec, receiving the error frames of err_mask. Returns the
     * descriptor, or -errno (-ENODEV for an interface that does not exist,
     * -EAFNOSUPPORT without SocketCAN). */
    int (*open)(void* context, const char* interface, uint32_t err_mask);
    /* The interface's bit rate in bit/s into *bitrate (0: no bit timing,
     * as on vcan). 0, or -errno. */
    int (*bitrate)(void* context, const char* interface, uint32_t* bitrate);
    /* Stops the interface, sets the bit rate and starts it again. 0, or
     * -errno (-EPERM when this process may not). */
    int (*set_bitrate)(void* context, const char* interface, uint32_t bitrate);
    /* 1 when the interface is up, 0 when down, -errno when missing. */
    int (*is_up)(void* context, const char* interface);
    /* Brings the interface up. 0, or -errno. */
    int (*bring_up)(void* context, const char* interface);
    /* Names of the CAN interfaces of the machine into names (at most max),
     * sorted; returns how many there are (possibly more than max). */
    size_t (*list)(void* context, char (*names)[SOCKETCAN_NAME_SIZE], size_t max);
    void* context;
} socketcan_ops;

/* The operations on the machine's own interfaces. */
SOCKETCAN_API const socketcan_ops* socketcan_system_ops(void);

/* Puts ops in place of the present operations (NULL: the system's). The
 * record must live as long as it is in place; members left NULL fall back
 * to the system's. */
SOCKETCAN_API void socketcan_set_ops(const socketcan_ops* ops);

/* The calls through the present operations. */
SOCKETCAN_API int socketcan_open(const char* interface, uint32_t err_mask);
SOCKETCAN_API int socketcan_bitrate(const char* interface, uint32_t* bitrate);
SOCKETCAN_API int socketcan_set_bitrate(const char* interface, uint32_t bitrate);
SOCKETCAN_API int socketcan_is_up(const char* interface);
SOCKETCAN_API int socketcan_bring_up(const char* interface);
SOCKETCAN_API size_t socketcan_list(char (*names)[SOCKETCAN_NAME_SIZE], size_t max);

/* Lists the CAN interfaces (type 280) under a sysfs network folder such as
 * "/sys/class/net"; the system's list operation reads that one. */
SOCKETCAN_API size_t socketcan_list_in(const char* sysfs_net, char (*names)[SOCKETCAN_NAME_SIZE], size_t max);

#ifdef __cplusplus
}
#endif

#endif /* SOCKETCAN_SOCKETCAN_H */
