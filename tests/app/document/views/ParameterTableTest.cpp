// The lines of the parameter table and what an edit does to the document.
#include "ViewTestSupport.h"

#include "description/QVTDataType.h"
#include "description/QVTDevice.h"
#include "document/ParameterTable.h"
#include "document/ParameterTableEdits.h"
#include "document/ParameterValue.h"

using ovro::CParameterTable;
using ovro::CQVTParameter;

namespace viewtest {
namespace {

class ParameterTableTest : public OfflineDocTest {
protected:
    // The section and 1-based line of a parameter.
    static std::pair<int, int> Locate(const ovro::CQVTDevice& device, std::uint16_t index)
    {
        for (std::size_t s = 0; s < device.sections.size(); ++s) {
            const auto& parameters = device.sections[s].parameters;
            for (std::size_t p = 0; p < parameters.size(); ++p) {
                if (parameters[p].index == index && parameters[p].subIndex == 0)
                    return {static_cast<int>(s), static_cast<int>(p) + 1};
            }
        }
        ADD_FAILURE() << "no parameter " << index;
        return {0, 0};
    }
    static CQVTParameter& At(ovro::CQVTDevice& device, std::pair<int, int> where)
    {
        return device.sections[static_cast<std::size_t>(where.first)]
            .parameters[static_cast<std::size_t>(where.second - 1)];
    }
};

TEST_F(ParameterTableTest, HeaderShowsTheDocumentFieldsAndNodeSettings)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    ovro::CQVTDevice& device = *doc.Device();
    device.text = "Left axis";
    device.date = "08.12.2026";
    device.baudRate = 4;
    const auto rows = CParameterTable::Rows(device, CParameterTable::kHeader, true);
    ASSERT_EQ(rows.size(), 6u);
    const char* labels[] = {"Type", "Name", "Text", "Date", "Node-Id.", "Baud rate"};
    const char* values[] = {"Ovro K315", "Axis 1", "Left axis", "08.12.2026", "9", "125"};
    const char* descriptions[] = {"Device type.", "Device name.", "A brief description.",
                                  "Last update of the file.", "Node-Id. of the device.", "Baud rate of the device."};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].cells[CParameterTable::ColParameter], labels[i]);
        EXPECT_EQ(rows[i].cells[CParameterTable::ColValue], values[i]);
        EXPECT_EQ(rows[i].cells[CParameterTable::ColDescription], descriptions[i]);
    }
    // The type is read-only; the others are edited, the baud rate by list.
    EXPECT_EQ(rows[0].editor, CParameterTable::Editor::None);
    EXPECT_EQ(rows[0].shade, CParameterTable::Shade::ReadOnly);
    EXPECT_EQ(rows[1].editor, CParameterTable::Editor::Text);
    EXPECT_EQ(rows[4].editor, CParameterTable::Editor::Text);
    EXPECT_EQ(rows[4].cells[CParameterTable::ColMin], "1");
    EXPECT_EQ(rows[4].cells[CParameterTable::ColMax], "127");
    EXPECT_EQ(rows[5].cells[CParameterTable::ColUnit], "kBit/sec");
    EXPECT_EQ(rows[5].cells[CParameterTable::ColMin], "10");
    EXPECT_EQ(rows[5].cells[CParameterTable::ColMax], "1000");
    ASSERT_EQ(rows[5].editor, CParameterTable::Editor::DropDown);
    EXPECT_EQ(rows[5].choices,
              (std::vector<std::string>{"1000", "800", "500", "250", "125", "100", "50", "20", "10"}));
    EXPECT_EQ(rows[5].currentChoice, 4);
}

TEST_F(ParameterTableTest, ChangedNodeSettingsAreYellowOnlyWhileOnline)
{
    ovro::CQVTDoc& doc = OpenOffline(1);
    ovro::CQVTDevice& device = *doc.Device();
    device.nodeIdChanged = true;
    device.baudRateChanged = false;
    auto online = CParameterTable::Rows(device, CParameterTable::kHeader, true);
    EXPECT_EQ(online[CParameterTable::RowNodeId - 1].shade, CParameterTable::Shade::Changed);
    EXPECT_EQ(online[CParameterTable::RowBaudRate - 1].shade, CParameterTable::Shade::Editable);
    auto offline = CParameterTable::Rows(device, CParameterTable::kHeader, false);
    EXPECT_EQ(offline[CParameterTable::RowNodeId - 1].shade, CParameterTable::Shade::Editable);
}

