#include "media_probe.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace hc::test {
namespace {

std::uint32_t le32(const std::string& b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
int le16(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
std::uint32_t be32(const std::string& b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3]));
}
int be16(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) << 8 | static_cast<unsigned char>(b[at + 1]);
}

} // namespace

WavInfo probeWav(const std::string& b) {
    WavInfo info;
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) {
        info.error = "not RIFF WAVE";
        return info;
    }
    if (le32(b, 4) != b.size() - 8) {
        info.error = "RIFF size does not match the file";
        return info;
    }
    bool haveFormat = false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::string id = b.substr(at, 4);
        const std::uint32_t size = le32(b, at + 4);
        at += 8;
        if (size > b.size() - at) {
            info.error = "chunk " + id + " overruns the file";
            return info;
        }
        if (id == "fmt " && size >= 16) {
            info.format = le16(b, at);
            info.channels = le16(b, at + 2);
            info.sampleRate = static_cast<int>(le32(b, at + 4));
            info.bitsPerSample = le16(b, at + 14);
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) {
                info.error = "data before fmt";
                return info;
            }
            if (info.format == 1 && info.bitsPerSample == 16) {
                for (std::size_t i = 0; i + 1 < size; i += 2) {
                    info.samples.push_back(static_cast<std::int16_t>(le16(b, at + i)));
                }
            }
            return info;
        }
        at += size + (size & 1);
    }
    info.error = "no data chunk";
    return info;
}

double rmsLevel(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
    to = std::min(to, samples.size());
    if (from >= to) {
        return 0;
    }
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return std::sqrt(sum / static_cast<double>(to - from)) / 32768.0;
}

double toneFrequency(const std::vector<std::int16_t>& samples, int sampleRate) {
    int crossings = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if ((samples[i - 1] < 0) != (samples[i] < 0)) {
            ++crossings;
        }
    }
    return samples.empty() ? 0 : crossings / 2.0 * sampleRate / static_cast<double>(samples.size());
}

SmfInfo probeSmf(const std::string& b) {
    SmfInfo info;
    if (b.size() < 14 || b.compare(0, 4, "MThd") != 0 || be32(b, 4) != 6) {
        info.error = "no MThd header";
        return info;
    }
    info.format = be16(b, 8);
    const int tracks = be16(b, 10);
    info.division = be16(b, 12);
    if (info.division <= 0 || info.division >= 0x8000) {
        info.error = "unsupported division";
        return info;
    }
    std::map<long, std::uint32_t> tempos = {{0, 500000}};
    std::set<int> channels;
    long lastTick = 0;
    std::size_t at = 14;
    for (int t = 0; t < tracks; ++t) {
        if (b.size() - at < 8 || b.compare(at, 4, "MTrk") != 0) {
            info.error = "track " + std::to_string(t) + " missing";
            return info;
        }
        const std::size_t end = at + 8 + be32(b, at + 4);
        if (end > b.size()) {
            info.error = "track " + std::to_string(t) + " overruns the file";
            return info;
        }
        at += 8;
        long tick = 0;
        int running = 0;
        bool ended = false;
        auto varLen = [&](std::uint32_t& value) {
            value = 0;
            for (int i = 0; i < 4 && at < end; ++i) {
                const auto c = static_cast<unsigned char>(b[at++]);
                value = value << 7 | (c & 0x7F);
                if (!(c & 0x80)) {
                    return true;
                }
            }
            return false;
        };
        while (at < end && !ended) {
            std::uint32_t delta = 0;
            if (!varLen(delta) || at >= end) {
                info.error = "truncated event";
                return info;
            }
            tick += delta;
            int status = static_cast<unsigned char>(b[at]);
            if (status & 0x80) {
                ++at;
            } else if (running != 0) {
                status = running;
            } else {
                info.error = "data byte without status";
                return info;
            }
            if (status == 0xFF) {
                if (at >= end) {
                    info.error = "truncated meta event";
                    return info;
                }
                const int type = static_cast<unsigned char>(b[at++]);
                std::uint32_t length = 0;
                if (!varLen(length) || length > end - at) {
                    info.error = "bad meta length";
                    return info;
                }
                if (type == 0x51 && length == 3) {
                    tempos[tick] = static_cast<std::uint32_t>(static_cast<unsigned char>(b[at]))
                                       << 16 |
                                   static_cast<unsigned char>(b[at + 1]) << 8 |
                                   static_cast<unsigned char>(b[at + 2]);
                }
                ended = type == 0x2F;
                at += length;
            } else if (status == 0xF0 || status == 0xF7) {
                std::uint32_t length = 0;
                if (!varLen(length) || length > end - at) {
                    info.error = "bad sysex length";
                    return info;
                }
                at += length;
            } else {
                running = status;
                const int kind = status & 0xF0;
                const std::size_t dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
                if (end - at < dataBytes) {
                    info.error = "truncated channel event";
                    return info;
                }
                if (kind == 0x90 && b[at + 1] != 0) {
                    ++info.noteOns;
                    channels.insert(status & 0x0F);
                }
                at += dataBytes;
            }
            lastTick = std::max(lastTick, tick);
        }
        if (!ended || at != end) {
            info.error = "track " + std::to_string(t) + " lacks its end marker";
            return info;
        }
    }
    // Seconds through the tempo map up to the last tick.
    double seconds = 0;
    for (auto it = tempos.begin(); it != tempos.end() && it->first < lastTick; ++it) {
        const auto next = std::next(it);
        const long until = next == tempos.end() ? lastTick : std::min(lastTick, next->first);
        seconds += static_cast<double>(until - it->first) / info.division * it->second / 1e6;
    }
    info.seconds = seconds;
    info.channelsWithNotes.assign(channels.begin(), channels.end());
    return info;
}

} // namespace hc::test
