#include "student/spelltest/test_rules.h"

#include "content/entry_names.h"
#include "datafiles/settings.h"
#include "datafiles/word_list.h"

#include <cctype>
#include <climits>
#include <cmath>

namespace hc::student {

std::vector<std::string> TestWords::parse(std::string_view text) {
    return hc::parseWordList(text);
}

int percentOf(std::uint32_t correct, std::uint32_t total) {
    if (total == 0) {
        return 0;
    }
    const long double quotient =
        static_cast<long double>(correct) / static_cast<long double>(total);
    return static_cast<int>(std::trunc(quotient * 100.0L));
}

bool earnsGreatJob(const SettingsRecord& settings, int percent, float previousAverage) {
    if (settings.ImproveMode == 0) {
        return static_cast<std::uint32_t>(percent) >=
               static_cast<std::uint32_t>(settings.GetPercent);
    }
    // The constant is the double nearest to 0.01 (a little more than it), widened: the
    // threshold of a whole-number result lies just above that number.
    constexpr double kHundredth = 0.01;
    const long double previous = previousAverage;
    const long double threshold =
        ((100.0L - previous) * static_cast<long double>(settings.ImprovePercent)) *
            static_cast<long double>(kHundredth) +
        previous;
    return static_cast<long double>(percent) >= threshold || percent == 100;
}

std::chrono::milliseconds wordInterval(float wordDelay) {
    constexpr std::chrono::milliseconds kFallback{500};
    if (!std::isfinite(wordDelay)) {
        return kFallback;
    }
    const long double ms = std::trunc(static_cast<long double>(wordDelay) * 1000.0L);
    if (ms <= 0.0L) {
        return kFallback;
    }
    if (ms >= static_cast<long double>(INT_MAX)) {
        return std::chrono::milliseconds(INT_MAX);
    }
    return std::chrono::milliseconds(static_cast<long long>(ms));
}

bool RewardChoice::isRewardMovie(std::string_view entryName) {
    const std::string_view prefix = hc::entries::kRewardPrefix;
    if (entryName.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(entryName[i])) !=
            std::toupper(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

int RewardChoice::next(int& rewardNumber, int count, std::time_t now) {
    if (count <= 0) {
        rewardNumber = 0;
    } else if (rewardNumber == -1) {
        // A clock before 1970 still picks an existing movie.
        rewardNumber = static_cast<int>(((now % count) + count) % count);
    } else {
        ++rewardNumber;
        if (rewardNumber >= count) {
            rewardNumber = 0;
        }
    }
    return rewardNumber;
}

} // namespace hc::student
