#include "descendants.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

// glibc 2.36 declares them without C linkage for C++.
extern "C" {
#include <sys/pidfd.h>
}

namespace Descendants {

namespace {

// A run that forks faster than this is stopped over several rounds.
constexpr std::size_t kMostHeld = 4096;

struct Held
{
    pid_t pid;
    int fd;
};

bool alive(int pidfd)
{
    return pidfd_send_signal(pidfd, 0, nullptr, 0) == 0;
}

// What /proc says the parent of `pid` is; -1 when it cannot tell.
pid_t parentOf(pid_t pid)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", int(pid));
    FILE *file = std::fopen(path, "re");
    if (!file)
        return -1;
    char line[1024];
    const bool read = std::fgets(line, sizeof line, file) != nullptr;
    std::fclose(file);
    // The name, in parentheses, may hold anything: the fields follow its last ')'.
    const char *end = read ? std::strrchr(line, ')') : nullptr;
    int parent = -1;
    if (!end || std::sscanf(end + 1, " %*c %d", &parent) != 1)
        return -1;
    return parent;
}

// The children the kernel lists for every thread of `pid`.
std::vector<pid_t> childrenOf(pid_t pid)
{
    std::vector<pid_t> children;
    char folder[64];
    std::snprintf(folder, sizeof folder, "/proc/%d/task", int(pid));
    DIR *tasks = ::opendir(folder);
    if (!tasks)
        return children;
    while (const dirent *task = ::readdir(tasks)) {
        if (task->d_name[0] == '.')
            continue;
        const std::string path = std::string(folder) + '/' + task->d_name + "/children";
        FILE *file = std::fopen(path.c_str(), "re");
        if (!file)
            continue;
        int child = 0;
        while (std::fscanf(file, "%d", &child) == 1)
            children.push_back(child);
        std::fclose(file);
    }
    ::closedir(tasks);
    return children;
}

} // namespace

int signalAll(int signal)
{
    std::vector<Held> held;
    // Our own children stay ours until we reap them: their numbers cannot
    // be reused meanwhile, so they are held without further proof.
    for (pid_t child : childrenOf(::getpid())) {
        const int fd = pidfd_open(child, 0);
        if (fd >= 0)
            held.push_back({child, fd});
    }
    for (std::size_t next = 0; next < held.size() && held.size() < kMostHeld; ++next) {
        const Held parent = held[next];
        for (pid_t child : childrenOf(parent.pid)) {
            const int fd = pidfd_open(child, 0);
            if (fd < 0)
                continue;
            // Read after the descriptor was taken, and trusted only while both
            // still hold live processes: then neither number was reused between.
            if (parentOf(child) == parent.pid && alive(fd) && alive(parent.fd))
                held.push_back({child, fd});
            else
                ::close(fd);
        }
    }
    int reached = 0;
    for (const Held &process : held) {
        if (pidfd_send_signal(process.fd, signal, nullptr, 0) == 0)
            ++reached;
        ::close(process.fd);
    }
    return reached;
}

} // namespace Descendants
