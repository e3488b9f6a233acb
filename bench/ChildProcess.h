#pragma once

#include <string>
#include <vector>

namespace grittydecal::bench {

struct ChildRun {
    bool succeeded = false;
    double seconds = 0;     // wall clock, from fork to reaped
    double cpuSeconds = 0;  // user and system time of the child and what it waited for
    long peakKiB = 0;       // largest resident set among them
};

// Runs the program with its output discarded and waits for it; measured by
// measure_run, which starts it from a process of its own size.
ChildRun RunChild(const std::vector<std::string>& argv);

// Writes back every dirty page of the file system holding path, so that one
// run's writes are not paid for during the next.
void FlushFileSystem(const std::string& path);

}  // namespace grittydecal::bench
