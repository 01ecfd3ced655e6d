// The presses a user makes on the receiver while teaching Vireo a handset:
// each press's packets put together as one capture, and the checks that
// ask for another press before a button is learned.
#pragma once

#include <string>
#include <vector>

#include "learn/ButtonSignals.h"
#include "signal/RawPacket.h"

namespace vireo::learn {

// The packets of one press as one capture, burst first: the gaps between
// packets become pauses; the quiet before the first burst and after the
// last is dropped.
Durations PressCapture(const std::vector<RawPacket>& packets);

// Two captures carry the same signal when their first frames (up to the
// first pause longer than a frame's) have as many runs and each run is
// within a quarter, or 150 us, of the other's.
bool SameSignal(const Durations& a, const Durations& b);

enum class PressCheck {
  kAgrees,   // the same signal as an earlier press of this button, or the first
  kEmpty,    // no burst at all
  kCut,      // longer than the packet store holds
  kDiffers,  // like none of this button's earlier presses
  kTaken,    // the signal of a button already learned
};

struct PressVerdict {
  PressCheck check = PressCheck::kAgrees;
  int takenBy = -1;  // with kTaken: the index of that button
};

// A new press of a button, against its earlier presses and the buttons
// learned before it.
PressVerdict CheckPress(const Durations& press, bool cut, const std::vector<Durations>& earlier,
                        const std::vector<ButtonSignal>& learned);

// The buttons as a Flipper .ir file of raw signals (names in UTF-8), one
// block per capture, which ReadButtonSignals and vireo-replay read back.
std::string FlipperFileText(const std::vector<ButtonSignal>& buttons);

// How many of a button's presses carry the signal most of them share.
int AgreeingPresses(const std::vector<Durations>& presses);

}  // namespace vireo::learn
