#pragma once
// A small parser for the tool's "--option value" style arguments.

#include <optional>
#include <string>
#include <vector>

namespace mosaic::tool {

// Walks the arguments of one command. Options may be given as "--name value" or "--name=value".
class Arguments {
 public:
  explicit Arguments(std::vector<std::string> args);

  // True when arguments remain.
  bool more() const { return pos_ < args_.size(); }
  // The next argument, unconsumed.
  const std::string& peek() const { return args_[pos_]; }
  // Consumes and returns the next argument.
  std::string next();
  // If the next argument is option `name` (e.g. "--frames"), consumes it and returns its value.
  // When it is the option but no value follows, sets `missingValue` (never clears it) and leaves
  // the option unconsumed, so that a chain of option() calls ends with peek() naming it.
  std::optional<std::string> option(const std::string& name, bool& missingValue);
  // If the next argument is the flag `name`, consumes it.
  bool flag(const std::string& name);
  // Ends every command's chain of options, for the next argument when no option took it. Returns
  // the usage error to report when it is an option whose value is missing (`missingValue`), an
  // unknown option, an empty name, "-" (no command reads standard input) or a second input;
  // otherwise consumes it as `input`. A command without inputs passes nullptr.
  std::optional<std::string> takeInput(bool missingValue, std::string* input);

 private:
  std::vector<std::string> args_;
  std::size_t pos_ = 0;
};

// Parses a whole decimal integer; nullopt when the text is not one.
std::optional<long long> parseInteger(const std::string& text);
// Parses a decimal number; nullopt when the text is not one (or is not finite).
std::optional<double> parseNumber(const std::string& text);

}  // namespace mosaic::tool
