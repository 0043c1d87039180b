#pragma once
// The programs' remembered settings: where they live, and reading them back one value at a time.
// A settings file may be old, hand-edited or damaged: a value that is missing, of the wrong kind
// or out of its range reads as nothing, and the control keeps its start value.

#include "platform/sound_device_choice.h"

#include <QSettings>
#include <QString>

#include <optional>
#include <span>

namespace mosaic {

// Names the program for its settings, in the user's config folder; called once in main().
void nameProgramForSettings(const char* program);

// Writes the settings out now; a file that cannot be written is reported on standard error, as
// the window is already closing.
void finishWriting(QSettings& settings);

std::optional<int> readInt(const QSettings& settings, const QString& key, int minimum, int maximum);
// Only "true" and "false" (or a stored boolean) count.
std::optional<bool> readBool(const QSettings& settings, const QString& key);
// A single line of text (not a list), at most `maxLength` characters.
std::optional<QString> readText(const QSettings& settings, const QString& key,
                                int maxLength = 4096);
// The index of the stored word among `words`.
std::optional<int> readChoice(const QSettings& settings, const QString& key,
                              std::span<const char* const> words);

// The sound device the operator chose, by its id and its description (the description may be
// missing); nothing: the system default.
std::optional<SoundDeviceName> readSoundDevice(const QSettings& settings);
void writeSoundDevice(QSettings& settings, const std::optional<SoundDeviceName>& device);

}  // namespace mosaic
