// ProgramApplication.cpp - the Qt application object.
#include "shell/ProgramApplication.h"

#include "settings/QSettingsStore.h"

#include <QApplication>
#include <QScreen>

CProgramApplication::CProgramApplication(int& argc, char** argv)
    : application_(std::make_unique<QApplication>(argc, argv))
{
    QCoreApplication::setOrganizationName(QString::fromLatin1(QSettingsStore::kOrganisation));
    QCoreApplication::setApplicationName(QString::fromLatin1(QSettingsStore::kApplication));
}

CProgramApplication::~CProgramApplication() = default;

int CProgramApplication::Exec()
{
    return QApplication::exec();
}

std::string CProgramApplication::ProgramDirectory()
{
    return QCoreApplication::applicationDirPath().toLocal8Bit().constData();
}

QStringList CProgramApplication::Arguments()
{
    return QCoreApplication::arguments();
}

QSize CProgramApplication::ScreenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->size() : QSize(1024, 768);
}
