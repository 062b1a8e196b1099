// CliBusFixture: the ground of the tests that run ovro-qvt-cli as a child
// process against simulated drives - a private folder for the virtual bus,
// the settings and HOME, the environment put back afterwards, and the
// drives started on the test's bus and ended with the test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "SimProcess.h"

// The Â´ of the message texts, as the program prints it (UTF-8).
inline constexpr char kAcute[] = "\xC2\xB4";

class CliBusFixture : public ::testing::Test {
protected:
    // bus: the virtual bus of the test (the channel is "virtual:" bus).
    explicit CliBusFixture(std::string bus) : bus_(std::move(bus)) {}

    void SetUp() override;
    void TearDown() override;

    // Sets an environment variable until the test ends.
    void Save(const std::string& name, const std::string& value);
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    // A drive on the test's bus; its EEPROM file is named after the node-id
    // unless given, so that a restarted drive finds what it stored. Null
    // (after a failure) when it did not come up.
    ovro::test::SimProcess* StartDrive(const std::string& model, int nodeId, int kbit, std::string eeprom = {});

    std::string dir_;
    std::vector<std::unique_ptr<ovro::test::SimProcess>> drives_;

private:
    std::string bus_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};
