#include "operation/views/JogButton.h"

#include <QMouseEvent>

#include "operation/ManualMode.h"
#include "operation/views/OperationWidgets.h"

CJogButton::CJogButton(QWidget* parent) : QPushButton(parent)
{
    ShowCaption();
}

void CJogButton::SetDirection(Direction direction)
{
    state_.SetDirection(direction);
    ShowCaption();
}

void CJogButton::Bind(ovro::CManualMode* page, std::function<bool()> nodeConnected)
{
    page_ = page;
    nodeConnected_ = std::move(nodeConnected);
}

void CJogButton::ShowCaption()
{
    setText(QString::fromLatin1(state_.Caption()));
}

void CJogButton::mousePressEvent(QMouseEvent* event)
{
    QPushButton::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || state_.Jogging())
        return;
    {
        opviews::WaitCursor wait;
        state_.Press(page_, nodeConnected_ && nodeConnected_());
    }
    ShowCaption();
}

void CJogButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        opviews::WaitCursor wait;
        state_.Release(page_);
        ShowCaption();
    }
    QPushButton::mouseReleaseEvent(event);
}
