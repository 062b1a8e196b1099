// main.cpp - Ovro-QVT: commissioning and operation of Ovro compact drives.
#include "QVTApp.h"
#include "description/Commissioning.h"
#include "settings/QSettingsStore.h"
#include "shell/DocumentHost.h"
#include "shell/MainFrame.h"
#include "shell/MessageBoxUserInterface.h"
#include "shell/ProgramApplication.h"
#include "shell/ProgramStart.h"

int main(int argc, char* argv[])
{
    CProgramApplication application(argc, argv);

    QSettingsStore store;
    CMessageBoxUserInterface ui(store);
    CQVTApp app(store, ui, ovro::CCommissioning::Instance());

    // Every window of the program is there: no command stays disabled.
    CCommandState::Features features;
    features.document = true;
    features.printing = true;
    features.motion = true;
    features.status = true;
    features.oscilloscope = true;
    features.firmware = true;
    std::unique_ptr<CMainFrame> frame = StartProgram(app, ui, CProgramApplication::ProgramDirectory(),
                                                     CProgramApplication::ScreenSize(), features);
    if (!frame)
        return 0;
    ui.SetOwner(frame.get());
    auto host = std::make_unique<CDocumentHost>(app, *frame, ui);

    // A document named on the command line opens once the window is up.
    if (const std::optional<std::string> path = CDocumentHost::CommandLineDocument(CProgramApplication::Arguments()))
        host->OpenDocumentLater(*path);

    const int result = application.Exec();
    ui.SetOwner(nullptr);
    host.reset();
    frame.reset();
    app.ExitInstance();
    return result;
}
