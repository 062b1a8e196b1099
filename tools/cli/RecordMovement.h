// CRecordMovement: the movement that "record" starts once the recording
// runs, so that a movement can be recorded from a terminal alone. The
// built-in one is a profile-position move by SDO (mode 1, the enable
// sequence, 0x6081 profile velocity, 0x607A target, then a new set-point);
// a motion command of ovro-qvt-cli can take its place through SetStarter.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

class IUserInterface;

namespace ovro {
class CQVTDoc;
}

class CRecordMovement {
public:
    // Starts a movement of the document's drive; false after its message.
    using Starter = std::function<bool(ovro::CQVTDoc& doc, IUserInterface& ui)>;

    // The profile-position move to target (velocity in inc/s, or the
    // drive's own).
    static Starter ProfilePosition(std::int32_t target, std::optional<std::uint32_t> velocity);

    void SetStarter(Starter starter) { starter_ = std::move(starter); }
    bool HasMovement() const { return static_cast<bool>(starter_); }
    // Runs the starter once; later calls do nothing. True without one.
    bool StartOnce(ovro::CQVTDoc& doc, IUserInterface& ui);
    bool Started() const { return started_; }

    static constexpr std::uint16_t kTargetPosition = 0x607A;
    static constexpr std::uint16_t kProfileVelocity = 0x6081;

private:
    Starter starter_;
    bool started_ = false;
};
