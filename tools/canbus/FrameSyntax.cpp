#include "FrameSyntax.h"

#include <cctype>
#include <cstring>

namespace FrameSyntax {

namespace {

struct StateWord {
    const char* word;
    uint32_t classes;  // identifier bits besides the error flag
    uint8_t controller;  // data byte 1
};

// SocketCAN reports controller states in data byte 1 of a CRTL error frame
// and bus-off as a class of its own.
constexpr StateWord kStateWords[] = {
    {"busoff", CANBUS_ERR_BUSOFF, 0},
    {"error-passive", CANBUS_ERR_CRTL, CANBUS_ERR_CRTL_RX_PASSIVE | CANBUS_ERR_CRTL_TX_PASSIVE},
    {"error-warning", CANBUS_ERR_CRTL, CANBUS_ERR_CRTL_RX_WARNING | CANBUS_ERR_CRTL_TX_WARNING},
    {"error-active", CANBUS_ERR_CRTL, CANBUS_ERR_CRTL_ACTIVE},
};

bool hexValue(const std::string& digits, uint32_t& value)
{
    value = 0;
    for (char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
        value = value << 4 | static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c))
                                                       ? c - '0'
                                                       : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
    }
    return true;
}

bool parseIdentifier(const std::string& text, uint32_t& id, std::string& error)
{
    uint32_t value = 0;
    if ((text.size() != 3 && text.size() != 8) || !hexValue(text, value)) {
        error = "bad identifier '" + text +
                "': give 3 hex digits for a standard or 8 for an extended identifier";
        return false;
    }
    if (text.size() == 3) {
        if (value > CANBUS_SFF_MASK) {
            error = "standard identifier " + text + " is above 7FF";
            return false;
        }
        id = value;
        return true;
    }
    if (value & CANBUS_ERR_FLAG) {
        if (value & (CANBUS_EFF_FLAG | CANBUS_RTR_FLAG)) {
            error = "error frame identifier " + text + " has other flags set";
            return false;
        }
        id = value;  // error frame with its classes
        return true;
    }
    if (value > CANBUS_EFF_MASK) {
        error = "extended identifier " + text + " is above 1FFFFFFF";
        return false;
    }
    id = value | CANBUS_EFF_FLAG;
    return true;
}

bool parseData(const std::string& text, canbus_frame& frame, std::string& error)
{
    std::string digits;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '.') {
            // A dot separates whole bytes only.
            if (digits.size() % 2 != 0 || i == 0 || i + 1 == text.size() || text[i + 1] == '.') {
                error = "misplaced '.' in data '" + text + "'";
                return false;
            }
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(text[i]))) {
            error = std::string("bad character '") + text[i] + "' in data '" + text + "'";
            return false;
        }
        digits += text[i];
    }
    if (digits.size() % 2 != 0) {
        error = "data '" + text + "' ends in half a byte";
        return false;
    }
    if (digits.size() > 16) {
        error = "data '" + text + "' is longer than 8 bytes";
        return false;
    }
    frame.len = static_cast<uint8_t>(digits.size() / 2);
    for (std::size_t i = 0; i < frame.len; ++i) {
        uint32_t byte = 0;
        hexValue(digits.substr(2 * i, 2), byte);
        frame.data[i] = static_cast<uint8_t>(byte);
    }
    return true;
}

}  // namespace

bool parse(const std::string& text, canbus_frame& frame, std::string& error)
{
    canbus_frame out{};
    for (const StateWord& state : kStateWords) {
        if (text == state.word) {
            out.id = CANBUS_ERR_FLAG | state.classes;
            out.len = 8;
            out.data[1] = state.controller;
            frame = out;
            return true;
        }
    }
    std::size_t hash = text.find('#');
    if (hash == std::string::npos) {
        error = "bad frame '" + text +
                "': expected ID#DATA, ID#R[LEN], busoff, error-passive, error-warning or error-active";
        return false;
    }
    if (!parseIdentifier(text.substr(0, hash), out.id, error))
        return false;
    std::string rest = text.substr(hash + 1);
    if (!rest.empty() && (rest[0] == 'R' || rest[0] == 'r')) {
        if (out.id & CANBUS_ERR_FLAG) {
            error = "an error frame cannot be a remote request";
            return false;
        }
        out.id |= CANBUS_RTR_FLAG;
        if (rest.size() == 1) {
            out.len = 0;
        } else if (rest.size() == 2 && rest[1] >= '0' && rest[1] <= '8') {
            out.len = static_cast<uint8_t>(rest[1] - '0');
        } else {
            error = "bad remote request length '" + rest.substr(1) + "': give one digit 0 to 8";
            return false;
        }
    } else if (!parseData(rest, out, error)) {
        return false;
    }
    frame = out;
    return true;
}

}  // namespace FrameSyntax
