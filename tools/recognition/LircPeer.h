// LIRC as the peer of the recognition benchmark: the handset's buttons are
// learnt the way irrecord learns them in raw mode, and the presses are
// decoded by LIRC's own irsimreceive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vireo::recognition {

// A button as LIRC learns it in raw mode: one frame of durations in
// microseconds, mark first, ending on a mark (odd count).
struct LircButton {
  std::vector<std::int64_t> rawUs;
};

// One press as the receiver saw it: durations in microseconds, alternating
// mark and space, starting with a mark (may hold several frames of a held button).
using PressUs = std::vector<std::int64_t>;

// The first frame of a capture as irrecord would keep it in raw mode: the
// durations before the first space of at least gapUs, ending on a mark.
std::vector<std::int64_t> FirstFrame(const std::vector<std::int64_t>& capture, std::int64_t gapUs);

// The lircd.conf text: one remote with flags RAW_CODES, eps 30 and aeps 100
// (irrecord's defaults), a gap of twice the longest space inside a frame,
// button k named "b<k>". A button's trailing space is left out; an empty
// button is left out and so never decodes. LIRC never matches a raw code of
// more than 511 durations.
std::string LircdConf(const std::vector<LircButton>& buttons);

// Runs irsimreceive once over all presses (its files in a folder of its own
// under workDir) and gives, per press, the indices of the buttons decoded
// during it, in order: a held button may decode once per frame. False with an
// error when irsimreceive is missing or fails, or when the decodes cannot be
// told apart by press; its folder is then kept for a look.
bool DecodeWithLirc(const std::vector<LircButton>& buttons, const std::vector<PressUs>& presses,
                    const std::string& workDir, std::vector<std::vector<int>>& decoded,
                    std::string& error);

}  // namespace vireo::recognition
