// ProgramStart.h - the program's start with windows: settings and
// description, the main window, then the interface.
#pragma once

#include "shell/CommandState.h"

#include <QSize>

#include <memory>

class CMainFrame;
class CQVTApp;
class IUserInterface;

// The main window, shown; null when the program is to end (the user
// declined to go on without the description).
std::unique_ptr<CMainFrame> StartProgram(CQVTApp& app, IUserInterface& ui, const std::string& programDirectory,
                                         const QSize& screen, const CCommandState::Features& features = {});
