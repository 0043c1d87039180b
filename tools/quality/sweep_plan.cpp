#include "tools/quality/sweep_plan.h"

#include <cmath>
#include <cstdio>

namespace mosaic::tool {

namespace {

SweepChannel channel(std::string id, std::string title, std::string legend,
                     Fading fading = Fading::None, double offsetHz = 0.0, double clockPpm = 0.0) {
  SweepChannel c{std::move(id), std::move(title), std::move(legend), ChannelSettings{}};
  c.settings.fading = fading;
  c.settings.offsetHz = offsetHz;
  c.settings.clockPpm = clockPpm;
  c.settings.passLowHz = kSweepPassLowHz;
  c.settings.passHighHz = kSweepPassHighHz;
  return c;
}

std::string signedId(const char* what, double value) {
  char text[48];
  std::snprintf(text, sizeof text, "%s-%s%g", what, value < 0 ? "minus-" : "plus-",
                std::fabs(value));
  std::string id = text;
  for (char& ch : id)
    if (ch == '.') ch = '_';
  return id;
}

SweepChannel mistuned(double hz) {
  char title[64], legend[32];
  std::snprintf(title, sizeof title, "white noise, mistuned %+g Hz", hz);
  std::snprintf(legend, sizeof legend, "%+g Hz", hz);
  return channel(signedId("offset", hz), title, legend, Fading::None, hz);
}

SweepChannel clockOff(double ppm) {
  char title[64], legend[32];
  std::snprintf(title, sizeof title, "white noise, sending clock %+g ppm", ppm);
  std::snprintf(legend, sizeof legend, "%+g ppm", ppm);
  return channel(signedId("clock", ppm), title, legend, Fading::None, 0.0, ppm);
}

}  // namespace

SweepPlan fullPlan() {
  SweepPlan plan;
  plan.channels = {channel("white", "white noise", "white noise"),
                   channel("good", "CCIR good fading", "good", Fading::Good),
                   channel("moderate", "CCIR moderate fading", "moderate", Fading::Moderate),
                   channel("poor", "CCIR poor fading", "poor", Fading::Poor),
                   channel("flutter", "CCIR flutter fading", "flutter", Fading::Flutter)};
  for (SweepChannel& c : plan.channels) c.combined = true;
  plan.combinedFrames = {8, 16};
  for (double hz : {0.5, -0.5, 2.0, -2.0}) plan.channels.push_back(mistuned(hz));
  for (double ppm : {50.0, -50.0, 200.0, -200.0}) plan.channels.push_back(clockOff(ppm));
  for (int snr = 30; snr >= 0; snr -= 3) plan.snrsDb.push_back(snr);
  plan.stripSnrsDb = {30, 18, 15, 12, 9, 6, 3};
  return plan;
}

SweepPlan quickPlan() {
  SweepPlan plan;
  plan.channels = {channel("white", "white noise", "white noise"),
                   channel("moderate", "CCIR moderate fading", "moderate", Fading::Moderate),
                   mistuned(2.0)};
  plan.snrsDb = {30, 15, 6, 0};
  plan.stripSnrsDb = {30, 6, 0};
  plan.channels[0].combined = true;
  plan.combinedFrames = {4};
  plan.frames = 4;
  plan.minSeeds = 2;
  plan.maxSeeds = 2;
  return plan;
}

}  // namespace mosaic::tool
