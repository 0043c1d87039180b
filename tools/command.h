#pragma once
// The commands of the `mosaic` tool and the conventions they share: a usage error exits 2,
// unreadable or invalid input exits 1 with a clear message, success exits 0.

#include <string>
#include <vector>

namespace mosaic::tool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// A command takes the arguments after its own name and returns the process exit status.
using CommandFn = int (*)(const std::vector<std::string>& args);

struct Command {
  const char* name;
  const char* usage;    // one line, without the program name
  const char* summary;  // one line for the command list
  CommandFn run;
};

// All commands, in the order the help lists them.
const std::vector<Command>& commands();
// The command called `name` (one of the table's).
const Command& commandNamed(const std::string& name);

// Prints "mosaic: <message>" and the command's usage line to standard error; returns kExitUsage.
int usageError(const Command& command, const std::string& message);

// Prints "mosaic: <message>" to standard error; returns kExitFailure.
int failure(const std::string& message);

// True when the arguments ask for help ("--help" or "-h" anywhere).
bool helpRequested(const std::vector<std::string>& args);
// Prints the command's usage, summary and `details` to standard output; returns kExitOk.
int showHelp(const Command& command, const char* details = "");

}  // namespace mosaic::tool
