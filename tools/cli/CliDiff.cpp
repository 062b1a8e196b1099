#include "CliDiff.h"

#include <cstdio>

#include "MessageFormat.h"
#include "TextTable.h"

std::string CCliDiff::Text(const std::vector<ovro::CParameterCompare::Row>& rows, const std::string& documentName)
{
    using Row = ovro::CParameterCompare::Row;
    std::string text;
    const ovro::CQVTSection* section = nullptr;
    CTextTable* table = nullptr;
    std::vector<CTextTable> tables;
    std::vector<const ovro::CQVTSection*> sections;
    tables.reserve(rows.size());
    for (const Row& row : rows) {
        if (row.section != section) {
            section = row.section;
            sections.push_back(section);
            tables.emplace_back(std::vector<std::string>{"Parameter", "Object", "Drive", "Document", "Default", ""});
            table = &tables.back();
        }
        char object[16];
        std::snprintf(object, sizeof object, "%04X/%02X", row.parameter->index, row.parameter->subIndex);
        std::string mark = ovro::CParameterCompare::MarkText(row.mark);
        if (row.changedFromFactory && row.Counts())
            mark = mark.empty() ? "*" : "* " + mark;
        table->AddRow({row.parameter->name, object, row.mark == ovro::CParameterCompare::Mark::NotRead ? "?" : row.drive,
                       row.document, row.factoryKnown ? row.factory : "-", mark});
    }
    for (std::size_t i = 0; i < tables.size(); ++i)
        text += (i ? "\n[" : "[") + CMessageFormat::Utf8(sections[i]->name) + "]\n" + tables[i].Text("  ");

    const ovro::CParameterCompare::Summary s = ovro::CParameterCompare::Summarize(rows);
    const std::string against = documentName.empty() ? "the factory settings" : documentName;
    char line[256];
    std::snprintf(line, sizeof line,
                  "\n%d parameters compared with %s: %d not yet downloaded, %d changed in drive, %d not readable; "
                  "%d changed from factory (*).\n",
                  s.compared, against.c_str(), s.notDownloaded, s.changedInDrive, s.notRead, s.changedFromFactory);
    text += line;
    text += s.notDownloaded + s.changedInDrive + s.notRead == 0 ? "Drive and document agree.\n"
                                                                : "Drive and document differ.\n";
    return text;
}
