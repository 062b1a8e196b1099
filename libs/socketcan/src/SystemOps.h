// SystemOps - the SocketCAN operations on the machine's own interfaces.
#ifndef SOCKETCAN_SYSTEMOPS_H
#define SOCKETCAN_SYSTEMOPS_H

#include <socketcan/socketcan.h>

namespace ovro::socketcan {

const socketcan_ops& systemOps();

}  // namespace ovro::socketcan

#endif
