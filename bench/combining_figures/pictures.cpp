// Strips of received pictures, one frame alone and combined, for people to look at.

#include "bench/combining_figures/figures.h"

#include "receiver/app/picture_image.h"
#include "tools/quality/combined_decoding.h"
#include "tools/quality/picture_strip.h"
#include "tools/quality/trial.h"

#include <cstdio>

namespace mosaic::figures {

using namespace mosaic::tool;

void picturesSection(const SentSignals& sent, const Options& options) {
  if (options.pictures.empty()) return;
  constexpr int kRun = 10;  // after ten frames
  const std::vector<double> snrs = {30, 9, 6, 3, 0};
  const DemodSettings demod = sweepReceiverSettings();
  for (const ChannelKind& channel : {kChannels[0], kChannels[1]})
    for (int frames : {0, 8, 16}) {
      std::vector<StripColumn> columns;
      columns.push_back({"perfect", {}});
      for (int q = 0; q < sent.pictures(); ++q)
        columns.back().rows.push_back(sent.perfectPicture(q));
      for (double snr : snrs) {
        char caption[32];
        std::snprintf(caption, sizeof caption, "%g dB", snr);
        columns.push_back({caption, {}});
        for (int q = 0; q < sent.pictures(); ++q) {
          const auto heard = heardThrough(
              sent.signal(q, 0, 0.0), channelAt(channel.fading, snr, seedOf({q, int(snr), 21})));
          QImage picture;
          int run = 0;
          decodeCombined(heard, demod, frames > 0 ? combiningOf(frames) : CombiningSettings{},
                         [&](const ReceiverEngine& chain) {
                           if (run++ == kRun)
                             picture = pictureImage(chain.bitmap(), ScreenSize::Large);
                         });
          columns.back().rows.push_back(picture);
        }
      }
      const std::string name = options.pictures + "/combining-" +
                               (channel.fading == Fading::None ? "white" : "moderate") + "-" +
                               (frames > 0 ? std::to_string(frames) : "one") + ".png";
      drawPictureStrip(columns, 288, 192).save(QString::fromStdString(name));
      std::printf("wrote %s\n", name.c_str());
    }
}

}  // namespace mosaic::figures
