// FrameSyntax - frames written as on the command line of the SocketCAN
// tools: "123#DEADBEEF", "123#11.22.33", "123#R", "123#R4", "12345678#..."
// (extended), "20000040#..." (error frame), and the error-state words
// "busoff", "error-passive", "error-warning", "error-active".
#ifndef CANBUS_TOOL_FRAMESYNTAX_H
#define CANBUS_TOOL_FRAMESYNTAX_H

#include <canbus/canbus.h>

#include <string>

namespace FrameSyntax {

// True with `frame` filled; false with a message in `error`.
bool parse(const std::string& text, canbus_frame& frame, std::string& error);

}  // namespace FrameSyntax

#endif
