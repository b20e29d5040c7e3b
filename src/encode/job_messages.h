#pragma once

#include "core/message_thread.h"

// Message ids of an encode job. They keep their documented values, so that
// logs and traces read the same on every platform. No message carries data:
// each thread is given what it works on when it is made.

namespace zq48 {

inline constexpr MessageId WM_USER = 0x0400;

// To the job driver.
inline constexpr MessageId WM_JOB_START = WM_USER + 10;  // 0x40A
inline constexpr MessageId WM_JOB_NEXT = 0x413;
inline constexpr MessageId WM_JOB_PAUSE = 0x414;
inline constexpr MessageId WM_JOB_STOP = 0x415;
inline constexpr MessageId WM_JOB_RESUME = 0x416;
inline constexpr MessageId WM_JOB_QT_VIDEO_DONE = 0x41B;
inline constexpr MessageId WM_JOB_QT_AUDIO_DONE = 0x41C;

// To the decode workers.
inline constexpr MessageId WM_DS_START = 0x401;
inline constexpr MessageId WM_QT_AUDIO_START = 0x402;
inline constexpr MessageId WM_DS_STOP = 0x403;
inline constexpr MessageId WM_DS_PAUSE = 0x405;
inline constexpr MessageId WM_DS_RESUME = 0x407;
inline constexpr MessageId WM_QT_VIDEO_START = 0x417;

// Source kind of the driver before a job's first variant and after its end.
inline constexpr int kSourceNone = 4;

}  // namespace zq48
