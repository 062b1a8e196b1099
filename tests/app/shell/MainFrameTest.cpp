#include "MainFrameTest.h"

#include "GuiTestSupport.h"
#include "shell/DlgAbout.h"
#include "shell/DlgInterface.h"
#include "shell/MainFrame.h"
#include "shell/MessageBoxUserInterface.h"
#include "ui/CommandIds.h"

#include "settings/SettingsKeys.h"
#include "settings/WindowPlacement.h"
#include "ui/MessageTexts.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

using namespace CommandId;

namespace {

QStringList MenuTitles(CMainFrame& frame)
{
    QStringList titles;
    for (QAction* a : frame.menuBar()->actions())
        titles << a->text();
    return titles;
}

QMenu* Menu(CMainFrame& frame, const QString& title)
{
    for (QAction* a : frame.menuBar()->actions())
        if (a->text() == title)
            return a->menu();
    return nullptr;
}

QStringList Items(QMenu* menu)
{
    QStringList items;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            items << CMainFrame::MenuText(a);
    return items;
}

} // namespace

void MainFrameTest::menusWithoutDocument()
{
    GuiTestBench bench;
    CMainFrame frame(bench.StartedApp(), bench.ui);
    QCOMPARE(MenuTitles(frame), (QStringList{"&File", "&View", "&Ovro", "Interfa&ce", "&Help"}));
    QCOMPARE(Items(Menu(frame, "&File")), (QStringList{"&Open...\tCtrl+O", "P&rint Setup...", "E&xit\tAlt+F4"}));
    QCOMPARE(Items(Menu(frame, "&View")), (QStringList{"&Toolbar", "&Status Bar", "S&plit"}));
    QCOMPARE(Items(Menu(frame, "&Ovro")), (QStringList{"&Connect\tCtrl+N", "&Disconnect"}));
    QCOMPARE(Items(Menu(frame, "Interfa&ce")), (QStringList{"&Initialize...", "&Properties...", "&Options..."}));
    QCOMPARE(Items(Menu(frame, "&Help")), (QStringList{"&User Manual", "&About Ovro-QVT..."}));

    for (unsigned c : {kInterfaceInitialize, kInterfaceProperties, kOptions, kUserManual, kAbout, kExit,
                       kViewToolbar, kViewStatusBar})
        QVERIFY2(frame.Action(c)->isEnabled(), qPrintable(QString::number(c)));
    // the document and its windows are not part of this program yet
    for (unsigned c : {kOpen, kConnect, kDisconnect, kPrintSetup, kViewSplit})
        QVERIFY2(!frame.Action(c)->isEnabled(), qPrintable(QString::number(c)));
}

