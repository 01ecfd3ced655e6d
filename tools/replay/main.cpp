// vireo-replay: learn codes and try a VIREO.INI without a receiver, by
// replaying a recorded handset through the real capture engine.
#include <iostream>
#include <string>
#include <vector>

#include "ConsoleText.h"
#include "OutputFile.h"
#include "Replay.h"
#include "ReplayOptions.h"
#include "SvgPicture.h"

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
  if (!options.svgPath.empty()) {
    // A run of its own, printing nothing: an attached view smooths the frames
    // once more, and the printed run must stay as it is without a picture.
    Picture picture;
    std::ostream silent(nullptr);
    RunReplay(options, recording, silent, &picture);
    if (!WriteWholeFile(options.svgPath, SvgPicture(picture), error)) {
      std::cerr << "vireo-replay: " << error << "\n";
      return 2;
    }
  }
  using namespace vireo::console;
  ConsoleText text(OpenConsole(StdStream::kOutput), std::cout, Redirected::kUtf8);
  std::ostream out(&text);
  return RunReplay(options, recording, out);
}
