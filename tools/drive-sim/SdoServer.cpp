#include "SdoServer.h"

#include <algorithm>
#include <cstring>

namespace {
uint16_t indexOf(const uint8_t* req) { return uint16_t(req[1] | req[2] << 8); }

void putHeader(uint8_t* out, uint8_t command, uint16_t index, uint8_t subIndex)
{
    std::memset(out, 0, 8);
    out[0] = command;
    out[1] = uint8_t(index);
    out[2] = uint8_t(index >> 8);
    out[3] = subIndex;
}

void putU32(uint8_t* out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[i] = uint8_t(v >> (8 * i));
}
}  // namespace

void SdoServer::reset()
{
    m_state = State::Idle;
    m_data.clear();
    m_size = 0;
    m_offset = 0;
    m_toggle = 0;
}

void SdoServer::addForcedAbort(uint16_t index, int subIndex, uint32_t code)
{
    const uint32_t key = subIndex < 0 ? (uint32_t(index) << 8) | kAllSubIndexes
                                      : ObjectDictionary::key(index, uint8_t(subIndex));
    m_faults.aborts[key] = code;
}

uint32_t SdoServer::forcedAbort(uint16_t index, uint8_t subIndex) const
{
    auto it = m_faults.aborts.find(ObjectDictionary::key(index, subIndex));
    if (it == m_faults.aborts.end())
        it = m_faults.aborts.find((uint32_t(index) << 8) | kAllSubIndexes);
    return it == m_faults.aborts.end() ? 0 : it->second;
}

bool SdoServer::handle(const uint8_t* data, uint8_t length, Answer& answer)
{
    if (length != 8)
        return false;  // not an SDO request; a real server ignores it as well
    answer = Answer();
    if (!process(data, answer))
        return false;
    if (m_faults.dropAnswers > 0) {
        --m_faults.dropAnswers;
        return false;
    }
    if (m_faults.wrongLength) {
        m_faults.wrongLength = false;
        answer.length = 5;
    }
    return true;
}

void SdoServer::abort(Answer& answer, uint16_t index, uint8_t subIndex, uint32_t code)
{
    putHeader(answer.data, 0x80, index, subIndex);
    putU32(answer.data + 4, code);
    reset();
}

bool SdoServer::process(const uint8_t* req, Answer& answer)
{
    switch (req[0] >> 5) {
    case 1: initiateDownload(req, answer); break;
    case 0: downloadSegment(req, answer); break;
    case 2: initiateUpload(req, answer); break;
    case 3: uploadSegment(req, answer); break;
    case 4: reset(); return false;  // abort from the client: no answer
    default: abort(answer, indexOf(req), req[3], SdoAbortCode::InvalidCommand); break;
    }
    return true;
}

void SdoServer::initiateDownload(const uint8_t* req, Answer& answer)
{
    reset();
    const uint16_t index = indexOf(req);
    const uint8_t sub = req[3];
    if (uint32_t code = forcedAbort(index, sub))
        return abort(answer, index, sub, code);
    if (hidden(index))
        return abort(answer, index, sub, SdoAbortCode::NoObject);
    ObjectEntry* e = m_dictionary.find(index, sub);
    if (!e)
        return abort(answer, index, sub,
                     m_dictionary.hasObject(index) ? SdoAbortCode::NoSubIndex : SdoAbortCode::NoObject);
    if (!e->writable())
        return abort(answer, index, sub, SdoAbortCode::ReadOnly);

    const bool expedited = req[0] & 0x02;
    const bool sizeIndicated = req[0] & 0x01;
    if (expedited) {
        size_t n = 4;
        if (sizeIndicated)
            n = 4 - ((req[0] >> 2) & 3);
        else if (e->fixedSize() != 0 && e->fixedSize() < 4)
            n = e->fixedSize();  // size not indicated: the object's own size
        if (uint32_t code = m_dictionary.write(index, sub, req + 4, n))
            return abort(answer, index, sub, code);
        putHeader(answer.data, 0x60, index, sub);
        return;
    }
    size_t size = 0;
    if (sizeIndicated) {
        size = size_t(req[4]) | size_t(req[5]) << 8 | size_t(req[6]) << 16 | size_t(req[7]) << 24;
        if (size > kMaxTransfer)
            return abort(answer, index, sub, SdoAbortCode::OutOfMemory);
        const size_t fixed = e->fixedSize();
        if (fixed != 0 && size > fixed)
            return abort(answer, index, sub, SdoAbortCode::LengthTooHigh);
        if (fixed != 0 && size < fixed)
            return abort(answer, index, sub, SdoAbortCode::LengthTooLow);
        if (fixed == 0 && e->maxSize != 0 && size > e->maxSize)
            return abort(answer, index, sub, SdoAbortCode::LengthTooHigh);
    }
    m_state = State::Download;
    m_index = index;
    m_subIndex = sub;
    m_size = size;
    m_toggle = 0;
    putHeader(answer.data, 0x60, index, sub);
}

