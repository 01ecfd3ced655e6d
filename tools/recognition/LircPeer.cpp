#include "LircPeer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "OutputFile.h"

namespace vireo::recognition {
namespace {

// LIRC keeps a duration in 24 bits (16.7 s); anything longer is idle line anyway.
constexpr std::int64_t kLongestUs = 10'000'000;
// Silence after each press and after each marker, on top of the gap.
constexpr std::int64_t kSilenceUs = 1'000'000;
// Sent after every press so that the decodes can be cut by press: marks
// longer than any handset's (theirs end at some 70 ms), in a pattern a stuck
// receiver does not make either. The closing code, after the last marker,
// tells that irsimreceive has read everything. No longer marks than these:
// irsimreceive idles for twice a code's longest mark on its way out.
const std::vector<std::int64_t> kMarker = {100'000, 20'000, 50'000, 20'000, 100'000};
const std::vector<std::int64_t> kClosing = {50'000, 20'000, 100'000, 20'000, 50'000};
const char kMarkerName[] = "end";
const char kClosingName[] = "eof";
const char kRemoteName[] = "vireo";
const char kConfFile[] = "lircd.conf";
const char kDataFile[] = "presses.mode2";

std::int64_t Clamped(std::int64_t us) { return std::clamp<std::int64_t>(us, 1, kLongestUs); }

// Up to the last mark, as irrecord keeps a raw frame.
std::size_t FrameLength(const std::vector<std::int64_t>& rawUs) {
  return rawUs.size() % 2 == 0 && !rawUs.empty() ? rawUs.size() - 1 : rawUs.size();
}

// irrecord writes as gap the silence it measured between frames, longer than
// any space inside one; having only the frames, we take the smallest gap that
// keeps them whole. LIRC ends a raw code at a space of at least 70% of the gap
// (gap less eps). At twice the longest inner space, an inner space stretched
// by the whole 30% tolerance stays below that, so no button ends inside
// another's frame, while the longer silence between the frames of a held
// button ends each one, which then decodes on its own, as lircd's repeats do.
// A gap of 100 ms or so would fold a held NEC button into one decode and lose
// a frame followed by noise within 70 ms: a measured gap can only make LIRC
// stricter than this, never more lenient.
std::int64_t GapUs(const std::vector<LircButton>& buttons) {
  std::int64_t longest = 0;
  for (const LircButton& button : buttons) {
    const std::size_t length = FrameLength(button.rawUs);
    for (std::size_t i = 1; i < length; i += 2)
      longest = std::max(longest, Clamped(button.rawUs[i]));
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
  for (std::size_t i = 0; i < kClosing.size(); ++i) writer.Add(i % 2 == 0, kClosing[i]);
  writer.Add(false, kSilenceUs + gapUs);
  return writer.Text();
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
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
std::string ButtonOf(const std::string& line) {
  std::istringstream fields(line);
  std::string code, repeat, name, remote;
  return fields >> code >> repeat >> name >> remote && remote == kRemoteName ? name : "";
}

// Runs irsimreceive in dir (a data file's path of some 64 characters or more
// it refuses; it leaves a dummy.out behind) and reads its output up to the
// closing code. Then it is stopped: on its way out it sleeps 0.1 s or more
// per code of the configuration, most of a run for a handset of many buttons.
bool RunLirc(const std::filesystem::path& dir, std::string& output, std::string& error) {
  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0) {
    error = "cannot make a pipe";
    return false;
  }
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  ::posix_spawn_file_actions_addopen(&actions, 2, "stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ::posix_spawn_file_actions_adddup2(&actions, pipe[1], 1);
  // Its log goes to $XDG_CACHE_HOME: here rather than into the user's cache.
  std::vector<std::string> environment = {"XDG_CACHE_HOME=."};
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "XDG_CACHE_HOME=", 15) != 0) environment.emplace_back(*entry);
  }
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string program = "irsimreceive", conf = kConfFile, data = kDataFile;
  char* argv[] = {program.data(), conf.data(), data.data(), nullptr};
  pid_t pid = 0;
  const int failed = ::posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(pipe[1]);
  if (failed != 0) {
    ::close(pipe[0]);
    error =
        std::string("cannot start irsimreceive (Debian package lirc): ") + std::strerror(failed);
    return false;
  }
  bool closed = false;
  char buffer[4096];
  for (std::size_t scanned = 0; !closed;) {
    const ssize_t n = ::read(pipe[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    output.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t end; !closed && (end = output.find('\n', scanned)) != std::string::npos;
         scanned = end + 1) {
      closed = ButtonOf(output.substr(scanned, end - scanned)) == kClosingName;
    }
  }
  if (closed) ::kill(pid, SIGTERM);
  ::close(pipe[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (closed) return true;
  if (!WIFEXITED(status)) {
    error = "irsimreceive died of signal " + std::to_string(WTERMSIG(status));
  } else if (WEXITSTATUS(status) != 0) {
    error = "irsimreceive failed with status " + std::to_string(WEXITSTATUS(status)) + ": " +
            Complaints(dir);
  } else {
    error = "irsimreceive ended before the last press";
  }
  return false;
}

bool ParseDecodes(const std::string& output, std::size_t pressCount,
                  std::vector<std::vector<int>>& decoded, std::string& error) {
  decoded.assign(pressCount, {});
  std::size_t markers = 0;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    const std::string name = ButtonOf(line);
    if (name == kClosingName) break;
    if (name == kMarkerName) {
      ++markers;
      continue;
    }
    int index = -1;
    const char* end = name.data() + name.size();
    if (name.size() < 2 || name[0] != 'b' ||
        std::from_chars(name.data() + 1, end, index).ptr != end || index < 0) {
      error = "unexpected line from irsimreceive: '" + line + "'";
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
  // Ours first: where a button's code matched one of them too, LIRC takes the first.
  AppendCode(out, kMarkerName, kMarker, kMarker.size());
  AppendCode(out, kClosingName, kClosing, kClosing.size());
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
  const std::filesystem::path dir =
      std::filesystem::path(workDir) /
      ("lirc-" + std::to_string(::getpid()) + "-" + std::to_string(runs++));
  std::error_code code;
  std::filesystem::remove_all(dir, code);
  if (!std::filesystem::create_directories(dir, code)) {
    error = "cannot make the folder '" + dir.string() + "'";
    return false;
  }
  std::string output;
  if (!replay::WriteWholeFile((dir / kConfFile).string(), LircdConf(buttons), error) ||
      !replay::WriteWholeFile((dir / kDataFile).string(), Mode2(presses, GapUs(buttons)), error) ||
      !RunLirc(dir, output, error) || !ParseDecodes(output, presses.size(), decoded, error)) {
    error += " (files in " + dir.string() + ")";
    decoded.clear();
    return false;
  }
  std::filesystem::remove_all(dir, code);
  return true;
}

}  // namespace vireo::recognition
