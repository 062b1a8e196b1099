// ScriptedPeer.cpp - a scriptable CANopen node on the virtual CAN bus.
#include "ScriptedPeer.h"

#include <algorithm>
#include <cstring>

namespace ovro::test {

namespace {

constexpr uint32_t kSdoRequestBase = 0x600;
constexpr uint32_t kSdoAnswerBase = 0x580;
constexpr uint32_t kEmergencyBase = 0x080;
constexpr uint32_t kLmtRequest = 0x7E5;
constexpr uint32_t kLmtAnswer = 0x7E4;

constexpr uint32_t kAbortToggle = 0x05030000;
constexpr uint32_t kAbortCommand = 0x05040001;
constexpr uint32_t kAbortWriteOnly = 0x06010001;
constexpr uint32_t kAbortReadOnly = 0x06010002;
constexpr uint32_t kAbortNoObject = 0x06020000;

void putU16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void putU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

uint32_t getU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

std::array<uint8_t, 7> padded(const std::string& s)
{
    std::array<uint8_t, 7> out{};
    for (size_t i = 0; i < out.size() && i < s.size(); ++i)
        out[i] = uint8_t(s[i]);
    return out;
}

} // namespace

ScriptedPeer::ScriptedPeer(const std::string& bus, uint8_t nodeId, uint32_t bitrate)
    : nodeId_(nodeId)
{
    objects_[{0x1000, 0}] = {{0x92, 0x01, 0x02, 0x00}, Access::ReadOnly};
    ep_ = canbus_open(bus.c_str(), bitrate, nullptr);
    if (ep_)
        thread_ = std::thread([this] { run(); });
}

ScriptedPeer::~ScriptedPeer()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    if (thread_.joinable())
        thread_.join();
    canbus_close(ep_);
}

uint8_t ScriptedPeer::nodeId() const
{
    std::lock_guard lock(mutex_);
    return nodeId_;
}

void ScriptedPeer::setNodeId(uint8_t nodeId)
{
    std::lock_guard lock(mutex_);
    nodeId_ = nodeId;
    transfer_ = {};
}

void ScriptedPeer::setBitrate(uint32_t bitrate)
{
    if (ep_)
        canbus_set_bitrate(ep_, bitrate);
}

void ScriptedPeer::setObject(uint16_t index, uint8_t sub, std::vector<uint8_t> bytes, Access access)
{
    std::lock_guard lock(mutex_);
    objects_[{index, sub}] = {std::move(bytes), access};
}

void ScriptedPeer::removeObject(uint16_t index, uint8_t sub)
{
    std::lock_guard lock(mutex_);
    objects_.erase({index, sub});
}

std::optional<std::vector<uint8_t>> ScriptedPeer::object(uint16_t index, uint8_t sub) const
{
    std::lock_guard lock(mutex_);
    auto it = objects_.find({index, sub});
    if (it == objects_.end())
        return std::nullopt;
    return it->second.bytes;
}

void ScriptedPeer::setSegmentedUploads(bool segmented)
{
    std::lock_guard lock(mutex_);
    segmentedUploads_ = segmented;
}

void ScriptedPeer::setSizeIndicated(bool indicated)
{
    std::lock_guard lock(mutex_);
    sizeIndicated_ = indicated;
}

void ScriptedPeer::injectSdoFault(const SdoFault& fault)
{
    std::lock_guard lock(mutex_);
    faults_.push_back(fault);
}

void ScriptedPeer::clearSdoFaults()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
}

unsigned ScriptedPeer::clientAborts() const
{
    std::lock_guard lock(mutex_);
    return clientAborts_;
}

uint32_t ScriptedPeer::lastClientAbortCode() const
{
    std::lock_guard lock(mutex_);
    return lastClientAbort_;
}

std::vector<canbus_frame> ScriptedPeer::received() const
{
    std::lock_guard lock(mutex_);
    return received_;
}

std::vector<canbus_frame> ScriptedPeer::receivedWithId(uint32_t id) const
{
    std::lock_guard lock(mutex_);
    std::vector<canbus_frame> out;
    for (const auto& f : received_)
        if (!(f.id & CANBUS_RTR_FLAG) && (f.id & CANBUS_EFF_MASK) == id)
            out.push_back(f);
    return out;
}

void ScriptedPeer::clearReceived()
{
    std::lock_guard lock(mutex_);
    received_.clear();
    nmt_.clear();
    clientAborts_ = 0;
    lastClientAbort_ = 0;
}

