// vireo-recognition: how many distorted presses of real handsets Vireo
// recognises after learning them from recordings, side by side with LIRC.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <thread>

#include "Benchmark.h"
#include "OutputFile.h"
#include "ReplayOptions.h"

namespace {

constexpr char kUsage[] =
    "usage: vireo-recognition [options] FOLDER...\n"
    "  FOLDER         Flipper .ir files, in category folders (as ir-corpus)\n"
    "  --presses N    distorted presses per button (default 10)\n"
    "  --every N      every n-th remote only, in path order (default 1)\n"
    "  --stretch US   largest stretch of a burst by the receiver (default 150)\n"
    "  --seed N       seed of the presses (default 7)\n"
    "  --csv FILE     also write the per-remote counts as CSV\n"
    "  --no-lirc      leave LIRC out\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace vireo::recognition;
  BenchOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool more = i + 1 < argc;
    std::int64_t n = 0;
    if (arg == "--presses" && more && vireo::replay::ParseNumber(argv[++i], 1, 1000, n)) {
      options.presses = static_cast<int>(n);
    } else if (arg == "--every" && more && vireo::replay::ParseNumber(argv[++i], 1, 1000, n)) {
      options.every = static_cast<int>(n);
    } else if (arg == "--stretch" && more && vireo::replay::ParseNumber(argv[++i], 0, 1000, n)) {
      options.maxStretchUs = n;
    } else if (arg == "--seed" && more && vireo::replay::ParseNumber(argv[++i], 0, 2147483647, n)) {
      options.seed = static_cast<std::uint64_t>(n);
    } else if (arg == "--csv" && more) {
      options.csvPath = argv[++i];
    } else if (arg == "--no-lirc") {
      options.lirc = false;
    } else if (arg == "--help") {
      std::cout << kUsage;
      return 0;
    } else if (arg.rfind("--", 0) == 0) {
      std::cerr << "vireo-recognition: bad option '" << arg << "'\n" << kUsage;
      return 2;
    } else {
      options.folders.push_back(arg);
    }
  }
  std::string error;
  std::vector<std::string> files =
      options.folders.empty() ? std::vector<std::string>{} : RemoteFiles(options, error);
  if (files.empty()) {
    std::cerr << "vireo-recognition: " << (error.empty() ? "no .ir file found" : error) << "\n"
              << kUsage;
    return 2;
  }
  std::vector<RemoteResult> results(files.size());
  std::atomic<std::size_t> next{0};
  std::mutex failure;
  std::string failed;
  auto work = [&] {
    for (std::size_t i = next++; i < files.size(); i = next++) {
      std::string why;
      if (!RunRemote(files[i], options, options.seed * 1000 + i, results[i], why)) {
        std::lock_guard<std::mutex> lock(failure);
        failed = files[i] + ": " + why;
      }
    }
  };
  std::thread helper(work);
  work();
  helper.join();
  if (!failed.empty()) {
    std::cerr << "vireo-recognition: " << failed << "\n";
    return 1;
  }
  PrintTable(results, options.lirc, std::cout);
  // Remotes the engine cannot start a packet on are one line; the weakest
  // of the others, with what the learner said of them, are the ones to read.
  std::vector<const RemoteResult*> worst;
  int unstartable = 0, unstartablePresses = 0;
  for (const RemoteResult& r : results) {
    if (r.unstartable) {
      ++unstartable;
      unstartablePresses += r.tally.presses;
    } else if (r.tally.right[0] < r.tally.presses) {
      worst.push_back(&r);
    }
  }
  std::sort(worst.begin(), worst.end(), [](auto* a, auto* b) {
    return a->tally.right[0] * b->tally.presses < b->tally.right[0] * a->tally.presses;
  });
  std::cout << "\n"
            << unstartable << " remotes (" << unstartablePresses
            << " presses) have buttons with no burst on which a packet can start.\n";
  if (!worst.empty())
    std::cout << "Vireo's weakest other remotes (right/presses; the learner's report):\n";
  for (std::size_t i = 0; i < worst.size() && i < 10; ++i) {
    std::cout << "  " << worst[i]->tally.right[0] << "/" << worst[i]->tally.presses << " "
              << worst[i]->path << (worst[i]->note.empty() ? "" : ": ")
              << worst[i]->note.substr(0, 160) << "\n";
  }
  if (!options.csvPath.empty() &&
      !vireo::replay::WriteWholeFile(options.csvPath, CsvText(results), error)) {
    std::cerr << "vireo-recognition: " << error << "\n";
    return 2;
  }
  return 0;
}
