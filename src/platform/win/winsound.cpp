#include "winsound.h"

#include <windows.h>

namespace Win {

void tone(int frequencyHz, int durationMs)
{
    Beep(DWORD(frequencyHz), DWORD(durationMs));
}

} // namespace Win
