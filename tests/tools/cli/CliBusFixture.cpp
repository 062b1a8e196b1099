#include "CliBusFixture.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

void CliBusFixture::SetUp()
{
    std::string pattern = "/tmp/ovro-cli-" + bus_ + "-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    fs::create_directories(dir_ + "/config");
    Save("OVRO_CANBUS_DIR", dir_);
    Save("OVRO_CAN_CHANNEL", "virtual:" + bus_);
    Save("XDG_CONFIG_HOME", dir_ + "/config");
    Save("HOME", dir_);
}

void CliBusFixture::TearDown()
{
    drives_.clear();
    for (const auto& [name, value] : saved_) {
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }
    saved_.clear();
    std::error_code ignored;
    if (!dir_.empty())
        fs::remove_all(dir_, ignored);
}

void CliBusFixture::Save(const std::string& name, const std::string& value)
{
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    ::setenv(name.c_str(), value.c_str(), 1);
}

ovro::test::SimProcess* CliBusFixture::StartDrive(const std::string& model, int nodeId, int kbit, std::string eeprom)
{
    if (eeprom.empty())
        eeprom = Path("eeprom-" + std::to_string(nodeId));
    auto drive = std::make_unique<ovro::test::SimProcess>();
    if (!drive->start(dir_, {"--model", model, "--node-id", std::to_string(nodeId), "--bitrate",
                             std::to_string(kbit), "--bus", bus_, "--eeprom", eeprom})) {
        ADD_FAILURE() << "the simulated drive did not come up: " << drive->log();
        return nullptr;
    }
    drives_.push_back(std::move(drive));
    return drives_.back().get();
}
