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
// The strip of single-frame pictures, or of pictures combined over the receiver's default number
// of frames.
std::string stripFileName(const SweepChannel& channel, bool combined = false);
inline const char* const kSentPicturesFile = "quality-sent.png";
inline const char* const kCombinedPlotFile = "quality-luma-combined.png";

// Whether the sweep decoded `channel` combining the repeated frames too.
bool decodedCombining(const SweepResult& result, std::size_t channel);

// The channels of one plot: "fading" (no mistuning, no clock error) or "tuning" (white noise and
// the mistuned and clock-shifted channels).
std::vector<std::size_t> channelsOfGroup(const SweepPlan& plan, const std::string& group);
inline const char* const kPlotGroups[] = {"fading", "tuning"};

// Writes the plots, one strip per channel (two where it was decoded combining) and the sent
// pictures into `dir`.
bool writeQualityFigures(const SweepResult& result, const std::string& dir, std::string& error);

}  // namespace mosaic::tool
