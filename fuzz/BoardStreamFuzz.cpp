// Feeds arbitrary bytes to the USB receiver board's stream decoder, as the
// serial port would from the board or from another device, whole and cut at
// a point the input chooses, and checks what a reader relies on: every level
// 1..8191 us and 8191 exactly when it goes on, every line within the buffer
// and without its '\n', no more events than the bytes can carry, and the same
// events however the bytes arrived.
#include <cstdint>
#include <cstdlib>

#include "signal/BoardStream.h"

namespace {

using vireo::BoardStreamDecoder;

void Check(bool ok) {
  if (!ok) std::abort();
}

struct Checked : vireo::BoardStreamSink {
  std::uint64_t digest = 14695981039346656037ull;
  std::size_t leastBytes = 0;  // a level takes two, a mark or a line at least one

  void Mix(std::uint64_t value) { digest = (digest ^ value) * 1099511628211ull; }
  void OnLevel(bool light, std::uint32_t us, bool continues) override {
    Check(us >= 1 && us <= BoardStreamDecoder::kContinuedUs);
    Check(continues == (us == BoardStreamDecoder::kContinuedUs));
    Mix(us << 2 | light << 1 | continues);
    leastBytes += 2;
  }
  void OnOverflow() override {
    Mix(1 << 16);
    leastBytes += 1;
  }
  void OnTextLine(std::string_view line) override {
    Check(line.size() <= BoardStreamDecoder::kMaxLine && line.find('\n') == line.npos);
    for (char c : line) Mix(static_cast<unsigned char>(c));
    Mix(1 << 17);
    leastBytes += 1;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Checked whole;
  BoardStreamDecoder().Feed(data, size, whole);
  Check(whole.leastBytes <= size);

  Checked cut;
  BoardStreamDecoder decoder;
  const std::size_t at = size == 0 ? 0 : data[0] % (size + 1);
  decoder.Feed(data, at, cut);
  decoder.Feed(data + at, size - at, cut);
  Check(cut.digest == whole.digest);
  return 0;
}