void SdoServer::downloadSegment(const uint8_t* req, Answer& answer)
{
    if (m_state != State::Download)
        return abort(answer, m_index, m_subIndex, SdoAbortCode::InvalidCommand);
    const uint8_t toggle = req[0] & 0x10;
    if (toggle != m_toggle)
        return abort(answer, m_index, m_subIndex, SdoAbortCode::ToggleNotAlternated);
    const size_t n = 7 - ((req[0] >> 1) & 7);
    if (m_data.size() + n > kMaxTransfer)
        return abort(answer, m_index, m_subIndex, SdoAbortCode::OutOfMemory);
    m_data.insert(m_data.end(), req + 1, req + 1 + n);
    if (m_size != 0 && m_data.size() > m_size)
        return abort(answer, m_index, m_subIndex, SdoAbortCode::LengthTooHigh);

    uint8_t command = 0x20 | m_toggle;
    if (m_faults.wrongToggle) {
        m_faults.wrongToggle = false;
        command ^= 0x10;
    }
    if (req[0] & 0x01) {
        if (m_size != 0 && m_data.size() < m_size)
            return abort(answer, m_index, m_subIndex, SdoAbortCode::LengthTooLow);
        const uint16_t index = m_index;
        const uint8_t sub = m_subIndex;
        const std::vector<uint8_t> value = std::move(m_data);
        reset();
        if (uint32_t code = m_dictionary.write(index, sub, value.data(), value.size()))
            return abort(answer, index, sub, code);
    } else {
        m_toggle ^= 0x10;
    }
    std::memset(answer.data, 0, 8);
    answer.data[0] = command;
}

void SdoServer::initiateUpload(const uint8_t* req, Answer& answer)
{
    reset();
    const uint16_t index = indexOf(req);
    const uint8_t sub = req[3];
    if (uint32_t code = forcedAbort(index, sub))
        return abort(answer, index, sub, code);
    if (hidden(index))
        return abort(answer, index, sub, SdoAbortCode::NoObject);
    std::vector<uint8_t> value;
    if (uint32_t code = m_dictionary.read(index, sub, value))
        return abort(answer, index, sub, code);
    if (value.size() > kMaxTransfer)
        return abort(answer, index, sub, SdoAbortCode::OutOfMemory);
    if (!value.empty() && value.size() <= 4) {
        putHeader(answer.data, uint8_t(0x43 | ((4 - value.size()) << 2)), index, sub);
        std::copy(value.begin(), value.end(), answer.data + 4);
        return;
    }
    putHeader(answer.data, 0x41, index, sub);
    putU32(answer.data + 4, uint32_t(value.size()));
    m_state = State::Upload;
    m_index = index;
    m_subIndex = sub;
    m_data = std::move(value);
    m_offset = 0;
    m_toggle = 0;
}

void SdoServer::uploadSegment(const uint8_t* req, Answer& answer)
{
    if (m_state != State::Upload)
        return abort(answer, m_index, m_subIndex, SdoAbortCode::InvalidCommand);
    const uint8_t toggle = req[0] & 0x10;
    if (toggle != m_toggle)
        return abort(answer, m_index, m_subIndex, SdoAbortCode::ToggleNotAlternated);
    const size_t n = std::min<size_t>(7, m_data.size() - m_offset);
    const bool last = m_offset + n >= m_data.size();
    uint8_t command = uint8_t(m_toggle | ((7 - n) << 1) | (last ? 1 : 0));
    if (m_faults.wrongToggle) {
        m_faults.wrongToggle = false;
        command ^= 0x10;
    }
    std::memset(answer.data, 0, 8);
    answer.data[0] = command;
    std::copy(m_data.begin() + long(m_offset), m_data.begin() + long(m_offset + n), answer.data + 1);
    m_offset += n;
    m_toggle ^= 0x10;
    if (last)
        reset();
}
