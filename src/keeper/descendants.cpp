#include "descendants.h"

#include <dirent.h>
#include <stdio.h>
#include <string.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

namespace Descendants {

namespace {

// A run that forks faster than this is stopped over several rounds.
constexpr int kMostHeld = 4096;

struct Held
{
    pid_t pid;
    int fd;
};

// Through the system calls themselves: not every C library wraps them.
int pidfdOpen(pid_t pid)
{
    return int(::syscall(SYS_pidfd_open, pid, 0));
}

int pidfdSignal(int pidfd, int signal)
{
    return int(::syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0));
}

bool alive(int pidfd)
{
    return pidfdSignal(pidfd, 0) == 0;
}

// What /proc says the parent of `pid` is; -1 when it cannot tell.
pid_t parentOf(pid_t pid)
{
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/stat", int(pid));
    FILE *file = fopen(path, "re");
    if (!file)
        return -1;
    char line[1024];
    const bool read = fgets(line, sizeof line, file) != nullptr;
    fclose(file);
    // The name, in parentheses, may hold anything: the fields follow its last ')'.
    const char *end = read ? strrchr(line, ')') : nullptr;
    int parent = -1;
    if (!end || sscanf(end + 1, " %*c %d", &parent) != 1)
        return -1;
    return parent;
}

// Calls `found` with each child the kernel lists for every thread of `pid`.
template<typename Found>
void forEachChildOf(pid_t pid, Found found)
{
    char folder[64];
    snprintf(folder, sizeof folder, "/proc/%d/task", int(pid));
    DIR *tasks = ::opendir(folder);
    if (!tasks)
        return;
    while (const dirent *task = ::readdir(tasks)) {
        if (task->d_name[0] == '.')
            continue;
        char path[384];
        snprintf(path, sizeof path, "%s/%s/children", folder, task->d_name);
        FILE *file = fopen(path, "re");
        if (!file)
            continue;
        int child = 0;
        while (fscanf(file, "%d", &child) == 1)
            found(pid_t(child));
        fclose(file);
    }
    ::closedir(tasks);
}

} // namespace

int signalAll(int signal)
{
    static Held held[kMostHeld];
    int count = 0;
    // Our own children stay ours until we reap them: their numbers cannot
    // be reused meanwhile, so they are held without further proof.
    forEachChildOf(::getpid(), [&](pid_t child) {
        const int fd = count < kMostHeld ? pidfdOpen(child) : -1;
        if (fd >= 0)
            held[count++] = {child, fd};
    });
    for (int next = 0; next < count && count < kMostHeld; ++next) {
        const Held parent = held[next];
        forEachChildOf(parent.pid, [&](pid_t child) {
            const int fd = count < kMostHeld ? pidfdOpen(child) : -1;
            if (fd < 0)
                return;
            // Read after the descriptor was taken, and trusted only while both
            // still hold live processes: then neither number was reused between.
            if (parentOf(child) == parent.pid && alive(fd) && alive(parent.fd))
                held[count++] = {child, fd};
            else
                ::close(fd);
        });
    }
    int reached = 0;
    for (int i = 0; i < count; ++i) {
        if (pidfdSignal(held[i].fd, signal) == 0)
            ++reached;
        ::close(held[i].fd);
    }
    return reached;
}

} // namespace Descendants
