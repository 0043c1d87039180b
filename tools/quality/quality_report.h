#pragma once
// The quality page: quality.md with a table per channel, the plots and the picture strips.

#include "tools/quality/sweep_runner.h"

#include <string>

namespace mosaic::tool {

// Writes DIR/quality.md, DIR/quality-*.png; false with a message when a file cannot be written.
bool writeQualityReport(const SweepResult& result, const std::string& dir, std::string& error);

// The headline for people: per channel, the SNR down to which the picture is usable.
std::string headlineText(const SweepResult& result);

}  // namespace mosaic::tool
