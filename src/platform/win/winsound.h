#pragma once

namespace Win {

// The tone of the Error signal on the computer's speaker, holding the calling
// thread for its duration.
void tone(int frequencyHz, int durationMs);

} // namespace Win
