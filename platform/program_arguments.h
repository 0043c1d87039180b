#pragma once
// The command line of the windowed programs. They take no arguments of their own: --help and
// --version are answered on standard output, and anything else is refused, before any window is
// built or any sound or serial device opened (a transmitter that went on the air only to print
// its version would key the transceiver).

#include <cstdio>
#include <cstring>
#include <optional>

namespace mosaic {

// The exit status when the program is to end at once; nullopt when it is to start.
inline std::optional<int> answerProgramArguments(int argc, char** argv, const char* name,
                                                 const char* summary, const char* version) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      std::printf("usage: %s [--help] [--version]\n\n%s\n", name, summary);
      return 0;
    }
    if (std::strcmp(arg, "--version") == 0) {
      std::printf("%s %s\n", name, version);
      return 0;
    }
  }
  if (argc > 1) {
    std::fprintf(stderr, "%s: unknown argument %s\nusage: %s [--help] [--version]\n", name, argv[1],
                 name);
    return 2;
  }
  return std::nullopt;
}

}  // namespace mosaic
