#pragma once

// The ranges of the settings that the teacher's form enforces, and the student program's guard
// against an OPTIONS.DAT made by hand or by another program that holds values outside them.

struct SettingsRecord;

namespace hc {

inline constexpr float kWordDelayMin = 0.5f; // seconds a word stays on the card
inline constexpr float kWordDelayMax = 60.0f;
inline constexpr int kPercentMin = 0; // GetPercent and ImprovePercent
inline constexpr int kPercentMax = 100;
inline constexpr float kWeightMin = 0.0f; // SpellWeight and PhonoWeight; no upper bound

// Brings every value of `settings` into the range the form enforces: a value outside it becomes
// that range's nearest bound, a value that is not a number (NaN, or an infinity on the side
// where a range has no bound) the default. Afterwards every float is finite. Both weights 0
// stay 0: the overall score is then 0 (see computeScores). The student program applies this to
// what it loaded; the options program shows the file as it was read and never applies it.
void limitToUsableRanges(SettingsRecord& settings);

} // namespace hc
