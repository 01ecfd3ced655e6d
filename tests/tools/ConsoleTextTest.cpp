#include <gtest/gtest.h>

#include <sstream>

#include "ConsoleText.h"
#include "text/Cp1251.h"

namespace vireo {
namespace {

using console::ConsoleText;
using console::Redirected;

class FakeConsole : public console::Console {
 public:
  explicit FakeConsole(std::u16string& written) : written_(written) {}
  void Write(const std::u16string& text) override { written_ += text + u"|"; }

 private:
  std::u16string& written_;
};

// Writes the parts, then flushes; returns what reached the console, each
// call ended by "|", or else the redirected bytes.
std::string Through(const std::vector<std::string>& parts, bool console, Redirected form,
                    std::u16string& written) {
  std::ostringstream bytes;
  {
    ConsoleText text(console ? std::make_unique<FakeConsole>(written) : nullptr, bytes, form);
    std::ostream out(&text);
    for (const std::string& part : parts) out << part;
  }
  return bytes.str();
}

TEST(ConsoleText, AConsoleGetsWholeLinesInUtf16AndARedirectionTheBytesAsBefore) {
  const std::vector<std::string> parts = {"Тред ", "запущен\r\n(6", ")\nБлокнот"};
  std::u16string written;
  EXPECT_EQ(Through(parts, false, Redirected::kBytes, written), "Тред запущен\r\n(6)\nБлокнот");
  EXPECT_EQ(Through(parts, false, Redirected::kUtf8, written),
            Cp1251ToUtf8("Тред запущен\r\n(6)\nБлокнот"));
  EXPECT_TRUE(written.empty());
  for (Redirected form : {Redirected::kBytes, Redirected::kUtf8}) {
    written.clear();
    EXPECT_EQ(Through(parts, true, form, written), "");
    EXPECT_EQ(written, u"Тред запущен\r\n|(6)\n|Блокнот|");
  }
}

}  // namespace
}  // namespace vireo
