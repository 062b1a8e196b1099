// main.cpp - Ovro-QVT: commissioning and operation of Ovro compact drives.
#include "MainFrame.h"
#include "MessageBoxUserInterface.h"
#include "ProgramStart.h"
#include "QVTApp.h"

#include "description/Commissioning.h"
#include "settings/QSettingsStore.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QString::fromLatin1(QSettingsStore::kOrganisation));
    QCoreApplication::setApplicationName(QString::fromLatin1(QSettingsStore::kApplication));

    QSettingsStore store;
    CMessageBoxUserInterface ui(store);
    CQVTApp app(store, ui, ovro::CCommissioning::Instance());

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    std::unique_ptr<CMainFrame> frame =
        StartProgram(app, ui, QCoreApplication::applicationDirPath().toLocal8Bit().constData(), screenSize);
    if (!frame)
        return 0;
    ui.SetOwner(frame.get());

    const int result = application.exec();
    ui.SetOwner(nullptr);
    frame.reset();
    app.ExitInstance();
    return result;
}
