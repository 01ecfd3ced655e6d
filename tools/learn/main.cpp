// vireo-learn: writes a VIREO.INI for a handset from recordings of its
// buttons, with the capture settings it needs and a Value per button.
#include <filesystem>
#include <iostream>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif
#include <string>
#include <vector>

#include "ConsoleText.h"
#include "OutputFile.h"
#include "PictureRecorder.h"
#include "ReplayOptions.h"
#include "SvgPicture.h"
#include "learn/ButtonSignals.h"
#include "learn/EngineRun.h"
#include "learn/Learner.h"

namespace {

constexpr char kUsage[] =
    "usage: vireo-learn [options] RECORDING...\n"
    "  RECORDING        Flipper .ir file (named raw buttons) or LIRC mode2 file\n"
    "                   (one button, named after the file)\n"
    "  --out FILE       write VIREO.INI there instead of standard output\n"
    "  --svg DIR        draw one picture per button into DIR\n"
    "  --bind-power     bind a button named Power to POWER_OFF\n"
    "  --presses N      distorted presses per button for learning (default 24)\n"
    "  --seed N         seed of the distortions (default 1)\n"
    "  --stretch US     the most a receiver lengthens a burst (default 150)\n"
    "The report (collisions, buttons that cannot be read, the expected\n"
    "recognition rate) goes to standard error, in Russian.\n";

std::string FileName(const std::string& name) {
  std::string out;
  for (char c : name) {
    out += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') ? c : '_';
  }
  return out.empty() ? "button" : out;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vireo::learn;
  std::vector<std::string> paths;
  std::string out, svgDir;
  LearnOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    std::int64_t number = 0;
    if (arg == "--help") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--bind-power") {
      options.bindPower = true;
    } else if (arg == "--out" && hasValue) {
      out = argv[++i];
    } else if (arg == "--svg" && hasValue) {
      svgDir = argv[++i];
    } else if (arg == "--presses" && hasValue &&
               vireo::replay::ParseNumber(argv[++i], 2, 1000, number)) {
      options.presses = static_cast<int>(number);
    } else if (arg == "--stretch" && hasValue &&
               vireo::replay::ParseNumber(argv[++i], 0, 1000, number)) {
      options.maxStretchUs = number;
    } else if (arg == "--seed" && hasValue &&
               vireo::replay::ParseNumber(argv[++i], 0, 2147483647, number)) {
      options.seed = static_cast<std::uint64_t>(number);
    } else if (arg.rfind("--", 0) == 0) {
      std::cerr << "vireo-learn: bad option '" << arg << "'\n" << kUsage;
      return 2;
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.empty()) {
    std::cerr << "vireo-learn: no recording given\n" << kUsage;
    return 2;
  }
  std::vector<ButtonSignal> buttons;
  std::string error;
  LearnResult result;
  if (!ReadButtonSignals(paths, buttons, error) || !Learn(buttons, options, result, error)) {
    std::cerr << "vireo-learn: " << error << "\n";
    return 2;
  }
  using namespace vireo::console;
  const std::string ini = IniText(result);
  if (out.empty()) {
#ifdef _WIN32
    // The text already ends its lines with CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    ConsoleText text(OpenConsole(StdStream::kOutput), std::cout, Redirected::kBytes);
    std::ostream(&text) << ini;
  } else if (!vireo::replay::WriteWholeFile(out, ini, error)) {
    std::cerr << "vireo-learn: " << error << "\n";
    return 2;
  }
  if (!svgDir.empty()) {
    // Each button's first capture replayed once, undistorted, with the view
    // attached, under the learned settings and Values.
    std::error_code made;
    std::filesystem::create_directories(svgDir, made);
    EngineRunner runner(ini);
    for (const ButtonSignal& button : buttons) {
      vireo::replay::Picture picture;
      runner.Run(
          button.captures.front(), Distortion{}, false,
          [&picture](const vireo::FramePair& frames, const vireo::CaptureSettings& settings) {
            return std::make_unique<vireo::replay::PictureRecorder>(frames, settings, picture);
          });
      const std::string path =
          (std::filesystem::path(svgDir) / (FileName(button.name) + ".svg")).string();
      if (!vireo::replay::WriteWholeFile(path, vireo::replay::SvgPicture(picture), error)) {
        std::cerr << "vireo-learn: " << error << "\n";
        return 2;
      }
    }
  }
  ConsoleText report(OpenConsole(StdStream::kError), std::cerr, Redirected::kUtf8);
  std::ostream reportStream(&report);
  for (const ReportLine& line : result.report) reportStream << line.text << "\n";
  return 0;
}
