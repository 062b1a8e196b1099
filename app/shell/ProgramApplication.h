// ProgramApplication.h - the Qt application object of the program with
// windows: made first, with the organisation and name under which the
// settings are kept, and run last.
#pragma once

#include <QSize>
#include <QStringList>

#include <memory>
#include <string>

class QApplication;

class CProgramApplication {
public:
    CProgramApplication(int& argc, char** argv);
    ~CProgramApplication();
    CProgramApplication(const CProgramApplication&) = delete;
    CProgramApplication& operator=(const CProgramApplication&) = delete;

    // The event loop, until the main window has closed.
    int Exec();

    // The folder of the program file.
    static std::string ProgramDirectory();
    static QStringList Arguments();
    // The primary screen's size (1024 x 768 without one).
    static QSize ScreenSize();

private:
    std::unique_ptr<QApplication> application_;
};
