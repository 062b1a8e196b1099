// ProgramStart.cpp - the program's start with windows.
#include "shell/ProgramStart.h"

#include "QVTApp.h"
#include "shell/MainFrame.h"

std::unique_ptr<CMainFrame> StartProgram(CQVTApp& app, IUserInterface& ui, const std::string& programDirectory,
                                         const QSize& screen, const CCommandState::Features& features)
{
    if (!app.StartUp(programDirectory))
        return nullptr;
    auto frame = std::make_unique<CMainFrame>(app, ui, features);
    frame->PrepareGeometry(screen);
    frame->ShowInitial();
    app.OpenInterface();
    return frame;
}
