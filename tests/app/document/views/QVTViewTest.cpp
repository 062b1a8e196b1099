// The parameter table widget: its lines and colours, the in-place editors,
// the status poll and the context help.
#include "ViewTestSupport.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

#include <filesystem>
#include <fstream>

#include "description/QVTDevice.h"
#include "document/DocumentObserver.h"
#include "document/ParameterValue.h"
#include "document/views/QVTView.h"
#include "document/views/ValueEditDelegate.h"

using ovro::CParameterTable;

namespace viewtest {
namespace {

class QVTViewTest : public OfflineDocTest {
protected:
    static QString Cell(const CQVTView& view, int row, int column)
    {
        const QTableWidgetItem* item = view.Grid()->item(row, column);
        return item != nullptr ? item->text() : QString();
    }
    static QColor Background(const CQVTView& view, int row, int column)
    {
        return view.Grid()->item(row, column)->background().color();
    }
    // Opens the editor of a value cell.
    template <typename Editor>
    static Editor* OpenEditor(CQVTView& view, int row)
    {
        QTableWidget* grid = view.Grid();
        grid->setCurrentCell(row, CParameterTable::ColValue);
        grid->edit(grid->model()->index(row, CParameterTable::ColValue));
        return qobject_cast<Editor*>(view.Delegate()->OpenEditor());
    }
    void WriteHelpIndex(const std::string& name, const std::string& text)
    {
        std::filesystem::create_directories(bus_.dir() + "/Help");
        std::ofstream(bus_.dir() + "/Help/" + name) << text;
    }
};

TEST_F(QVTViewTest, ShowsTheHeaderFirstAndSectionsOnRequest)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    doc.SetCurrentSection(4);
    CQVTView view(&doc);
    view.OnInitialUpdate();
    QTableWidget* grid = view.Grid();
    ASSERT_EQ(grid->columnCount(), 6);
    const char* titles[] = {"Parameter", "Value", "Unit", "Description", "Min", "Max"};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(grid->horizontalHeaderItem(c)->text(), QString::fromLatin1(titles[c]));
    const int unit = grid->horizontalHeader()->defaultSectionSize();
    EXPECT_EQ(grid->columnWidth(0), unit * 5 / 2);
    EXPECT_EQ(grid->columnWidth(1), unit * 4 / 3);
    EXPECT_EQ(grid->columnWidth(3), unit * 6);
    EXPECT_EQ(grid->columnWidth(5), unit * 4 / 3);

    EXPECT_EQ(view.Section(), CParameterTable::kHeader);
    EXPECT_EQ(doc.CurrentSection(), CParameterTable::kHeader);
    ASSERT_EQ(grid->rowCount(), 6);
    EXPECT_EQ(Cell(view, 0, 1), "Ovro K315");
    EXPECT_EQ(Cell(view, 1, 1), "Axis 1");
    EXPECT_EQ(Cell(view, 4, 1), "9");
    EXPECT_EQ(Cell(view, 5, 2), "kBit/sec");
    EXPECT_TRUE(view.IsPolling());

