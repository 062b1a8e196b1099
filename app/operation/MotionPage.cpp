#include "operation/MotionPage.h"

#include <cstdio>

#include "canopen/CANopenNode.h"
#include "canopen/CANopenTypes.h"
#include "description/QVTDevice.h"
#include "operation/DriveDocument.h"
#include "operation/OperationObjects.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"
#include "ui/UserInterface.h"

namespace ovro {

std::optional<std::int64_t> CMotionPage::FieldNumber(const std::string& text, std::int64_t minimum,
                                                     std::int64_t maximum)
{
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return std::nullopt;
    const std::size_t end = text.find_last_not_of(" \t") + 1;
    std::size_t at = begin;
    bool negative = false;
    if (text[at] == '+' || text[at] == '-') {
        negative = text[at] == '-';
        ++at;
    }
    if (at == end)
        return std::nullopt;
    std::int64_t value = 0;
    for (; at < end; ++at) {
        const char c = text[at];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > (std::int64_t(1) << 40))
            return std::nullopt; // far outside every field's range
    }
    if (negative)
        value = -value;
    if (value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

std::string CMotionPage::RangePrompt(std::int64_t minimum, std::int64_t maximum)
{
    std::string text = MessageText(kMsgEnterInteger);
    const auto replace = [&text](const char* key, std::int64_t value) {
        const std::size_t at = text.find(key);
        if (at != std::string::npos)
            text.replace(at, 2, std::to_string(value));
    };
    replace("%1", minimum);
    replace("%2", maximum);
    return text;
}

std::optional<std::string> CMotionPage::CurrentText(const CQVTDevice* device, const std::string& maxCurrentText)
{
    const std::optional<std::int64_t> maxCurrent = FieldNumber(maxCurrentText, 0, 0xFFFF);
    if (!maxCurrent)
        return std::nullopt;
    std::uint16_t rated = 0;
    if (device != nullptr) {
        if (const CQVTParameter* p =
                device->FindParameter(OperationObject::MotorData, OperationObject::MotorRatedCurrent))
            rated = static_cast<std::uint16_t>(p->GetInteger());
    }
    return StringPrintf("%.2f A", static_cast<double>(rated) * static_cast<double>(*maxCurrent) * 1e-6);
}

CMotionPage::CMotionPage(IDriveDocument& doc, IUserInterface& ui, const DriveStepMessages& messages,
                         unsigned writeParameterMessage)
    : doc_(doc), ui_(ui), messages_(messages), writeParameterMessage_(writeParameterMessage)
{
}

CCANopenNode* CMotionPage::Node() const
{
    return doc_.Node();
}

CQVTDevice* CMotionPage::Device() const
{
    return doc_.Device();
}

MotionMemory* CMotionPage::Memory() const
{
    CQVTDevice* device = doc_.Device();
    return device != nullptr ? &device->motion : nullptr;
}

bool CMotionPage::ReadsFromDrive(bool pageFlag) const
{
    return doc_.Node() != nullptr && !doc_.IsOffline() && pageFlag;
}

bool CMotionPage::Enable(CCANopenNode& node)
{
    return EnableOperation(node, ui_, messages_);
}

bool CMotionPage::SwitchMode(CCANopenNode& node, std::int8_t mode)
{
    return SwitchModeOfOperation(node, mode, ui_, messages_);
}

bool CMotionPage::WriteFailed(CCANopenNode& node, const char* name)
{
    ui_.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation,
                    FormatMessage(writeParameterMessage_, name, node.ErrorText().c_str()));
    return false;
}

bool CMotionPage::WriteU8(CCANopenNode& node, std::uint16_t index, std::uint8_t value, const char* name)
{
    return node.WriteU8(index, 0, value) || WriteFailed(node, name);
}

bool CMotionPage::WriteU16(CCANopenNode& node, std::uint16_t index, std::uint16_t value, const char* name)
{
    return node.WriteU16(index, 0, value) || WriteFailed(node, name);
}

bool CMotionPage::WriteU32(CCANopenNode& node, std::uint16_t index, std::uint32_t value, const char* name)
{
    return node.WriteU32(index, 0, value) || WriteFailed(node, name);
}

bool CMotionPage::StartMotion(CCANopenNode& node, std::uint16_t controlword)
{
    return StartDrive(node, controlword, ui_, messages_);
}

bool CMotionPage::StartMotion(CCANopenNode& node, std::uint16_t controlword, unsigned message)
{
    return StartDrive(node, controlword, ui_, message);
}

void CMotionPage::ClearErrorHistory(CCANopenNode& node)
{
    node.ClearErrorHistory();
}

void CMotionPage::WriteControlword(CCANopenNode& node, std::uint16_t controlword)
{
    node.WriteU16(CANopen::Object::Controlword, 0, controlword);
}

std::uint8_t CMotionPage::ReadU8Or(CCANopenNode& node, std::uint16_t index, std::uint8_t sub,
                                   std::uint8_t fallback)
{
    std::uint8_t value = 0;
    return node.ReadU8(index, sub, value) ? value : fallback;
}

std::uint16_t CMotionPage::ReadU16Or(CCANopenNode& node, std::uint16_t index, std::uint8_t sub,
                                     std::uint16_t fallback)
{
    std::uint16_t value = 0;
    return node.ReadU16(index, sub, value) ? value : fallback;
}

std::uint32_t CMotionPage::ReadU32Or(CCANopenNode& node, std::uint16_t index, std::uint8_t sub,
                                     std::uint32_t fallback)
{
    std::uint32_t value = 0;
    return node.ReadU32(index, sub, value) ? value : fallback;
}

} // namespace ovro
