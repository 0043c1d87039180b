#pragma once
// The receiver's display settings as options of the tool, with the receiver's ranges:
// --brightness N, --contrast N, --saturation N, --noise-filter S, --hfilter, --vinterp, --large.

#include "receiver/core/picture/display_settings.h"
#include "tools/arguments.h"

#include <optional>
#include <string>

namespace mosaic::tool {

enum class OptionResult { NotMine, Taken, Invalid };

// If the next argument is a display option, takes it (with its value) into `display`. Invalid
// with `error` set when its value is out of range; `missing` as for Arguments::option.
OptionResult takeDisplayOption(Arguments& args, DisplaySettings& display, bool& missing,
                               std::string& error);

// The options' lines for a command's --help.
extern const char* const kDisplayOptionHelp;

// A whole number from `low` to `high`.
std::optional<int> integerIn(const std::string& text, int low, int high);

// The tuning that `text` gives, if the receiver's slider with `stepsPerHz` can show it.
std::optional<float> tuningOnGrid(const std::string& text, int stepsPerHz);

}  // namespace mosaic::tool
