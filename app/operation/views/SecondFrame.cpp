#include "operation/views/SecondFrame.h"

#include <QCloseEvent>

#include "operation/SecondFramePlacement.h"
#include "settings/FramePlacement.h"
#include "settings/ISettingsStore.h"

CSecondFrame::CSecondFrame(const QString& title, QWidget* view, ISettingsStore& settings, QWidget* parent)
    : QMdiSubWindow(parent), settings_(settings)
{
    setObjectName(QStringLiteral("CSecondFrame"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    setWidget(view);
}

void CSecondFrame::ShowInitial(const QSize& screen, bool maximised)
{
    const ovro::SecondFrameGeometry g = ovro::CSecondFramePlacement::Restore(
        settings_, windowTitle().toStdString(), screen.width(), screen.height());
    if (g.width > 0 && g.height > 0) {
        resize(g.width, g.height);
        if (g.positioned)
            move(g.x, g.y);
        normal_ = QRect(pos(), size());
    }
    if (g.minimised)
        showMinimized();
    else if (maximised || g.maximised)
        showMaximized();
    else
        show();
}

void CSecondFrame::KeepNormalGeometry()
{
    if (!isMaximized() && !isMinimized() && isVisible())
        normal_ = geometry();
}

void CSecondFrame::moveEvent(QMoveEvent* event)
{
    QMdiSubWindow::moveEvent(event);
    KeepNormalGeometry();
}

void CSecondFrame::resizeEvent(QResizeEvent* event)
{
    QMdiSubWindow::resizeEvent(event);
    KeepNormalGeometry();
}

bool CSecondFrame::SavePlacement()
{
    KeepNormalGeometry();
    const QRect normal = normal_.isValid() ? normal_ : geometry();
    FrameGeometry g;
    g.x = normal.x();
    g.y = normal.y();
    g.width = normal.width();
    g.height = normal.height();
    g.maximised = isMaximized();
    g.minimised = isMinimized();
    return ovro::CSecondFramePlacement::Save(settings_, windowTitle().toStdString(), g);
}

bool CSecondFrame::CloseForDocument()
{
    documentCloses_ = true;
    const bool closed = close();
    documentCloses_ = false;
    return closed;
}

void CSecondFrame::closeEvent(QCloseEvent* event)
{
    if (!documentCloses_ && busy_ && busy_()) {
        event->ignore();
        return;
    }
    SavePlacement();
    emit frameClosed(this);
    QMdiSubWindow::closeEvent(event);
}
