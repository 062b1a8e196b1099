#include "operation/views/DlgLimits.h"

CDlgLimits::CDlgLimits(const char* name, const QString& title, QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(title);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
}
