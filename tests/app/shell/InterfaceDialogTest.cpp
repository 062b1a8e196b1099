#include "InterfaceDialogTest.h"

#include "GuiTestSupport.h"
#include "shell/DlgInterface.h"
#include "shell/LinuxChannel.h"

#include "ui/MessageTexts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

InterfaceChoice IsaAt378()
{
    InterfaceChoice c;
    c.library = 200;
    c.boardType = 0x00000001u; // PEAK PCAN-ISA
    c.plugAndPlay = false;
    c.address = 0x378;
    c.irq = 7;
    return c;
}

} // namespace

void InterfaceDialogTest::listsTheDescriptionsBoards()
{
    GuiTestBench bench;
    CDlgInterface dialog(bench.StartedApp().Boards(), IsaAt378(), bench.ui);
    QCOMPARE(dialog.windowTitle(), QString("CAN Interface"));
    QCOMPARE(dialog.BoardList()->count(), int(bench.App().Boards().size()));
    QCOMPARE(dialog.BoardList()->currentText(), QString("PEAK PCAN-ISA"));
    QVERIFY(dialog.BoardList()->findText("Orvax Applet") >= 0);
}

void InterfaceDialogTest::plugAndPlayBoardsHaveNoAddressAndIrq()
{
    GuiTestBench bench;
    CDlgInterface dialog(bench.StartedApp().Boards(), IsaAt378(), bench.ui);
    QVERIFY(dialog.AddressField()->isEnabled());
    QCOMPARE(dialog.AddressField()->text(), QString("0378"));
    QCOMPARE(dialog.IrqField()->text(), QString("7"));

    dialog.BoardList()->setCurrentIndex(dialog.BoardList()->findText("PEAK PCAN-USB"));
    QVERIFY(!dialog.AddressField()->isEnabled());
    QVERIFY(!dialog.IrqField()->isEnabled());
    QVERIFY(dialog.AddressField()->text().isEmpty());
    QVERIFY(dialog.IrqField()->text().isEmpty());

    dialog.BoardList()->setCurrentIndex(dialog.BoardList()->findText("PEAK PCAN-Dongle (SJA)"));
    QVERIFY(dialog.AddressField()->isEnabled());
    QCOMPARE(dialog.AddressField()->text(), QString("0378"));
}

void InterfaceDialogTest::invalidAddressKeepsTheDialogOpen()
{
    GuiTestBench bench;
    CDlgInterface dialog(bench.StartedApp().Boards(), IsaAt378(), bench.ui);
    dialog.show();
    dialog.AddressField()->setText("xyz");
    dialog.accept();
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(bench.ui.messages.size(), size_t(1));
    QCOMPARE(bench.ui.messages[0].text, std::string("Please enter a valid address!"));
    QCOMPARE(bench.ui.messages[0].icon, MessageIcon::Exclamation);
}

void InterfaceDialogTest::invalidIrqKeepsTheDialogOpen()
{
    GuiTestBench bench;
    CDlgInterface dialog(bench.StartedApp().Boards(), IsaAt378(), bench.ui);
    dialog.show();
    dialog.IrqField()->setText("seven");
    dialog.accept();
    QVERIFY(dialog.isVisible());
    QCOMPARE(bench.ui.messages.size(), size_t(1));
    QCOMPARE(bench.ui.messages[0].text, std::string("Please enter a valid IRQ number!"));
}

void InterfaceDialogTest::validTextsAreAccepted()
{
    GuiTestBench bench;
    CDlgInterface dialog(bench.StartedApp().Boards(), IsaAt378(), bench.ui);
    dialog.show();
    dialog.AddressField()->setText("D000");
    dialog.IrqField()->setText("0");
    dialog.accept();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Choice().address, 0xD000u);
    QCOMPARE(dialog.Choice().irq, 0u);
    QCOMPARE(dialog.Choice().boardType, 0x00000001u);
    QVERIFY(bench.ui.messages.empty());
}

void InterfaceDialogTest::offersTheLinuxChannelForPcanLightBoards()
{
    GuiTestBench bench;
    CLinuxChannel::Machine machine;
    machine.getenv = [](const char*) -> std::optional<std::string> { return std::nullopt; };
    machine.setenv = [](const char*, const std::string&) {};
    machine.socketCanInterfaces = [] { return std::vector<std::string>{"can0"}; };
    machine.virtualBuses = [] { return std::vector<std::string>{"demo"}; };
    machine.bitrate = [](const std::string&, std::uint32_t& rate) { rate = 500000; return 0; };
    machine.isUp = [](const std::string&) { return 1; };
    CLinuxChannel channel(machine);
    CDlgInterface dialog(bench.StartedApp().Boards(), IsaAt378(), bench.ui);
    dialog.SetChannels(channel, "virtual:demo", "");
    QVERIFY(!dialog.ChannelList()->isHidden());
    QCOMPARE(dialog.ChannelList()->currentText(), QString("virtual:demo"));
    QVERIFY(dialog.ChannelList()->findText("socketcan:can0") >= 0);
    QVERIFY(dialog.ChannelNote()->text().contains("OVRO_CAN_CHANNEL"));

    // A board of the board master library has no Linux channel.
    dialog.BoardList()->setCurrentIndex(dialog.BoardList()->findText("Orvax Applet"));
    QVERIFY(dialog.ChannelList()->isHidden());

    dialog.BoardList()->setCurrentIndex(dialog.BoardList()->findText("PEAK PCAN-USB"));
    QVERIFY(!dialog.ChannelList()->isHidden());
    dialog.ChannelList()->setCurrentText("socketcan:can0");
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(QString::fromStdString(dialog.Choice().channel), QString("socketcan:can0"));
}
