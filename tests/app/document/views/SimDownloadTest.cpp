// The table of a document connected to a simulated drive: edits turn
// yellow, a Download writes them into the drive and clears the marks.
#include "ViewTestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>

#include "canopen/CANopenNode.h"
#include "description/QVTDevice.h"
#include "document/views/ChildFrame.h"
#include "document/views/LeftView.h"
#include "document/views/QVTView.h"
#include "document/views/ValueEditDelegate.h"
#include "settings/MemorySettingsStore.h"
#include "ui/MessageTexts.h"

namespace viewtest {
namespace {

class SimDownloadTest : public SimDocTest {
protected:
    static QColor Background(const CQVTView& view, int row)
    {
        return view.Grid()->item(row, ovro::CParameterTable::ColValue)->background().color();
    }

    MemorySettingsStore settings_;
};

TEST_F(SimDownloadTest, EditedValuesAreYellowUntilTheDownloadWritesThem)
{
    ovro::CQVTDoc& doc = Connect("K315");
    ASSERT_TRUE(doc.IsOnline());
    ASSERT_TRUE(ui_.messages.empty()) << ui_.messages.front();
    CChildFrame frame(&doc, ui_, settings_);
    frame.setAttribute(Qt::WA_DeleteOnClose, false);
    frame.AttachTo(observers_);
    frame.show();
    frame.OnInitialUpdate();
    CQVTView& view = *frame.View();

    // The profile velocity, typed in.
    const auto [section, row] = SectionAndRow(*doc.Device(), 0x6081);
    frame.Tree()->SelectSection(section);
    view.OnUpdate(section);
    ovro::CQVTParameter& velocity =
        doc.Device()->sections[static_cast<std::size_t>(section)].parameters[static_cast<std::size_t>(row)];
    ASSERT_FALSE(velocity.changed);
    EXPECT_EQ(Background(view, row), view.EditableColour());
    doc.SetModified(false);
    view.CommitText(row, QStringLiteral("4321"));
    EXPECT_TRUE(velocity.changed);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(Background(view, row), CQVTView::ChangedColour());

    // The homing method, chosen from its list: -3 on the Integer8 object.
    const auto [homingSection, homingRow] = SectionAndRow(*doc.Device(), 0x6098);
    view.OnUpdate(homingSection);
    ovro::CQVTParameter& method = doc.Device()->sections[static_cast<std::size_t>(homingSection)]
                                      .parameters[static_cast<std::size_t>(homingRow)];
    const ovro::CParameterTable::Row* line = view.RowAt(homingRow);
    ASSERT_NE(line, nullptr);
    int entry = -1;
    for (std::size_t i = 0; i < line->choices.size(); ++i) {
        if (line->choices[i].rfind("-3 - ", 0) == 0)
            entry = static_cast<int>(i);
    }
    ASSERT_GE(entry, 0);
    view.CommitChoice(homingRow, entry);
    EXPECT_EQ(method.GetInteger(), -3);
    EXPECT_EQ(Background(view, homingRow), CQVTView::ChangedColour());

    // Download through the document: the views are refreshed unmarked.
    ASSERT_TRUE(doc.Download());
    for (const std::string& m : ui_.messages)
        ADD_FAILURE() << m;
    EXPECT_FALSE(velocity.changed);
    EXPECT_FALSE(method.changed);
    EXPECT_EQ(view.Section(), homingSection);
    EXPECT_EQ(Background(view, homingRow), view.EditableColour());
    view.OnUpdate(section);
    EXPECT_EQ(Background(view, row), view.EditableColour());

    std::uint32_t written = 0;
    ASSERT_TRUE(doc.Node()->ReadU32(0x6081, 0, written));
    EXPECT_EQ(written, 4321u);
    std::uint8_t homing = 0;
    ASSERT_TRUE(doc.Node()->ReadU8(0x6098, 0, homing));
    EXPECT_EQ(static_cast<std::int8_t>(homing), -3);
}

TEST_F(SimDownloadTest, AnEditorOpenAtDownloadIsWrittenToo)
{
    ovro::CQVTDoc& doc = Connect("H315");
    ASSERT_TRUE(doc.IsOnline());
    CChildFrame frame(&doc, ui_, settings_);
    frame.setAttribute(Qt::WA_DeleteOnClose, false);
    frame.AttachTo(observers_);
    frame.show();
    frame.OnInitialUpdate();
    CQVTView& view = *frame.View();
    const auto [section, row] = SectionAndRow(*doc.Device(), 0x6083);
    view.OnUpdate(section);
    QTableWidget* grid = view.Grid();
    grid->setCurrentCell(row, ovro::CParameterTable::ColValue);
    grid->edit(grid->model()->index(row, ovro::CParameterTable::ColValue));
    auto* editor = qobject_cast<QLineEdit*>(view.Delegate()->OpenEditor());
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("2500"));
    ASSERT_TRUE(doc.Download());
    EXPECT_EQ(view.Delegate()->OpenEditor(), nullptr);
    std::uint32_t written = 0;
    ASSERT_TRUE(doc.Node()->ReadU32(0x6083, 0, written));
    EXPECT_EQ(written, 2500u);
    EXPECT_EQ(Background(view, row), view.EditableColour());
}

TEST_F(SimDownloadTest, ClosingTheConnectedDocumentNeedsAYes)
{
    ovro::CQVTDoc& doc = Connect("K315");
    ASSERT_TRUE(doc.IsOnline());
    CChildFrame frame(&doc, ui_, settings_);
    frame.setAttribute(Qt::WA_DeleteOnClose, false);
    frame.show();
    int closed = 0;
    QObject::connect(&frame, &CChildFrame::frameClosed, [&closed] { ++closed; });
    ui_.answers = {false};
    EXPECT_FALSE(frame.close());
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0], MessageText(63665));
    EXPECT_EQ(closed, 0);
    ui_.answers = {true};
    EXPECT_TRUE(frame.close());
    EXPECT_EQ(ui_.questions.size(), 2u);
    EXPECT_EQ(closed, 1);
}

}  // namespace
}  // namespace viewtest
