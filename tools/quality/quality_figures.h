#pragma once
// The pictures of the quality page: the plots of error against SNR and the strips of received
// pictures, written as small PNG files.

#include "tools/quality/sweep_runner.h"

#include <string>
#include <vector>

namespace mosaic::tool {

// File names (in the output folder) of what writeQualityFigures writes.
std::string plotFileName(const std::string& figure,
                         const std::string& group);  // figure: luma|colour
std::string stripFileName(const SweepChannel& channel);
inline const char* const kSentPicturesFile = "quality-sent.png";

// The channels of one plot: "fading" (no mistuning, no clock error) or "tuning" (white noise and
// the mistuned and clock-shifted channels).
std::vector<std::size_t> channelsOfGroup(const SweepPlan& plan, const std::string& group);
inline const char* const kPlotGroups[] = {"fading", "tuning"};

// Writes the plots, one strip per channel and the sent pictures into `dir`.
bool writeQualityFigures(const SweepResult& result, const std::string& dir, std::string& error);

}  // namespace mosaic::tool
