#pragma once

namespace Posix {

// Sounds a sine tone on ALSA's default device, holding the calling thread
// until it has sounded; does nothing where there is no sound device.
void tone(int frequencyHz, int durationMs);

} // namespace Posix