bool ScriptedPeer::waitForFrame(const std::function<bool(const canbus_frame&)>& match,
                                std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    size_t seen = 0;
    return frameArrived_.wait_for(lock, timeout, [&] {
        for (; seen < received_.size(); ++seen)
            if (match(received_[seen]))
                return true;
        return false;
    });
}

std::vector<ScriptedPeer::NmtCommand> ScriptedPeer::nmtCommands() const
{
    std::lock_guard lock(mutex_);
    return nmt_;
}

bool ScriptedPeer::sendFrame(uint32_t id, const std::vector<uint8_t>& data)
{
    std::lock_guard lock(mutex_);
    return sendLocked(id, data.data(), uint8_t(std::min<size_t>(data.size(), 8)));
}

bool ScriptedPeer::sendEmergency(uint16_t errorCode, uint8_t errorRegister,
                                 const std::array<uint8_t, 5>& manufacturer)
{
    std::lock_guard lock(mutex_);
    uint8_t d[8];
    putU16(d, errorCode);
    d[2] = errorRegister;
    std::memcpy(d + 3, manufacturer.data(), 5);
    return sendLocked(kEmergencyBase + nodeId_, d, 8);
}

void ScriptedPeer::setRemoteAnswer(uint16_t cobId, std::vector<uint8_t> data)
{
    std::lock_guard lock(mutex_);
    remoteAnswers_[cobId] = std::move(data);
}

void ScriptedPeer::setLmtAddress(const std::string& manufacturer, const std::string& product,
                                 const std::string& serialDigits)
{
    std::lock_guard lock(mutex_);
    lmtManufacturer_ = padded(manufacturer);
    lmtProduct_ = padded(product);
    lmtSerial_ = {};
    for (size_t i = 0; i < 14 && i < serialDigits.size(); ++i) {
        uint8_t digit = uint8_t(serialDigits[i]) & 0x0F;
        lmtSerial_[i / 2] |= (i % 2 == 0) ? uint8_t(digit << 4) : digit;
    }
}

void ScriptedPeer::setLmtScript(uint8_t commandSpecifier, const LmtScript& script)
{
    std::lock_guard lock(mutex_);
    lmtScripts_[commandSpecifier] = script;
}

bool ScriptedPeer::lmtConfigurationMode() const
{
    std::lock_guard lock(mutex_);
    return lmtConfig_;
}

std::optional<uint8_t> ScriptedPeer::lmtConfiguredNodeId() const
{
    std::lock_guard lock(mutex_);
    return lmtNodeId_;
}

std::optional<uint8_t> ScriptedPeer::lmtConfiguredBitTiming() const
{
    std::lock_guard lock(mutex_);
    return lmtBitTiming_;
}

unsigned ScriptedPeer::lmtStoreCount() const
{
    std::lock_guard lock(mutex_);
    return lmtStores_;
}

// ---- Thread ----

void ScriptedPeer::run()
{
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stop_)
                return;
        }
        canbus_frame f{};
        if (canbus_receive(ep_, &f, 20) != 1)
            continue;
        std::lock_guard lock(mutex_);
        received_.push_back(f);
        handle(f);
        frameArrived_.notify_all();
    }
}

void ScriptedPeer::handle(const canbus_frame& f)
{
    if (f.id & (CANBUS_ERR_FLAG | CANBUS_EFF_FLAG))
        return;
    const uint32_t id = f.id & CANBUS_SFF_MASK;
    if (f.id & CANBUS_RTR_FLAG) {
        auto it = remoteAnswers_.find(uint16_t(id));
        if (it != remoteAnswers_.end())
            sendLocked(id, it->second.data(), uint8_t(std::min<size_t>(it->second.size(), 8)));
        return;
    }
    if (id == 0) {
        if (f.len >= 2 && (f.data[1] == 0 || f.data[1] == nodeId_))
            nmt_.push_back({f.data[0], f.data[1]});
    } else if (id == kSdoRequestBase + nodeId_) {
        handleSdo(f);
    } else if (id == kLmtRequest) {
        handleLmt(f);
    }
}

bool ScriptedPeer::sendLocked(uint32_t id, const uint8_t* data, uint8_t len)
{
    canbus_frame f{};
    f.id = id;
    f.len = len;
    if (len)
        std::memcpy(f.data, data, len);
    return canbus_send(ep_, &f) == 0;
}

// ---- SDO server ----