void MainFrameTest::menusWithDocument()
{
    GuiTestBench bench;
    CMainFrame frame(bench.StartedApp(), bench.ui);
    frame.SetDocument(true);
    QVERIFY(frame.HasDocumentMenus());
    QCOMPARE(MenuTitles(frame), (QStringList{"&File", "&Edit", "&View", "&Ovro", "&Parameter", "Interfa&ce",
                                             "&Window", "&Help"}));
    QCOMPARE(Items(Menu(frame, "&File")),
             (QStringList{"&Open...\tCtrl+O", "Save &As...", "&Close", "&Print...\tCtrl+P", "Print Pre&view",
                          "P&rint Setup...", "&Export...", "E&xit\tAlt+F4"}));
    QCOMPARE(Items(Menu(frame, "&Edit")),
             (QStringList{"&Undo\tCtrl+Z", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V"}));
    QCOMPARE(Items(Menu(frame, "&Ovro")),
             (QStringList{"&Connect\tCtrl+N", "&Disconnect", "Change &Parameters...", "&Motion Control...",
                          "Device &Status...", "&Oscilloscope...\tK315", "Firmware &Update\tK315"}));
    QCOMPARE(Items(Menu(frame, "&Parameter")),
             (QStringList{"&Upload all Parameters", "&Download all Parameters", "&Store Parameters into EEPROM",
                          "&Reset Parameters to Power-On Values", "Restore &Factory Settings of the Device"}));
    QCOMPARE(Items(Menu(frame, "&Window")), (QStringList{"&Cascade", "&Tile", "&Arrange Icons"}));
    QCOMPARE(Items(Menu(frame, "&Help")),
             (QStringList{"&User Manual", "&Device Manual", "&CANopen Manual", "&About Ovro-QVT..."}));

    // a connected drive blocks Exit; features not built stay disabled
    QVERIFY(!frame.Action(kExit)->isEnabled());
    for (unsigned c : {kUpload, kDownload, kMotionControl, kOscilloscope, kFirmwareUpdate, kDeviceManual})
        QVERIFY2(!frame.Action(c)->isEnabled(), qPrintable(QString::number(c)));
    QVERIFY(frame.Action(kWindowCascade)->isEnabled());

    frame.SetDocument(false);
    QVERIFY(frame.Action(kExit)->isEnabled());
    frame.SetNoDocument();
    QCOMPARE(MenuTitles(frame).size(), 5);
    QVERIFY(!frame.Action(kWindowCascade)->isEnabled());
}

void MainFrameTest::acceleratorsAreKeySequences()
{
    GuiTestBench bench;
    CMainFrame frame(bench.StartedApp(), bench.ui);
    QCOMPARE(frame.Action(kOpen)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    QCOMPARE(frame.Action(kConnect)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    QCOMPARE(frame.Action(kExit)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
    QVERIFY(frame.Action(kOscilloscope)->shortcut().isEmpty());
    QCOMPARE(frame.Action(kInterfaceProperties)->statusTip(),
             QString("Display information about the CAN Interface board"));
    QCOMPARE(frame.Action(kInterfaceProperties)->toolTip(), QString("Interface Properties"));
}

void MainFrameTest::statusPaneAndToolbar()
{
    GuiTestBench bench;
    CMainFrame frame(bench.StartedApp(), bench.ui);
    frame.show();
    QCOMPARE(frame.ConnectionText(), QString("Ovro-QVT"));
    frame.SetConnectionText("Connected: CAN,#5,20kBit/s,Ovro K315,v1.004");
    QCOMPARE(frame.ConnectionText(), QString("Connected: CAN,#5,20kBit/s,Ovro K315,v1.004"));
    frame.SetNoDocument();
    QCOMPARE(frame.ConnectionText(), QString("Ovro-QVT"));

    QCOMPARE(frame.ToolBar()->windowTitle(), QString("Toolbar"));
    QVERIFY(frame.ToolBar()->isVisible());
    frame.Action(kViewToolbar)->trigger();
    QVERIFY(!frame.ToolBar()->isVisible());
    frame.Action(kViewStatusBar)->trigger();
    QVERIFY(!frame.statusBar()->isVisible());
}

void MainFrameTest::defaultPlaceFollowsTheScreen()
{
    GuiTestBench bench;
    CMainFrame xga(bench.StartedApp(), bench.ui);
    xga.PrepareGeometry(QSize(1024, 768));
    QVERIFY(!xga.StartsMaximised());
    QCOMPARE(xga.pos(), QPoint(32, 8));
    QCOMPARE(xga.size(), QSize(960, 720));

    CMainFrame svga(bench.App(), bench.ui);
    svga.PrepareGeometry(QSize(800, 600));
    QVERIFY(svga.StartsMaximised());
    svga.ShowInitial();
    QVERIFY(svga.isMaximized());
}

void MainFrameTest::placementIsWrittenAndRestored()
{
    GuiTestBench bench;
    {
        CMainFrame frame(bench.StartedApp(), bench.ui);
        frame.PrepareGeometry(QSize(1920, 1080));
        frame.ShowInitial();
        frame.setGeometry(100, 120, 700, 500);
        QVERIFY(frame.close());
    }
    WindowPlacement p;
    QVERIFY(ReadWindowPlacement(*bench.store, SettingsKeys::kMainFrame, p));
    QCOMPARE(p.showCmd, 1u);
    QCOMPARE(p.left, 100);
    QCOMPARE(p.top, 120);
    QCOMPARE(p.right - p.left, 700);
    QCOMPARE(p.bottom - p.top, 500);

    CMainFrame again(bench.App(), bench.ui);
    again.PrepareGeometry(QSize(1920, 1080));
    QVERIFY(!again.StartsMaximised());
    QCOMPARE(again.geometry(), QRect(100, 120, 700, 500));

    // an unreadable record leaves the default place
    bench.store->WriteString(SettingsKeys::kWindows, SettingsKeys::kMainFrame, "1,1,0,0,0,0,10,10,500");
    CMainFrame fallback(bench.App(), bench.ui);
    fallback.PrepareGeometry(QSize(1024, 768));
    QCOMPARE(fallback.pos(), QPoint(32, 8));
    QCOMPARE(fallback.size(), QSize(960, 720));
}

void MainFrameTest::maximisedPlacementStartsMaximised()
{
    GuiTestBench bench;
    {
        CMainFrame frame(bench.StartedApp(), bench.ui);
        frame.PrepareGeometry(QSize(1920, 1080));
        frame.setGeometry(50, 60, 640, 480);
        frame.showMaximized();
        QVERIFY(frame.isMaximized());
        QVERIFY(frame.SavePlacement());
    }
    WindowPlacement p;
    QVERIFY(ReadWindowPlacement(*bench.store, SettingsKeys::kMainFrame, p));
    QCOMPARE(p.showCmd, 3u);
    CMainFrame again(bench.App(), bench.ui);
    again.PrepareGeometry(QSize(1920, 1080));
    QVERIFY(again.StartsMaximised());
}

void MainFrameTest::closingWithAnOnlineDocumentAsksFirst()
{
    GuiTestBench bench;
    CMainFrame frame(bench.StartedApp(), bench.ui);
    frame.show();
    frame.SetDocument(true);
    bench.ui.answers = {false};
    QVERIFY(!frame.close());
    QVERIFY(frame.isVisible());
    QCOMPARE(bench.ui.questions.size(), size_t(1));
    QCOMPARE(bench.ui.questions[0].text, std::string(MessageText(63667)));
    QCOMPARE(bench.ui.questions[0].icon, MessageIcon::Question);
    QCOMPARE(bench.Read("Windows", "MainFrame"), std::string("<none>"));

    frame.SetDocument(false);
    QVERIFY(frame.close());
    QCOMPARE(bench.ui.questions.size(), size_t(1));
    QVERIFY(bench.Read("Windows", "MainFrame") != "<none>");
}

void MainFrameTest::userManualOpensThePdfOrNothing()
{
    GuiTestBench bench;
    QTemporaryDir program;
    CMainFrame frame(bench.StartedApp(), bench.ui);
    bench.App().SetXmlFolder(program.path().toStdString());
    QList<QUrl> opened;
    frame.SetUrlOpener([&opened](const QUrl& url) {
        opened << url;
        return true;
    });

    frame.Action(kUserManual)->trigger();
    QVERIFY(opened.isEmpty());
    QVERIFY(bench.ui.messages.empty());

    QVERIFY(QDir(program.path()).mkdir("Help"));
    QFile pdf(program.filePath("Help/Ovro-QVT.pdf"));
    QVERIFY(pdf.open(QIODevice::WriteOnly));
    pdf.close();
    frame.Action(kUserManual)->trigger();
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0], QUrl::fromLocalFile(program.filePath("Help/Ovro-QVT.pdf")));
    QVERIFY(bench.ui.messages.empty());
}

void MainFrameTest::aboutShowsTheVersion()
{
    CDlgAbout about;
    auto* version = about.findChild<QLabel*>("version");
    QVERIFY(version);
    QCOMPARE(version->text(), QString("Version V1.004  7.04.2007"));
    // The box is wide enough for its whole title beside the title bar's
    // buttons, however narrow its own texts are.
    about.adjustSize();
    QCOMPARE(about.windowTitle(), QString("About Ovro-QVT"));
    const QFontMetrics metrics(about.font());
    // Centred between three buttons of two lines' width on either side.
    QVERIFY(about.width() >= metrics.horizontalAdvance(about.windowTitle()) + 2 * 3 * 2 * metrics.height());
}

void MainFrameTest::initializeThroughTheMenuOpensTheChosenBoard()
{
    GuiTestBench bench;
    CMainFrame frame(bench.StartedApp(), bench.ui);
    frame.show();
    bool seen = false;
    OnNextModal([&seen](QWidget* modal) {
        auto* dialog = qobject_cast<CDlgInterface*>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        seen = true;
        dialog->BoardList()->setCurrentIndex(dialog->BoardList()->findText("PEAK PCAN-USB"));
        dialog->accept();
    });
    frame.Action(kInterfaceInitialize)->trigger();
    QVERIFY(seen);
    QVERIFY(bench.ui.messages.empty());
    QVERIFY(bench.App().Master().IsInitialised());
    QCOMPARE(bench.App().Master().BoardType(), 0x00010000u);
    QCOMPARE(bench.Read("Interface", "Board"), std::string("PEAK PCAN-USB"));
    QCOMPARE(bench.Read("Interface", "Vendor"), std::string("PEAK-System Technik"));
}

void MainFrameTest::propertiesWithoutBoardWarn()
{
    GuiTestBench bench;
    CMainFrame frame(bench.StartedApp(), bench.ui);
    frame.Action(kInterfaceProperties)->trigger();
    QCOMPARE(bench.ui.messages.size(), size_t(1));
    QCOMPARE(bench.ui.messages[0].icon, MessageIcon::Exclamation);
    QVERIFY(bench.ui.messages[0].text.find("Probably no board present.") != std::string::npos);
}

void MainFrameTest::messageBoxesCarryTextIconAndButtons()
{
    GuiTestBench bench;
    CMessageBoxUserInterface ui(*bench.store);
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    auto answer = [&](QMessageBox::StandardButton button) {
        OnNextModal([&, button](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box) {
                modal->close();
                return;
            }
            text = box->text();
            icon = box->icon();
            defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
            box->button(button)->click();
        });
    };

    answer(QMessageBox::Ok);
    ui.ShowMessage(MessageSeverity::Error, MessageIcon::Stop, "ERROR:\tcan\xB4t do it");
    QCOMPARE(text, QString::fromLatin1("ERROR:\tcan\xB4t do it"));
    QCOMPARE(icon, QMessageBox::Critical);

    answer(QMessageBox::Yes);
    QVERIFY(ui.AskYesNo(MessageIcon::Question, "Continue?", false));
    QCOMPARE(icon, QMessageBox::Question);
    QCOMPARE(defaultButton, QMessageBox::No);

    answer(QMessageBox::No);
    QVERIFY(!ui.AskYesNo(MessageIcon::Stop, "Ignore?", true));
    QCOMPARE(defaultButton, QMessageBox::Yes);

    QCOMPARE(CMessageBoxUserInterface::IconOf(MessageIcon::Exclamation), QMessageBox::Warning);
    QCOMPARE(CMessageBoxUserInterface::IconOf(MessageIcon::Information), QMessageBox::Information);
}
