#include "document/ParameterTransfer.h"

#include "canopen/CANopenNode.h"
#include "cop/cop.h"
#include "document/ParameterValue.h"

namespace ovro {

CParameterTransfer::Result CParameterTransfer::Read(CQVTParameter& p, CCANopenNode& node)
{
    CQVTParameter::Value buffer{};
    std::uint32_t length = 0;
    if (!node.ReadSDO(p.index, p.subIndex, buffer.data(), &length, buffer.size()))
        return node.LastError() == COP_ERR_ABORTED ? Refused : Failed;
    // The master may report more bytes than the buffer holds; SetRaw keeps 16.
    p.SetRaw(buffer.data(), length < buffer.size() ? length : buffer.size());
    p.changed = false;
    return Done;
}

CParameterTransfer::Result CParameterTransfer::Write(CQVTParameter& p, CCANopenNode& node,
                                                     std::uint32_t* writeAbort)
{
    if (writeAbort != nullptr)
        *writeAbort = 0;
    CQVTParameter::Value buffer{};
    p.GetRaw(buffer.data(), buffer.size());
    if (node.WriteSDO(p.index, p.subIndex, buffer.data(), static_cast<std::uint16_t>(p.GetSize()))) {
        p.changed = false;
        return Done;
    }
    if (node.LastError() != COP_ERR_ABORTED)
        return Failed;
    if (writeAbort != nullptr)
        *writeAbort = node.LastAbort();

    CQVTParameter::Value readBack{};
    std::uint32_t length = 0;
    if (node.ReadSDO(p.index, p.subIndex, readBack.data(), &length, readBack.size()) &&
        CParameterValue::Compare(p, readBack.data()) == 0) {
        p.changed = false;
        return Confirmed;
    }
    return Refused;
}

}  // namespace ovro
