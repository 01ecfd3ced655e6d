// Splits a byte stream into configuration lines exactly as a Windows
// text-mode stream read with getline(buffer, 2048, LF) delivers them, on every
// platform: CR LF becomes LF, Ctrl-Z ends the data, lines hold at most 2047
// bytes and a line's text ends at its first NUL.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace vireo {

class IniLineReader {
 public:
  static constexpr std::size_t kMaxLine = 2047;

  // Reads from an open stream; the caller keeps ownership of it.
  explicit IniLineReader(std::FILE* file) : file_(file) {}

  // Next line without its LF. False once no character of a new line is left
  // (end of data, or a read error before the line began).
  bool Next(std::string& line);

  bool HadReadError() const { return readError_; }

 private:
  // Next byte after text-mode translation, or -1 at the end of data.
  int Get();
  int Peek();
  bool Fill();
  int RawByte();

  std::FILE* file_;
  unsigned char buffer_[65536];
  std::size_t pos_ = 0;
  std::size_t len_ = 0;
  int pending_ = -2;  // one translated byte read ahead by Peek; -2 when none
  bool ended_ = false;
  bool readError_ = false;
};

}  // namespace vireo
