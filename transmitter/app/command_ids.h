#pragma once
// The numeric ids of the transmitter window's menu items and controls, each one's object name.

namespace mosaic {

inline constexpr int kOpenId = 401;         // menu "Open"
inline constexpr int kExitId = 402;         // menu "Exit"
inline constexpr int kPlayPauseId = 408;    // play/pause button
inline constexpr int kCameraId = 409;       // menu "&Camera"
inline constexpr int kAviId = 410;          // menu "&AVI"
inline constexpr int kPositionBarId = 416;  // position bar
inline constexpr int kOutputId = 418;       // menu "&Output"
inline constexpr int kVideoSourceId = 419;  // button "Video &source"
inline constexpr int kVideoFormatId = 420;  // button "Video &format"
inline constexpr int kCrawlToggleId = 421;  // menu "Crawl on/off"
inline constexpr int kSoundDeviceId = 430;  // menu "Sound &device..." under "&File" (an addition)

}  // namespace mosaic
