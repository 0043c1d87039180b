#pragma once
// Opens the system's sound mixer as a separate program, without waiting for it.

namespace mosaic {

enum class MixerView { Playback, Recording };

// Starts a new copy of the mixer on the given view. Returns false (after one line on standard
// error) when no mixer program could be started; nothing else happens then.
bool launchMixer(MixerView view);

// As launchMixer, and when the mixer cannot be started the operator is told so in a message box
// over the active window that names the package to install.
void launchMixerOrExplain(MixerView view);

}  // namespace mosaic
