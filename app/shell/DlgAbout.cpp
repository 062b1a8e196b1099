// DlgAbout.cpp - the about box.
#include "shell/DlgAbout.h"

#include "QVTApp.h"

#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

CDlgAbout::CDlgAbout(QWidget* parent) : QDialog(parent)
{
    const QString title = QString::fromLatin1(MessageText(kMsgProgramTitle));
    setWindowTitle(QStringLiteral("About ") + title);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
    auto* name = new QLabel(title, this);
    name->setObjectName(QStringLiteral("name"));
    auto* version = new QLabel(QString::fromLatin1(CQVTApp::kVersionText), this);
    version->setObjectName(QStringLiteral("version"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(version);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(texts);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}
