#pragma once
// The command line of the windowed programs: --help and --version are answered on standard
// output, and anything else but --defaults is refused, before any window is built or any sound
// or serial device opened (a transmitter that went on the air only to print its version would
// key the transceiver).

#include <cstdio>
#include <cstring>
#include <optional>

namespace mosaic {

inline constexpr const char* kDefaultsOption = "--defaults";

// The exit status when the program is to end at once; nullopt when it is to start.
inline std::optional<int> answerProgramArguments(int argc, char** argv, const char* name,
                                                 const char* summary, const char* version) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      std::printf(
          "usage: %s [--defaults] [--help] [--version]\n\n%s\n\n"
          "The settings are remembered from one run to the next. With --defaults the program\n"
          "starts as on its first start, and the remembered settings are neither used nor\n"
          "changed by that run.\n",
          name, summary);
      return 0;
    }
    if (std::strcmp(arg, "--version") == 0) {
      std::printf("%s %s\n", name, version);
      return 0;
    }
  }
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], kDefaultsOption) == 0) continue;
    std::fprintf(stderr, "%s: unknown argument %s\nusage: %s [--defaults] [--help] [--version]\n",
                 name, argv[i], name);
    return 2;
  }
  return std::nullopt;
}

// Whether this run is to ignore the remembered settings.
inline bool startsWithDefaults(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], kDefaultsOption) == 0) return true;
  return false;
}

}  // namespace mosaic
