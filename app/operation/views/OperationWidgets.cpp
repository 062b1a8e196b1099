#include "operation/views/OperationWidgets.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

#include "operation/MotionPage.h"
#include "ui/UserInterface.h"

namespace opviews {

WaitCursor::WaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    QApplication::restoreOverrideCursor();
}

QLabel* ValueLabel(QWidget* parent, const QString& name, const QString& text, int minimumWidth)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(minimumWidth);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

std::optional<std::int64_t> TakeField(QLineEdit* field, std::int64_t minimum, std::int64_t maximum,
                                      IUserInterface& ui)
{
    const std::optional<std::int64_t> value = ovro::CMotionPage::FieldNumber(TextOf(field->text()), minimum, maximum);
    if (value)
        return value;
    ui.ShowMessage(MessageSeverity::Info, MessageIcon::Exclamation, ovro::CMotionPage::RangePrompt(minimum, maximum));
    field->setFocus();
    field->selectAll();
    return std::nullopt;
}

} // namespace opviews
