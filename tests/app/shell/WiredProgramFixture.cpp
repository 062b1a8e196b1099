// WiredProgramFixture.cpp - the whole program in a private folder.
#include "WiredProgramFixture.h"

#include <cstdlib>
#include <filesystem>

void WiredProgramFixture::PrepareProfile(const std::string& bus, const std::string& kbit)
{
    ASSERT_TRUE(dir_.isValid());
    bus_ = bus;
    ::setenv("OVRO_CANBUS_DIR", Directory().c_str(), 1);
    ::setenv("OVRO_CAN_CHANNEL", ("virtual:" + bus).c_str(), 1);
    store_ = std::make_unique<QSettingsStore>(dir_.filePath(QStringLiteral("Ovro-QVT.ini")));
    store_->WriteString("Interface", "Vendor", "PEAK-System Technik");
    store_->WriteString("Interface", "Board", "PEAK PCAN-USB");
    store_->WriteString("Interface", "Baudrate", kbit);
}

std::vector<std::string> WiredProgramFixture::DriveArguments(const std::string& nodeId, const std::string& kbit) const
{
    return {"--model", "K315", "--node-id", nodeId, "--bitrate", kbit, "--bus", bus_,
            "--eeprom", Directory() + "/drive.eeprom", "--description", std::string(OVRO_DATA_DIR) + "/Ovro-QVT.xml"};
}

void WiredProgramFixture::StartProgram(const CCommandState::Features& features, int width, int height)
{
    // The program's folder: the description and the help files.
    programDir_ = dir_.filePath(QStringLiteral("program")).toStdString();
    std::filesystem::create_directories(programDir_ + "/Help");
    std::filesystem::copy_file(std::string(OVRO_DATA_DIR) + "/Ovro-QVT.xml", programDir_ + "/Ovro-QVT.xml");
    app_ = std::make_unique<CQVTApp>(*store_, ui_, description_);
    ASSERT_TRUE(app_->StartUp(programDir_));
    app_->OpenInterface();
    ASSERT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
    frame_ = std::make_unique<CMainFrame>(*app_, ui_, features);
    frame_->resize(width, height);
    frame_->show();
    host_ = std::make_unique<CDocumentHost>(*app_, *frame_, ui_);
}

void WiredProgramFixture::StopProgram()
{
    host_.reset();
    frame_.reset();
    if (app_)
        app_->ExitInstance();
    app_.reset();
    ::unsetenv("OVRO_CAN_CHANNEL");
    ::unsetenv("OVRO_CANBUS_DIR");
}
