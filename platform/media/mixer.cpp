#include "platform/media/mixer.h"

#include <algorithm>

namespace hc::media {

Mixer::Mixer(MixFormat format) : m_format(format) {}

Mixer::~Mixer() = default;

Mixer::SourceId Mixer::add(std::unique_ptr<AudioSource> source) {
    std::lock_guard lock(m_mutex);
    Entry entry;
    entry.id = m_nextId++;
    entry.source = std::move(source);
    m_entries.push_back(std::move(entry));
    m_lastAdded = m_entries.back().id;
    m_lastAddedFirstRender.reset();
    return m_lastAdded;
}

std::unique_ptr<AudioSource> Mixer::remove(SourceId id) {
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [id](const Entry& e) { return e.id == id; });
    if (it == m_entries.end()) {
        return nullptr;
    }
    auto source = std::move(it->source);
    m_entries.erase(it);
    return source;
}

void Mixer::fadeOut(SourceId id, int fadeFrames) {
    std::unique_ptr<AudioSource> removed;
    {
        std::lock_guard lock(m_mutex);
        Entry* entry = find(id);
        if (entry == nullptr || entry->fadeLeft >= 0) {
            return;
        }
        if (fadeFrames > 0) {
            entry->fadeLeft = entry->fadeTotal = fadeFrames;
            return;
        }
    }
    removed = remove(id);
}

void Mixer::drain(SourceId id, int frames, int fadeFrames) {
    std::lock_guard lock(m_mutex);
    Entry* entry = find(id);
    if (entry == nullptr || entry->fadeLeft >= 0) {
        return;
    }
    entry->drainLeft = std::max(0, frames);
    entry->fadeTotal = std::max(1, fadeFrames);
}

bool Mixer::contains(SourceId id) const {
    std::lock_guard lock(m_mutex);
    return find(id) != nullptr;
}

std::size_t Mixer::sourceCount() const {
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}

Mixer::SourceId Mixer::lastAdded() const {
    std::lock_guard lock(m_mutex);
    return m_lastAdded;
}

std::optional<Mixer::TimePoint> Mixer::firstRendered(SourceId id) const {
    std::lock_guard lock(m_mutex);
    if (const Entry* entry = find(id); entry != nullptr && entry->started) {
        return entry->firstRender;
    }
    if (id == m_lastAdded) {
        return m_lastAddedFirstRender;
    }
    return std::nullopt;
}

Mixer::Entry* Mixer::find(SourceId id) {
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [id](const Entry& e) { return e.id == id; });
    return it == m_entries.end() ? nullptr : &*it;
}

const Mixer::Entry* Mixer::find(SourceId id) const {
    return const_cast<Mixer*>(this)->find(id);
}

void Mixer::render(float* out, int frames) {
    const std::size_t samples = static_cast<std::size_t>(frames) * m_format.channels;
    std::vector<std::unique_ptr<AudioSource>> finished;
    {
        std::lock_guard lock(m_mutex);
        m_mix.assign(samples, 0.0f);
        if (m_scratch.size() < samples) {
            m_scratch.resize(samples);
        }
        for (auto it = m_entries.begin(); it != m_entries.end();) {
            if (renderEntry(*it, frames)) {
                ++it;
            } else {
                finished.push_back(std::move(it->source));
                it = m_entries.erase(it);
            }
        }
        for (std::size_t i = 0; i < samples; ++i) {
            out[i] = std::clamp(m_mix[i], -1.0f, 1.0f);
        }
    }
    // `finished` is destroyed here, outside the lock.
}

bool Mixer::renderEntry(Entry& entry, int frames) {
    const int channels = m_format.channels;
    int done = 0;
    while (done < frames) {
        int chunk = frames - done;
        if (entry.fadeLeft < 0 && entry.drainLeft == 0) {
            entry.fadeLeft = entry.fadeTotal;
        }
        if (entry.fadeLeft >= 0) {
            if (entry.fadeLeft == 0) {
                return false;
            }
            chunk = std::min(chunk, entry.fadeLeft);
        } else if (entry.drainLeft > 0) {
            chunk = static_cast<int>(std::min<std::int64_t>(chunk, entry.drainLeft));
        }
        const int got = std::clamp(entry.source->render(m_scratch.data(), chunk), 0, chunk);
        if (got > 0 && !entry.started) {
            entry.started = true;
            entry.firstRender = std::chrono::steady_clock::now();
            if (entry.id == m_lastAdded) {
                m_lastAddedFirstRender = entry.firstRender;
            }
        }
        float* mix = m_mix.data() + static_cast<std::size_t>(done) * channels;
        if (entry.fadeLeft >= 0) {
            for (int f = 0; f < got; ++f) {
                const float gain = static_cast<float>(entry.fadeLeft - f) / entry.fadeTotal;
                for (int c = 0; c < channels; ++c) {
                    mix[f * channels + c] += gain * m_scratch[f * channels + c];
                }
            }
            entry.fadeLeft -= got;
        } else {
            for (int i = 0; i < got * channels; ++i) {
                mix[i] += m_scratch[i];
            }
            if (entry.drainLeft > 0) {
                entry.drainLeft -= got;
            }
        }
        done += got;
        if (got < chunk) {
            return false;
        }
    }
    return !(entry.fadeLeft == 0);
}

} // namespace hc::media
