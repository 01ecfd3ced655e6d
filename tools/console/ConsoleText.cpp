#include "ConsoleText.h"

#include "text/Cp1251.h"

namespace vireo::console {

ConsoleText::ConsoleText(std::unique_ptr<Console> console, std::ostream& bytes, Redirected form)
    : console_(std::move(console)), bytes_(bytes), form_(form) {}

ConsoleText::~ConsoleText() { sync(); }

ConsoleText::int_type ConsoleText::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char byte = traits_type::to_char_type(c);
  xsputn(&byte, 1);
  return c;
}

std::streamsize ConsoleText::xsputn(const char* text, std::streamsize count) {
  pending_.append(text, static_cast<std::size_t>(count));
  const std::size_t end = pending_.rfind('\n');
  if (end != std::string::npos) Send(end + 1);
  return count;
}

int ConsoleText::sync() {
  Send(pending_.size());
  bytes_.flush();
  return bytes_ ? 0 : -1;
}

void ConsoleText::Send(std::size_t length) {
  if (length == 0) return;
  const std::string part = pending_.substr(0, length);
  pending_.erase(0, length);
  if (console_) {
    console_->Write(Cp1251ToUtf16(part));
  } else {
    bytes_ << (form_ == Redirected::kUtf8 ? Cp1251ToUtf8(part) : part);
  }
}

}  // namespace vireo::console
