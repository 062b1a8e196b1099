#include "OptionSheetTest.h"

#include "GuiTestSupport.h"
#include "shell/DlgOptionNodePage.h"
#include "shell/DlgOptionSheet.h"
#include "shell/DlgOptionSllPage.h"
#include "shell/DlgOptionXmlPage.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

void OptionSheetTest::opensOnTheNodeSettingsPage()
{
    GuiTestBench bench;
    CDlgOptionSheet sheet(bench.StartedApp(), bench.ui);
    QCOMPARE(sheet.windowTitle(), QString("Program Options"));
    QCOMPARE(sheet.Pages()->count(), 3);
    QCOMPARE(sheet.Pages()->tabText(0), QString("XML-File"));
    QCOMPARE(sheet.Pages()->tabText(1), QString("SLL-File"));
    QCOMPARE(sheet.Pages()->tabText(2), QString("Node Settings"));
    QCOMPARE(sheet.Pages()->currentIndex(), 2);
    QCOMPARE(sheet.NodePage()->NodeIdField()->value(), 127);
    QCOMPARE(sheet.NodePage()->BaudList()->currentText(), QString("20"));
    QCOMPARE(sheet.XmlPage()->PathField()->text(), QString::fromStdString(GuiTestBench::DataDir()));
    QCOMPARE(sheet.SllPage()->PageSizeField()->text(), QString("128"));
}

void OptionSheetTest::okWritesTheKeys()
{
    GuiTestBench bench;
    bench.store->WriteString("Interface", "Timing", "Orvax");
    CDlgOptionSheet sheet(bench.StartedApp(), bench.ui);
    sheet.NodePage()->NodeIdField()->setValue(55);
    sheet.NodePage()->BaudList()->setCurrentIndex(4);
    sheet.SllPage()->FileField()->setText("/opt/ovro/sll.h86");
    sheet.SllPage()->PageSizeField()->setText("64");
    sheet.accept();
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
    QCOMPARE(bench.Read("Interface", "Baudrate"), std::string("125"));
    QCOMPARE(bench.Read("Interface", "Timing"), std::string("CiA"));
    QCOMPARE(bench.Read("Settings", "NodeId"), std::string("55"));
    QCOMPARE(bench.Read("Download", "SllFileName"), std::string("/opt/ovro/sll.h86"));
    QCOMPARE(bench.Read("Download", "SllFileSize"), std::string("64"));
    QCOMPARE(bench.Read("Settings", "PathName"), std::string("<none>"));
    QCOMPARE(int(bench.App().Settings().nodeId), 55);
    // the keys are in the INI file itself
    QSettings file(bench.store->FileName(), QSettings::IniFormat);
    QCOMPARE(file.value("Settings/NodeId").toString(), QString("55"));
}

void OptionSheetTest::pageSizeOutOfRangeKeepsTheSheetOpen()
{
    GuiTestBench bench;
    CDlgOptionSheet sheet(bench.StartedApp(), bench.ui);
    sheet.show();
    sheet.SllPage()->PageSizeField()->setText("40000");
    sheet.accept();
    QVERIFY(sheet.isVisible());
    QCOMPARE(sheet.Pages()->currentIndex(), 1);
    QCOMPARE(bench.ui.messages.size(), size_t(1));
    QCOMPARE(bench.ui.messages[0].text, std::string("Please enter an integer between 0 and 32767."));
    QCOMPARE(bench.Read("Settings", "NodeId"), std::string("<none>"));

    sheet.SllPage()->PageSizeField()->setText("-1");
    sheet.accept();
    QCOMPARE(bench.ui.messages.size(), size_t(2));
    QVERIFY(sheet.isVisible());
}

void OptionSheetTest::defaultsAreNode127At20kBit()
{
    GuiTestBench bench;
    CDlgOptionSheet sheet(bench.StartedApp(), bench.ui);
    sheet.NodePage()->NodeIdField()->setValue(3);
    sheet.NodePage()->BaudList()->setCurrentIndex(0);
    QTest::mouseClick(sheet.NodePage()->DefaultsButton(), Qt::LeftButton);
    QCOMPARE(sheet.NodePage()->NodeIdField()->value(), 127);
    QCOMPARE(sheet.NodePage()->BaudList()->currentIndex(), 7);
    sheet.NodePage()->NodeIdField()->setValue(200);
    QCOMPARE(sheet.NodePage()->NodeIdField()->value(), 127);
}

void OptionSheetTest::cancelWritesNothing()
{
    GuiTestBench bench;
    CDlgOptionSheet sheet(bench.StartedApp(), bench.ui);
    sheet.NodePage()->NodeIdField()->setValue(9);
    sheet.reject();
    QCOMPARE(bench.Read("Settings", "NodeId"), std::string("<none>"));
    QCOMPARE(bench.Read("Download", "SllFileName"), std::string("<none>"));
    QCOMPARE(int(bench.App().Settings().nodeId), 127);
}

void OptionSheetTest::browsingForTheXmlFolderStoresItAtOnce()
{
    GuiTestBench bench;
    CDlgOptionSheet sheet(bench.StartedApp(), bench.ui);
    sheet.XmlPage()->PathField()->setText("/typed/folder");
    bench.ui.files = {std::nullopt, std::string("/srv/ovro")};

    sheet.XmlPage()->OnBrowse();
    QCOMPARE(bench.ui.fileRequests.size(), size_t(1));
    QCOMPARE(bench.ui.fileRequests[0].kind, FileRequest::Kind::Folder);
    QCOMPARE(bench.ui.fileRequests[0].title, std::string("Select folder for file 'Ovro-QVT.xml'"));
    QCOMPARE(bench.ui.fileRequests[0].defaultName, std::string("/typed/folder"));
    QCOMPARE(bench.Read("Settings", "PathName"), std::string("<none>"));

    sheet.XmlPage()->OnBrowse();
    QCOMPARE(sheet.XmlPage()->PathField()->text(), QString("/srv/ovro"));
    QCOMPARE(bench.Read("Settings", "PathName"), std::string("/srv/ovro"));
    // kept even when the sheet is cancelled
    sheet.reject();
    QCOMPARE(bench.App().Settings().ProgramDirectory(), std::string("/srv/ovro"));
}
