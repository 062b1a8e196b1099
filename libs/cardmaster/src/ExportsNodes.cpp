// The node exports: registering and searching nodes, NMT, node state and
// identity, and LMT.
#include "Exports.h"

#include <orxboard/orx_protocol.h>

#include <cstring>

using namespace cardmaster;

namespace {

// A command whose only parameter is the node-id: result 3 without any
// message for a node-id with bit 7 set.
COP_CM_RESULT nodeCommand(uint16_t handle, uint16_t code, uint8_t node)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (badNode(node))
            return CM_ERR_PARAMETER;
        return CommandChannel::command(s, code, &node, 1);
    });
}

// A 16-bit time value: bit 15 must be clear; a non-zero value below 5 becomes 5.
bool timeValue(uint16_t& time)
{
    if (time & 0x8000u)
        return false;
    if (time != 0 && time < 5)
        time = 5;
    return true;
}

}  // namespace

CM_EXPORT COP_CM_RESULT COP_AddNode(uint16_t handle, uint8_t node, uint8_t mode, uint16_t time, uint8_t factor)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (!timeValue(time))
            return CM_ERR_PARAMETER;
        uint8_t p[6] = {node, 0};
        orx_put_u16(p + 2, time);
        p[4] = factor;
        p[5] = mode;
        return CommandChannel::command(s, ORX_CMD_ADD_NODE, p, sizeof p);
    });
}

// The exports whose only parameter is the node-id.
#define CM_NODE_COMMAND(name, code)                             \
    CM_EXPORT COP_CM_RESULT name(uint16_t handle, uint8_t node) \
    {                                                           \
        return nodeCommand(handle, code, node);                 \
    }

CM_NODE_COMMAND(COP_SearchNode, ORX_CMD_SEARCH_NODE)
CM_NODE_COMMAND(COP_DeleteNode, ORX_CMD_DELETE_NODE)
CM_NODE_COMMAND(COP_StartNode, ORX_CMD_START_NODE)
CM_NODE_COMMAND(COP_EnterPreOperational, ORX_CMD_PRE_OPERATIONAL)
CM_NODE_COMMAND(COP_SetDisconnected, ORX_CMD_SET_DISCONNECTED)
CM_NODE_COMMAND(COP_StopNode, ORX_CMD_STOP_NODE)
CM_NODE_COMMAND(COP_ResetComm, ORX_CMD_RESET_COMM)
CM_NODE_COMMAND(COP_ResetNode, ORX_CMD_RESET_NODE)

#undef CM_NODE_COMMAND

CM_EXPORT COP_CM_RESULT COP_GetNodeState(uint16_t handle, uint8_t node, uint8_t* state)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (!state || badNode(node))
            return CM_ERR_PARAMETER;
        uint8_t block[ORX_COMMAND_BLOCK_MAX];
        orx_block_begin(block, ORX_CMD_GET_NODE_STATE, 1);
        block[ORX_PARAM] = node;
        COP_CM_RESULT r = CommandChannel::exchange(s, block);
        if (r == CM_OK)
            *state = block[ORX_ANSWER_DATA];
        return r;
    });
}

CM_EXPORT COP_CM_RESULT COP_IdentifyRemNode(uint16_t handle, uint8_t node, uint8_t what, CopNodeIdentity* identity)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (!identity || badNode(node) || node == 0)
            return CM_ERR_PARAMETER;
        uint8_t block[ORX_COMMAND_BLOCK_MAX];
        orx_block_begin(block, ORX_CMD_IDENTIFY_NODE, 4);
        block[ORX_PARAM] = node;
        block[ORX_PARAM + 1] = what;
        COP_CM_RESULT r = CommandChannel::exchange(s, block);
        std::memset(identity, 0, sizeof *identity);
        if (r == CM_OK && orx_block_length(block) >= 22) {
            const uint8_t* d = block + ORX_ANSWER_DATA;
            identity->valid = d[0];
            identity->deviceType = orx_get_u32(d + 1);
            identity->vendorId = orx_get_u32(d + 5);
            identity->productCode = orx_get_u32(d + 9);
            identity->revision = orx_get_u32(d + 13);
            identity->serialNumber = orx_get_u32(d + 17);
        }
        return r;
    });
}

CM_EXPORT COP_CM_RESULT COP_ChangeNodeParameter(uint16_t handle, uint8_t node, uint8_t mode, uint16_t time,
                                                uint8_t factor)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (badNode(node) || !timeValue(time))
            return CM_ERR_PARAMETER;
        uint8_t p[5] = {node, mode};
        orx_put_u16(p + 2, time);
        p[4] = factor;
        return CommandChannel::command(s, ORX_CMD_CHANGE_NODE, p, sizeof p);
    });
}

CM_EXPORT COP_CM_RESULT COP_LMT_GetAddress(uint16_t handle, uint8_t mode, uint8_t baud, char* manufacturer,
                                           char* product, char* serial)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (mode > 1 || baud > 8)
            return CM_ERR_PROTOCOL;
        if (!manufacturer || !product || !serial)
            return CM_ERR_PARAMETER;
        uint8_t block[ORX_COMMAND_BLOCK_MAX];
        orx_block_begin(block, ORX_CMD_LMT_GET_ADDRESS, 1);
        block[ORX_PARAM] = baud;
        COP_CM_RESULT r = CommandChannel::exchange(s, block);
        if (r == CM_OK && orx_block_length(block) >= 29) {
            const uint8_t* d = block + ORX_ANSWER_DATA;
            std::memcpy(manufacturer, d, 7);
            std::memcpy(product, d + 7, 7);
            std::memcpy(serial, d + 14, 14);
        }
        return r;
    });
}

CM_EXPORT COP_CM_RESULT COP_LMT_ConfigNode(uint16_t handle, const char* manufacturer, const char* product,
                                           const char* serial, uint8_t node, uint8_t baud, uint8_t newBaud)
{
    return withBoard(handle, [&](BoardSlot& s) -> COP_CM_RESULT {
        if (!manufacturer || !product || !serial)
            return CM_ERR_PARAMETER;
        uint8_t p[34] = {};
        std::memcpy(p, manufacturer, 7);
        std::memcpy(p + 7, product, 7);
        std::memcpy(p + 14, serial, 14);
        p[28] = node;
        p[29] = baud;
        p[30] = newBaud;
        return CommandChannel::command(s, ORX_CMD_LMT_CONFIG_NODE, p, sizeof p);
    });
}
