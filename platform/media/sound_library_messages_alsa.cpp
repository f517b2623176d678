#include "platform/media/sound_library_messages.h"

#include <alsa/asoundlib.h>

namespace hc::media {
namespace {

// ALSA's error hook: the library reports each failed step of opening a device here, and by
// default prints it. Its failures reach us through SDL's own error text instead.
void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

} // namespace

void silenceSoundLibraryMessages() {
    snd_lib_error_set_handler(&ignoreAlsaMessage);
}

} // namespace hc::media
