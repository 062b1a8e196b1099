// DlgOptionXmlPage.cpp - the XML-File page of the program options.
#include "shell/DlgOptionXmlPage.h"

#include "QVTApp.h"

#include "ui/MessageTexts.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDlgOptionXmlPage::CDlgOptionXmlPage(CQVTApp& app, IUserInterface& ui, QWidget* parent)
    : QWidget(parent), app_(app), ui_(ui)
{
    path_ = new QLineEdit(QString::fromLocal8Bit(app_.Options().xmlPath.c_str()), this);
    browse_ = new QPushButton(QStringLiteral("&Browse"), this);
    auto* label = new QLabel(QStringLiteral("&Path name:"), this);
    label->setBuddy(path_);

    auto* grid = new QGridLayout;
    grid->addWidget(label, 0, 0);
    grid->addWidget(path_, 0, 1);
    grid->addWidget(browse_, 0, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(new QLabel(QStringLiteral("After changing the path of the XML-file close the"), this));
    layout->addWidget(new QLabel(QStringLiteral("program and start again to activate the changes."), this));
    layout->addStretch();

    connect(browse_, &QPushButton::clicked, this, &CDlgOptionXmlPage::OnBrowse);
}

void CDlgOptionXmlPage::OnBrowse()
{
    FileRequest request;
    request.kind = FileRequest::Kind::Folder;
    request.title = StringPrintf("Select folder for file '%s'", CAppSettings::kDescriptionFileName);
    request.defaultName = path_->text().toLocal8Bit().constData();
    const std::optional<std::string> folder = ui_.ChooseFile(request);
    if (!folder)
        return;
    app_.SetXmlFolder(*folder);
    path_->setText(QString::fromLocal8Bit(app_.Settings().ProgramDirectory().c_str()));
}
