#pragma once

// The single-instance marker: a named mutex of the user's login.
namespace Win {

// Creates the named mutex, without security attributes and not owned, and
// keeps its handle open for the rest of the process. False when it already
// existed: another instance holds it.
bool holdNamedMutex(const char *name);

} // namespace Win
