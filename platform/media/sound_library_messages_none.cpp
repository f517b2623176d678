#include "platform/media/sound_library_messages.h"

namespace hc::media {

// This platform's sound libraries print nothing of their own.
void silenceSoundLibraryMessages() {}

} // namespace hc::media
