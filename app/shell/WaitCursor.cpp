// WaitCursor.cpp - the application's override cursor.
#include "shell/WaitCursor.h"

#include <QApplication>

void CWaitCursor::Show()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CWaitCursor::Hide()
{
    QApplication::restoreOverrideCursor();
}

int CWaitCursor::Lift()
{
    int lifted = 0;
    while (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
        ++lifted;
    }
    return lifted;
}

void CWaitCursor::Restore(int count)
{
    for (int i = 0; i < count; ++i)
        Show();
}
