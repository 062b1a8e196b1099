// ConnectDeviceDialogChooser.cpp - the chooser that runs the dialog.
#include "shell/ConnectDeviceDialogChooser.h"

#include "shell/DlgConnectDevice.h"
#include "shell/WaitCursor.h"

CConnectDeviceDialogChooser::CConnectDeviceDialogChooser(CCANopenMaster& master,
                                                         const ovro::CCommissioning& commissioning,
                                                         IUserInterface& ui, QWidget* owner)
    : master_(master), commissioning_(commissioning), ui_(ui), owner_(owner)
{
}

ovro::ConnectDeviceChoice CConnectDeviceDialogChooser::Choose(const ovro::ConnectDeviceRequest& request)
{
    // The commands run under the wait cursor; the dialog wants the arrow.
    const int lifted = CWaitCursor::Lift();
    CDlgConnectDevice dialog(request, master_, commissioning_, ui_, owner_);
    dialog.exec();
    CWaitCursor::Restore(lifted);
    return dialog.Choice();
}
