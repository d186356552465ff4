#include "posixspawn.h"

#include "sessionattributes.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>
#include <vector>

namespace Posix {

// posix_spawn rather than fork: it reports a refused exec (missing
// interpreter, no "#!", no permission) and a refused fork as its result,
// and it does not copy our address space. The child gets a session of its
// own, so that it outlives us and our terminal, default signal handling
// (ignored signals would otherwise be inherited), and none of our descriptors.
pid_t spawn(const QByteArray &program, const QList<QByteArray> &arguments, bool searchPath,
            const QByteArray &output, int outputPipe, int inputPipe, int handed)
{
    std::vector<char *> argv;
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The pipe of its output relay, or else a file written by the child
    // itself: either way we hold no descriptor of it while it runs.
    if (inputPipe >= 0) {
        posix_spawn_file_actions_adddup2(&actions, inputPipe, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    } else if (outputPipe >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outputPipe, 1);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    } else if (!output.isEmpty()) {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, output.constData(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    } else {
        // Nothing of ours, our terminal included: what it reads is empty,
        // what it writes goes nowhere.
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    if (handed >= 0)
        posix_spawn_file_actions_adddup2(&actions, handed, 3);
    // Last: a pipe's own descriptor is above the three.
    posix_spawn_file_actions_addclosefrom_np(&actions, handed >= 0 ? 4 : 3);
    const SessionAttributes attributes;
    pid_t pid = -1;
    const int error = searchPath ? posix_spawnp(&pid, program.constData(), &actions, attributes.get(),
                                                argv.data(), environ)
                                 : posix_spawn(&pid, program.constData(), &actions, attributes.get(),
                                               argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

} // namespace Posix
