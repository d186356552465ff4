// "hold <tag>": starts as the program does, with the single-instance mutex
// "Pendulix"; ends at once with 0 when another instance holds it. Otherwise
// signals the event "<tag>-ready", waits for "<tag>-release" and ends with 7.
// "exit <n>": ends with code n (what the shell started).
// "await <tag> <n>": waits for the event "<tag>" (at most a minute), then
// ends with code n (programs still running when others end).
// "parent <tag> <file>": waits for "<tag>-adopted", starts
// "await <tag>-never 0", writes its process id to <file>, and waits a minute.
// "leave <tag> <file>": starts "await <tag>-never 0", writes its process id
// to <file>, and ends with 0 (a program that leaves a process behind).
// "print <tag> <n>": writes a line, waits for the event "<tag>" (at most a
// minute), then ends with code n (output that comes while a program runs).
// "bytes <n>": writes n bytes "x" and ends with 0; with n = 0, without end.
// "write": writes to its standard output, error, output again, then ends
// with 0 when its standard input is empty, 5 when it is not.
// "show <name>": asks the running instance of the program <name> (ASCII) to
// show its window, as a second start does; 0 when it found one, else 1.
#include "platform/win/wininstance.h"
#include "platform/win/winshowrequest.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Starts "await <tag>-never 0" and writes its process id to `idFile`. It
// holds nothing of ours: no handle, no standard output, not even our
// console, whose host under Wine inherits our output and lives as long as
// any process of the console.
bool startAwaiting(const std::string &tag, const char *idFile)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command(1, '"');
    command.append(self).append("\" await ").append(tag).append("-never 0");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION child{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        nullptr, &startup, &child))
        return false;
    const std::string id = std::to_string(child.dwProcessId);
    HANDLE file = CreateFileA(idFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, id.data(), DWORD(id.size()), &written, nullptr);
    CloseHandle(file);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "exit") == 0)
        return std::atoi(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "write") == 0) {
        DWORD count = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "out 1\r\n", 7, &count, nullptr);
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), "err 1\r\n", 7, &count, nullptr);
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "out 2\r\n", 7, &count, nullptr);
        char byte = 0;
        count = 0;
        ReadFile(GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &count, nullptr);
        return count == 0 ? 0 : 5;
    }
    if (argc == 3 && std::strcmp(argv[1], "show") == 0) {
        const std::string name = argv[2];
        return Win::askToShow(std::wstring(name.begin(), name.end())) ? 0 : 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "await") == 0) {
        HANDLE go = CreateEventA(nullptr, TRUE, FALSE, argv[2]);
        WaitForSingleObject(go, 60000);
        CloseHandle(go);
        return std::atoi(argv[3]);
    }
    if (argc == 4 && std::strcmp(argv[1], "parent") == 0) {
        const std::string tag = argv[2];
        HANDLE adopted = CreateEventA(nullptr, TRUE, FALSE, (tag + "-adopted").c_str());
        WaitForSingleObject(adopted, 60000);
        if (!startAwaiting(tag, argv[3]))
            return 3;
        Sleep(60000);
        return 4;
    }
    if (argc == 4 && std::strcmp(argv[1], "leave") == 0)
        return startAwaiting(argv[2], argv[3]) ? 0 : 3;
    if (argc == 4 && std::strcmp(argv[1], "print") == 0) {
        HANDLE go = CreateEventA(nullptr, TRUE, FALSE, argv[2]);
        DWORD count = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "avant l'attente\r\n", 17, &count, nullptr);
        WaitForSingleObject(go, 60000);
        return std::atoi(argv[3]);
    }
    if (argc == 3 && std::strcmp(argv[1], "bytes") == 0) {
        const std::string chunk(1000, 'x');
        DWORD count = 0;
        const long size = std::atol(argv[2]);
        for (long left = size; left > 0 || size == 0; left -= long(chunk.size())) {
            if (!WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), chunk.data(),
                           DWORD(size == 0 ? chunk.size() : std::min<long>(left, long(chunk.size()))),
                           &count, nullptr))
                return 3;
        }
        return 0;
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