void ScriptedPeer::handleSdo(const canbus_frame& f)
{
    if (f.len != 8)
        return; // a server ignores malformed requests
    const uint8_t cmd = f.data[0];
    const uint16_t index = uint16_t(f.data[1] | f.data[2] << 8);
    const uint8_t sub = f.data[3];
    switch (cmd >> 5) {
    case 4: // client abort
        ++clientAborts_;
        lastClientAbort_ = getU32(f.data + 4);
        transfer_ = {};
        break;
    case 2:
        transfer_ = {};
        sdoUploadInitiate(index, sub);
        break;
    case 3:
        sdoUploadSegment(cmd);
        break;
    case 1:
        transfer_ = {};
        sdoDownloadInitiate(f, index, sub);
        break;
    case 0:
        sdoDownloadSegment(f);
        break;
    default:
        sdoAbort(index, sub, kAbortCommand);
        break;
    }
}

void ScriptedPeer::sdoUploadInitiate(uint16_t index, uint8_t sub)
{
    auto it = objects_.find({index, sub});
    if (it == objects_.end())
        return sdoAbort(index, sub, kAbortNoObject);
    if (it->second.access == Access::WriteOnly)
        return sdoAbort(index, sub, kAbortWriteOnly);
    const auto& bytes = it->second.bytes;
    std::array<uint8_t, 8> a{};
    putU16(&a[1], index);
    a[3] = sub;
    transfer_.index = index;
    transfer_.sub = sub;
    if (!bytes.empty() && bytes.size() <= 4 && !segmentedUploads_) {
        a[0] = sizeIndicated_ ? uint8_t(0x43 | (4 - bytes.size()) << 2) : 0x42;
        std::copy(bytes.begin(), bytes.end(), a.begin() + 4);
        sdoAnswer(a, false);
        transfer_ = {};
        return;
    }
    a[0] = 0x41;
    putU32(&a[4], uint32_t(bytes.size()));
    transfer_.kind = Transfer::Kind::Upload;
    transfer_.data = bytes;
    sdoAnswer(a, false);
}

void ScriptedPeer::sdoUploadSegment(uint8_t cmd)
{
    if (transfer_.kind != Transfer::Kind::Upload)
        return sdoAbort(transfer_.index, transfer_.sub, kAbortCommand);
    if ((cmd & 0x10) != transfer_.toggle)
        return sdoAbort(transfer_.index, transfer_.sub, kAbortToggle);
    ++transfer_.step;
    const size_t remaining = transfer_.data.size() - transfer_.offset;
    const size_t n = std::min<size_t>(remaining, 7);
    const bool last = n == remaining;
    std::array<uint8_t, 8> a{};
    a[0] = uint8_t(transfer_.toggle | (7 - n) << 1 | (last ? 1 : 0));
    std::copy_n(transfer_.data.begin() + long(transfer_.offset), n, a.begin() + 1);
    transfer_.offset += n;
    transfer_.toggle ^= 0x10;
    sdoAnswer(a, true);
    if (last)
        transfer_ = {};
}

void ScriptedPeer::sdoDownloadInitiate(const canbus_frame& f, uint16_t index, uint8_t sub)
{
    auto it = objects_.find({index, sub});
    if (it == objects_.end())
        return sdoAbort(index, sub, kAbortNoObject);
    if (it->second.access == Access::ReadOnly)
        return sdoAbort(index, sub, kAbortReadOnly);
    const uint8_t cmd = f.data[0];
    std::array<uint8_t, 8> a{0x60};
    putU16(&a[1], index);
    a[3] = sub;
    transfer_.index = index;
    transfer_.sub = sub;
    if (cmd & 0x02) {
        const size_t n = (cmd & 0x01) ? 4 - ((cmd >> 2) & 3) : 4;
        it->second.bytes.assign(f.data + 4, f.data + 4 + n);
        sdoAnswer(a, false);
        transfer_ = {};
        return;
    }
    transfer_.kind = Transfer::Kind::Download;
    sdoAnswer(a, false);
}

