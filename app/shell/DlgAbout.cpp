// DlgAbout.cpp - the about box.
#include "shell/DlgAbout.h"

#include "QVTApp.h"

#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
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
    // Wide enough for the whole title beside the title bar's icon and buttons.
    setMinimumWidth(TitleWidth(windowTitle(), fontMetrics()));
}

int CDlgAbout::TitleWidth(const QString& title, const QFontMetrics& metrics)
{
    // Title bars draw the title a little bolder, centred between up to three
    // buttons (or the window menu) on either side, each two lines wide.
    const int side = 3 * 2 * metrics.height();
    return metrics.horizontalAdvance(title) * 6 / 5 + 2 * side;
}
