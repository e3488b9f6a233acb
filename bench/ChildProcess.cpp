#include "ChildProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace grittydecal::bench {

ChildRun RunChild(const std::vector<std::string>& argv) {
    std::vector<char*> args{const_cast<char*>(MEASURE_PROGRAM)};
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    ChildRun run;
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return run;
    const pid_t pid = ::fork();
    if (pid < 0) return run;
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) ::dup2(null, STDOUT_FILENO);
        if (report[1] == 3) {
            ::fcntl(3, F_SETFD, 0);
        } else {
            ::dup2(report[1], 3);
        }
        ::execv(args[0], args.data());
        std::perror(args[0]);
        ::_exit(127);
    }
    ::close(report[1]);
    std::string text;
    char block[256];
    for (ssize_t got; (got = ::read(report[0], block, sizeof block)) != 0;) {
        if (got < 0 && errno != EINTR) break;
        if (got > 0) text.append(block, static_cast<std::size_t>(got));
    }
    ::close(report[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    int exitStatus = -1;
    if (std::sscanf(text.c_str(), "measured %lf %lf %ld %d", &run.seconds, &run.cpuSeconds,
                    &run.peakKiB, &exitStatus) == 4) {
        run.succeeded = exitStatus == 0;
    }
    return run;
}

void FlushFileSystem(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::syncfs(fd);
    ::close(fd);
}

}  // namespace grittydecal::bench
