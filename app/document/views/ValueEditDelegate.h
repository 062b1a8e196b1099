// CValueEditDelegate: the in-place editors of the parameter table's value
// cells - a drop-down list for the baud rate and for parameters with
// enumerators, a text editor otherwise. A committed edit goes to the view,
// which hands it to the document; the delegate writes nothing itself.
#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

class CQVTView;

class CValueEditDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CValueEditDelegate(CQVTView* view);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

    // The open editor, or null.
    QWidget* OpenEditor() const { return editor_; }
    // Commits and closes the open editor; false when none was open.
    bool CommitPending();

private:
    CQVTView* view_;
    mutable QPointer<QWidget> editor_;
};
