// WireTest: the fixture of the program wired end to end against
// ovro-drive-sim (K315, node 127, 20 kBit/s) on a private bus, with the
// help for answering the program's modal dialogs.
#pragma once

#include "WiredProgramFixture.h"
#include "shell/DlgConnectDevice.h"
#include "ui/CommandIds.h"

#include "description/QVTDevice.h"
#include "document/QVTDoc.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <utility>

// Runs action once a modal dialog of type T is the active modal widget.
template <typename T>
void OnModal(std::function<void(T*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        T* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        if (modal == nullptr || !modal->isEnabled())
            return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}

// The Connect Device dialog answered with "C&onnect" at node 127, 20 kBit/s.
inline void ConnectAt127()
{
    OnModal<CDlgConnectDevice>([](CDlgConnectDevice* dialog) {
        dialog->NodeIdField()->setValue(127);
        dialog->BaudRateList()->setCurrentIndex(7);
        dialog->ConnectButton()->click();
    });
}

class WireTest : public WiredProgramFixture {
protected:
    WireTest()
        : WiredProgramFixture(Wiring{"wire", 127, 20, {900, 700},
                                     {.document = true, .printing = true, .motion = true, .status = true, .firmware = true}})
    {
    }

    void Configure(QSettingsStore& store) override { store.WriteInt("Settings", "NodeId", 127); }

    // The section and row of a parameter in the document's table; -1, -1
    // when it has none.
    static std::pair<int, int> FindParameter(const ovro::CQVTDevice& device, std::uint16_t index)
    {
        for (std::size_t s = 0; s < device.sections.size(); ++s)
            for (std::size_t p = 0; p < device.sections[s].parameters.size(); ++p)
                if (device.sections[s].parameters[p].index == index)
                    return {static_cast<int>(s), static_cast<int>(p)};
        return {-1, -1};
    }

    // "&Connect" through the dialog.
    ovro::CQVTDoc* ConnectThroughDialog()
    {
        ConnectAt127();
        frame_->Action(CommandId::kConnect)->trigger();
        return host_->Document();
    }
};
