// main.cpp - Ovro-QVT: commissioning and operation of Ovro compact drives.
#include "QVTApp.h"
#include "shell/DocumentHost.h"
#include "shell/MainFrame.h"
#include "shell/MessageBoxUserInterface.h"
#include "shell/ProgramStart.h"

#include "description/Commissioning.h"
#include "settings/QSettingsStore.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

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
    // The drive windows (motion, status, oscilloscope) are not part of this
    // program yet: their commands stay disabled.
    CCommandState::Features features;
    features.document = true;
    features.printing = true;
    features.firmware = true;
    std::unique_ptr<CMainFrame> frame = StartProgram(
        app, ui, QCoreApplication::applicationDirPath().toLocal8Bit().constData(), screenSize, features);
    if (!frame)
        return 0;
    ui.SetOwner(frame.get());
    auto host = std::make_unique<CDocumentHost>(app, *frame, ui);

    // A document named on the command line opens once the window is up.
    if (const std::optional<std::string> path = CDocumentHost::CommandLineDocument(QCoreApplication::arguments()))
        QTimer::singleShot(0, host.get(), [host = host.get(), document = *path] { host->OpenDocument(document); });

    const int result = application.exec();
    ui.SetOwner(nullptr);
    host.reset();
    frame.reset();
    app.ExitInstance();
    return result;
}
