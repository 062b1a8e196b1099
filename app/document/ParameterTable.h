// CParameterTable: the lines of the parameter table - one section of the
// device, or the document header - and what an edit of a value cell does to
// the document. The widget (CQVTView) only shows these lines and hands the
// editors' texts back here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ovro {

class CQVTDevice;
class CQVTDoc;
class CQVTEnumerator;
class CQVTParameter;

class CParameterTable {
public:
    enum Column { ColParameter = 0, ColValue, ColUnit, ColDescription, ColMin, ColMax, ColumnCount };
    // The document header in place of a section.
    static constexpr int kHeader = -1;
    // Rows of the header, 1-based as below the title row.
    enum HeaderRow { RowType = 1, RowName, RowText, RowDate, RowNodeId, RowBaudRate, HeaderRows = RowBaudRate };

    enum class Shade { ReadOnly, Editable, Changed };
    enum class Editor { None, Text, DropDown };

    struct Row {
        std::array<std::string, ColumnCount> cells;
        Shade shade = Shade::ReadOnly;  // of the value cell; the others are read-only
        Editor editor = Editor::None;
        std::vector<std::string> choices;  // the drop-down list
        int currentChoice = -1;            // the entry of the present value
    };

    // Message numbers of the column titles, in column order.
    static const std::array<unsigned, ColumnCount>& TitleIds();
    // Widths in multiples of the grid's default column width.
    static double WidthFactor(int column);

    // The lines below the title row, line n of the table at index n - 1:
    // the header (section kHeader) or the parameters of a section; a section
    // the device does not have gives none. Changed values are shaded only
    // while online.
    static std::vector<Row> Rows(const CQVTDevice& device, int section, bool online);

    // The user committed text in the value cell of a line (1-based). Returns
    // the text the cell shows now.
    static std::string CommitText(CQVTDoc& doc, int section, int row, const std::string& text);
    // The user chose entry choice of the drop-down list of a line.
    static std::string CommitChoice(CQVTDoc& doc, int section, int row, int choice);
    // The shade of a value cell just committed: an edit turns its cell
    // yellow, online or offline, header fields too; a node-id or baud rate
    // that was refused leaves its mark as it was. Later refreshes shade as
    // Rows does.
    static Shade EditedShade(const CQVTDevice& device, int section, int row);

    // The key of a line in the help index: the header's own keys, or the
    // section key, "_" and the parameter key; empty for no line.
    static std::string HelpKey(const CQVTDevice& device, int section, int row);

    // The text that sets a parameter to an enumerator's value: the value in
    // the parameter type's width, so that a negative enumerator of a signed
    // 8- or 16-bit parameter stays a number the type accepts.
    static std::string EnumeratorValueText(const CQVTParameter& parameter, const CQVTEnumerator& enumerator);

    // The node-id typed into the header; false for anything but 1...127.
    static bool ParseNodeId(const std::string& text, int& nodeId);

    // The baud-rate list of the header, "1000" ... "10", by code.
    static std::vector<std::string> BaudRateChoices();

private:
    static CQVTParameter* ParameterAt(CQVTDevice& device, int section, int row);
    static std::string CommitHeaderText(CQVTDoc& doc, CQVTDevice& device, int row, const std::string& text);
};

}  // namespace ovro
