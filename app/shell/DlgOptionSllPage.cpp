// DlgOptionSllPage.cpp - the SLL-File page of the program options.
#include "shell/DlgOptionSllPage.h"

#include "shell/ProgramOptions.h"

#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"
#include "ui/UserInterface.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDlgOptionSllPage::CDlgOptionSllPage(const std::string& fileName, std::int16_t pageSize, IUserInterface& ui,
                                     QWidget* parent)
    : QWidget(parent), ui_(ui)
{
    file_ = new QLineEdit(QString::fromLocal8Bit(fileName.c_str()), this);
    pageSize_ = new QLineEdit(QString::number(pageSize), this);
    browse_ = new QPushButton(QStringLiteral("&Browse"), this);
    auto* fileLabel = new QLabel(QStringLiteral("&File name:"), this);
    fileLabel->setBuddy(file_);
    auto* sizeLabel = new QLabel(QStringLiteral("Page &size:"), this);
    sizeLabel->setBuddy(pageSize_);

    auto* grid = new QGridLayout;
    grid->addWidget(fileLabel, 0, 0);
    grid->addWidget(file_, 0, 1);
    grid->addWidget(browse_, 0, 2);
    grid->addWidget(sizeLabel, 1, 0);
    grid->addWidget(pageSize_, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();

    connect(browse_, &QPushButton::clicked, this, &CDlgOptionSllPage::OnBrowse);
}

std::string CDlgOptionSllPage::FileName() const
{
    return file_->text().toLocal8Bit().constData();
}

std::optional<std::int16_t> CDlgOptionSllPage::TakePageSize()
{
    bool ok = false;
    const int size = pageSize_->text().trimmed().toInt(&ok, 10);
    if (ok && size >= ProgramOptions::kMinPageSize && size <= ProgramOptions::kMaxPageSize)
        return static_cast<std::int16_t>(size);
    QString prompt = QString::fromLatin1(MessageText(kMsgEnterInteger))
                         .arg(ProgramOptions::kMinPageSize)
                         .arg(ProgramOptions::kMaxPageSize);
    ui_.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation, prompt.toStdString());
    pageSize_->setFocus();
    pageSize_->selectAll();
    return std::nullopt;
}

void CDlgOptionSllPage::OnBrowse()
{
    FileRequest request;
    request.kind = FileRequest::Kind::Open;
    request.filter = "Intel-Hex Files (*.h86);;Intel-Hex Files (*.hex);;All Files (*.*)";
    request.defaultName = FileName();
    const std::optional<std::string> chosen = ui_.ChooseFile(request);
    if (!chosen)
        return;
    QString path = QString::fromLocal8Bit(chosen->c_str());
    // A name typed without extension gets the default one.
    if (QFileInfo(path).suffix().isEmpty() && !QFileInfo::exists(path))
        path += QStringLiteral(".h86");
    file_->setText(path);
}
