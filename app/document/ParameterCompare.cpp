#include "ParameterCompare.h"

#include <cstring>

#include "ParameterTransfer.h"
#include "ParameterValue.h"
#include "description/QVTDataType.h"

namespace ovro {

namespace {

std::string TextOf(const CQVTParameter& parameter, const CQVTParameter::Value& value)
{
    CQVTParameter copy = parameter;
    copy.SetRaw(value.data(), value.size());
    return CParameterValue::GetValueText(copy, true);
}

}  // namespace

bool CParameterCompare::SameValue(const CQVTParameter& parameter, const CQVTParameter::Value& a,
                                  const CQVTParameter::Value& b)
{
    if (IsIntegerType(parameter.dataType) || parameter.dataType == QvtVisibleString) {
        CQVTParameter copy = parameter;
        copy.SetRaw(a.data(), a.size());
        return CParameterValue::Compare(copy, b.data()) == 0;
    }
    return a == b;
}

bool CParameterCompare::ReadDrive(const CQVTDevice& device, CCANopenNode& node)
{
    drive_.clear();
    for (const CQVTSection& section : device.sections) {
        for (const CQVTParameter& parameter : section.parameters) {
            CQVTParameter copy = parameter;
            const CParameterTransfer::Result result = CParameterTransfer::Read(copy, node);
            if (result == CParameterTransfer::Failed)
                return false;
            drive_.push_back({result == CParameterTransfer::Done, copy.value});
        }
    }
    return true;
}

void CParameterCompare::TakeDrive(const CQVTDevice& drive)
{
    drive_.clear();
    for (const CQVTSection& section : drive.sections) {
        for (const CQVTParameter& parameter : section.parameters)
            drive_.push_back({true, parameter.value});
    }
}

std::vector<CParameterCompare::Row> CParameterCompare::Rows(const CQVTDevice& document) const
{
    std::vector<Row> rows;
    std::size_t at = 0;
    for (const CQVTSection& section : document.sections) {
        for (const CQVTParameter& parameter : section.parameters) {
            Row row;
            row.section = &section;
            row.parameter = &parameter;
            row.document = CParameterValue::GetValueText(parameter, true);
            CQVTParameter factory = parameter;
            factory.Clear();
            row.factoryKnown = !parameter.defaultValue.empty() &&
                               CParameterValue::SetValueText(factory, parameter.defaultValue);
            if (row.factoryKnown) {
                row.factory = CParameterValue::GetValueText(factory, true);
                row.changedFromFactory = !SameValue(parameter, parameter.value, factory.value);
            }
            const DriveValue* drive = at < drive_.size() ? &drive_[at] : nullptr;
            ++at;
            if (drive && drive->read)
                row.drive = TextOf(parameter, drive->value);
            if (!parameter.IsTransferable())
                row.mark = Mark::ReadOnly;
            else if (!drive || !drive->read)
                row.mark = Mark::NotRead;
            else if (SameValue(parameter, drive->value, parameter.value))
                row.mark = Mark::Same;
            else if (!row.factoryKnown || SameValue(parameter, drive->value, factory.value))
                row.mark = Mark::NotDownloaded;
            else
                row.mark = Mark::ChangedInDrive;
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

CParameterCompare::Summary CParameterCompare::Summarize(const std::vector<Row>& rows)
{
    Summary summary;
    for (const Row& row : rows) {
        if (!row.Counts())
            continue;
        ++summary.compared;
        summary.changedFromFactory += row.changedFromFactory;
        switch (row.mark) {
        case Mark::NotDownloaded: ++summary.notDownloaded; break;
        case Mark::ChangedInDrive: ++summary.changedInDrive; break;
        case Mark::NotRead: ++summary.notRead; break;
        default: break;
        }
    }
    return summary;
}

bool CParameterCompare::InStep(const CQVTDevice& document) const
{
    const Summary s = Summarize(Rows(document));
    return s.notDownloaded == 0 && s.changedInDrive == 0 && s.notRead == 0;
}

const char* CParameterCompare::MarkText(Mark mark)
{
    switch (mark) {
    case Mark::Same: return "";
    case Mark::NotDownloaded: return "not yet downloaded";
    case Mark::ChangedInDrive: return "changed in drive";
    case Mark::NotRead: return "not readable";
    case Mark::ReadOnly: return "read only";
    }
    return "";
}

}  // namespace ovro
