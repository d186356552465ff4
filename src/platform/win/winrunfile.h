#pragma once

#include <string>

// What a run's keeper and Pendulix agree on about the run's file in the runs
// folder: the byte the keeper locks for as long as it lives, the name of
// the event that asks it to stop, and where the file goes once it has ended.
namespace Win {

// Locks the run's byte of an open run file, at once or not at all: shared
// to test it, exclusive to hold it. Windows locks are mandatory, so the byte
// lies far beyond anything written: readers of the record never meet it.
bool lockRunByte(void *file, bool exclusive);
void unlockRunByte(void *file);

// The stop event's name for the open run file: taken from the file's
// identity rather than its name, so that every spelling of the path meets
// the same keeper, and a file moved away meets none. Empty when the system
// gives no identity.
std::wstring stopEventName(void *file);

// "runs\ended\ID.run" for "runs\ID.run".
std::wstring endedPath(const std::wstring &runFile);

} // namespace Win