TEST_F(ParameterTableTest, SectionLinesFollowTheDescription)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    const ovro::CQVTDevice& device = *doc.Device();
    int readOnly = 0;
    int lists = 0;
    for (std::size_t s = 0; s < device.sections.size(); ++s) {
        const auto rows = CParameterTable::Rows(device, static_cast<int>(s), false);
        const auto& parameters = device.sections[s].parameters;
        ASSERT_EQ(rows.size(), parameters.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const CQVTParameter& p = parameters[i];
            EXPECT_EQ(rows[i].cells[CParameterTable::ColParameter], p.name);
            EXPECT_EQ(rows[i].cells[CParameterTable::ColValue], ovro::CParameterValue::GetValueText(p, true));
            EXPECT_EQ(rows[i].cells[CParameterTable::ColUnit], p.unit);
            EXPECT_EQ(rows[i].cells[CParameterTable::ColDescription], p.description);
            EXPECT_EQ(rows[i].cells[CParameterTable::ColMin], p.minValue);
            EXPECT_EQ(rows[i].cells[CParameterTable::ColMax], p.maxValue);
            if (p.accessible == 0) {
                ++readOnly;
                EXPECT_EQ(rows[i].editor, CParameterTable::Editor::None) << p.key;
                EXPECT_EQ(rows[i].shade, CParameterTable::Shade::ReadOnly) << p.key;
            } else if (!p.enumerators.empty()) {
                ++lists;
                EXPECT_EQ(rows[i].editor, CParameterTable::Editor::DropDown) << p.key;
                EXPECT_EQ(rows[i].choices.size(), p.enumerators.size());
                EXPECT_EQ(rows[i].choices.front(), p.enumerators.front().GetDisplayText(true));
            } else {
                EXPECT_EQ(rows[i].editor, CParameterTable::Editor::Text) << p.key;
                // Read from a file: marked changed, but offline not yellow.
                if (ovro::IsIntegerType(p.dataType)) {
                    EXPECT_TRUE(p.changed) << p.key;
                }
                EXPECT_EQ(rows[i].shade, CParameterTable::Shade::Editable) << p.key;
            }
        }
    }
    EXPECT_GT(readOnly, 0);
    EXPECT_GT(lists, 0);
    EXPECT_TRUE(CParameterTable::Rows(device, static_cast<int>(device.sections.size()), false).empty());
    EXPECT_TRUE(CParameterTable::Rows(device, -2, false).empty());
}

TEST_F(ParameterTableTest, ChangedValuesAreYellowWhileOnline)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    ovro::CQVTDevice& device = *doc.Device();
    const auto where = Locate(device, 0x6081);
    At(device, where).changed = true;
    EXPECT_EQ(CParameterTable::Rows(device, where.first, true)[where.second - 1].shade,
              CParameterTable::Shade::Changed);
    At(device, where).changed = false;
    EXPECT_EQ(CParameterTable::Rows(device, where.first, true)[where.second - 1].shade,
              CParameterTable::Shade::Editable);
}

TEST_F(ParameterTableTest, AnEditTurnsItsCellYellowOfflineAndInTheHeaderToo)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    ASSERT_TRUE(doc.IsOffline());
    ovro::CQVTDevice& device = *doc.Device();
    const auto where = Locate(device, 0x6081);
    const struct {
        const char* name;
        int section;
        int row;
        std::string text;
        CParameterTable::Shade shade;
    } rows[] = {
        {"a parameter", where.first, where.second, "1234", CParameterTable::Shade::Changed},
        {"a refused parameter text", where.first, where.second, "x", CParameterTable::Shade::Changed},
        {"the name", CParameterTable::kHeader, CParameterTable::RowName, "Axis 2", CParameterTable::Shade::Changed},
        {"the text", CParameterTable::kHeader, CParameterTable::RowText, "spare", CParameterTable::Shade::Changed},
        {"the date", CParameterTable::kHeader, CParameterTable::RowDate, "today", CParameterTable::Shade::Changed},
        {"the node-id", CParameterTable::kHeader, CParameterTable::RowNodeId, "9", CParameterTable::Shade::Changed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        device.nodeIdChanged = false;
        At(device, where).changed = false;
        CParameterTable::CommitText(doc, row.section, row.row, row.text);
        EXPECT_EQ(CParameterTable::EditedShade(device, row.section, row.row), row.shade);
    }
    // A refused node-id marks nothing, so its cell stays as it was.
    device.nodeIdChanged = false;
    CParameterTable::CommitText(doc, CParameterTable::kHeader, CParameterTable::RowNodeId, "0");
    EXPECT_EQ(CParameterTable::EditedShade(device, CParameterTable::kHeader, CParameterTable::RowNodeId),
              CParameterTable::Shade::Editable);
    CParameterTable::CommitChoice(doc, CParameterTable::kHeader, CParameterTable::RowBaudRate, 2);
    EXPECT_EQ(CParameterTable::EditedShade(device, CParameterTable::kHeader, CParameterTable::RowBaudRate),
              CParameterTable::Shade::Changed);
    // The type and lines that are not there have nothing to edit.
    EXPECT_EQ(CParameterTable::EditedShade(device, CParameterTable::kHeader, CParameterTable::RowType),
              CParameterTable::Shade::ReadOnly);
    EXPECT_EQ(CParameterTable::EditedShade(device, where.first, 10000), CParameterTable::Shade::ReadOnly);
    // A refresh offline shows no yellow again.
    EXPECT_EQ(CParameterTable::Rows(device, where.first, false)[where.second - 1].shade,
              CParameterTable::Shade::Editable);
}

