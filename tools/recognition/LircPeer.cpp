#include "LircPeer.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vireo::recognition {
namespace {

// LIRC keeps a duration in 24 bits (16.7 s); anything longer is idle line anyway.
constexpr std::int64_t kLongestUs = 10'000'000;
// Silence after each press and after each marker, on top of the gap.
constexpr std::int64_t kSilenceUs = 1'000'000;
// Sent after every press so that the decodes can be cut by press: marks
// longer than any handset's (theirs end at some 70 ms), in a pattern a stuck
// receiver does not make either. No longer than that, as irsimreceive idles
// for about twice the longest mark among the codes on every run.
const std::vector<std::int64_t> kMarker = {100'000, 20'000, 50'000, 20'000, 100'000};
const char kMarkerName[] = "end";
const char kRemoteName[] = "vireo";

std::int64_t Clamped(std::int64_t us) { return std::clamp<std::int64_t>(us, 1, kLongestUs); }

// Up to the last mark, as irrecord keeps a raw frame.
std::size_t FrameLength(const std::vector<std::int64_t>& rawUs) {
  return rawUs.size() % 2 == 0 && !rawUs.empty() ? rawUs.size() - 1 : rawUs.size();
}

// irrecord writes as gap the silence it measured between frames, longer than
// any space inside a frame; we have only the frames, so we take the smallest
// gap that keeps them whole. LIRC takes a raw code as ended when the space
// after it is at least the gap less eps (70% of it). At twice the longest
// inner space, an inner space stretched by the whole 30% tolerance stays
// below that, so no button ends inside another's frame, while the longer
// silence between the frames of a held button ends each of them, which then
// decodes on its own as lircd's repeats do. A gap of 100 ms or so would fold
// a held NEC button into one decode and lose a frame followed by noise within
// 70 ms: a file with a measured gap makes LIRC stricter, not more lenient.
std::int64_t GapUs(const std::vector<LircButton>& buttons) {
  std::int64_t longest = 0;
  for (const LircButton& button : buttons) {
    const std::size_t length = FrameLength(button.rawUs);
    for (std::size_t i = 1; i < length; i += 2) longest = std::max(longest, Clamped(button.rawUs[i]));
  }
  return 2 * longest;
}

void AppendCode(std::ostringstream& out, const std::string& name,
                const std::vector<std::int64_t>& rawUs, std::size_t length) {
  out << "    name " << name << "\n";
  for (std::size_t i = 0; i < length; ++i) {
    out << (i % 8 == 0 ? "      " : " ") << Clamped(rawUs[i]) << (i % 8 == 7 ? "\n" : "");
  }
  if (length % 8 != 0) out << "\n";
}

// irsimreceive's input: pulse and space lines. It reads each line as one
// duration, so neighbours of one kind are joined here (a zero-length mark
// between two spaces leaves one long space, as the receiver would have seen).
class Mode2Writer {
 public:
  void Add(bool mark, std::int64_t us) {
    if (us <= 0) return;
    if (pendingUs_ > 0 && mark != pendingMark_) Flush();
    pendingMark_ = mark;
    pendingUs_ += us;
  }
  std::string Text() {
    Flush();
    return out_.str();
  }

 private:
  void Flush() {
    if (pendingUs_ > 0) out_ << (pendingMark_ ? "pulse " : "space ") << Clamped(pendingUs_) << "\n";
    pendingUs_ = 0;
  }
  std::ostringstream out_;
  bool pendingMark_ = false;
  std::int64_t pendingUs_ = 0;
};

std::string Mode2(const std::vector<PressUs>& presses, std::int64_t gapUs) {
  Mode2Writer writer;
  // irsimreceive loses the first frame of a file that opens on a pulse.
  writer.Add(false, kSilenceUs + gapUs);
  for (const PressUs& press : presses) {
    for (std::size_t i = 0; i < press.size(); ++i) writer.Add(i % 2 == 0, press[i]);
    writer.Add(false, kSilenceUs + gapUs);
    for (std::size_t i = 0; i < kMarker.size(); ++i) writer.Add(i % 2 == 0, kMarker[i]);
    writer.Add(false, kSilenceUs + gapUs);
  }
  return writer.Text();
}

bool WriteFile(const std::filesystem::path& path, const std::string& text, std::string& error) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (file) return true;
  error = "cannot write '" + path.string() + "'";
  return false;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// What irsimreceive said about a failure: it prints little, but logs its
// errors (a bad configuration, for one) into its log file.
std::string Complaints(const std::filesystem::path& dir) {
  std::string said = ReadFile(dir / "stderr.txt");
  std::istringstream log(ReadFile(dir / "irsimreceive.log"));
  for (std::string line; std::getline(log, line);) {
    const std::size_t at = line.find("Error: ");
    if (at != std::string::npos) said += line.substr(at + 7) + "; ";
  }
  return said.empty() ? "nothing said" : said;
}

// Output lines are "<code> <repeat> <button> <remote>".
bool ParseDecodes(const std::string& output, std::size_t pressCount,
                  std::vector<std::vector<int>>& decoded, std::string& error) {
  decoded.assign(pressCount, {});
  std::size_t markers = 0;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string code, repeat, name, remote;
    if (!(fields >> code >> repeat >> name >> remote) || remote != kRemoteName) {
      error = "unexpected line from irsimreceive: '" + line + "'";
      return false;
    }
    if (name == kMarkerName) {
      ++markers;
      continue;
    }
    int index = -1;
    const char* end = name.data() + name.size();
    if (name.size() < 2 || name[0] != 'b' ||
        std::from_chars(name.data() + 1, end, index).ptr != end || index < 0) {
      error = "unexpected button from irsimreceive: '" + line + "'";
      return false;
    }
    if (markers >= pressCount) {
      error = "irsimreceive decoded '" + name + "' after the last press";
      return false;
    }
    decoded[markers].push_back(index);
  }
  if (markers != pressCount) {
    error = "irsimreceive saw " + std::to_string(markers) + " of the " +
            std::to_string(pressCount) + " markers between presses";
    return false;
  }
  return true;
}

}  // namespace

