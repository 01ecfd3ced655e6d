// The recognition benchmark: for each remote of a folder of Flipper .ir
// files, learn it with vireo-learn's learner, replay distorted presses of
// every button through the real engine with the learned VIREO.INI, the same
// presses through LIRC's irsimreceive, and through the engine again as the
// USB board would bring them; count right, wrong and none.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace vireo::recognition {

struct BenchOptions {
  std::vector<std::string> folders;
  int presses = 10;  // per button
  int every = 1;     // take every n-th remote, in path order
  std::uint64_t seed = 7;
  std::int64_t maxStretchUs = 150;
  bool lirc = true;
  std::string csvPath;
  std::string workDir = "/tmp";
};

struct Tally {
  // [0] Vireo on the CTS receiver, [1] LIRC, [2] Vireo on the USB board
  int remotes = 0, presses = 0;
  int right[3] = {}, wrong[3] = {}, none[3] = {};
  void Add(const Tally& other);
};

struct RemoteResult {
  std::string path, category;
  Tally tally;
  std::string note;          // why Vireo lost presses, from the learner's report
  bool unstartable = false;  // a button has no burst on which a packet can start
};

// Every remote in the options' folders, in path order (every n-th of them).
std::vector<std::string> RemoteFiles(const BenchOptions& options, std::string& error);

// Learns and replays one remote. False with a message when LIRC fails.
bool RunRemote(const std::string& path, const BenchOptions& options, std::uint64_t remoteSeed,
               RemoteResult& result, std::string& error);

// The table per category and in total, and the CSV of it.
void PrintTable(const std::vector<RemoteResult>& results, bool lirc, std::ostream& out);
std::string CsvText(const std::vector<RemoteResult>& results);

}  // namespace vireo::recognition
