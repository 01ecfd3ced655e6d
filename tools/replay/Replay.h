// vireo-replay's driver: the worker's start-up, capture loop and end, and the
// main window's 500 ms tick, run on one thread on the simulated receiver and
// clock, with every event-log line printed as it is appended.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "PictureRecorder.h"
#include "ReplayOptions.h"
#include "platform/sim/Recording.h"

namespace vireo::replay {

// Reads and parses the recording file with the options' repeat, gap, button
// and jitter applied. False with a message when nothing usable is there.
bool LoadRecording(const Options& options, sim::Recording& recording, std::string& error);

// Replays the recording in the current directory, printing the log and the
// actions in Windows-1251; returns the exit status.
// With a picture, the signal view is attached as the settings window would
// attach it, and its rows and codes are collected there.
int RunReplay(const Options& options, const sim::Recording& recording, std::ostream& out,
              Picture* picture = nullptr);

}  // namespace vireo::replay
