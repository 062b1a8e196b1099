#include "document/views/ValueEditDelegate.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

#include "document/views/QVTView.h"

using ovro::CParameterTable;

namespace {
// Marks a drop-down list whose entry the user has chosen.
const char* const kChosen = "ovroChosen";
}  // namespace

CValueEditDelegate::CValueEditDelegate(CQVTView* view) : QStyledItemDelegate(view), view_(view) {}

QWidget* CValueEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                                          const QModelIndex& index) const
{
    const CParameterTable::Row* row = view_->RowAt(index.row());
    if (row == nullptr || index.column() != CParameterTable::ColValue || row->editor == CParameterTable::Editor::None)
        return nullptr;
    QWidget* editor = nullptr;
    if (row->editor == CParameterTable::Editor::DropDown) {
        auto* list = new QComboBox(parent);
        for (const std::string& choice : row->choices) {
            const QString text = QString::fromLatin1(choice.data(), static_cast<qsizetype>(choice.size()));
            list->addItem(text);
            list->setItemData(list->count() - 1, text, Qt::ToolTipRole);
        }
        // The list is as wide as its longest entry, so no text is cut.
        list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        list->view()->setMinimumWidth(list->view()->sizeHintForColumn(0));
        // Choosing an entry is the edit; no further key is needed.
        auto* self = const_cast<CValueEditDelegate*>(this);
        connect(list, qOverload<int>(&QComboBox::activated), self, [self, list](int) {
            list->setProperty(kChosen, true);
            emit self->commitData(list);
            emit self->closeEditor(list);
        });
        editor = list;
    } else {
        editor = new QLineEdit(parent);
    }
    editor_ = editor;
    return editor;
}

void CValueEditDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* list = qobject_cast<QComboBox*>(editor)) {
        const CParameterTable::Row* row = view_->RowAt(index.row());
        list->setCurrentIndex(row != nullptr ? row->currentChoice : -1);
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setText(index.data(Qt::DisplayRole).toString());
        line->selectAll();
    }
}

void CValueEditDelegate::setModelData(QWidget* editor, QAbstractItemModel* /*model*/,
                                      const QModelIndex& index) const
{
    if (auto* list = qobject_cast<QComboBox*>(editor)) {
        // Leaving the list without choosing an entry changes nothing.
        if (list->property(kChosen).toBool() && list->currentIndex() >= 0)
            view_->CommitChoice(index.row(), list->currentIndex());
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        view_->CommitText(index.row(), line->text());
    }
}

void CValueEditDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    if (editor == editor_)
        editor_ = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

bool CValueEditDelegate::CommitPending()
{
    QWidget* editor = editor_;
    if (editor == nullptr)
        return false;
    emit commitData(editor);
    emit closeEditor(editor);
    return true;
}