std::vector<std::int64_t> FirstFrame(const std::vector<std::int64_t>& capture, std::int64_t gapUs) {
  std::size_t end = 1;
  while (end < capture.size() && capture[end] < gapUs) end += 2;
  end = std::min(end, capture.size());
  std::vector<std::int64_t> frame(capture.begin(), capture.begin() + end);
  frame.resize(FrameLength(frame));
  return frame;
}

std::string LircdConf(const std::vector<LircButton>& buttons) {
  std::ostringstream out;
  out << "begin remote\n"
      << "  name " << kRemoteName << "\n"
      << "  flags RAW_CODES\n"
      << "  eps 30\n"
      << "  aeps 100\n"
      << "  gap " << GapUs(buttons) << "\n"
      << "  begin raw_codes\n";
  // The marker first: where a button's code matched it too, LIRC takes the first.
  AppendCode(out, kMarkerName, kMarker, kMarker.size());
  for (std::size_t k = 0; k < buttons.size(); ++k) {
    const std::size_t length = FrameLength(buttons[k].rawUs);
    if (length > 0) AppendCode(out, "b" + std::to_string(k), buttons[k].rawUs, length);
  }
  out << "  end raw_codes\n"
      << "end remote\n";
  return out.str();
}

bool DecodeWithLirc(const std::vector<LircButton>& buttons, const std::vector<PressUs>& presses,
                    const std::string& workDir, std::vector<std::vector<int>>& decoded,
                    std::string& error) {
  decoded.clear();
  static std::atomic<int> runs{0};
  const std::filesystem::path dir = std::filesystem::path(workDir) /
                                    ("lirc-" + std::to_string(::getpid()) + "-" +
                                     std::to_string(runs++));
  std::error_code code;
  std::filesystem::remove_all(dir, code);
  if (!std::filesystem::create_directories(dir, code)) {
    error = "cannot make the folder '" + dir.string() + "'";
    return false;
  }
  const std::filesystem::path conf = dir / "lircd.conf";
  const std::filesystem::path data = dir / "presses.mode2";
  if (!WriteFile(conf, LircdConf(buttons), error) ||
      !WriteFile(data, Mode2(presses, GapUs(buttons)), error)) {
    return false;
  }
  // Run in the folder, with short names: irsimreceive refuses a data file
  // path of some 64 characters or more, cuts its log file's name when
  // $XDG_CACHE_HOME is long, and leaves a dummy.out behind. Its log goes
  // here rather than into the user's cache.
  const std::string command = "cd " + ShellQuoted(dir.string()) +
                              " && XDG_CACHE_HOME=. irsimreceive " + conf.filename().string() +
                              " " + data.filename().string() + " 2>stderr.txt";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    error = "cannot start irsimreceive";
    return false;
  }
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  const int status = ::pclose(pipe);
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) == 127) {
    error = "irsimreceive did not run (Debian package lirc): " + Complaints(dir);
    return false;
  }
  if (WEXITSTATUS(status) != 0) {
    error = "irsimreceive failed with status " + std::to_string(WEXITSTATUS(status)) + ": " +
            Complaints(dir) + " (files in " + dir.string() + ")";
    return false;
  }
  if (!ParseDecodes(output, presses.size(), decoded, error)) {
    error += " (files in " + dir.string() + ")";
    decoded.clear();
    return false;
  }
  std::filesystem::remove_all(dir, code);
  return true;
}

}  // namespace vireo::recognition
