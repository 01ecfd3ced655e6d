// Feeds arbitrary bytes to the configuration reader as a file, twice (the
// second load merges), and looks up what a worker and the dispatcher ask for.
#include <cstdint>
#include <cstdio>
#include <string>

#include "config/ConfigFile.h"
#include "config/IniLineReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vireo::ConfigFile config;
  for (int pass = 0; pass < 2; ++pass) {
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!file) return 0;
    vireo::IniLineReader reader(file);
    config.LoadLines(reader);
    std::fclose(file);
  }
  static const char* kKeys[] = {"Port", "BUFFER_SIZE", "Value", "Action", "", "x"};
  for (const std::string& section : config.SectionNames()) {
    for (const char* key : kKeys) {
      (void)config.GetInt(section, key);
      (void)config.GetString(section, key);
    }
  }
  (void)config.GetString("COMMAND1", "Value");
  return 0;
}
