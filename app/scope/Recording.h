// CRecording: one oscilloscope session of a document - the controller that
// its window observes. Start configures the drive's transmit PDOs for the
// selected signals and the time base, sets up the trigger and starts the
// node; every 55 ms the window's timer runs a tick, which collects PDOs for
// at most 27 ms (software master) and adds the new samples to the plot;
// Stop puts the node back into pre-operational and redraws the whole
// recording; closing resets the node's communication. With the board
// master the PDOs arrive through its callback instead (CBoardPdoCallback).
//
//   CRecording recording(settings, collector, master, ui);
//   recording.SetDocument(&doc);
//   recording.SetPlot(&plot);
//   recording.Open();                 // the window opens
//   recording.Start();                // "Start"
//   every 55 ms: recording.OnTimer();
//   recording.Stop();                 // "Stop": the document now holds it
//   recording.Close();                // the window closes
#pragma once

#include "scope/RecordingSettings.h"
#include "scope/RecordingState.h"
#include "scope/SampleCollector.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

class CCANopenMaster;
class CCANopenNode;
class IRecordingPlot;
class IUserInterface;

namespace ovro {
class CQVTDevice;
class CQVTDoc;
}

class CRecording {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kTickPeriod{55};
    static constexpr std::chrono::milliseconds kCollectBudget{27};
    static constexpr std::chrono::milliseconds kCloseWait{333};
    static constexpr int kSkipTicksAtStart = 3;
    static constexpr int kPollPauseAtStart = 3;
    static constexpr int kPollPauseAtStop = 1;
    static constexpr std::int32_t kMaxDelay = 10000;  // ms
    // The parameter that holds the motor's rated current in mA.
    static constexpr std::uint16_t kRatedCurrentIndex = 0x6410;
    static constexpr std::uint8_t kRatedCurrentSubIndex = 3;

    CRecording(RecordingSettings& settings, CSampleCollector& collector, CCANopenMaster& master,
               IUserInterface& ui);
    ~CRecording();
    CRecording(const CRecording&) = delete;
    CRecording& operator=(const CRecording&) = delete;

    void SetDocument(ovro::CQVTDoc* doc) { doc_ = doc; }
    void SetPlot(IRecordingPlot* plot) { plot_ = plot; }
    // The wait after reset communication (333 ms); null: a real sleep.
    void SetSleep(std::function<void(std::chrono::milliseconds)> sleep) { sleep_ = std::move(sleep); }
    // How long the collection rests before it asks again when no PDO is
    // waiting; zero asks again at once (a busy wait).
    static constexpr std::chrono::microseconds kIdleWait{200};
    void SetIdleWait(std::chrono::microseconds wait) { idleWait_ = wait; }

    // ---- Commands ------------------------------------------------------------
    // The window opens: with the board master its callback is registered
    // (once per run).
    void Open();
    // "Start" (32812): true when the node runs and the recording collects;
    // false, doing nothing, while another command of the document runs.
    bool Start();
    // "Stop" (32813).
    void Stop();
    // One tick of the window's timer.
    void OnTimer();
    // The window closes: reset communication, the 333 ms wait, the time
    // axis into the settings.
    void Close();
    // Loads the recording sections of a document file into the settings
    // and the ring and draws them; progress as CPlotFeed::Rebuild.
    bool Load(const std::string& path, const std::function<void(std::int32_t done)>& progress = {});
    // Draws the whole recording again ("Graphic view").
    void Rebuild(const std::function<void(std::int32_t done)>& progress = {});

    bool CanStart() const;
    bool CanStop() const { return IsRecording(); }
    // Table, clipboard and export: not while recording.
    bool CanShowData() const { return !IsRecording(); }

    // ---- State -----------------------------------------------------------------
    bool IsRecording() const { return recording_.load(std::memory_order_acquire); }
    RecordingState Lamp() const { return collector_.Lamp(); }
    int SkipTicks() const { return skip_; }
    // The rated current of the document's parameter table (mA), 0 without.
    double RatedCurrent() const;
    static double RatedCurrentOf(const ovro::CQVTDevice* device);
    RecordingSettings& Settings() { return settings_; }
    SampleRing& Ring() { return collector_.Ring(); }
    CSampleCollector& Collector() { return collector_; }

    // What the last tick's collection did, for measurements.
    struct TickReport {
        std::int32_t pdos = 0;      // PDOs taken from the node
        std::int32_t attempts = 0;  // reads tried
        Clock::duration spent{};    // time spent collecting
    };
    const TickReport& LastTick() const { return lastTick_; }

private:
    bool ConfigurePdos(CCANopenNode& node, std::uint16_t timeBase);
    bool SetUpTrigger(CTrigger& trigger, std::uint16_t timeBase) const;
    Sample FirstSample() const;
    void Collect(CCANopenNode& node);
    void DropQueuedPdos(CCANopenNode& node);
    static constexpr int kMaxDroppedPdos = 20000;
    void Show(unsigned message, bool sorry = false);
    void Sleep(std::chrono::milliseconds ms);
    CCANopenNode* OnlineNode() const;

    RecordingSettings& settings_;
    CSampleCollector& collector_;
    CCANopenMaster& master_;
    IUserInterface& ui_;
    ovro::CQVTDoc* doc_ = nullptr;
    IRecordingPlot* plot_ = nullptr;
    std::function<void(std::chrono::milliseconds)> sleep_;
    std::chrono::microseconds idleWait_ = kIdleWait;
    std::atomic<bool> recording_{false};
    int skip_ = 0;
    bool boardLibrary_ = false;
    TickReport lastTick_;
};
