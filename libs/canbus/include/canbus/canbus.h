/*
 * canbus.h - an endpoint of the virtual CAN bus.
 *
 * A bus is a directory of AF_UNIX datagram sockets, one per endpoint; a frame
 * is a 20-byte datagram sent to every other socket of the directory. The
 * bus root is $OVRO_CANBUS_DIR, else /tmp/ovro-canbus-<uid>; the default bus
 * name is "default". Each endpoint drains its socket into a large receive
 * queue and counts the frames it loses: a receiver that waits does it
 * itself, a reader thread of the endpoint whenever none waits.
 *
 * Plain C, thread-safe per endpoint (one reader and any number of senders).
 * The wire contract is written out in libs/canbus/README.md.
 *
 * Usage:
 *   int err = 0;
 *   canbus_endpoint* ep = canbus_open("default", 500000, &err);  // NULL: err is an errno
 *   canbus_frame out = {0x605, 8, {0x40, 0x00, 0x10, 0x00}, 0};
 *   canbus_send(ep, &out);                          // to every other endpoint of the bus
 *   canbus_frame in;
 *   if (canbus_receive(ep, &in, 100) == 1)          // waits up to 100 ms
 *       handle(&in);
 *   canbus_close(ep);                               // removes the socket file
 */
#ifndef CANBUS_CANBUS_H
#define CANBUS_CANBUS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Identifier word flags, in the SocketCAN can_id layout. */
#define CANBUS_EFF_FLAG 0x80000000u /* extended (29-bit) identifier */
#define CANBUS_RTR_FLAG 0x40000000u /* remote request */
#define CANBUS_ERR_FLAG 0x20000000u /* error frame */
#define CANBUS_SFF_MASK 0x000007FFu
#define CANBUS_EFF_MASK 0x1FFFFFFFu

/* Error classes of an error frame (identifier bits) and controller states
 * (data byte 1), as SocketCAN defines them. */
#define CANBUS_ERR_CRTL 0x00000004u  /* controller problems, details in data[1] */
#define CANBUS_ERR_BUSOFF 0x00000040u
#define CANBUS_ERR_RESTARTED 0x00000100u
#define CANBUS_ERR_CRTL_RX_OVERFLOW 0x01u
#define CANBUS_ERR_CRTL_TX_OVERFLOW 0x02u
#define CANBUS_ERR_CRTL_RX_WARNING 0x04u
#define CANBUS_ERR_CRTL_TX_WARNING 0x08u
#define CANBUS_ERR_CRTL_RX_PASSIVE 0x10u
#define CANBUS_ERR_CRTL_TX_PASSIVE 0x20u
#define CANBUS_ERR_CRTL_ACTIVE 0x40u

#define CANBUS_FRAME_SIZE 20       /* bytes of one datagram */
#define CANBUS_QUEUE_FRAMES 16384  /* receive queue of an endpoint */

typedef struct canbus_frame {
    uint32_t id;      /* identifier word with the flags above */
    uint8_t len;      /* 0..8 */
    uint8_t data[8];  /* unused bytes zero */
    uint32_t bitrate; /* of the sender in bit/s; 0 = any rate */
} canbus_frame;

typedef struct canbus_endpoint canbus_endpoint;

/* Opens an endpoint on bus `name` (NULL or "" = "default") at `bitrate`
 * bit/s (0 = hears every rate and sends as "any"). Returns NULL and sets
 * *err to a positive errno on failure (err may be NULL). With the
 * environment variable OVRO_CANBUS_WIRE_TIME=1 the endpoint opens as with
 * CANBUS_WIRE_TIME. */
canbus_endpoint* canbus_open(const char* name, uint32_t bitrate, int* err);

/* Flags of canbus_open_with. */
#define CANBUS_WIRE_TIME 0x1u /* the bus costs wire time while this endpoint is open */

/* canbus_open with flags. A bus costs wire time while one of its endpoints
 * asked for it: every frame, from any node that uses this library, then
 * takes its slot on one shared wire for its time at the sender's bit rate
 * (worst-case bit stuffing, see canbus_frame_bits), its sender waits for a
 * free bus and receivers see it only once it has passed the wire. */
canbus_endpoint* canbus_open_with(const char* name, uint32_t bitrate, unsigned flags, int* err);

/* 1 while the bus costs wire time, else 0. */
int canbus_wire_timed(canbus_endpoint* ep);

/* Bits of a frame on the wire with worst-case bit stuffing, inter-frame
 * space included: 55 + 10 per data byte for a standard frame of up to 8
 * bytes (135 for 8), 160 for an extended one of 8; a remote request as
 * with no data; 0 for an error frame. */
uint32_t canbus_frame_bits(const canbus_frame* frame);

/* Those bits' time in nanoseconds at bitrate bit/s, rounded up; 0 for rate 0. */
int64_t canbus_wire_time_ns(const canbus_frame* frame, uint32_t bitrate);

/* Closes the endpoint and removes its socket file. NULL is ignored. */
void canbus_close(canbus_endpoint* ep);

/* Changes the rate the endpoint sends with and filters on. */
void canbus_set_bitrate(canbus_endpoint* ep, uint32_t bitrate);
uint32_t canbus_bitrate(const canbus_endpoint* ep);

/* Sends a frame to every other endpoint of the bus, without blocking for
 * longer than the 2 ms retry on a full peer (on a wire-timed bus, plus the
 * wait for the bus and the frame's wire time). The frame's bitrate field is
 * ignored: the endpoint's own rate is sent. 0 on success, else -errno
 * (-EINVAL for a length above 8). */
int canbus_send(canbus_endpoint* ep, const canbus_frame* frame);

/* Takes the oldest queued frame. timeout_ms: 0 = do not wait, <0 = wait
 * without limit. Returns 1 with a frame, 0 when none arrived in time. A
 * waiting receiver is woken by the kernel itself when a datagram arrives
 * and takes it from the socket in its own thread. */
int canbus_receive(canbus_endpoint* ep, canbus_frame* frame, int timeout_ms);

/* Like canbus_receive with a timeout in microseconds. */
int canbus_receive_us(canbus_endpoint* ep, canbus_frame* frame, int64_t timeout_us);

/* A receiver waiting in canbus_receive also returns, with 0, as soon as fd
 * is readable (an event loop's other sources, behind one descriptor); -1
 * takes it away. 0 or -errno. */
int canbus_set_wake_fd(canbus_endpoint* ep, int fd);

/* Number of frames waiting in the receive queue. */
size_t canbus_pending(canbus_endpoint* ep);

/* Frames lost since the last call (queue full), and resets the count. */
uint64_t canbus_take_lost(canbus_endpoint* ep);

/* Drops every queued frame. */
void canbus_flush(canbus_endpoint* ep);

/* The bus directory of a name ("<root>/<name>"), written to buf. Returns
 * buf, or NULL when it does not fit. */
char* canbus_directory(const char* name, char* buf, size_t size);

/* Encodes and decodes the 20-byte wire form. decode returns 0 for a
 * datagram that is not a frame (wrong size or a length above 8). */
void canbus_encode(const canbus_frame* frame, uint8_t out[CANBUS_FRAME_SIZE]);
int canbus_decode(const uint8_t* in, size_t size, canbus_frame* frame);

#ifdef __cplusplus
}
#endif

#endif /* CANBUS_CANBUS_H */