TEST_F(ParameterTableTest, CopyPasteCutAndUndoActOnTheValueOfALine)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    ovro::CQVTDevice& device = *doc.Device();
    ovro::CParameterTableEdits edits;
    const auto velocity = Locate(device, 0x6081);
    const auto homing = Locate(device, 0x6098);
    ASSERT_TRUE(ovro::CParameterValue::SetValueText(At(device, velocity), "1500"));
    At(device, velocity).changed = false;
    doc.SetModified(false);
    std::string shown;

    // Copy: the value text as the cell shows it; lines that are not there: "".
    EXPECT_EQ(ovro::CParameterTableEdits::CopyText(device, velocity.first, velocity.second), "1500");
    EXPECT_EQ(ovro::CParameterTableEdits::CopyText(device, CParameterTable::kHeader, CParameterTable::RowType),
              device.typeName);
    EXPECT_EQ(ovro::CParameterTableEdits::CopyText(device, velocity.first, 10000), "");
    EXPECT_FALSE(edits.CanUndo());

    // Paste: an edit like a typed one; Undo puts the old value and marks back.
    ASSERT_TRUE(edits.Paste(doc, velocity.first, velocity.second, "2500", shown));
    EXPECT_EQ(shown, "2500");
    EXPECT_EQ(At(device, velocity).GetInteger(), 2500);
    EXPECT_TRUE(At(device, velocity).changed);
    EXPECT_TRUE(doc.IsModified());
    int section = -2;
    int row = 0;
    ASSERT_TRUE(edits.Undo(doc, section, row));
    EXPECT_EQ(section, velocity.first);
    EXPECT_EQ(row, velocity.second);
    EXPECT_EQ(At(device, velocity).GetInteger(), 1500);
    EXPECT_FALSE(At(device, velocity).changed);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(edits.Undo(doc, section, row));

    // A text copied out of a drop-down list pastes as that entry.
    const std::string entry = At(device, homing).enumerators.back().GetDisplayText(true);
    ASSERT_TRUE(edits.Paste(doc, homing.first, homing.second, entry, shown));
    EXPECT_EQ(shown, entry);
    EXPECT_EQ(At(device, homing).GetInteger(), At(device, homing).enumerators.back().value);

    // The header: a pasted name, a baud rate from its list, undone.
    ASSERT_TRUE(edits.Paste(doc, CParameterTable::kHeader, CParameterTable::RowBaudRate, "125", shown));
    EXPECT_EQ(device.baudRate, 4);
    EXPECT_TRUE(device.baudRateChanged);
    const std::string name = device.name;
    ASSERT_TRUE(edits.Paste(doc, CParameterTable::kHeader, CParameterTable::RowName, "Axis 9", shown));
    EXPECT_EQ(device.name, "Axis 9");
    ASSERT_TRUE(edits.Undo(doc, section, row));
    EXPECT_EQ(device.name, name);
    EXPECT_EQ(row, CParameterTable::RowName);

    // Read-only lines take no paste; Cut of one only copies.
    EXPECT_FALSE(edits.Paste(doc, CParameterTable::kHeader, CParameterTable::RowType, "x", shown));
    EXPECT_EQ(edits.Cut(doc, CParameterTable::kHeader, CParameterTable::RowType, shown), device.typeName);
    EXPECT_FALSE(edits.CanUndo());
    // Cut of an editable text takes it and empties it as an edit.
    device.text = "spare";
    EXPECT_EQ(edits.Cut(doc, CParameterTable::kHeader, CParameterTable::RowText, shown), "spare");
    EXPECT_EQ(device.text, "");
    ASSERT_TRUE(edits.Undo(doc, section, row));
    EXPECT_EQ(device.text, "spare");
}

