#include "station/reception.h"

#include "receiver/core/tuning/slider_offset.h"

namespace mosaic::station {

Reception::Reception(const ReceptionSettings& settings) {
  EngineSettings engine = pictureSettings(settings.demod, settings.display);
  engine.tuningAid = true;
  engine.autoTune = settings.autoTune;
  engine.alignedScale = settings.scale;
  engine.measureSnr = true;
  engine.combining = settings.combining;
  engine_ = std::make_unique<ReceiverEngine>(engine);
}

const ReceivedBuffer& Reception::addBuffer(const std::int16_t* samples) {
  latest_.tuningHz = static_cast<double>(tuningOffsetHz(engine_->settings().demod));
  engine_->onBufferComplete(samples);
  const BufferReport& report = engine_->report();
  latest_.estimate = report.tuning;
  latest_.locked = report.tuning.locked;
  latest_.snrDb = report.snr.snrDb;
  latest_.aligned = report.aligned;
  latest_.framesCombined = report.framesCombined;
  return latest_;
}

void Reception::restart() {
  engine_->reset();
  latest_.aligned = false;
}

}  // namespace mosaic::station
