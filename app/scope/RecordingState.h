// RecordingState: the state lamp beside the oscilloscope's toolbar.
#pragma once

enum class RecordingState {
    Idle = 0,        // green
    WaitTrigger = 1, // yellow: recording, the trigger not met yet
    Recording = 2,   // orange: recording without a trigger
    Triggered = 3,   // red
};
