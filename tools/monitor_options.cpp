#include "tools/monitor_options.h"

#include "receiver/core/slider_scales.h"
#include "receiver/core/tuning/slider_offset.h"
#include "receiver/pictures/saved_pictures.h"
#include "tools/arguments.h"
#include "tools/command.h"
#include "tools/display_options.h"
#include "tools/sound_reader.h"

#include <filesystem>
#include <system_error>

namespace mosaic::tool {

namespace {

const char* const kOptionHelp =
    "A receiver on a small computer that saves and publishes what it hears: it runs until it is\n"
    "stopped (SIGINT, SIGTERM), then saves what it holds and ends. Each distinct still picture\n"
    "is saved once, in its best state; a moving picture at most every --every seconds.\n"
    "sources (one; without any, the sound server's default recording device):\n"
    "  --device NAME          the sound server's recording device of that name or description,\n"
    "                         as Mosaicview records it; while it is away the default is used\n"
    "  --udp [HOST:]PORT      16-bit little-endian mono samples in UDP datagrams, as SDR\n"
    "                         programs send them; HOST is this machine's address to listen on\n"
    "                         (default 127.0.0.1; 0.0.0.0 for every network)\n"
    "  --rate HZ              the rate the UDP samples are sent at (default 48000)\n"
    "  --input FILE           a recording, as mosaic decode reads them; the monitor ends at its\n"
    "                         end\n"
    "  --realtime             play the recording at its own speed, not as fast as it decodes\n"
    "tuning (automatic and continuous unless set):\n"
    "  --coarse HZ            coarse tuning, -20 .. 20 in steps of 0.1\n"
    "  --fine HZ              fine tuning, -4 .. 4 in steps of 0.02\n"
    "  --balance N            colour balance, -200 .. 200 (default 0: true colours; Mosaicview\n"
    "                         starts at 67, which tints a clean picture magenta)\n"
    "pictures:\n"
    "  --pictures DIR         where pictures go (default: Mosaicview's, ~/Pictures/Mosaic TV)\n"
    "  --threshold DB         the signal-to-noise ratio a picture needs, 0 .. 40 dB in 3000 Hz\n"
    "                         (default 15)\n"
    "  --every SECONDS        a moving picture is saved at most this often (default 10)\n"
    "  --integrate N          combine the repeated frames of a still picture over at most the\n"
    "                         newest N, 1 .. 16 (default 8); 0 takes each frame on its own\n"
    "  --on-picture CMD       run the program CMD with each saved picture's path as its one\n"
    "                         argument (no shell), one at a time, for at most 60 s each\n"
    "  --log FILE             one JSON object per line for every event ('-': standard output)\n"
    "  --rig RIG              read the radio's dial frequency and mode through Hamlib for each\n"
    "                         picture and log line: rigctld[:HOST[:PORT]] or\n"
    "                         hamlib:MODEL@DEVICE[,BAUD]\n"
    "  --web [ADDR:]PORT      a web page with the newest picture, the tuning, the signal and\n"
    "                         the saved pictures; ADDR is this machine's address to serve on\n"
    "                         (default 127.0.0.1: this machine only; 0.0.0.0 for every network)\n";

std::optional<double> numberIn(const std::string& text, double low, double high) {
  const auto value = parseNumber(text);
  if (!value || *value < low || *value > high) return std::nullopt;
  return value;
}

}  // namespace

std::optional<int> parseMonitorOptions(const std::vector<std::string>& argv, MonitorOptions& o) {
  const Command& cmd = commandNamed("monitor");
  if (helpRequested(argv)) return showHelp(cmd, kOptionHelp);
  Arguments args(argv);
  int sources = 0;
  bool rateGiven = false, tuningGiven = false;
  while (args.more()) {
    bool missing = false;
    if (auto v = args.option("--device", missing)) {
      if (v->empty()) return usageError(cmd, "--device wants the name of a recording device");
      o.device = *v;
      o.source = MonitorOptions::Source::Device;
      ++sources;
    } else if (auto v = args.option("--udp", missing)) {
      const auto address = station::parseHostPort(*v, kDefaultLocalHost);
      if (!address)
        return usageError(cmd, "--udp wants [HOST:]PORT with a port of 1 to 65535, not " + *v);
      o.udp = *address;
      o.source = MonitorOptions::Source::Udp;
      ++sources;
    } else if (auto v = args.option("--rate", missing)) {
      const auto rate = parseInteger(*v);
      if (!rate || *rate < kMinSoundRateHz || *rate > kMaxSoundRateHz)
        return usageError(cmd,
                          "--rate wants a whole number of hertz from 4000 to 768000, not " + *v);
      o.rateHz = static_cast<int>(*rate);
      rateGiven = true;
    } else if (auto v = args.option("--input", missing)) {
      if (v->empty()) return usageError(cmd, "--input wants a file");
      o.input = *v;
      o.source = MonitorOptions::Source::File;
      ++sources;
    } else if (args.flag("--realtime")) {
      o.realtime = true;
    } else if (auto v = args.option("--coarse", missing)) {
      const auto hz = tuningOnGrid(*v, kCoarseStepsPerHz);
      if (!hz) return usageError(cmd, "--coarse wants -20 to 20 Hz in steps of 0.1, not " + *v);
      o.demod.coarseHz = *hz;
      tuningGiven = true;
    } else if (auto v = args.option("--fine", missing)) {
      const auto hz = tuningOnGrid(*v, kFineStepsPerHz);
      if (!hz) return usageError(cmd, "--fine wants -4 to 4 Hz in steps of 0.02, not " + *v);
      o.demod.fineHz = *hz;
      tuningGiven = true;
    } else if (auto v = args.option("--balance", missing)) {
      const auto n = integerIn(*v, balanceAt(0), balanceAt(kSliderMaximum));
      if (!n) return usageError(cmd, "--balance wants a whole number from -200 to 200, not " + *v);
      o.demod.balance = *n;
    } else if (auto v = args.option("--pictures", missing)) {
      std::error_code failed;
      if (v->empty()) return usageError(cmd, "--pictures wants a folder");
      const auto folder = std::filesystem::absolute(*v, failed);
      if (failed) return usageError(cmd, "--pictures: " + failed.message());
      if (std::filesystem::exists(folder, failed) && !std::filesystem::is_directory(folder, failed))
        return usageError(cmd, "--pictures names " + *v + ", which is not a folder");
      o.pictures = folder.lexically_normal().string();
    } else if (auto v = args.option("--threshold", missing)) {
      const auto db = numberIn(*v, kLowestAutoSaveSnrDb, kHighestAutoSaveSnrDb);
      if (!db) return usageError(cmd, "--threshold wants 0 to 40 dB, not " + *v);
      o.thresholdDb = *db;
    } else if (auto v = args.option("--every", missing)) {
      const auto seconds = numberIn(*v, 1.0, 86400.0);
      if (!seconds) return usageError(cmd, "--every wants 1 to 86400 seconds, not " + *v);
      o.everySeconds = *seconds;
    } else if (auto v = args.option("--integrate", missing)) {
      const auto n = integerIn(*v, 0, kMaxCombinedFrames);
      if (!n) return usageError(cmd, "--integrate wants a whole number from 0 to 16, not " + *v);
      o.integrateFrames = *n;
    } else if (auto v = args.option("--on-picture", missing)) {
      if (v->empty()) return usageError(cmd, "--on-picture wants a program");
      o.onPicture = *v;
    } else if (auto v = args.option("--log", missing)) {
      if (v->empty()) return usageError(cmd, "--log wants a file, or - for standard output");
      o.log = *v;
    } else if (auto v = args.option("--rig", missing)) {
      o.rig = rigAddressForText(*v);
      if (!o.rig)
        return usageError(
            cmd, "--rig wants rigctld[:HOST[:PORT]] or hamlib:MODEL@DEVICE[,BAUD], not " + *v);
      o.rigText = *v;
    } else if (auto v = args.option("--web", missing)) {
      o.web = station::parseHostPort(*v, kDefaultLocalHost);
      if (!o.web)
        return usageError(cmd, "--web wants [ADDR:]PORT with a port of 1 to 65535, not " + *v);
    } else if (auto problem = args.takeInput(missing, nullptr)) {
      return usageError(cmd, *problem);
    }
  }
  if (sources > 1)
    return usageError(cmd, "--device, --udp and --input are sources of their own; name one");
  if (rateGiven && o.source != MonitorOptions::Source::Udp)
    return usageError(cmd, "--rate is the rate of --udp; other sources have their own");
  if (o.realtime && o.source != MonitorOptions::Source::File)
    return usageError(cmd, "--realtime is for --input; other sources come in real time");
  o.autoTune = !tuningGiven;
  if (o.pictures.empty()) o.pictures = defaultPictureFolder().toStdString();
  return std::nullopt;
}

}  // namespace mosaic::tool
