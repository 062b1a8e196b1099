// FakeCop.h - a scripted stand-in for the COP API, linked into the unit
// tests of the CANopen access layer in place of libmastergate.so's entry
// points. It records every call as one line and answers from a small
// object dictionary, a PDO queue and the failures the test sets.
#pragma once

#include <cop/cop.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct FakePdo {
    uint8_t node;
    uint8_t pdoNumber;
    std::vector<uint8_t> data;
};

class FakeCop {
public:
    static FakeCop& Instance();
    void Reset();

    // Every call of the named function ("ReadSDO") fails with error.
    void Fail(const std::string& function, int32_t error) { failures_[function] = error; }
    void Heal(const std::string& function) { failures_.erase(function); }

    // Object dictionary of every node (the fake does not tell nodes apart).
    void SetObject(uint16_t index, uint8_t sub, std::vector<uint8_t> bytes) { objects_[{index, sub}] = std::move(bytes); }
    std::vector<uint8_t> Object(uint16_t index, uint8_t sub) const;
    // Transfers of this object abort with the code (error 4).
    void SetAbort(uint16_t index, uint8_t sub, uint32_t code) { aborts_[{index, sub}] = code; }
    // Called after each successful SDO download.
    std::function<void(uint16_t index, uint8_t sub, const std::vector<uint8_t>& data)> onWrite;
    // true: ReadSDO reports the number of bytes received (board path);
    // false: the number copied (software master).
    bool reportReceived = false;

    void QueuePdo(FakePdo pdo) { pdos_.push_back(std::move(pdo)); }
    uint16_t boardHandle = 0;

    const std::vector<std::string>& Calls() const { return calls_; }
    std::string CallsText() const;
    void ClearCalls() { calls_.clear(); }
    // Calls whose line starts with prefix.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const;

    // ---- used by the COP entry points ----
    bool Enter(const std::string& line, const std::string& function);
    COP_BOOL Ok();
    COP_BOOL Error(int32_t code, uint32_t abortCode = 0);
    int32_t lastError = 0;
    uint32_t lastAbort = 0;
    std::map<std::pair<uint16_t, uint8_t>, std::vector<uint8_t>> objects_;
    std::map<std::pair<uint16_t, uint8_t>, uint32_t> aborts_;
    std::deque<FakePdo> pdos_;

private:
    std::vector<std::string> calls_;
    std::map<std::string, int32_t> failures_;
    int32_t pendingFailure_ = 0;

public:
    int32_t PendingFailure() const { return pendingFailure_; }
};