TEST_F(ParameterTableTest, TypedValuesMarkTheParameterChangedEvenWhenRefused)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    ovro::CQVTDevice& device = *doc.Device();
    const auto where = Locate(device, 0x6081);  // Unsigned32
    CQVTParameter& p = At(device, where);
    p.changed = false;
    doc.SetModified(false);
    EXPECT_EQ(CParameterTable::CommitText(doc, where.first, where.second, " 0x1F4 "), "500");
    EXPECT_EQ(p.GetInteger(), 500);
    EXPECT_TRUE(p.changed);
    EXPECT_TRUE(doc.IsModified());

    p.changed = false;
    doc.SetModified(false);
    EXPECT_EQ(CParameterTable::CommitText(doc, where.first, where.second, "12a"), "500");
    EXPECT_EQ(p.GetInteger(), 500);
    EXPECT_TRUE(p.changed);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(ParameterTableTest, ReadOnlyParametersAndMissingLinesIgnoreEdits)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    ovro::CQVTDevice& device = *doc.Device();
    CQVTParameter* readOnly = nullptr;
    int section = 0;
    int line = 0;
    for (std::size_t s = 0; s < device.sections.size() && readOnly == nullptr; ++s) {
        for (std::size_t i = 0; i < device.sections[s].parameters.size(); ++i) {
            if (device.sections[s].parameters[i].accessible == 0 &&
                ovro::IsIntegerType(device.sections[s].parameters[i].dataType)) {
                readOnly = &device.sections[s].parameters[i];
                section = static_cast<int>(s);
                line = static_cast<int>(i) + 1;
                break;
            }
        }
    }
    ASSERT_NE(readOnly, nullptr);
    const auto before = readOnly->value;
    readOnly->changed = false;
    doc.SetModified(false);
    CParameterTable::CommitText(doc, section, line, "7");
    EXPECT_EQ(readOnly->value, before);
    EXPECT_FALSE(readOnly->changed);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(CParameterTable::CommitText(doc, section, 999, "7"), "");
    EXPECT_EQ(CParameterTable::CommitChoice(doc, section, 0, 0), "");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(ParameterTableTest, HeaderEditsSetTheDocumentFields)
{
    ovro::CQVTDoc& doc = OpenOffline(1);
    ovro::CQVTDevice& device = *doc.Device();
    device.nodeIdChanged = false;
    doc.SetModified(false);
    EXPECT_EQ(CParameterTable::CommitText(doc, CParameterTable::kHeader, CParameterTable::RowName, "Lift"), "Lift");
    EXPECT_EQ(CParameterTable::CommitText(doc, CParameterTable::kHeader, CParameterTable::RowText, "z"), "z");
    EXPECT_EQ(CParameterTable::CommitText(doc, CParameterTable::kHeader, CParameterTable::RowDate, "d"), "d");
    EXPECT_EQ(device.name, "Lift");
    EXPECT_EQ(device.text, "z");
    EXPECT_EQ(device.date, "d");
    EXPECT_TRUE(doc.IsModified());
    // The type cannot be edited.
    EXPECT_EQ(CParameterTable::CommitText(doc, CParameterTable::kHeader, CParameterTable::RowType, "x"),
              "Ovro H315");
    EXPECT_EQ(device.typeName, "Ovro H315");

    EXPECT_EQ(CParameterTable::CommitText(doc, CParameterTable::kHeader, CParameterTable::RowNodeId, "\t0x1F "), "31");
    EXPECT_EQ(device.nodeId, 31);
    EXPECT_TRUE(device.nodeIdChanged);
    EXPECT_EQ(CParameterTable::CommitText(doc, CParameterTable::kHeader, CParameterTable::RowNodeId, "017"), "15");
    EXPECT_EQ(device.nodeId, 15);
}

TEST_F(ParameterTableTest, NodeIdsOutsideTheBusRangeAreRefused)
{
    ovro::CQVTDoc& doc = OpenOffline(1);
    ovro::CQVTDevice& device = *doc.Device();
    device.nodeId = 9;
    device.nodeIdChanged = false;
    doc.SetModified(false);
    for (const char* text : {"0", "128", "255", "abc", "", "0x100", "-1"}) {
        EXPECT_EQ(CParameterTable::CommitText(doc, CParameterTable::kHeader, CParameterTable::RowNodeId, text), "9")
            << text;
    }
    EXPECT_EQ(device.nodeId, 9);
    EXPECT_FALSE(device.nodeIdChanged);
    EXPECT_FALSE(doc.IsModified());
    int id = 0;
    EXPECT_TRUE(CParameterTable::ParseNodeId("127", id));
    EXPECT_EQ(id, 127);
    EXPECT_TRUE(CParameterTable::ParseNodeId("1", id));
    EXPECT_EQ(id, 1);
}

