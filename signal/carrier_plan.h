#pragma once
// The 49 carriers of Mosaic TV: numbers, frequencies, content, generation order, picture rows,
// and the receiver's slots. Carrier k sits at 37.5 k Hz, which is also bin k of a 256-point
// transform at 9600 Hz.

#include <array>

namespace mosaic {

inline constexpr double kCarrierSpacingHz = 37.5;
inline constexpr double kHzPerPictureUnit = 1.25;  // frequency shift of one picture unit
inline constexpr int kCarrierCount = 49;
inline constexpr int kCarrierAmplitude = 1200;  // peak, on the 16-bit scale

inline constexpr int kFirstLumaCarrier = 56;  // 2100.0 Hz, the tuning reference
inline constexpr int kLastLumaCarrier = 91;   // 3412.5 Hz
inline constexpr int kFirstVCarrier = 12;     // 450.0 Hz
inline constexpr int kLastVCarrier = 20;      // 750.0 Hz
inline constexpr int kFirstUCarrier = 21;     // 787.5 Hz
inline constexpr int kLastUCarrier = 24;      // 900.0 Hz

// Picture grid of the transmitter: columns 0..48 in time order, rows 0..95.
inline constexpr int kPlaneColumns = 49;
inline constexpr int kPlaneRows = 96;
inline constexpr int kFirstSentRow = 18;  // carried by carrier 56
inline constexpr int kLastSentRow = 53;   // carried by carrier 91
inline constexpr int kRowsPerVCarrier = 4;
inline constexpr int kRowsPerUCarrier = 9;

enum class CarrierContent { None, Luminance, RedDifference, BlueDifference };

constexpr double carrierFrequencyHz(int k) { return kCarrierSpacingHz * k; }

constexpr CarrierContent carrierContent(int k) {
  if (k >= kFirstLumaCarrier && k <= kLastLumaCarrier) return CarrierContent::Luminance;
  if (k >= kFirstVCarrier && k <= kLastVCarrier) return CarrierContent::RedDifference;
  if (k >= kFirstUCarrier && k <= kLastUCarrier) return CarrierContent::BlueDifference;
  return CarrierContent::None;
}

// Picture row carried by luminance carrier k (higher frequencies carry higher rows).
constexpr int lumaRow(int k) { return k - 38; }
// First of the four rows averaged on V carrier k.
constexpr int vFirstRow(int k) { return kFirstSentRow + kRowsPerVCarrier * (k - kFirstVCarrier); }
// First of the nine rows averaged on U carrier k.
constexpr int uFirstRow(int k) { return kFirstSentRow + kRowsPerUCarrier * (k - kFirstUCarrier); }

// The order in which the transmitter generates the carriers, all sharing one phase accumulator.
std::array<int, kCarrierCount> const& generationOrder();

// Receiver slots: the index under which a demodulated carrier is held within one symbol column.
// Slots 10..45 are the luminance bins 56..91, slots 46..58 the colour bins 12..24.
inline constexpr int kSlotCount = 128;
inline constexpr int kFirstUsedSlot = 10;
inline constexpr int kLastUsedSlot = 58;
inline constexpr int kUsedSlots = kLastUsedSlot - kFirstUsedSlot + 1;  // 49
inline constexpr int kFirstColourSlot = 46;
inline constexpr int kBlueSlot = 55;  // bin 21, the blue difference for the whole column

constexpr int slotOfBin(int k) { return k >= kFirstLumaCarrier ? k - 46 : k + 34; }
constexpr int binOfSlot(int slot) { return slot >= kFirstColourSlot ? slot - 34 : slot + 46; }

}  // namespace mosaic
