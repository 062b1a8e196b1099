#include "document/ParameterTableEdits.h"

#include "description/QVTDevice.h"
#include "document/ParameterTable.h"
#include "document/QVTDoc.h"

namespace ovro {

namespace {

CQVTParameter* ParameterAt(CQVTDevice& device, int section, int row)
{
    if (section < 0 || static_cast<std::size_t>(section) >= device.sections.size() || row < 1)
        return nullptr;
    auto& parameters = device.sections[static_cast<std::size_t>(section)].parameters;
    return static_cast<std::size_t>(row) <= parameters.size() ? &parameters[static_cast<std::size_t>(row - 1)]
                                                               : nullptr;
}

// The line as the table shows it, if there is one.
std::optional<CParameterTable::Row> LineAt(const CQVTDevice& device, int section, int row)
{
    const std::vector<CParameterTable::Row> rows = CParameterTable::Rows(device, section, false);
    if (row < 1 || static_cast<std::size_t>(row) > rows.size())
        return std::nullopt;
    return rows[static_cast<std::size_t>(row - 1)];
}

}  // namespace

std::string CParameterTableEdits::CopyText(const CQVTDevice& device, int section, int row)
{
    const std::optional<CParameterTable::Row> line = LineAt(device, section, row);
    return line ? line->cells[CParameterTable::ColValue] : std::string();
}

bool CParameterTableEdits::Paste(CQVTDoc& doc, int section, int row, const std::string& text, std::string& shown)
{
    if (doc.Device() == nullptr)
        return false;
    const std::optional<CParameterTable::Row> line = LineAt(*doc.Device(), section, row);
    if (!line || line->editor == CParameterTable::Editor::None)
        return false;
    Remember(doc, section, row);
    if (line->editor == CParameterTable::Editor::DropDown) {
        // A text copied from such a list is one of its entries.
        for (std::size_t i = 0; i < line->choices.size(); ++i) {
            if (line->choices[i] == text) {
                shown = CParameterTable::CommitChoice(doc, section, row, static_cast<int>(i));
                return true;
            }
        }
    }
    shown = CParameterTable::CommitText(doc, section, row, text);
    return true;
}

std::string CParameterTableEdits::Cut(CQVTDoc& doc, int section, int row, std::string& shown)
{
    if (doc.Device() == nullptr)
        return std::string();
    const std::string text = CopyText(*doc.Device(), section, row);
    shown = text;
    Paste(doc, section, row, std::string(), shown);
    return text;
}

void CParameterTableEdits::Remember(const CQVTDoc& doc, int section, int row)
{
    CQVTDevice* device = doc.Device();
    if (device == nullptr)
        return;
    Before before;
    before.section = section;
    before.row = row;
    before.modified = doc.IsModified();
    if (section == CParameterTable::kHeader) {
        switch (row) {
        case CParameterTable::RowName: before.text = device->name; break;
        case CParameterTable::RowText: before.text = device->text; break;
        case CParameterTable::RowDate: before.text = device->date; break;
        case CParameterTable::RowNodeId:
            before.number = device->nodeId;
            before.changed = device->nodeIdChanged;
            break;
        case CParameterTable::RowBaudRate:
            before.number = device->baudRate;
            before.changed = device->baudRateChanged;
            break;
        default: return;
        }
    } else {
        const CQVTParameter* p = ParameterAt(*device, section, row);
        if (p == nullptr)
            return;
        before.value = p->value;
        before.changed = p->changed;
    }
    last_ = before;
}

bool CParameterTableEdits::Undo(CQVTDoc& doc, int& section, int& row)
{
    CQVTDevice* device = doc.Device();
    if (!last_ || device == nullptr)
        return false;
    const Before before = *last_;
    last_.reset();
    if (before.section == CParameterTable::kHeader) {
        switch (before.row) {
        case CParameterTable::RowName: device->name = before.text; break;
        case CParameterTable::RowText: device->text = before.text; break;
        case CParameterTable::RowDate: device->date = before.text; break;
        case CParameterTable::RowNodeId:
            device->nodeId = before.number;
            device->nodeIdChanged = before.changed;
            break;
        case CParameterTable::RowBaudRate:
            device->baudRate = before.number;
            device->baudRateChanged = before.changed;
            break;
        default: return false;
        }
    } else {
        CQVTParameter* p = ParameterAt(*device, before.section, before.row);
        if (p == nullptr)
            return false;
        p->value = before.value;
        p->changed = before.changed;
    }
    doc.SetModified(before.modified);
    section = before.section;
    row = before.row;
    return true;
}

}  // namespace ovro
