#pragma once

namespace hc::media {

// Silences the messages that the system's sound libraries print on their own (ALSA prints
// about eight lines to stderr when there is no sound card). The media system reports what
// matters itself, once: that sound is played silently, and why. Call before the sound
// subsystem starts; calling it again does nothing more.
void silenceSoundLibraryMessages();

} // namespace hc::media
