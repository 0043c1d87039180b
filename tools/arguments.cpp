#include "tools/arguments.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace mosaic::tool {

Arguments::Arguments(std::vector<std::string> args) : args_(std::move(args)) {}

std::string Arguments::next() { return args_[pos_++]; }

std::optional<std::string> Arguments::option(const std::string& name, bool& missingValue) {
  if (!more()) return std::nullopt;
  const std::string& arg = args_[pos_];
  if (arg == name) {
    if (pos_ + 1 >= args_.size()) {
      // Left in place, so that the caller can name it in its message.
      missingValue = true;
      return std::nullopt;
    }
    pos_ += 2;
    return args_[pos_ - 1];
  }
  if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
      arg[name.size()] == '=') {
    ++pos_;
    return arg.substr(name.size() + 1);
  }
  return std::nullopt;
}

bool Arguments::flag(const std::string& name) {
  if (more() && args_[pos_] == name) {
    ++pos_;
    return true;
  }
  return false;
}

std::optional<std::string> Arguments::takeInput(bool missingValue, std::string* input) {
  const std::string& arg = args_[pos_];
  if (missingValue) return arg + " needs a value";
  if (arg == "-") return "standard input cannot be read; name a file (./- for a file called -)";
  if (!arg.empty() && arg[0] == '-') return "unknown option " + arg;
  if (arg.empty()) return std::string("an input path must not be empty");
  if (!input) return "unexpected argument " + arg;
  if (!input->empty()) return "more than one input: " + arg;
  *input = next();
  return std::nullopt;
}

std::optional<long long> parseInteger(const std::string& text) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end != text.c_str() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> parseNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace mosaic::tool
