// CParameterTableEdits: the Edit menu on the parameter table when no cell
// editor is open - "&Copy" takes the value text of the selected line,
// "Cu&t" takes it and empties the value as an edit, "&Paste" commits a text
// as an edit of the selected line (an entry of its drop-down list when the
// text is one), and "&Undo" puts back what the last edit of the table
// replaced. Every edit of the table, typed or pasted, is remembered first.
#pragma once

#include <optional>
#include <string>

#include "description/QVTParameter.h"

namespace ovro {

class CQVTDevice;
class CQVTDoc;

class CParameterTableEdits {
public:
    // The value text of a line (1-based) of a section, or the header.
    static std::string CopyText(const CQVTDevice& device, int section, int row);
    // Commits text into the value cell of a line as an edit; false (nothing
    // done) for a line without an editor. shown: the cell's text now.
    bool Paste(CQVTDoc& doc, int section, int row, const std::string& text, std::string& shown);
    // The value text, and the value emptied as an edit where the line can
    // be edited.
    std::string Cut(CQVTDoc& doc, int section, int row, std::string& shown);

    // What a line holds before the table edits it.
    void Remember(const CQVTDoc& doc, int section, int row);
    bool CanUndo() const { return last_.has_value(); }
    // Puts back what the last edit replaced; false when there is none.
    // section and row tell the line that got its value back.
    bool Undo(CQVTDoc& doc, int& section, int& row);

private:
    struct Before {
        int section = 0;
        int row = 0;
        CQVTParameter::Value value{};
        bool changed = false;
        std::string text;  // name, text or date of the header
        int number = 0;    // node-id or baud rate of the header
        bool modified = false;
    };
    std::optional<Before> last_;
};

}  // namespace ovro
