#include "platform/media/midi_file.h"

#include "archive/error.h"

#include <algorithm>
#include <cstring>

namespace hc::media {
namespace {

constexpr std::int64_t kDefaultTempoUs = 500000; // microseconds per quarter note: 120 bpm

// Reads from a byte range, never past its end.
class Reader {
public:
    Reader(std::span<const std::uint8_t> bytes, const std::string& name)
        : m_bytes(bytes), m_name(name) {}

    bool atEnd() const { return m_pos >= m_bytes.size(); }
    std::size_t remaining() const { return m_bytes.size() - m_pos; }
    std::size_t position() const { return m_pos; }

    [[noreturn]] void fail(const char* what) const {
        throw hc::Error("Cannot open media file " + m_name + ": not a valid MIDI file (" + what +
                        ")");
    }
    std::uint8_t byte() {
        if (atEnd()) {
            fail("it ends too early");
        }
        return m_bytes[m_pos++];
    }
    std::uint8_t peek() const {
        if (atEnd()) {
            fail("it ends too early");
        }
        return m_bytes[m_pos];
    }
    std::uint32_t big(int count) {
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            value = (value << 8) | byte();
        }
        return value;
    }
    std::uint32_t little32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= static_cast<std::uint32_t>(byte()) << (8 * i);
        }
        return value;
    }
    // A variable-length quantity: at most four bytes, seven bits each.
    std::uint32_t variable() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t b = byte();
            value = (value << 7) | (b & 0x7F);
            if ((b & 0x80) == 0) {
                return value;
            }
        }
        fail("a number is too long");
    }
    std::span<const std::uint8_t> take(std::size_t count) {
        if (count > remaining()) {
            fail("a chunk is longer than the file");
        }
        auto part = m_bytes.subspan(m_pos, count);
        m_pos += count;
        return part;
    }
    bool tag(const char (&fourcc)[5]) {
        if (remaining() < 4 || std::memcmp(m_bytes.data() + m_pos, fourcc, 4) != 0) {
            return false;
        }
        m_pos += 4;
        return true;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    const std::string& m_name;
    std::size_t m_pos = 0;
};

struct RawEvent {
    std::uint64_t tick = 0;
    std::uint64_t order = 0;   // file order within equal ticks: track, then position
    std::int64_t tempoUs = -1; // a tempo change when >= 0
    MidiEvent event;
    bool isEndOfTrack = false;
};

// The bytes of the standard MIDI file inside a RIFF "RMID" wrapper, or the bytes themselves.
std::span<const std::uint8_t> unwrapRiff(std::span<const std::uint8_t> bytes,
                                         const std::string& name) {
    Reader riff(bytes, name);
    if (!riff.tag("RIFF")) {
        return bytes;
    }
    const std::uint32_t size = riff.little32();
    if (!riff.tag("RMID")) {
        riff.fail("a RIFF file that is not RMID");
    }
    Reader body(riff.take(std::min<std::size_t>(size >= 4 ? size - 4 : 0, riff.remaining())), name);
    while (!body.atEnd()) {
        const bool isData = body.tag("data");
        if (!isData) {
            body.take(4);
        }
        const std::uint32_t length = body.little32();
        auto chunk = body.take(length);
        if (isData) {
            return chunk;
        }
        if ((length & 1) != 0 && !body.atEnd()) {
            body.byte();
        }
    }
    body.fail("a RIFF file without MIDI data");
}

