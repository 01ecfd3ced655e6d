// Feeds arbitrary bytes to the recording readers as the text of a file a user
// hands vireo-replay or vireo-learn, and checks what the replay relies on:
// levels 0 or 1, every duration positive, neighbours of different level, and
// a raw block that starts with a burst. The input stays plain text so that a
// finding can be replayed with the tools themselves.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/sim/Recording.h"

namespace {

using vireo::sim::Recording;

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckLevels(const Recording& recording) {
  for (std::size_t i = 0; i < recording.size(); ++i) {
    Check(recording[i].level == 0 || recording[i].level == 1);
    Check(recording[i].durationUs > 0);
    Check(i == 0 || recording[i].level != recording[i - 1].level);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  (void)vireo::sim::LooksLikeFlipperIr(text);

  Recording mode2;
  std::string error;
  if (vireo::sim::ParseMode2(text, mode2, error))
    CheckLevels(mode2);
  else
    Check(!error.empty());

  std::vector<vireo::sim::NamedRecording> blocks;
  error.clear();
  if (!vireo::sim::ParseFlipperBlocks(text, "", blocks, error)) {
    Check(!error.empty());
    return 0;
  }
  std::int64_t blocksUs = 0;
  for (const auto& block : blocks) {
    CheckLevels(block.levels);
    Check(block.levels.front().level == 0);
    blocksUs += vireo::sim::TotalUs(block.levels);
  }

  // All blocks with a gap after each, then only those of the first name, with none.
  constexpr std::int64_t kGapMs = 100;
  Recording all;
  Check(vireo::sim::ParseFlipperIr(text, "", kGapMs, all, error));
  CheckLevels(all);
  Check(vireo::sim::TotalUs(all) ==
        blocksUs + kGapMs * 1000 * static_cast<std::int64_t>(blocks.size()));
  if (blocks.empty() || blocks.front().name.empty()) return 0;
  const std::string& name = blocks.front().name;
  std::vector<vireo::sim::NamedRecording> named;
  Check(vireo::sim::ParseFlipperBlocks(text, name, named, error) && !named.empty());
  for (const auto& block : named) Check(block.name == name);
  Recording one;
  Check(vireo::sim::ParseFlipperIr(text, name, 0, one, error));
  CheckLevels(one);
  return 0;
}
