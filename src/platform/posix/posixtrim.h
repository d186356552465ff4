#pragma once

namespace Posix {

// Gives the C library's free memory back to the system and asks the kernel
// to page out the writable mappings of this process; reports nothing.
void trimOwnMemory();

} // namespace Posix