    const ovro::CQVTSection& homing = doc.Device()->sections[static_cast<std::size_t>(SectionAndRow(*doc.Device(), 0x6098).first)];
    const int section = SectionAndRow(*doc.Device(), 0x6098).first;
    view.OnUpdate(section);
    EXPECT_EQ(view.Section(), section);
    EXPECT_EQ(doc.CurrentSection(), section);
    ASSERT_EQ(grid->rowCount(), static_cast<int>(homing.parameters.size()));
    for (int row = 0; row < grid->rowCount(); ++row) {
        const ovro::CQVTParameter& p = homing.parameters[static_cast<std::size_t>(row)];
        EXPECT_EQ(Cell(view, row, 0), QString::fromStdString(p.name));
        EXPECT_EQ(Cell(view, row, 1), QString::fromLatin1(ovro::CParameterValue::GetValueText(p, true).c_str()));
        EXPECT_EQ(Cell(view, row, 4), QString::fromStdString(p.minValue));
        for (int c = 0; c < 6; ++c)
            EXPECT_EQ(grid->item(row, c)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
    }
    // The commit request shows nothing new.
    view.OnUpdate(ovro::IDocumentObserver::kCommitEdits);
    EXPECT_EQ(view.Section(), section);
    EXPECT_EQ(doc.CurrentSection(), section);
}

TEST_F(QVTViewTest, ColoursTellReadOnlyFromEditableAndOfflineShowsNoYellow)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    CQVTView view(&doc);
    view.OnInitialUpdate();
    ASSERT_NE(view.ReadOnlyColour(), view.EditableColour());
    ASSERT_NE(view.ReadOnlyColour(), CQVTView::ChangedColour());
    EXPECT_EQ(CQVTView::ChangedColour(), QColor(255, 255, 0));
    // Header: the type is read-only, the name editable.
    EXPECT_EQ(Background(view, 0, 1), view.ReadOnlyColour());
    EXPECT_FALSE(view.Grid()->item(0, 1)->flags() & Qt::ItemIsEditable);
    EXPECT_EQ(Background(view, 1, 1), view.EditableColour());
    EXPECT_TRUE(view.Grid()->item(1, 1)->flags() & Qt::ItemIsEditable);
    EXPECT_EQ(Background(view, 1, 0), view.ReadOnlyColour());

    const ovro::CQVTDevice& device = *doc.Device();
    for (std::size_t s = 0; s < device.sections.size(); ++s) {
        view.OnUpdate(static_cast<int>(s));
        for (std::size_t i = 0; i < device.sections[s].parameters.size(); ++i) {
            const ovro::CQVTParameter& p = device.sections[s].parameters[i];
            const int row = static_cast<int>(i);
            EXPECT_NE(Background(view, row, 1), CQVTView::ChangedColour()) << p.key;
            EXPECT_EQ(Background(view, row, 1), p.accessible == 0 ? view.ReadOnlyColour() : view.EditableColour());
            EXPECT_EQ(bool(view.Grid()->item(row, 1)->flags() & Qt::ItemIsEditable), p.accessible != 0) << p.key;
            EXPECT_FALSE(view.Grid()->item(row, 2)->flags() & Qt::ItemIsEditable);
        }
    }
}

TEST_F(QVTViewTest, TextEditorCommitsIntoTheDocument)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    CQVTView view(&doc);
    view.show();
    view.OnInitialUpdate();
    const auto [section, row] = SectionAndRow(*doc.Device(), 0x6081);
    view.OnUpdate(section);
    ovro::CQVTParameter& p = doc.Device()->sections[static_cast<std::size_t>(section)].parameters[static_cast<std::size_t>(row)];
    p.changed = false;
    doc.SetModified(false);
    int edited = 0;
    QObject::connect(&view, &CQVTView::documentEdited, [&edited] { ++edited; });

    auto* editor = OpenEditor<QLineEdit>(view, row);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("1234"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the editor commits by a queued call
    EXPECT_EQ(view.Delegate()->OpenEditor(), nullptr);
    EXPECT_EQ(p.GetInteger(), 1234);
    EXPECT_TRUE(p.changed);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(edited, 1);
    EXPECT_EQ(Cell(view, row, 1), "1234");
    // The edited cell turns yellow, offline too; a refresh takes it off.
    EXPECT_EQ(Background(view, row, 1), CQVTView::ChangedColour());
    view.OnUpdate(section);
    EXPECT_EQ(Background(view, row, 1), view.EditableColour());

    // A refused text still marks the value; the cell keeps the old one.
    editor = OpenEditor<QLineEdit>(view, row);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("-5"));
    EXPECT_TRUE(view.CommitPendingEdit());
    EXPECT_EQ(p.GetInteger(), 1234);
    EXPECT_EQ(Cell(view, row, 1), "1234");
    EXPECT_FALSE(view.CommitPendingEdit());

