#include "datafiles/usable_settings.h"

#include "datafiles/settings.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace hc {

namespace {

// `value` within [low, high]; NaN, and an infinity where the range is open, give `fallback`.
float limited(float value, float low, float high, float fallback) {
    if (std::isnan(value) ||
        (std::isinf(value) && (value > 0 ? std::isinf(high) : std::isinf(low)))) {
        return fallback;
    }
    return std::clamp(value, low, high);
}

} // namespace

void limitToUsableRanges(SettingsRecord& settings) {
    const SettingsRecord defaults = defaultSettings();
    constexpr float kOpen = std::numeric_limits<float>::infinity();
    settings.WordDelay =
        limited(settings.WordDelay, kWordDelayMin, kWordDelayMax, defaults.WordDelay);
    settings.GetPercent = std::clamp(settings.GetPercent, kPercentMin, kPercentMax);
    settings.ImprovePercent = std::clamp(settings.ImprovePercent, kPercentMin, kPercentMax);
    settings.SpellWeight = limited(settings.SpellWeight, kWeightMin, kOpen, defaults.SpellWeight);
    settings.PhonoWeight = limited(settings.PhonoWeight, kWeightMin, kOpen, defaults.PhonoWeight);
}

} // namespace hc
