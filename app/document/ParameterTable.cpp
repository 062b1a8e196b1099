#include "document/ParameterTable.h"

#include <cinttypes>
#include <cstdio>

#include "description/QVTDataType.h"
#include "description/QVTDevice.h"
#include "document/ParameterValue.h"
#include "document/QVTDoc.h"
#include "settings/BaudRate.h"
#include "settings/NumberParse.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

namespace ovro {

namespace {

constexpr int kMinNodeId = 1;
constexpr int kMaxNodeId = 127;

// Label, description and help key of each header line.
struct HeaderLine {
    unsigned label;
    unsigned description;
    const char* helpKey;
};
constexpr HeaderLine kHeaderLines[CParameterTable::HeaderRows] = {
    {kMsgHeaderType, kMsgHeaderTypeHelp, "Type"},
    {kMsgHeaderName, kMsgHeaderNameHelp, "Name"},
    {kMsgHeaderText, kMsgHeaderTextHelp, "Text"},
    {kMsgHeaderDate, kMsgHeaderDateHelp, "Date"},
    {kMsgHeaderNodeId, kMsgHeaderNodeIdHelp, "NodeId"},
    {kMsgHeaderBaudRate, kMsgHeaderBaudRateHelp, "Baudrate"},
};

CParameterTable::Shade ValueShade(bool editable, bool changed, bool online)
{
    if (!editable)
        return CParameterTable::Shade::ReadOnly;
    return changed && online ? CParameterTable::Shade::Changed : CParameterTable::Shade::Editable;
}

std::vector<CParameterTable::Row> HeaderLines(const CQVTDevice& device, bool online)
{
    std::vector<CParameterTable::Row> rows(CParameterTable::HeaderRows);
    for (int i = 0; i < CParameterTable::HeaderRows; ++i) {
        rows[i].cells[CParameterTable::ColParameter] = MessageText(kHeaderLines[i].label);
        rows[i].cells[CParameterTable::ColDescription] = MessageText(kHeaderLines[i].description);
        rows[i].shade = CParameterTable::Shade::Editable;
        rows[i].editor = CParameterTable::Editor::Text;
    }
    CParameterTable::Row& type = rows[CParameterTable::RowType - 1];
    type.cells[CParameterTable::ColValue] = device.typeName;
    type.shade = CParameterTable::Shade::ReadOnly;
    type.editor = CParameterTable::Editor::None;
    rows[CParameterTable::RowName - 1].cells[CParameterTable::ColValue] = device.name;
    rows[CParameterTable::RowText - 1].cells[CParameterTable::ColValue] = device.text;
    rows[CParameterTable::RowDate - 1].cells[CParameterTable::ColValue] = device.date;

    CParameterTable::Row& node = rows[CParameterTable::RowNodeId - 1];
    node.cells[CParameterTable::ColValue] = device.GetNodeIdText();
    node.cells[CParameterTable::ColMin] = "1";
    node.cells[CParameterTable::ColMax] = "127";
    node.shade = ValueShade(true, device.nodeIdChanged, online);

    CParameterTable::Row& baud = rows[CParameterTable::RowBaudRate - 1];
    baud.cells[CParameterTable::ColValue] = device.GetBaudRateText();
    baud.cells[CParameterTable::ColUnit] = "kBit/sec";
    baud.cells[CParameterTable::ColMin] = "10";
    baud.cells[CParameterTable::ColMax] = "1000";
    baud.shade = ValueShade(true, device.baudRateChanged, online);
    baud.editor = CParameterTable::Editor::DropDown;
    baud.choices = CParameterTable::BaudRateChoices();
    baud.currentChoice = IsBaudRateCode(device.baudRate) ? device.baudRate : -1;
    return rows;
}

CParameterTable::Row ParameterRow(const CQVTParameter& p, bool online)
{
    CParameterTable::Row row;
    row.cells[CParameterTable::ColParameter] = p.name;
    row.cells[CParameterTable::ColValue] = CParameterValue::GetValueText(p, true);
    row.cells[CParameterTable::ColUnit] = p.unit;
    row.cells[CParameterTable::ColDescription] = p.description;
    row.cells[CParameterTable::ColMin] = p.minValue;
    row.cells[CParameterTable::ColMax] = p.maxValue;
    row.shade = ValueShade(p.IsTransferable(), p.changed, online);
    if (!p.IsTransferable())
        return row;
    if (p.enumerators.empty()) {
        row.editor = CParameterTable::Editor::Text;
        return row;
    }
    row.editor = CParameterTable::Editor::DropDown;
    const auto present = static_cast<std::int32_t>(p.GetInteger());
    for (const CQVTEnumerator& e : p.enumerators) {
        if (row.currentChoice < 0 && IsIntegerType(p.dataType) && e.value == present)
            row.currentChoice = static_cast<int>(row.choices.size());
        row.choices.push_back(e.GetDisplayText(true));
    }
    return row;
}

}  // namespace

const std::array<unsigned, CParameterTable::ColumnCount>& CParameterTable::TitleIds()
{
    static const std::array<unsigned, ColumnCount> kTitles = {kMsgColumnParameter,   kMsgColumnValue, kMsgColumnUnit,
                                                              kMsgColumnDescription, kMsgColumnMin,   kMsgColumnMax};
    return kTitles;
}

double CParameterTable::WidthFactor(int column)
{
    switch (column) {
    case ColParameter:
        return 5.0 / 2.0;
    case ColDescription:
        return 6.0;
    default:
        return 4.0 / 3.0;
    }
}

std::vector<std::string> CParameterTable::BaudRateChoices()
{
    std::vector<std::string> choices;
    for (int code = 0; code < kBaudRateCount; ++code)
        choices.push_back(BaudRateText(code));
    return choices;
}

std::vector<CParameterTable::Row> CParameterTable::Rows(const CQVTDevice& device, int section, bool online)
{
    if (section == kHeader)
        return HeaderLines(device, online);
    std::vector<Row> rows;
    if (section < 0 || static_cast<std::size_t>(section) >= device.sections.size())
        return rows;
    for (const CQVTParameter& p : device.sections[static_cast<std::size_t>(section)].parameters)
        rows.push_back(ParameterRow(p, online));
    return rows;
}

CQVTParameter* CParameterTable::ParameterAt(CQVTDevice& device, int section, int row)
{
    if (section < 0 || static_cast<std::size_t>(section) >= device.sections.size() || row < 1)
        return nullptr;
    auto& parameters = device.sections[static_cast<std::size_t>(section)].parameters;
    if (static_cast<std::size_t>(row) > parameters.size())
        return nullptr;
    return &parameters[static_cast<std::size_t>(row - 1)];
}

bool CParameterTable::ParseNodeId(const std::string& text, int& nodeId)
{
    std::uint8_t value = 0;
    if (!ParseU8(text.c_str(), value) || value < kMinNodeId || value > kMaxNodeId)
        return false;
    nodeId = value;
    return true;
}

std::string CParameterTable::CommitHeaderText(CQVTDoc& doc, CQVTDevice& device, int row, const std::string& text)
{
    switch (row) {
    case RowName:
        device.name = text;
        break;
    case RowText:
        device.text = text;
        break;
    case RowDate:
        device.date = text;
        break;
    case RowNodeId:
        // Node-id 0 or one above 127 would be configured into the drive by
        // the next Download; such a text leaves the node-id as it was.
        if (!ParseNodeId(text, device.nodeId))
            return device.GetNodeIdText();
        device.nodeIdChanged = true;
        doc.SetModified(true);
        return device.GetNodeIdText();
    case RowType:
        return device.typeName;
    case RowBaudRate:
        return device.GetBaudRateText();
    default:
        return std::string();
    }
    doc.SetModified(true);
    return text;
}

std::string CParameterTable::CommitText(CQVTDoc& doc, int section, int row, const std::string& text)
{
    CQVTDevice* device = doc.Device();
    if (device == nullptr)
        return std::string();
    if (section == kHeader)
        return CommitHeaderText(doc, *device, row, text);
    CQVTParameter* p = ParameterAt(*device, section, row);
    if (p == nullptr || !p->IsTransferable())
        return p == nullptr ? std::string() : CParameterValue::GetValueText(*p, true);
    // A refused text keeps the old value but still counts as an edit.
    CParameterValue::SetValueText(*p, text);
    p->changed = true;
    doc.SetModified(true);
    return CParameterValue::GetValueText(*p, false);
}

std::string CParameterTable::CommitChoice(CQVTDoc& doc, int section, int row, int choice)
{
    CQVTDevice* device = doc.Device();
    if (device == nullptr || choice < 0)
        return std::string();
    if (section == kHeader) {
        if (row != RowBaudRate || choice >= kBaudRateCount)
            return row == RowBaudRate ? device->GetBaudRateText() : std::string();
        device->baudRate = BaudRateCode(BaudRateChoices()[static_cast<std::size_t>(choice)]);
        device->baudRateChanged = true;
        doc.SetModified(true);
        return device->GetBaudRateText();
    }
    CQVTParameter* p = ParameterAt(*device, section, row);
    if (p == nullptr)
        return std::string();
    if (!p->IsTransferable() || static_cast<std::size_t>(choice) >= p->enumerators.size())
        return CParameterValue::GetValueText(*p, true);
    CParameterValue::SetValueText(*p, EnumeratorValueText(*p, p->enumerators[static_cast<std::size_t>(choice)]));
    p->changed = true;
    doc.SetModified(true);
    return CParameterValue::GetValueText(*p, true);
}

CParameterTable::Shade CParameterTable::EditedShade(const CQVTDevice& device, int section, int row)
{
    if (section == kHeader) {
        switch (row) {
        case RowName:
        case RowText:
        case RowDate:
            return Shade::Changed;
        case RowNodeId:
            return ValueShade(true, device.nodeIdChanged, true);
        case RowBaudRate:
            return ValueShade(true, device.baudRateChanged, true);
        default:
            return Shade::ReadOnly;
        }
    }
    if (section < 0 || static_cast<std::size_t>(section) >= device.sections.size() || row < 1)
        return Shade::ReadOnly;
    const CQVTSection& s = device.sections[static_cast<std::size_t>(section)];
    if (static_cast<std::size_t>(row) > s.parameters.size())
        return Shade::ReadOnly;
    const CQVTParameter& p = s.parameters[static_cast<std::size_t>(row - 1)];
    return ValueShade(p.IsTransferable(), p.changed, true);
}

std::string CParameterTable::EnumeratorValueText(const CQVTParameter& parameter, const CQVTEnumerator& enumerator)
{
    const std::int64_t value = enumerator.value;
    const int bytes = DataTypeFixedSize(parameter.dataType);
    std::uint64_t bits = static_cast<std::uint32_t>(enumerator.value);
    if (IsIntegerType(parameter.dataType) && bytes > 0 && bytes < 4) {
        // A value that fits the width, signed or unsigned, as its bit
        // pattern there; any other stays too wide for the type to accept.
        const int width = 8 * bytes;
        const std::int64_t lowest = -(std::int64_t{1} << (width - 1));
        const std::int64_t highest = (std::int64_t{1} << width) - 1;
        if (value >= lowest && value <= highest)
            bits = static_cast<std::uint64_t>(value) & ((std::uint64_t{1} << width) - 1);
    }
    char text[24];
    std::snprintf(text, sizeof text, "0x%" PRIX64, bits);
    return text;
}

std::string CParameterTable::HelpKey(const CQVTDevice& device, int section, int row)
{
    if (section == kHeader)
        return row >= 1 && row <= HeaderRows ? kHeaderLines[row - 1].helpKey : std::string();
    if (section < 0 || static_cast<std::size_t>(section) >= device.sections.size() || row < 1)
        return std::string();
    const CQVTSection& s = device.sections[static_cast<std::size_t>(section)];
    if (static_cast<std::size_t>(row) > s.parameters.size())
        return std::string();
    return s.key + "_" + s.parameters[static_cast<std::size_t>(row - 1)].key;
}

}  // namespace ovro
