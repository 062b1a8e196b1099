// The settings store kept with QSettings: organisation "Kelvane",
// application "Ovro-QVT", one group per section.
#pragma once

#include "settings/ISettingsStore.h"

#include <QSettings>
#include <QString>

class QSettingsStore : public ISettingsStore {
public:
    static constexpr const char* kOrganisation = "Kelvane";
    static constexpr const char* kApplication = "Ovro-QVT";

    // The user's store of the program.
    QSettingsStore();
    // A store in the given INI file (tests, portable set-ups).
    explicit QSettingsStore(const QString& iniFile);

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) const override;
    int ReadInt(const std::string& section, const std::string& key, int def) const override;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    bool WriteInt(const std::string& section, const std::string& key, int value) override;

    QString FileName() const { return settings_.fileName(); }

private:
    bool Commit();

    QSettings settings_;
};