void ScriptedPeer::sdoDownloadSegment(const canbus_frame& f)
{
    const uint8_t cmd = f.data[0];
    if (transfer_.kind != Transfer::Kind::Download)
        return sdoAbort(transfer_.index, transfer_.sub, kAbortCommand);
    if ((cmd & 0x10) != transfer_.toggle)
        return sdoAbort(transfer_.index, transfer_.sub, kAbortToggle);
    ++transfer_.step;
    const size_t n = 7 - ((cmd >> 1) & 7);
    transfer_.data.insert(transfer_.data.end(), f.data + 1, f.data + 1 + n);
    std::array<uint8_t, 8> a{};
    a[0] = uint8_t(0x20 | transfer_.toggle);
    transfer_.toggle ^= 0x10;
    const bool last = cmd & 0x01;
    if (last) {
        auto it = objects_.find({transfer_.index, transfer_.sub});
        if (it != objects_.end())
            it->second.bytes = transfer_.data;
    }
    sdoAnswer(a, true);
    if (last)
        transfer_ = {};
}

void ScriptedPeer::sdoAnswer(std::array<uint8_t, 8> a, bool isSegmentAnswer)
{
    uint8_t len = 8;
    const unsigned step = isSegmentAnswer ? transfer_.step : 0;
    auto fault = std::find_if(faults_.begin(), faults_.end(),
                              [step](const SdoFault& f) { return f.step == step; });
    if (fault != faults_.end()) {
        const SdoFault sf = *fault;
        faults_.erase(fault);
        switch (sf.fault) {
        case Fault::NoAnswer:
            return;
        case Fault::WrongToggle:
            a[0] ^= 0x10;
            break;
        case Fault::WrongCommand:
            a[0] = uint8_t((a[0] & 0x1F) | 0xC0);
            break;
        case Fault::WrongLength:
            len = std::min<uint8_t>(sf.length, 8);
            break;
        case Fault::Abort: {
            const uint16_t index = transfer_.index;
            const uint8_t sub = transfer_.sub;
            sdoAbort(index, sub, sf.abortCode);
            return;
        }
        }
    }
    sendLocked(kSdoAnswerBase + nodeId_, a.data(), len);
}

void ScriptedPeer::sdoAbort(uint16_t index, uint8_t sub, uint32_t code)
{
    uint8_t a[8] = {0x80};
    putU16(a + 1, index);
    a[3] = sub;
    putU32(a + 4, code);
    transfer_ = {};
    sendLocked(kSdoAnswerBase + nodeId_, a, 8);
}

// ---- LMT slave ----

void ScriptedPeer::handleLmt(const canbus_frame& f)
{
    if (f.len < 1)
        return;
    const uint8_t cs = f.data[0];
    const uint8_t* p = f.data + 1;
    auto matches = [p](const std::array<uint8_t, 7>& part) {
        return std::equal(part.begin(), part.end(), p);
    };
    const LmtScript script = lmtScripts_.count(cs) ? lmtScripts_[cs] : LmtScript{};
    std::array<uint8_t, 8> a{cs};
    switch (cs) {
    case 0x04:
        lmtConfig_ = f.data[1] == 1;
        lmtSelective_ = 0;
        return;
    case 0x01:
        lmtSelective_ = matches(lmtManufacturer_) ? 1 : 0;
        return;
    case 0x02:
        lmtSelective_ = (lmtSelective_ == 1 && matches(lmtProduct_)) ? 2 : 0;
        return;
    case 0x03:
        if (lmtSelective_ == 2 && matches(lmtSerial_))
            lmtConfig_ = true;
        lmtSelective_ = 0;
        return;
    case 0x11:
    case 0x13:
    case 0x17:
        if (!lmtConfig_)
            return;
        a[1] = script.errorCode;
        if (script.errorCode == 0) {
            if (cs == 0x11)
                lmtNodeId_ = f.data[1];
            else if (cs == 0x13)
                lmtBitTiming_ = f.data[2];
            else
                ++lmtStores_;
        }
        break;
    case 0x24:
        if (!lmtConfig_)
            return;
        std::copy(lmtManufacturer_.begin(), lmtManufacturer_.end(), a.begin() + 1);
        break;
    case 0x25:
        if (!lmtConfig_)
            return;
        std::copy(lmtProduct_.begin(), lmtProduct_.end(), a.begin() + 1);
        break;
    case 0x26:
        if (!lmtConfig_)
            return;
        std::copy(lmtSerial_.begin(), lmtSerial_.end(), a.begin() + 1);
        break;
    default:
        return;
    }
    if (script.noAnswer)
        return;
    if (script.wrongCommand)
        a[0] = uint8_t(cs + 1);
    sendLocked(kLmtAnswer, a.data(), script.length ? std::min<uint8_t>(*script.length, 8) : 8);
}

} // namespace ovro::test