TEST_F(ParameterTableTest, BaudRateListSetsTheCode)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    ovro::CQVTDevice& device = *doc.Device();
    device.baudRateChanged = false;
    doc.SetModified(false);
    EXPECT_EQ(CParameterTable::CommitChoice(doc, CParameterTable::kHeader, CParameterTable::RowBaudRate, 4), "125");
    EXPECT_EQ(device.baudRate, 4);
    EXPECT_TRUE(device.baudRateChanged);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(CParameterTable::CommitChoice(doc, CParameterTable::kHeader, CParameterTable::RowBaudRate, 0), "1000");
    EXPECT_EQ(device.baudRate, 0);
    // Past the list nothing changes.
    EXPECT_EQ(CParameterTable::CommitChoice(doc, CParameterTable::kHeader, CParameterTable::RowBaudRate, 9), "1000");
    EXPECT_EQ(device.baudRate, 0);
}

TEST_F(ParameterTableTest, NegativeHomingMethodsAreChosenFromTheList)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    ovro::CQVTDevice& device = *doc.Device();
    const auto where = Locate(device, 0x6098);
    CQVTParameter& method = At(device, where);
    ASSERT_EQ(method.dataType, ovro::QvtInteger8);
    for (std::size_t i = 0; i < method.enumerators.size(); ++i) {
        method.changed = false;
        const std::string shown = CParameterTable::CommitChoice(doc, where.first, where.second, static_cast<int>(i));
        EXPECT_EQ(method.GetInteger(), method.enumerators[i].value) << shown;
        EXPECT_EQ(shown, method.enumerators[i].GetDisplayText(true));
        EXPECT_TRUE(method.changed);
        // The list shows the chosen entry when it opens again.
        EXPECT_EQ(CParameterTable::Rows(device, where.first, true)[where.second - 1].currentChoice,
                  static_cast<int>(i));
    }
    EXPECT_EQ(CParameterTable::EnumeratorValueText(method, ovro::CQVTEnumerator(-3, "")), "0xFD");
}

TEST_F(ParameterTableTest, EnumeratorValuesKeepToTheTypeWidth)
{
    CQVTParameter p("p");
    auto text = [&p](int type, std::int32_t value) {
        p.dataType = type;
        return CParameterTable::EnumeratorValueText(p, ovro::CQVTEnumerator(value, ""));
    };
    EXPECT_EQ(text(ovro::QvtInteger8, -1), "0xFF");
    EXPECT_EQ(text(ovro::QvtInteger8, 127), "0x7F");
    EXPECT_EQ(text(ovro::QvtInteger16, -2), "0xFFFE");
    EXPECT_EQ(text(ovro::QvtUnsigned8, 255), "0xFF");
    EXPECT_EQ(text(ovro::QvtInteger32, -1), "0xFFFFFFFF");
    EXPECT_EQ(text(ovro::QvtUnsigned32, -1), "0xFFFFFFFF");
    // A value the type cannot hold stays too wide and is refused, not cut.
    p.dataType = ovro::QvtUnsigned8;
    EXPECT_EQ(text(ovro::QvtUnsigned8, 300), "0x12C");
    p.SetRaw("\x05", 1);
    EXPECT_FALSE(ovro::CParameterValue::SetValueText(p, text(ovro::QvtUnsigned8, 300)));
    EXPECT_EQ(p.GetInteger(), 5);
    EXPECT_EQ(text(ovro::QvtInteger8, -129), "0xFFFFFF7F");
}

TEST_F(ParameterTableTest, HelpKeysNameTheHeaderLineOrSectionAndParameter)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    const ovro::CQVTDevice& device = *doc.Device();
    const char* keys[] = {"Type", "Name", "Text", "Date", "NodeId", "Baudrate"};
    for (int row = 1; row <= 6; ++row)
        EXPECT_EQ(CParameterTable::HelpKey(device, CParameterTable::kHeader, row), keys[row - 1]);
    EXPECT_EQ(CParameterTable::HelpKey(device, CParameterTable::kHeader, 7), "");
    EXPECT_EQ(CParameterTable::HelpKey(device, CParameterTable::kHeader, 0), "");
    const auto where = Locate(device, 0x6098);
    EXPECT_EQ(CParameterTable::HelpKey(device, where.first, where.second), "Homing_HomingMethod");
    EXPECT_EQ(CParameterTable::HelpKey(device, where.first, 0), "");
    EXPECT_EQ(CParameterTable::HelpKey(device, 99, 1), "");
}

}  // namespace
}  // namespace viewtest
