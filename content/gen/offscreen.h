#pragma once

// The content tools paint and encode off screen: no display is needed, and the notes that Qt and
// FFmpeg print for a desktop session mean nothing there.

namespace hc::content {

// Before the GUI application is made: Qt's offscreen platform, FFmpeg's errors only, and Qt's
// note that XDG_RUNTIME_DIR is unset (usual without a desktop session) dropped; everything else
// Qt says is passed on.
void startOffscreen();

} // namespace hc::content
