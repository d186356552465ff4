// "hold <tag>": starts as the program does, with the single-instance mutex
// "Pendulix"; ends at once with 0 when another instance holds it. Otherwise
// signals the event "<tag>-ready", waits for "<tag>-release" and ends with 7.
// "exit <n>": ends with code n (what the shell started).
// "await <tag> <n>": waits for the event "<tag>" (at most a minute), then
// ends with code n (programs still running when others end).
#include "platform/win/wininstance.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "exit") == 0)
        return std::atoi(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "await") == 0) {
        HANDLE go = CreateEventA(nullptr, TRUE, FALSE, argv[2]);
        WaitForSingleObject(go, 60000);
        CloseHandle(go);
        return std::atoi(argv[3]);
    }
    if (argc != 3 || std::strcmp(argv[1], "hold") != 0)
        return 2;
    if (!Win::holdNamedMutex("Pendulix"))
        return 0;
    const std::string tag = argv[2];
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, (tag + "-ready").c_str());
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, (tag + "-release").c_str());
    SetEvent(ready);
    WaitForSingleObject(release, 60000);
    CloseHandle(ready);
    CloseHandle(release);
    return 7;
}
