#include "midi_song.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace hc::audio {
namespace {

void putBe32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

void putVarLen(std::string& out, std::uint32_t value) {
    char bytes[5];
    int count = 0;
    bytes[count++] = static_cast<char>(value & 0x7F);
    while ((value >>= 7) != 0) {
        bytes[count++] = static_cast<char>(0x80 | (value & 0x7F));
    }
    while (count > 0) {
        out.push_back(bytes[--count]);
    }
}

std::string channelEvent(int status, int channel, int a, int b) {
    return {static_cast<char>(status | channel), static_cast<char>(a), static_cast<char>(b)};
}

std::string metaText(int type, const std::string& text) {
    std::string out = {'\xFF', static_cast<char>(type)};
    putVarLen(out, static_cast<std::uint32_t>(text.size()));
    return out + text;
}

std::string trackChunk(std::vector<std::pair<int, std::string>> timed, int endTick) {
    std::string body;
    int now = 0;
    for (const auto& [tick, bytes] : timed) {
        putVarLen(body, static_cast<std::uint32_t>(tick - now));
        body += bytes;
        now = tick;
    }
    putVarLen(body, static_cast<std::uint32_t>(std::max(0, endTick - now)));
    body += std::string("\xFF\x2F\x00", 3);
    std::string chunk = "MTrk";
    putBe32(chunk, static_cast<std::uint32_t>(body.size()));
    return chunk + body;
}

int noteValueTicks(std::string_view value) {
    bool dotted = false;
    if (!value.empty() && value.back() == '.') {
        dotted = true;
        value.remove_suffix(1);
    }
    int denominator = 0;
    if (value == "1") {
        denominator = 1;
    } else if (value == "2") {
        denominator = 2;
    } else if (value == "4") {
        denominator = 4;
    } else if (value == "8") {
        denominator = 8;
    } else if (value == "16") {
        denominator = 16;
    } else if (value == "32") {
        denominator = 32;
    } else {
        throw std::invalid_argument("unknown note value '" + std::string(value) + "'");
    }
    const int ticks = MidiSong::kTicksPerQuarter * 4 / denominator;
    return dotted ? ticks * 3 / 2 : ticks;
}

} // namespace

int pitchKey(std::string_view name) {
    if (!name.empty() &&
        std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const int key = name.size() <= 3 ? std::stoi(std::string(name)) : 128;
        if (key > 127) {
            throw std::invalid_argument("key out of range: " + std::string(name));
        }
        return key;
    }
    static constexpr int kSemitone[7] = {9, 11, 0, 2, 4, 5, 7}; // a b c d e f g
    if (name.size() < 2 || name[0] < 'a' || name[0] > 'g') {
        throw std::invalid_argument("unknown pitch '" + std::string(name) + "'");
    }
    int key = kSemitone[name[0] - 'a'];
    std::size_t at = 1;
    if (name[at] == '#') {
        ++key;
        ++at;
    } else if (name[at] == 'b' && name.size() > 2) {
        --key;
        ++at;
    }
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '8') {
        throw std::invalid_argument("unknown pitch '" + std::string(name) + "'");
    }
    key += (name[at] - '0' + 1) * 12;
    if (key < 0 || key > 127) {
        throw std::invalid_argument("pitch out of range: " + std::string(name));
    }
    return key;
}

MidiSong::MidiSong(std::string title, double beatsPerMinute)
    : m_title(std::move(title)), m_bpm(beatsPerMinute) {}

int MidiSong::addTrack(std::string name, int channel, int program, int volume, int pan,
                       int reverb) {
    Track track{std::move(name), channel, {}};
    if (channel != kDrumChannel) {
        track.events.push_back(
            {0, 0, {static_cast<char>(0xC0 | channel), static_cast<char>(program)}});
    }
    track.events.push_back({0, 0, channelEvent(0xB0, channel, 7, volume)});
    track.events.push_back({0, 0, channelEvent(0xB0, channel, 10, pan)});
    track.events.push_back({0, 0, channelEvent(0xB0, channel, 91, reverb)});
    track.events.push_back({0, 0, channelEvent(0xB0, channel, 93, 0)});
    m_tracks.push_back(std::move(track));
    return static_cast<int>(m_tracks.size()) - 1;
}

void MidiSong::note(int track, int tick, int length, int key, int velocity) {
    Track& t = m_tracks.at(static_cast<std::size_t>(track));
    t.events.push_back({tick, 2, channelEvent(0x90, t.channel, key, velocity)});
    t.events.push_back({tick + length, 1, channelEvent(0x80, t.channel, key, 0)});
    m_end = std::max(m_end, tick + length);
}

int MidiSong::line(int track, int tick, std::string_view notation, int velocity) {
    std::size_t at = 0;
    while (at < notation.size()) {
        if (notation[at] == ' ' || notation[at] == '\n' || notation[at] == '|') {
            ++at;
            continue;
        }
        std::size_t end = notation.find_first_of(" \n|", at);
        if (end == std::string_view::npos) {
            end = notation.size();
        }
        std::string_view token = notation.substr(at, end - at);
        at = end;
        bool held = false;
        if (token.back() == '~') {
            held = true;
            token.remove_suffix(1);
        }
        const std::size_t slash = token.find('/');
        if (slash == std::string_view::npos) {
            throw std::invalid_argument("note without value: '" + std::string(token) + "'");
        }
        const int length = noteValueTicks(token.substr(slash + 1));
        const std::string_view pitches = token.substr(0, slash);
        if (pitches != "r") {
            const int sounding = held ? length : length * 9 / 10;
            std::size_t from = 0;
            while (true) {
                const std::size_t plus = pitches.find('+', from);
                note(track, tick, sounding, pitchKey(pitches.substr(from, plus - from)), velocity);
                if (plus == std::string_view::npos) {
                    break;
                }
                from = plus + 1;
            }
        }
        tick += length;
    }
    return tick;
}

int MidiSong::endTick() const {
    return m_end;
}

double MidiSong::seconds() const {
    return m_end / static_cast<double>(kTicksPerQuarter) * 60.0 / m_bpm;
}

std::string MidiSong::smf() const {
    std::string out = "MThd";
    putBe32(out, 6);
    const auto trackCount = static_cast<int>(m_tracks.size() + 1);
    out += {0,
            1,
            static_cast<char>(trackCount >> 8),
            static_cast<char>(trackCount & 0xFF),
            static_cast<char>(kTicksPerQuarter >> 8),
            static_cast<char>(kTicksPerQuarter & 0xFF)};

    const auto microsPerQuarter = static_cast<std::uint32_t>(std::lround(60'000'000.0 / m_bpm));
    std::vector<std::pair<int, std::string>> conductor;
    conductor.emplace_back(0, metaText(0x03, m_title));
    conductor.emplace_back(0, std::string{'\xFF', 0x58, 4, 4, 2, 24, 8}); // 4/4
    conductor.emplace_back(0,
                           std::string{'\xFF', 0x51, 3, static_cast<char>(microsPerQuarter >> 16),
                                       static_cast<char>((microsPerQuarter >> 8) & 0xFF),
                                       static_cast<char>(microsPerQuarter & 0xFF)});
    out += trackChunk(conductor, m_end);

    for (const Track& track : m_tracks) {
        std::vector<Event> events = track.events;
        std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        std::vector<std::pair<int, std::string>> timed;
        timed.emplace_back(0, metaText(0x03, track.name));
        for (const Event& event : events) {
            timed.emplace_back(event.tick, event.bytes);
        }
        out += trackChunk(timed, m_end);
    }
    return out;
}

} // namespace hc::audio
