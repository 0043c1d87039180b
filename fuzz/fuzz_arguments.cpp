// Any argument list for the tool's commands (one command picked by the first byte, the rest
// split at zero bytes). The fuzzer runs in an empty folder of its own and no argument names a
// path elsewhere, so every input names a file that does not exist and nothing is written.

#include "tools/command.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char folder[] = "/tmp/mosaic-fuzz-arguments-XXXXXX";
  if (!::mkdtemp(folder) || ::chdir(folder) != 0) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const char* const kCommands[] = {"encode", "channel", "decode", "play"};
  const mosaic::tool::Command& command = mosaic::tool::commandNamed(kCommands[data[0] % 4]);
  std::vector<std::string> args(1);
  for (std::size_t i = 1; i < size && args.size() <= 24; ++i) {
    if (data[i] == 0)
      args.emplace_back();
    else
      args.back() += static_cast<char>(data[i]);
  }
  for (const auto& arg : args)
    if (arg.find('/') != std::string::npos || arg == "." || arg == "..") return 0;
  const int status = command.run(args);
  // Nothing here can be read, so nothing can succeed but a request for help.
  if (status != mosaic::tool::kExitFailure && status != mosaic::tool::kExitUsage &&
      status != mosaic::tool::kExitOk)
    __builtin_trap();
  return 0;
}
