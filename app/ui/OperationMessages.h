// OperationMessages.h - the numbers of the messages and texts of the motion
// and status windows: one set of step messages per motion page, and the
// texts the drive-status fields show. Their texts are in the message table.
#pragma once

// ---- Motion pages: the steps of each page's Start ------------------------
// Position page.
constexpr unsigned kMsgPositionReadStatusword = 63578;
constexpr unsigned kMsgPositionSwitchState = 63579;
constexpr unsigned kMsgPositionNotEnabled = 63580;
constexpr unsigned kMsgPositionReadMode = 63581;
constexpr unsigned kMsgPositionSwitchMode = 63582;
constexpr unsigned kMsgPositionWriteParameter = 63583;
constexpr unsigned kMsgPositionStart = 63584;
// Velocity page.
constexpr unsigned kMsgVelocityReadStatusword = 63585;
constexpr unsigned kMsgVelocitySwitchState = 63586;
constexpr unsigned kMsgVelocityNotEnabled = 63587;
constexpr unsigned kMsgVelocityReadMode = 63588;
constexpr unsigned kMsgVelocitySwitchMode = 63589;
constexpr unsigned kMsgVelocityWriteParameter = 63590;
constexpr unsigned kMsgVelocityStart = 63591;
// Homing page.
constexpr unsigned kMsgHomingReadStatusword = 63592;
constexpr unsigned kMsgHomingSwitchState = 63593;
constexpr unsigned kMsgHomingNotEnabled = 63594;
constexpr unsigned kMsgHomingReadMode = 63595;
constexpr unsigned kMsgHomingSwitchMode = 63596;
constexpr unsigned kMsgHomingWriteParameter = 63597;
constexpr unsigned kMsgHomingStart = 63598;
constexpr unsigned kMsgHomingAssign = 63599;
// Manual page; also the drive profile's own enable sequence.
constexpr unsigned kMsgManualReadStatusword = 63600;
constexpr unsigned kMsgManualSwitchState = 63601;
constexpr unsigned kMsgManualNotEnabled = 63602;
constexpr unsigned kMsgManualReadMode = 63603;
constexpr unsigned kMsgManualSwitchMode = 63604;
constexpr unsigned kMsgManualStart = 63605;

// ---- Drive-status fields -------------------------------------------------
constexpr unsigned kMsgNo = 63654;                        // "No"
constexpr unsigned kMsgYes = 63655;                       // "Yes"
constexpr unsigned kMsgMotionOffline = 63656;             // "Offline!" (Motion Control)
constexpr unsigned kMsgMotionNoDevice = 63657;            // "No device connected." (Motion Control)
constexpr unsigned kMsgStatusOffline = 63658;             // "Offline!" (Device Status)
constexpr unsigned kMsgStatusNoDevice = 63659;            // "No device connected." (Device Status)