void readTrack(std::span<const std::uint8_t> track, std::uint32_t trackIndex,
               std::vector<RawEvent>& out, std::vector<std::uint8_t>& sysex,
               const std::string& name) {
    Reader in(track, name);
    std::uint64_t tick = 0;
    std::uint8_t running = 0;
    std::uint64_t order = static_cast<std::uint64_t>(trackIndex) << 32; // tracks in file order
    while (!in.atEnd()) {
        tick += in.variable();
        RawEvent raw;
        raw.tick = tick;
        raw.order = order++;
        std::uint8_t status = in.peek();
        if (status & 0x80) {
            in.byte();
        } else if (running != 0) {
            status = running;
        } else {
            in.fail("a data byte where an event should start");
        }
        if (status < 0xF0) {
            running = status;
            raw.event.status = status;
            raw.event.data1 = in.byte() & 0x7F;
            const std::uint8_t kind = status & 0xF0;
            if (kind != 0xC0 && kind != 0xD0) {
                raw.event.data2 = in.byte() & 0x7F;
            }
            out.push_back(raw);
        } else if (status == 0xFF) {
            running = 0;
            const std::uint8_t type = in.byte();
            auto data = in.take(in.variable());
            if (type == 0x51 && data.size() >= 3) {
                raw.tempoUs = (data[0] << 16) | (data[1] << 8) | data[2];
                out.push_back(raw);
            } else if (type == 0x2F) {
                raw.isEndOfTrack = true;
                out.push_back(raw);
                return;
            }
        } else if (status == 0xF0 || status == 0xF7) {
            running = 0;
            auto data = in.take(in.variable());
            // A 0xF0 message is sent as it stands; 0xF7 "escapes" are ignored.
            if (status == 0xF0 && !data.empty()) {
                raw.event.status = 0xF0;
                raw.event.sysexOffset = static_cast<std::uint32_t>(sysex.size());
                raw.event.sysexLength = static_cast<std::uint32_t>(data.size());
                sysex.insert(sysex.end(), data.begin(), data.end());
                out.push_back(raw);
            }
        } else {
            in.fail("an event that a MIDI file cannot hold");
        }
    }
    // A track without its end marker ends with its last event.
    RawEvent end;
    end.tick = tick;
    end.order = order;
    end.isEndOfTrack = true;
    out.push_back(end);
}

} // namespace

MidiSong parseMidi(std::span<const std::uint8_t> bytes, const std::string& name) {
    Reader file(unwrapRiff(bytes, name), name);
    if (!file.tag("MThd")) {
        file.fail("no MIDI header");
    }
    const std::uint32_t headerLength = file.big(4);
    if (headerLength < 6) {
        file.fail("the header is too short");
    }
    Reader header(file.take(headerLength), name);
    const std::uint32_t format = header.big(2);
    const std::uint32_t tracks = header.big(2);
    const std::uint32_t division = header.big(2);
    if (format > 2) {
        file.fail("an unknown format");
    }
    if (division == 0 || (division & 0x8000 && (division & 0xFF) == 0)) {
        file.fail("no time division");
    }
    // Microseconds per tick, as a fraction: with a tempo for quarter-note divisions, fixed for
    // SMPTE divisions (frames per second times ticks per frame).
    const bool smpte = (division & 0x8000) != 0;
    std::int64_t smpteDenominator = 0;
    if (smpte) {
        const int fps = -static_cast<std::int8_t>(division >> 8);
        if (fps != 24 && fps != 25 && fps != 29 && fps != 30) {
            file.fail("an unknown SMPTE frame rate");
        }
        // 29 stands for 30000/1001 frames per second.
        smpteDenominator =
            (fps == 29 ? 2997 : fps * 100) * static_cast<std::int64_t>(division & 0xFF);
    }

    MidiSong song;
    std::vector<RawEvent> raw;
    std::uint32_t found = 0;
    while (!file.atEnd() && found < tracks) {
        if (file.remaining() < 8) {
            break; // trailing padding some writers leave
        }
        const bool isTrack = file.tag("MTrk");
        if (!isTrack) {
            file.take(4);
        }
        auto chunk = file.take(file.big(4));
        if (isTrack) {
            readTrack(chunk, found, raw, song.sysex, name);
            ++found;
        }
    }
    if (found == 0) {
        file.fail("no tracks");
    }
    std::stable_sort(raw.begin(), raw.end(), [](const RawEvent& a, const RawEvent& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });

    std::int64_t tempo = kDefaultTempoUs;
    std::uint64_t lastTick = 0;
    // Exact time as a fraction of `division` (or of the SMPTE denominator) to avoid drift.
    long double timeUs = 0;
    for (const RawEvent& r : raw) {
        const long double ticks = static_cast<long double>(r.tick - lastTick);
        timeUs += smpte ? ticks * 100'000'000.0L / smpteDenominator
                        : ticks * tempo / static_cast<long double>(division);
        lastTick = r.tick;
        if (timeUs > 1e14L) {
            file.fail("the music is impossibly long");
        }
        const auto now = static_cast<std::int64_t>(timeUs + 0.5L);
        song.lengthUs = std::max(song.lengthUs, now);
        if (r.tempoUs >= 0) {
            tempo = r.tempoUs > 0 ? r.tempoUs : tempo;
        } else if (!r.isEndOfTrack) {
            MidiEvent event = r.event;
            event.timeUs = now;
            song.events.push_back(event);
        }
    }
    return song;
}

} // namespace hc::media
