// CMotionPage: what the four pages of the Motion Control window share -
// the document and the user's side, the page's set of step messages, the
// steps of a Start (enable sequence, mode switch, the writes with their
// "can't write the parameter" message, the start controlword) and the
// taking over of a field's text as a number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "canopen/CANopenDrive.h"
#include "operation/DriveDocument.h"

class CCANopenNode;
class IUserInterface;

namespace ovro {

class CQVTDevice;
struct MotionMemory;

class CMotionPage {
public:
    // The number of a field's text: decimal with an optional sign and
    // blanks around it, within [minimum, maximum]; nothing otherwise.
    static std::optional<std::int64_t> FieldNumber(const std::string& text, std::int64_t minimum,
                                                   std::int64_t maximum);
    // "Please enter an integer between %1 and %2." for that range.
    static std::string RangePrompt(std::int64_t minimum, std::int64_t maximum);

    // "%.2f A" of the rated current (parameter table) times a max-current
    // field's text (per thousand); nothing when the text is no number.
    static std::optional<std::string> CurrentText(const CQVTDevice* device, const std::string& maxCurrentText);

protected:
    CMotionPage(IDriveDocument& doc, IUserInterface& ui, const DriveStepMessages& messages,
                unsigned writeParameterMessage);
    ~CMotionPage() = default;

    // Each Start holds one; the stops run through CDriveCommands.
    using CommandScope = IDriveDocument::CommandScope;

    CCANopenNode* Node() const;
    CQVTDevice* Device() const;
    MotionMemory* Memory() const;
    // Page opening reads the drive when a node exists, the document is
    // online and the page's read-from-drive flag is set.
    bool ReadsFromDrive(bool pageFlag) const;

    // The steps of a Start, each showing the page's message on failure.
    bool Enable(CCANopenNode& node);
    bool SwitchMode(CCANopenNode& node, std::int8_t mode);
    bool WriteU8(CCANopenNode& node, std::uint16_t index, std::uint8_t value, const char* name);
    bool WriteU16(CCANopenNode& node, std::uint16_t index, std::uint16_t value, const char* name);
    bool WriteU32(CCANopenNode& node, std::uint16_t index, std::uint32_t value, const char* name);
    bool StartMotion(CCANopenNode& node, std::uint16_t controlword);
    bool StartMotion(CCANopenNode& node, std::uint16_t controlword, unsigned message);
    // Writes whose result does not count: the error history cleared before
    // a start, the stop and halt controlwords.
    static void ClearErrorHistory(CCANopenNode& node);
    static void WriteControlword(CCANopenNode& node, std::uint16_t controlword);

    // Page opening: the value read, or the fall-back after a failed read.
    static std::uint8_t ReadU8Or(CCANopenNode& node, std::uint16_t index, std::uint8_t sub, std::uint8_t fallback);
    static std::uint16_t ReadU16Or(CCANopenNode& node, std::uint16_t index, std::uint8_t sub,
                                   std::uint16_t fallback);
    static std::uint32_t ReadU32Or(CCANopenNode& node, std::uint16_t index, std::uint8_t sub,
                                   std::uint32_t fallback);

    IDriveDocument& doc_;
    IUserInterface& ui_;

private:
    bool WriteFailed(CCANopenNode& node, const char* name);

    DriveStepMessages messages_;
    unsigned writeParameterMessage_;
};

} // namespace ovro
