#include "config/IniLineReader.h"

#include <cstring>

namespace vireo {

namespace {
constexpr int kEnd = -1;
constexpr int kNone = -2;
constexpr int kCtrlZ = 0x1A;  // a text-mode read on Windows ends the data here
}  // namespace

bool IniLineReader::Fill() {
  if (ended_) return false;
  len_ = std::fread(buffer_, 1, sizeof buffer_, file_);
  pos_ = 0;
  if (len_ == 0) {
    if (std::ferror(file_)) readError_ = true;
    ended_ = true;
    return false;
  }
  return true;
}

int IniLineReader::RawByte() {
  if (pos_ == len_ && !Fill()) return kEnd;
  return buffer_[pos_++];
}

int IniLineReader::Get() {
  if (pending_ != kNone) {
    int c = pending_;
    pending_ = kNone;
    return c;
  }
  if (ended_ && pos_ == len_) return kEnd;
  int c = RawByte();
  if (c == kCtrlZ) {
    ended_ = true;
    pos_ = len_;
    return kEnd;
  }
  if (c != '\r') return c;
  // CR LF reads as LF; any other CR stays.
  int next = RawByte();
  if (next == '\n') return '\n';
  if (next != kEnd) --pos_;  // the byte just read is still in the buffer
  return '\r';
}

int IniLineReader::Peek() {
  if (pending_ == kNone) pending_ = Get();
  return pending_;
}

bool IniLineReader::Next(std::string& line) {
  line.clear();
  if (Peek() == kEnd) return false;
  std::size_t count = 0;
  bool stop = false;
  while (!stop && count < kMaxLine) {
    int c = Get();
    if (c == kEnd) {
      // A read error inside a line leaves the stream bad: that line is lost.
      if (readError_) return false;
      break;
    }
    if (c == '\n') {
      stop = true;
      break;
    }
    line.push_back(static_cast<char>(c));
    ++count;
  }
  // A full buffer followed directly by the line end consumes that line end.
  if (!stop && count == kMaxLine && Peek() == '\n') Get();
  std::size_t nul = line.find('\0');
  if (nul != std::string::npos) line.resize(nul);
  return true;
}

}  // namespace vireo
