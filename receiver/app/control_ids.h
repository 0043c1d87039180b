#pragma once
// The receiver window's numeric control and menu ids, each control's and menu action's object
// name.

namespace mosaic::rx {

// Movie recorder.
inline constexpr int kOpenFileId = 414;   // button "Open file to save" and menu "&Open"
inline constexpr int kCloseFileId = 413;  // button "Close file"
inline constexpr int kSaveId = 408;       // button "Start save" / "Pause save" / "Resume"
inline constexpr int kCounterId = 417;    // label "0 frames saved"

// Sliders.
inline constexpr int kCoarseTuneId = 433;
inline constexpr int kFineTuneId = 416;
inline constexpr int kBalanceId = 430;
inline constexpr int kSaturationId = 431;
inline constexpr int kBrightnessId = 423;  // vertical
inline constexpr int kContrastId = 424;    // vertical

// Labels.
inline constexpr int kCoarseCaptionId = 432;
inline constexpr int kFineCaptionId = 415;
inline constexpr int kTuningValueId = 3456;
inline constexpr int kBalanceValueId = 1234;
inline constexpr int kSaturationValueId = 2345;

// Check boxes.
inline constexpr int kNoiseFilterId = 425;
inline constexpr int kHorizontalFilterId = 418;
inline constexpr int kVerticalInterpolationId = 419;
inline constexpr int kHalfPixelId = 420;

// Menu items.
inline constexpr int kExitId = 402;
inline constexpr int kSmallId = 421;
inline constexpr int kLargeId = 422;
inline constexpr int kAdjustInputId = 411;
inline constexpr int kLightFilterId = 426;
inline constexpr int kMediumFilterId = 427;
inline constexpr int kHeavyFilterId = 428;
inline constexpr int kHelpId = 409;
inline constexpr int kAboutId = 410;

// The tuning display (an addition below the window's original controls).
inline constexpr int kAutoTuneId = 440;        // check box and menu item "Auto tune"
inline constexpr int kTuneNowId = 442;         // button and menu item "Tune now"
inline constexpr int kTuningDisplayId = 443;   // menu item "Tuning display"
inline constexpr int kTuningEstimateId = 444;  // label with the estimated offset

// The aligned frame and saved pictures (additions as well).
inline constexpr int kAlignedId = 445;           // menu item "Aligned" under "&Screen Size"
inline constexpr int kSavePictureId = 446;       // menu item "Save picture" (Ctrl+S)
inline constexpr int kAutoSaveId = 447;          // menu item "Auto-save"
inline constexpr int kReceivedPicturesId = 448;  // menu item "Received pictures"
inline constexpr int kSoundDeviceId = 450;       // menu item "Sound &device..."
inline constexpr int kRecordSoundId = 451;       // menu item "Record sound..."
inline constexpr int kOpenRecordingId = 452;     // menu item "Open recording..."

// Combining the repeated frames of a still picture (an addition below the tuning display).
inline constexpr int kCombineFramesId = 460;   // check box "Combine frames"
inline constexpr int kCombinedFramesId = 461;  // spin box: over how many frames

}  // namespace mosaic::rx
