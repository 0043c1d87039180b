#include "receiver/core/receive_chain.h"

#include "receiver/core/picture/render_picture.h"

namespace mosaic {

ReceiveChain::ReceiveChain()
    : history_(std::make_unique<SampleHistory>()),
      demodulator_(std::make_unique<Demodulator>()),
      planes_(std::make_unique<SymbolPlanes>()),
      runBytes_(std::make_unique<RunBytes>()) {}

void ReceiveChain::onBufferComplete(const std::int16_t* samples, const DemodSettings& demodSettings,
                                    const DisplaySettings& displaySettings,
                                    const std::function<void()>& handBack) {
  const DisplaySettings display = displaySettings;
  updateHistory(*history_, samples);
  demodulator_->transformHistory(*history_, demodSettings);
  if (handBack) handBack();
  demodulator_->finishRun(*planes_, *runBytes_, combiner_.get());
  renderPicture(*planes_, display, bitmap_);
  ++runs_;
}

void ReceiveChain::setCombining(const CombiningSettings& settings) {
  if (!combiner_ && !settings.on) return;
  if (!combiner_) combiner_ = std::make_unique<FrameCombiner>();
  combiner_->setSettings(settings);
}

void ReceiveChain::setSender(const SenderEstimate& sender) {
  if (combiner_) combiner_->setSender(sender);
}

}  // namespace mosaic
