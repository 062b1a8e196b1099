// GuiTestSupport.h - what the widget tests share: a settings store in a
// temporary INI file, a private virtual bus, a scripted user, and the
// application object over them.
#pragma once

#include "QVTApp.h"
#include "ScriptedUserInterface.h"

#include "description/Commissioning.h"
#include "settings/QSettingsStore.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <functional>
#include <memory>

class GuiTestBench {
public:
    GuiTestBench()
    {
        setenv("OVRO_CANBUS_DIR", bus.path().toLocal8Bit().constData(), 1);
        setenv("OVRO_CAN_CHANNEL", "virtual:gui", 1);
        store = std::make_unique<QSettingsStore>(config.filePath(QStringLiteral("Ovro-QVT.ini")));
    }
    ~GuiTestBench()
    {
        app.reset();
        unsetenv("OVRO_CAN_CHANNEL");
        unsetenv("OVRO_CANBUS_DIR");
    }

    CQVTApp& App()
    {
        if (!app)
            app = std::make_unique<CQVTApp>(*store, ui, description);
        return *app;
    }
    // The application started on the data folder.
    CQVTApp& StartedApp()
    {
        App().StartUp(DataDir());
        return *app;
    }
    std::string Read(const char* section, const char* key) const { return store->ReadString(section, key, "<none>"); }

    static std::string DataDir() { return OVRO_DATA_DIR; }

    QTemporaryDir config;
    QTemporaryDir bus;
    std::unique_ptr<QSettingsStore> store;
    ScriptedUserInterface ui;
    ovro::CCommissioning description;
    std::unique_ptr<CQVTApp> app;
};

// Runs action on the next modal dialog that opens.
inline void OnNextModal(std::function<void(QWidget*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        const std::function<void(QWidget*)> act = action;
        act(modal);
    });
    timer->start();
}
