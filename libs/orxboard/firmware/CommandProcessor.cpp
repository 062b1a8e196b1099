#include "CommandProcessor.h"

#include <orxboard/orx_protocol.h>

#include <cstring>

namespace orx {

namespace {

// The parameter bytes each command needs at least.
struct CommandShape {
    std::uint16_t code;
    std::uint16_t length;
};

const CommandShape kShapes[] = {
    {ORX_CMD_TEST, 0},           {ORX_CMD_TIMESTAMP, 4},          {ORX_CMD_INIT_INTERFACE, 8},
    {ORX_CMD_VERSION, 0},        {ORX_CMD_STATUS, 0},             {ORX_CMD_RELEASE, 0},
    {ORX_CMD_RESET, 0},          {ORX_CMD_ADD_NODE, 6},           {ORX_CMD_SEARCH_NODE, 1},
    {ORX_CMD_DELETE_NODE, 1},    {ORX_CMD_START_NODE, 1},         {ORX_CMD_PRE_OPERATIONAL, 1},
    {ORX_CMD_SET_DISCONNECTED, 1}, {ORX_CMD_STOP_NODE, 1},        {ORX_CMD_RESET_COMM, 1},
    {ORX_CMD_RESET_NODE, 1},     {ORX_CMD_GET_NODE_STATE, 1},     {ORX_CMD_IDENTIFY_NODE, 4},
    {ORX_CMD_CHANGE_NODE, 5},    {ORX_CMD_REQUEST_PDO, 2},        {ORX_CMD_CANCEL_SDO, 5},
    {ORX_CMD_CREATE_PDO, 9},     {ORX_CMD_DEF_SYNC, 4},           {ORX_CMD_ENABLE_SYNC, 3},
    {ORX_CMD_DISABLE_SYNC, 1},   {ORX_CMD_START_STOP_TS, 3},      {ORX_CMD_SET_SDO_TIMEOUT, 2},
    {ORX_CMD_CREATE_SDO, 6},     {ORX_CMD_LMT_GET_ADDRESS, 1},    {ORX_CMD_LMT_CONFIG_NODE, 34},
};

const CommandShape* shapeOf(std::uint16_t code)
{
    for (const CommandShape& s : kShapes)
        if (s.code == code)
            return &s;
    return nullptr;
}

// Identity entries IdentifyRemNode reads, by bit of its request mask.
struct IdentityObject {
    std::uint16_t index;
    std::uint8_t sub;
};
const IdentityObject kIdentity[5] = {{0x1000, 0}, {0x1018, 1}, {0x1018, 2}, {0x1018, 3}, {0x1018, 4}};

std::uint8_t stateAfter(std::uint16_t code)
{
    switch (code) {
    case ORX_CMD_START_NODE: return kNodeOperational;
    case ORX_CMD_STOP_NODE: return kNodeStopped;
    case ORX_CMD_PRE_OPERATIONAL: return kNodePreOperational;
    default: return kNodeUnknown;  // a reset: the node boots again
    }
}

}  // namespace

void CommandProcessor::run()
{
    BoardQueues& q = *m_state.queues;
    const unsigned mask = 1u << ORX_TXQ_COMMAND | 1u << ORX_TXQ_PDO;
    while (!m_state.stop && q.waitForHost(mask, std::chrono::milliseconds(100))) {
        Block block;
        while (q.take(ORX_TXQ_PDO, block))
            writePdo(block);
        if (!q.take(ORX_TXQ_COMMAND, block))
            continue;
        std::uint8_t answer[ORX_COMMAND_BLOCK_MAX];
        std::uint32_t n = handle(block.data.data(), block.size, answer);
        const bool versionQuery = orx_block_code(block.data.data()) == ORX_CMD_VERSION;
        if (n && (!m_state.settings.silent || versionQuery))
            q.post(ORX_RXQ_ANSWER, answer, n);
    }
}

void CommandProcessor::writePdo(const Block& block)
{
    const std::uint8_t* b = block.data.data();
    if (block.size < ORX_HEADER + 12 || orx_block_code(b) != ORX_CMD_WRITE_PDO ||
        orx_get_u16(b + ORX_PARAM) != ORX_SERVICE_PROCESS_DATA)
        return;
    std::lock_guard<std::mutex> lock(m_state.engine.mutex());
    m_state.engine.writePdo(b[ORX_PARAM + 2], b[ORX_PARAM + 3], b + ORX_PARAM + 4);
}

std::uint32_t CommandProcessor::handle(const std::uint8_t* in, std::uint32_t size, std::uint8_t* out)
{
    if (size < ORX_HEADER)
        return 0;
    const std::uint16_t code = orx_block_code(in);
    std::uint16_t length = orx_block_length(in);
    orx_block_begin(out, code, 1);
    std::int8_t result;
    std::uint16_t extra = 0;  // answer bytes after the result
    const CommandShape* shape = shapeOf(code);
    if (!shape)
        result = ORX_RESULT_UNKNOWN;
    else if (ORX_HEADER + std::uint32_t{length} > size || length < shape->length)
        result = ORX_RESULT_PARAMETER;
    else
        result = execute(code, in + ORX_PARAM, length, out, extra);
    out[ORX_RESULT_BYTE] = static_cast<std::uint8_t>(result);
    orx_put_u16(out + 2, static_cast<std::uint16_t>(1 + extra));
    return ORX_HEADER + 1u + extra;
}

std::int8_t CommandProcessor::execute(std::uint16_t code, const std::uint8_t* p, std::uint16_t length,
                                      std::uint8_t* out, std::uint16_t& extra)
{
    std::uint8_t* data = out + ORX_ANSWER_DATA;
    switch (code) {
    case ORX_CMD_TEST: {
        std::uint16_t n = length < ORX_COMMAND_BLOCK_MAX - ORX_ANSWER_DATA ? length
                                                                           : ORX_COMMAND_BLOCK_MAX - ORX_ANSWER_DATA;
        std::memcpy(data, p, n);
        extra = n;
        return ORX_RESULT_OK;
    }
    case ORX_CMD_VERSION:
        orx_put_u16(data, m_state.settings.version);
        extra = 2;
        return ORX_RESULT_OK;
    case ORX_CMD_CANCEL_SDO:
        m_state.cancel(orx_get_u16(p + 1));
        return ORX_RESULT_OK;
    default:
        break;
    }

    std::lock_guard<std::mutex> lock(m_state.engine.mutex());
    MasterEngine& engine = m_state.engine;
    switch (code) {
    case ORX_CMD_STATUS: {
        std::uint16_t status = engine.controllerStatus();
        if (engine.started())
            status |= ORX_STATUS_CAN_STARTED;
        if (m_state.sync.enabled)
            status |= ORX_STATUS_SYNC_ACTIVE;
        if (m_state.sdoBusy)
            status |= ORX_STATUS_SDO_RUNNING;
        if (m_state.time.active)
            status |= ORX_STATUS_TIME_ACTIVE;
        orx_put_u16(data, status);
        extra = 2;
        return ORX_RESULT_OK;
    }
    case ORX_CMD_RELEASE:
    case ORX_CMD_RESET:
        engine.terminate();
        clearProducers();
        m_state.nodes.clear();
        if (code == ORX_CMD_RESET) {
            m_state.sdoTimeout = m_state.settings.sdoTimeout;
            engine.setSdoTimeout(m_state.settings.sdoTimeout);
        }
        return ORX_RESULT_OK;
    case ORX_CMD_INIT_INTERFACE:
        return initInterface(p);
    case ORX_CMD_ADD_NODE: {
        std::uint8_t node = p[0];
        std::uint16_t time = orx_get_u16(p + 2);
        if ((node & 0x80) || (time & 0x8000))
            return ORX_RESULT_PARAMETER;
        std::int8_t r = engine.addNode(node);
        if (r == ORX_RESULT_OK)
            m_state.nodes[node] = NodeRecord{kNodeUnknown, p[5], time, p[4]};
        return r;
    }
    case ORX_CMD_SEARCH_NODE: {
        std::uint32_t abortCode = 0;
        std::int8_t r = engine.searchNode(p[0], &abortCode);
        if (r == ORX_RESULT_ABORTED) {
            orx_put_u32(data, abortCode);
            extra = 4;
        }
        return r;
    }
    case ORX_CMD_DELETE_NODE: {
        std::int8_t r = engine.deleteNode(p[0]);
        if (r == ORX_RESULT_OK)
            m_state.nodes.erase(p[0]);
        return r;
    }
    case ORX_CMD_START_NODE:
    case ORX_CMD_PRE_OPERATIONAL:
    case ORX_CMD_STOP_NODE:
    case ORX_CMD_RESET_COMM:
    case ORX_CMD_RESET_NODE:
        return nodeCommand(code, p[0]);
    case ORX_CMD_SET_DISCONNECTED:
    case ORX_CMD_GET_NODE_STATE:
    case ORX_CMD_CHANGE_NODE: {
        auto it = m_state.nodes.find(p[0]);
        if (it == m_state.nodes.end())
            return ORX_RESULT_NO_NODE;
        if (code == ORX_CMD_SET_DISCONNECTED) {
            it->second.state = kNodeDisconnected;
        } else if (code == ORX_CMD_GET_NODE_STATE) {
            data[0] = it->second.state;
            extra = 1;
        } else {
            std::uint16_t time = orx_get_u16(p + 2);
            if (time & 0x8000)
                return ORX_RESULT_PARAMETER;
            it->second.mode = p[1];
            it->second.guardTime = time;
            it->second.lifeFactor = p[4];
        }
        return ORX_RESULT_OK;
    }
    case ORX_CMD_IDENTIFY_NODE:
        return identify(p, out, extra);
    case ORX_CMD_REQUEST_PDO:
        return engine.requestPdo(p[0], p[1]);
    case ORX_CMD_CREATE_PDO:
        return engine.createPdo(p[0], p[1], p[2], orx_get_u16(p + 4), p[8]);
    case ORX_CMD_DEF_SYNC:
    case ORX_CMD_ENABLE_SYNC:
    case ORX_CMD_DISABLE_SYNC:
        return sync(code, p, length);
    case ORX_CMD_TIMESTAMP:
    case ORX_CMD_START_STOP_TS:
        return timeStamp(code, p);
    case ORX_CMD_SET_SDO_TIMEOUT: {
        std::uint16_t t = orx_get_u16(p);
        if (t == 0 || (t & 0x8000))
            return ORX_RESULT_PARAMETER;
        if (t < 5)
            t = 5;
        std::int8_t r = engine.setSdoTimeout(t);
        if (r == ORX_RESULT_OK)
            m_state.sdoTimeout = t;
        return r;
    }
    case ORX_CMD_CREATE_SDO: {
        // One client SDO on the default identifiers: that is what the master has.
        std::uint8_t node = p[0];
        std::uint16_t request = orx_get_u16(p + 2), answer = orx_get_u16(p + 4);
        bool defaults = (request == 0 || request == 0x600u + node) && (answer == 0 || answer == 0x580u + node);
        return node >= 1 && node <= 127 && p[1] == 1 && defaults ? ORX_RESULT_OK : ORX_RESULT_PARAMETER;
    }
    case ORX_CMD_LMT_GET_ADDRESS:
    case ORX_CMD_LMT_CONFIG_NODE:
        return lmt(code, p, out, extra);
    default:
        return ORX_RESULT_UNKNOWN;
    }
}

std::int8_t CommandProcessor::initInterface(const std::uint8_t* p)
{
    const std::uint8_t channel = p[0], baud = p[1], flags = p[2];
    const std::uint16_t time = orx_get_u16(p + 4);
    if (channel > 1)
        return ORX_RESULT_PROTOCOL;
    if (channel == 1 || baud >= 9 || (flags & 0x80) || (time & 0x8000))
        return ORX_RESULT_PARAMETER;  // one CAN channel on every emulated board
    clearProducers();
    m_state.nodes.clear();
    std::int8_t r = m_state.engine.initInterface(baud);
    m_state.engine.setSdoTimeout(m_state.sdoTimeout);
    return r;
}

std::int8_t CommandProcessor::nodeCommand(std::uint16_t code, std::uint8_t node)
{
    std::int8_t r = m_state.engine.nmt(code, node);
    if (r != ORX_RESULT_OK)
        return r;
    for (auto& [id, record] : m_state.nodes)
        if (node == 0 || id == node)
            record.state = stateAfter(code);
    return r;
}

std::int8_t CommandProcessor::identify(const std::uint8_t* p, std::uint8_t* out, std::uint16_t& extra)
{
    const std::uint8_t node = p[0];
    const std::uint8_t wanted = p[1] ? p[1] : 0x1F;
    std::uint8_t* data = out + ORX_ANSWER_DATA;
    std::uint8_t got = 0;
    std::int8_t first = ORX_RESULT_OK;
    std::memset(data, 0, 21);
    for (int i = 0; i < 5; ++i) {
        if (!(wanted & (1u << i)))
            continue;
        std::uint8_t value[4] = {};
        std::int16_t n = 0;
        std::uint32_t abortCode = 0;
        std::int8_t r = m_state.engine.readSdo(node, kIdentity[i].index, kIdentity[i].sub, value, 4, &n, &abortCode);
        if (r == ORX_RESULT_OK) {
            got |= static_cast<std::uint8_t>(1u << i);
            std::memcpy(data + 1 + 4 * i, value, 4);
        } else if (first == ORX_RESULT_OK) {
            first = r;
        }
        if (r != ORX_RESULT_OK && r != ORX_RESULT_ABORTED)
            break;  // the node is gone: no point in asking for more
    }
    data[0] = got;
    extra = 21;
    return got ? ORX_RESULT_OK : first;
}

std::int8_t CommandProcessor::sync(std::uint16_t code, const std::uint8_t* p, std::uint16_t length)
{
    SyncProducer& s = m_state.sync;
    if (code == ORX_CMD_DEF_SYNC) {
        std::uint16_t period = orx_get_u16(p), window = orx_get_u16(p + 2);
        if (period < 1 || period > 0xFF00 || window < 1 || window > 0xFF00)
            return ORX_RESULT_PARAMETER;
        period = period < 2 ? 2 : period;
        window = window < 2 ? 2 : window;
        if (window > period)
            return ORX_RESULT_PARAMETER;
        s.period = period;
        s.window = window;
        return ORX_RESULT_OK;
    }
    std::uint8_t service = code == ORX_CMD_ENABLE_SYNC ? p[2] : p[0];
    if (service != ORX_SERVICE_PROCESS_DATA || length < (code == ORX_CMD_ENABLE_SYNC ? 3 : 1))
        return ORX_RESULT_PARAMETER;
    if (code == ORX_CMD_DISABLE_SYNC) {
        s.enabled = false;
        return ORX_RESULT_OK;
    }
    if (!m_state.engine.started())
        return ORX_RESULT_NOT_STARTED;
    std::uint16_t count = orx_get_u16(p);
    std::int8_t r = m_state.engine.sendSync();
    if (r != ORX_RESULT_OK)
        return r;
    std::uint8_t note[ORX_HEADER + 6];
    orx_block_begin(note, ORX_MSG_SYNC, 6);
    orx_put_u16(note + ORX_PARAM, s.number++);
    orx_put_u32(note + ORX_PARAM + 2, static_cast<std::uint32_t>(
                                          std::chrono::duration_cast<std::chrono::milliseconds>(
                                              Clock::now().time_since_epoch()).count()));
    m_state.queues->post(ORX_RXQ_SYNC, note, sizeof note);
    s.endless = count == 0;
    s.remaining = count ? static_cast<std::uint16_t>(count - 1) : 0;
    s.enabled = s.endless || s.remaining > 0;
    s.next = Clock::now() + std::chrono::milliseconds(s.period);
    return ORX_RESULT_OK;
}

std::int8_t CommandProcessor::timeStamp(std::uint16_t code, const std::uint8_t* p)
{
    TimeProducer& t = m_state.time;
    if (code == ORX_CMD_TIMESTAMP) {
        std::uint16_t cobId = orx_get_u16(p), interval = orx_get_u16(p + 2);
        if (cobId == 0 || cobId > 0x7FF)
            return ORX_RESULT_PARAMETER;
        std::int8_t r = m_state.engine.createPdo(0, kTimePdo, 1, cobId, 6);
        if (r != ORX_RESULT_OK)
            return r;
        t.defined = true;
        t.cobId = cobId;
        t.interval = interval ? interval : m_state.settings.timeInterval;
        return ORX_RESULT_OK;
    }
    if (!t.defined)
        return ORX_RESULT_PARAMETER;
    std::uint16_t interval = orx_get_u16(p + 1);
    if (interval)
        t.interval = interval;
    t.active = p[0] != 0;
    t.next = Clock::now();
    return ORX_RESULT_OK;
}

std::int8_t CommandProcessor::lmt(std::uint16_t code, const std::uint8_t* p, std::uint8_t* out, std::uint16_t& extra)
{
    std::uint8_t* data = out + ORX_ANSWER_DATA;
    if (code == ORX_CMD_LMT_GET_ADDRESS) {
        if (p[0] > 8)
            return ORX_RESULT_PROTOCOL;
        char manufacturer[8] = {}, product[8] = {}, serial[16] = {};
        std::int8_t r = m_state.engine.lmtAddress(manufacturer, product, serial);
        if (r == ORX_RESULT_OK) {
            std::memcpy(data, manufacturer, 7);
            std::memcpy(data + 7, product, 7);
            std::memcpy(data + 14, serial, 14);
            extra = 28;
        }
        return r;
    }
    char manufacturer[7], product[7], serial[14];
    std::memcpy(manufacturer, p, 7);
    std::memcpy(product, p + 7, 7);
    std::memcpy(serial, p + 14, 14);
    std::uint32_t abortCode = 0;
    std::int8_t r = m_state.engine.lmtConfigure(manufacturer, product, serial, p[28], p[30], &abortCode);
    if (r == ORX_RESULT_ABORTED) {
        orx_put_u32(data, abortCode);
        extra = 4;
    }
    return r;
}

void CommandProcessor::clearProducers()
{
    m_state.sync = SyncProducer{};
    m_state.time = TimeProducer{};
}

}  // namespace orx
