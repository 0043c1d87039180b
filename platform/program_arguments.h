#pragma once
// The command line of the windowed programs: --help and --version are answered on standard
// output, and anything else but --defaults and, for a program that opens one, a file is refused,
// before any window is built or any sound or serial device opened (a transmitter that went on
// the air only to print its version would key the transceiver).

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace mosaic {

inline constexpr const char* kDefaultsOption = "--defaults";

// The file a program opens when its command line names one: how the usage line calls it and
// what it is for.
struct FileOperand {
  const char* name;
  const char* help;
};

namespace program_arguments_detail {

// Whether argv[i] is an option; every argument after "--" is a file.
inline bool isOption(int argc, char** argv, int i) {
  for (int j = 1; j < i && j < argc; ++j)
    if (std::strcmp(argv[j], "--") == 0) return false;
  return argv[i][0] == '-' && argv[i][1] != '\0';
}

inline void printUsage(std::FILE* to, const char* name, const FileOperand* file) {
  if (file)
    std::fprintf(to, "usage: %s [--defaults] [--help] [--version] [%s]\n", name, file->name);
  else
    std::fprintf(to, "usage: %s [--defaults] [--help] [--version]\n", name);
}

}  // namespace program_arguments_detail

// The exit status when the program is to end at once; nullopt when it is to start. A program
// that opens a file given on its command line passes `file`; the others refuse any.
inline std::optional<int> answerProgramArguments(int argc, char** argv, const char* name,
                                                 const char* summary, const char* version,
                                                 const FileOperand* file = nullptr) {
  using namespace program_arguments_detail;
  for (int i = 1; i < argc; ++i) {
    if (!isOption(argc, argv, i)) continue;
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      printUsage(stdout, name, file);
      std::printf("\n%s\n", summary);
      if (file) std::printf("\n%s\n", file->help);
      std::printf(
          "\nThe settings are remembered from one run to the next. With --defaults the program\n"
          "starts as on its first start, and the remembered settings are neither used nor\n"
          "changed by that run.\n");
      return 0;
    }
    if (std::strcmp(arg, "--version") == 0) {
      std::printf("%s %s\n", name, version);
      return 0;
    }
  }
  int files = 0;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, kDefaultsOption) == 0 || std::strcmp(arg, "--") == 0) continue;
    const bool option = isOption(argc, argv, i);
    if (!option && file && ++files == 1) continue;
    if (!option && file)
      std::fprintf(stderr, "%s: more than one %s: %s\n", name, file->name, arg);
    else
      std::fprintf(stderr, "%s: unknown argument %s\n", name, arg);
    printUsage(stderr, name, file);
    return 2;
  }
  return std::nullopt;
}

// Whether this run is to ignore the remembered settings.
inline bool startsWithDefaults(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (program_arguments_detail::isOption(argc, argv, i) &&
        std::strcmp(argv[i], kDefaultsOption) == 0)
      return true;
  return false;
}

// The file named on the command line, if any (after answerProgramArguments let it start).
inline std::optional<std::string> fileArgument(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (!program_arguments_detail::isOption(argc, argv, i) && std::strcmp(argv[i], "--") != 0)
      return std::string(argv[i]);
  return std::nullopt;
}

}  // namespace mosaic
