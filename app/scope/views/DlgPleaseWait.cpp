// DlgPleaseWait.cpp - the "Please wait..." window.
#include "scope/views/DlgPleaseWait.h"

#include "ui/MessageTexts.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

CDlgPleaseWait::CDlgPleaseWait(QWidget* parent) : QDialog(parent), text_(new QLabel(this))
{
    setWindowTitle(QString::fromLatin1(kTitle));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    text_->setText(QString::fromLatin1(kTitle));
    text_->setMinimumWidth(200);
    text_->setAlignment(Qt::AlignCenter);
    layout->addWidget(text_);
}

void CDlgPleaseWait::SetDone(std::int32_t samples)
{
    text_->setText(QString::fromLatin1(StringPrintf(kProgress, static_cast<long>(samples)).c_str()));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString CDlgPleaseWait::Text() const
{
    return text_->text();
}
