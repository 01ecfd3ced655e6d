// vireo-replay: learn codes and try a VIREO.INI without a receiver, by
// replaying a recorded handset through the real capture engine.
#include <iostream>
#include <string>
#include <vector>

#include "Replay.h"
#include "ReplayOptions.h"

int main(int argc, char** argv) {
  using namespace vireo::replay;
  std::vector<std::string> args(argv + 1, argv + argc);
  Options options;
  std::string error;
  if (!ParseOptions(args, options, error)) {
    std::cerr << "vireo-replay: " << error << "\n" << kUsage;
    return 2;
  }
  if (options.help) {
    std::cout << kUsage;
    return 0;
  }
  vireo::sim::Recording recording;
  if (!LoadRecording(options, recording, error)) {
    std::cerr << "vireo-replay: " << error << "\n";
    return 2;
  }
  return RunReplay(options, recording, std::cout);
}
