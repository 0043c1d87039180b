#include "tools/display_options.h"

#include "receiver/core/slider_scales.h"

namespace mosaic::tool {

const char* const kDisplayOptionHelp =
    "  --brightness N         0 .. 256 (default 0)\n"
    "  --contrast N           0 .. 256 (default 178)\n"
    "  --saturation N         0 .. 400, 200 is 100 % (default 200)\n"
    "  --noise-filter S       switch the noise filter on with strength light, medium or heavy\n"
    "                         (it starts off; without this option it stays off)\n"
    "  --hfilter              switch \"Filter horizontal pix\" on\n"
    "  --vinterp              switch \"Interpolate vertical pix\" on\n"
    "  --large                the large view (the newest buffer's picture rows, stretched)\n";

std::optional<int> integerIn(const std::string& text, int low, int high) {
  const auto value = parseInteger(text);
  if (!value || *value < low || *value > high) return std::nullopt;
  return static_cast<int>(*value);
}

std::optional<float> tuningOnGrid(const std::string& text, int stepsPerHz) {
  const auto value = parseNumber(text);
  if (!value) return std::nullopt;
  const auto position = tuningPositionOnGrid(*value, stepsPerHz);
  if (!position) return std::nullopt;
  return tuningAt(*position, stepsPerHz);
}

OptionResult takeDisplayOption(Arguments& args, DisplaySettings& display, bool& missing,
                               std::string& error) {
  struct Level {
    const char* name;
    int DisplaySettings::*field;
    int high;
  };
  static const Level levels[] = {{"--brightness", &DisplaySettings::brightness, kLevelMaximum},
                                 {"--contrast", &DisplaySettings::contrast, kLevelMaximum},
                                 {"--saturation", &DisplaySettings::saturation, kSliderMaximum}};
  for (const Level& level : levels) {
    if (auto v = args.option(level.name, missing)) {
      const auto n = integerIn(*v, 0, level.high);
      if (!n) {
        error = std::string(level.name) + " wants a whole number from 0 to " +
                std::to_string(level.high) + ", not " + *v;
        return OptionResult::Invalid;
      }
      display.*level.field = *n;
      return OptionResult::Taken;
    }
  }
  if (auto v = args.option("--noise-filter", missing)) {
    if (*v == "light") {
      display.noiseWeights = kLightNoiseFilter;
    } else if (*v == "medium") {
      display.noiseWeights = kMediumNoiseFilter;
    } else if (*v == "heavy") {
      display.noiseWeights = kHeavyNoiseFilter;
    } else {
      error = "--noise-filter wants light, medium or heavy, not " + *v;
      return OptionResult::Invalid;
    }
    display.noiseFilter = true;
    return OptionResult::Taken;
  }
  if (args.flag("--hfilter")) {
    display.horizontalFilter = true;
  } else if (args.flag("--vinterp")) {
    display.verticalInterpolation = true;
  } else if (args.flag("--large")) {
    display.screenSize = ScreenSize::Large;
  } else {
    return OptionResult::NotMine;
  }
  return OptionResult::Taken;
}

}  // namespace mosaic::tool