    // Escape leaves everything as it was.
    p.changed = false;
    editor = OpenEditor<QLineEdit>(view, row);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("77"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(p.GetInteger(), 1234);
    EXPECT_FALSE(p.changed);
}

TEST_F(QVTViewTest, PendingEditIsCommittedOnRequestAndBeforeAnotherSection)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    CQVTView view(&doc);
    view.show();
    view.OnInitialUpdate();
    auto* editor = OpenEditor<QLineEdit>(view, CParameterTable::RowName - 1);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Conveyor"));
    view.OnUpdate(ovro::IDocumentObserver::kCommitEdits);
    EXPECT_EQ(doc.Device()->name, "Conveyor");
    EXPECT_EQ(Background(view, CParameterTable::RowName - 1, 1), CQVTView::ChangedColour());
    EXPECT_EQ(view.Section(), CParameterTable::kHeader);

    editor = OpenEditor<QLineEdit>(view, CParameterTable::RowText - 1);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("spare"));
    view.OnUpdate(2);
    EXPECT_EQ(doc.Device()->text, "spare");
    EXPECT_EQ(view.Section(), 2);
}

TEST_F(QVTViewTest, DropDownListsSetEnumeratedValuesAndTheBaudRate)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    CQVTView view(&doc);
    view.show();
    view.OnInitialUpdate();
    auto* baud = OpenEditor<QComboBox>(view, CParameterTable::RowBaudRate - 1);
    ASSERT_NE(baud, nullptr);
    EXPECT_EQ(baud->count(), 9);
    EXPECT_EQ(baud->currentText(), QString::fromStdString(doc.Device()->GetBaudRateText()));
    baud->setCurrentIndex(2);
    emit baud->activated(2);
    EXPECT_EQ(doc.Device()->baudRate, 2);
    EXPECT_TRUE(doc.Device()->baudRateChanged);
    EXPECT_EQ(Cell(view, CParameterTable::RowBaudRate - 1, 1), "500");

    const auto [section, row] = SectionAndRow(*doc.Device(), 0x6098);
    view.OnUpdate(section);
    ovro::CQVTParameter& method =
        doc.Device()->sections[static_cast<std::size_t>(section)].parameters[static_cast<std::size_t>(row)];
    auto* list = OpenEditor<QComboBox>(view, row);
    ASSERT_NE(list, nullptr);
    const int entry = list->findText(QStringLiteral("-2 - Mechanical stop in negative direction"));
    ASSERT_GE(entry, 0);
    list->setCurrentIndex(entry);
    emit list->activated(entry);
    EXPECT_EQ(method.GetInteger(), -2);
    EXPECT_TRUE(method.changed);
    EXPECT_EQ(Cell(view, row, 1), "-2 - Mechanical stop in negative direction");

    // Leaving a list without choosing changes nothing.
    method.changed = false;
    list = OpenEditor<QComboBox>(view, row);
    ASSERT_NE(list, nullptr);
    list->setCurrentIndex(0);
    EXPECT_TRUE(view.CommitPendingEdit());
    EXPECT_EQ(method.GetInteger(), -2);
    EXPECT_FALSE(method.changed);
}

TEST_F(QVTViewTest, DescriptionsAndChoiceTextsShowWholeAsTooltips)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    CQVTView view(&doc);
    view.show();
    view.OnInitialUpdate();
    const auto [section, row] = SectionAndRow(*doc.Device(), 0x6098);
    view.OnUpdate(section);
    const ovro::CQVTParameter& method =
        doc.Device()->sections[static_cast<std::size_t>(section)].parameters[static_cast<std::size_t>(row)];
    const QTableWidgetItem* description = view.Grid()->item(row, CParameterTable::ColDescription);
    ASSERT_NE(description, nullptr);
    EXPECT_FALSE(method.description.empty());
    EXPECT_EQ(description->toolTip(), QString::fromLatin1(method.description.c_str()));
    const QTableWidgetItem* value = view.Grid()->item(row, CParameterTable::ColValue);
    EXPECT_EQ(value->toolTip(), value->text());
    // Every entry of the drop-down list carries its whole text too.
    auto* list = OpenEditor<QComboBox>(view, row);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), static_cast<int>(method.enumerators.size()));
    for (int i = 0; i < list->count(); ++i)
        EXPECT_EQ(list->itemData(i, Qt::ToolTipRole).toString(), list->itemText(i)) << i;
    EXPECT_TRUE(view.CommitPendingEdit());
}

