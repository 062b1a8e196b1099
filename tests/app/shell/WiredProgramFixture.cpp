#include "WiredProgramFixture.h"

#include <QAction>
#include <QElapsedTimer>
#include <QTest>

#include <filesystem>
#include <unistd.h>

void WiredProgramFixture::SetUp()
{
    ASSERT_TRUE(dir_.isValid());
    const std::string directory = dir_.path().toStdString();
    const std::string kbit = std::to_string(wiring_.kbit);
    ::setenv("OVRO_CANBUS_DIR", directory.c_str(), 1);
    ::setenv("OVRO_CAN_CHANNEL", ("virtual:" + wiring_.bus).c_str(), 1);
    store_ = std::make_unique<QSettingsStore>(dir_.filePath(QStringLiteral("Ovro-QVT.ini")));
    store_->WriteString("Interface", "Vendor", "PEAK-System Technik");
    store_->WriteString("Interface", "Board", "PEAK PCAN-USB");
    store_->WriteString("Interface", "Baudrate", kbit);
    Configure(*store_);
    if (::access(ovro::test::SimProcess::executable().c_str(), X_OK) != 0)
        GTEST_SKIP() << "ovro-drive-sim is not built";
    ASSERT_TRUE(drive_.start(directory, {"--model", "K315", "--node-id", std::to_string(wiring_.nodeId), "--bitrate",
                                         kbit, "--bus", wiring_.bus, "--eeprom", directory + "/drive.eeprom",
                                         "--description", std::string(OVRO_DATA_DIR) + "/Ovro-QVT.xml"}))
        << drive_.log();

    // The program's folder: the description and the help files.
    programDir_ = directory + "/program";
    std::filesystem::create_directories(programDir_ + "/Help");
    std::filesystem::copy_file(std::string(OVRO_DATA_DIR) + "/Ovro-QVT.xml", programDir_ + "/Ovro-QVT.xml");
    // The Second-Level-Loader that ships beside the program.
    std::filesystem::copy(std::string(OVRO_DATA_DIR) + "/sll", programDir_ + "/sll");
    app_ = std::make_unique<CQVTApp>(*store_, ui_, description_);
    ASSERT_TRUE(app_->StartUp(programDir_));
    app_->OpenInterface();
    ASSERT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
    frame_ = std::make_unique<CMainFrame>(*app_, ui_, wiring_.features);
    frame_->resize(wiring_.frameSize);
    frame_->show();
    host_ = std::make_unique<CDocumentHost>(*app_, *frame_, ui_);
}

void WiredProgramFixture::TearDown()
{
    host_.reset();
    frame_.reset();
    if (app_)
        app_->ExitInstance();
    app_.reset();
    drive_.stop();
    ::unsetenv("OVRO_CAN_CHANNEL");
    ::unsetenv("OVRO_CANBUS_DIR");
}

bool WiredProgramFixture::Enabled(unsigned command) const
{
    return frame_->Action(command)->isEnabled();
}

bool WiredProgramFixture::WaitUntil(const std::function<bool()>& check, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!check()) {
        if (timer.elapsed() > ms)
            return false;
        QTest::qWait(20);
    }
    return true;
}
