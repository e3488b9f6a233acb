/* Runs a program and writes to descriptor 3 (stderr when 3 is not open):
 *   measured <wall seconds> <CPU seconds> <peak KiB> <exit status>
 *
 * The benchmark starts every run through this small process: Linux counts
 * the memory a child had before exec in its peak, so a child forked straight
 * from the benchmark, which holds the pristine trees' bytes, would inherit
 * that figure. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double seconds(struct timeval t) { return (double)t.tv_sec + (double)t.tv_usec / 1e6; }

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s program [argument...]\n", argv[0]);
        return 2;
    }
    /* The program measured must not inherit the report's descriptor. */
    int report = fcntl(3, F_SETFD, FD_CLOEXEC) == 0 ? 3 : 2;
    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t pid = fork();
    if (pid < 0) return 1;
    if (pid == 0) {
        execvp(argv[1], argv + 1);
        perror(argv[1]);
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    while (wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) return 1;
    }
    clock_gettime(CLOCK_MONOTONIC, &end);
    double wall = (double)(end.tv_sec - start.tv_sec) + (double)(end.tv_nsec - start.tv_nsec) / 1e9;
    dprintf(report, "measured %.6f %.6f %ld %d\n", wall,
            seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_maxrss,
            WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    return 0;
}