TEST_F(QVTViewTest, ReadOnlyCellsOpenNoEditor)
{
    ovro::CQVTDoc& doc = OpenOffline(1);
    CQVTView view(&doc);
    view.show();
    view.OnInitialUpdate();
    EXPECT_EQ(OpenEditor<QWidget>(view, CParameterTable::RowType - 1), nullptr);
    view.CommitText(CParameterTable::RowType - 1, QStringLiteral("Ovro K315"));
    EXPECT_EQ(doc.Device()->typeName, "Ovro H315");
    view.CommitText(99, QStringLiteral("x"));  // no such row
}

TEST_F(QVTViewTest, StatusPollRunsOnTheTimerAndStopsWithTheView)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    doc.SetPollPause(5);
    {
        CQVTView view(&doc);
        EXPECT_FALSE(view.IsPolling());
        view.OnInitialUpdate();
        EXPECT_TRUE(view.IsPolling());
        // Offline every tick only counts the pause down.
        QTest::qWait(4 * CQVTView::kPollInterval);
        EXPECT_LT(doc.PollState().pollPause, 5);
    }
    const int left = doc.PollState().pollPause;
    QTest::qWait(3 * CQVTView::kPollInterval);
    EXPECT_EQ(doc.PollState().pollPause, left);
}

TEST_F(QVTViewTest, ContextHelpOpensTheBookmarkOfTheSelectedLine)
{
    WriteHelpIndex("K315_CAN.ini",
                   "[Bookmark]\nHoming_HomingMethod=CANopen\\K315.pdf#homing_method\nNodeId=K315.pdf#node\n"
                   "Homing_HomingSpeedSwitch=no-hash\n");
    ovro::CQVTDoc& doc = OpenOffline(2);
    CQVTView view(&doc);
    view.SetProgramDirectory(QString::fromStdString(bus_.dir()));
    std::vector<ovro::CContextHelp::Target> opened;
    view.SetHelpOpener([&opened](const ovro::CContextHelp::Target& t) {
        opened.push_back(t);
        return true;
    });
    view.OnInitialUpdate();
    view.Grid()->setCurrentCell(CParameterTable::RowNodeId - 1, 0);
    ASSERT_TRUE(view.OnContextHelp());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].file, bus_.dir() + "/Help/K315.pdf");
    EXPECT_EQ(opened[0].destination, "node");

    const auto [section, row] = SectionAndRow(*doc.Device(), 0x6098);
    view.OnUpdate(section);
    view.Grid()->setCurrentCell(row, 0);
    ASSERT_TRUE(view.OnContextHelp());
    EXPECT_EQ(opened.back().file, bus_.dir() + "/Help/CANopen/K315.pdf");
    EXPECT_EQ(opened.back().destination, "homing_method");

    // The plain help command opens it every second time.
    EXPECT_FALSE(view.OnHelp());
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_TRUE(view.OnHelp());
    EXPECT_EQ(opened.size(), 3u);
    EXPECT_FALSE(view.OnHelp());
    EXPECT_EQ(opened.size(), 3u);

    // An entry without "#", and a line without an entry, open nothing.
    view.Grid()->setCurrentCell(row + 1, 0);
    EXPECT_FALSE(view.HelpTarget().has_value());
    view.OnUpdate(0);
    view.Grid()->setCurrentCell(0, 0);
    EXPECT_FALSE(view.OnContextHelp());
    EXPECT_EQ(opened.size(), 3u);
}

TEST_F(QVTViewTest, ContextHelpOfTheH315ReadsItsOwnIndex)
{
    WriteHelpIndex("H315_CAN.ini", "[Bookmark]\nType=H315.pdf#type\n");
    WriteHelpIndex("K315_CAN.ini", "[Bookmark]\nType=K315.pdf#type\n");
    ovro::CQVTDoc& doc = OpenOffline(1);
    CQVTView view(&doc);
    view.SetProgramDirectory(QString::fromStdString(bus_.dir()));
    view.OnInitialUpdate();
    view.Grid()->setCurrentCell(0, 0);
    const auto target = view.HelpTarget();
    ASSERT_TRUE(target.has_value());
    EXPECT_EQ(target->file, bus_.dir() + "/Help/H315.pdf");
}

}  // namespace
}  // namespace viewtest
