// Odd files and folders, end to end through the commands: each row says what
// the user sees and what becomes of the files, and nothing else may change.
#include <ftw.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <map>

#include "commands/DecalCommands.h"
#include "support/RecordingWindow.h"
#include "support/TempTree.h"
#include "terrain/PosixFileSystem.h"

namespace grittydecal {
namespace {

using testing::RecordingWindow;
using testing::TempTree;

const std::string kDecal = "\r\nDECAL_LIB lib/g10/decals/d.dcl\r\n";

// Every entry below the root: its kind and mode, and a file's bytes or a
// link's target.
std::map<std::string, std::string> snapshot(const std::string& root) {
    static std::map<std::string, std::string>* entries;
    static std::size_t rootLength;
    std::map<std::string, std::string> result;
    entries = &result;
    rootLength = root.size();
    ::nftw(
        root.c_str(),
        [](const char* path, const struct stat* st, int, FTW*) {
            std::string what = std::to_string(st->st_mode);
            if (std::strlen(path) < rootLength) return 0;  // the root itself
            if (S_ISREG(st->st_mode)) {
                FILE* f = std::fopen(path, "rb");
                if (f) {
                    char buffer[65536];
                    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, f)) > 0;) {
                        what.append(buffer, got);
                    }
                    std::fclose(f);
                }
            } else if (S_ISLNK(st->st_mode)) {
                char target[4096];
                const ssize_t n = ::readlink(path, target, sizeof target);
                if (n > 0) what.append(target, static_cast<std::size_t>(n));
            }
            (*entries)[std::string(path).substr(rootLength)] = what;
            return 0;
        },
        16, FTW_PHYS);
    return result;
}

std::vector<std::string> diff(const std::map<std::string, std::string>& before,
                              const std::map<std::string, std::string>& after) {
    std::vector<std::string> changed;
    for (const auto& [path, what] : before) {
        const auto found = after.find(path);
        if (found == after.end() || found->second != what) changed.push_back(path);
    }
    for (const auto& [path, what] : after) {
        if (!before.contains(path)) changed.push_back(path);
    }
    return changed;
}

// Root ignores permission bits; dropping these makes it obey them as anyone.
void dropPermissionOverrides() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0) return;
    for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
        data[cap / 32].effective &= ~(1u << (cap % 32));
    }
    ::syscall(SYS_capset, &header, data);
}

// Runs the command in a child without the overrides and hands back what it
// asked of the window.
std::vector<std::string> runObeyingPermissions(const std::function<void(RecordingWindow&)>& run) {
    int pipe[2];
    if (::pipe(pipe) != 0) return {"pipe failed"};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        dropPermissionOverrides();
        RecordingWindow window;
        run(window);
        for (const auto& event : window.events) {
            const std::string line = event + "\n";
            (void)!::write(pipe[1], line.data(), line.size());
        }
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string all;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;) {
        all.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipe[0]);
    ::waitpid(child, nullptr, 0);
    std::vector<std::string> events;
    for (std::size_t start = 0, end; (end = all.find('\n', start)) != std::string::npos;
         start = end + 1) {
        events.push_back(all.substr(start, end - start));
    }
    return events;
}

enum class Command { Set, Clear };

struct Row {
    const char* what;
    Command command;
    std::function<void(const TempTree&)> plant;
    int beeps;
    // Terrain files and what they hold afterwards; every other entry stays as
    // it was, but for the working copy beside a file that Clear rewrote.
    std::map<std::string, std::string> after;
    bool obeyPermissions = false;
};

void makeSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ADD_FAILURE() << "cannot bind " << path;
    }
    ::close(fd);
}

std::string allBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    return bytes;
}

TEST(BadInput, EachHasAClearOutcomeAndNothingElseChanges) {
    const std::string megaLine(10 * 1024 * 1024, 'm');
    const std::string binary = allBytes() + allBytes();
    // Clear reads up to the first Ctrl-Z (26); LF (10) and CR (13) break lines.
    const std::string binaryCleared = binary.substr(0, 10) + "\r\n" + binary.substr(11, 2) +
                                      "\r\n" + binary.substr(14, 12) + "\r\n";

    const Row rows[] = {
        {"a link to a file outside",
         Command::Set,
         [](const TempTree& t) {
             t.file("outside.txt", "o");
             (void)!::symlink("../../outside.txt", t.path("area/terrain/link.ter").c_str());
         },
         1,
         {}},
        {"a link to a folder",
         Command::Clear,
         [](const TempTree& t) {
             t.folder("outside/terrain");
             t.file("outside/terrain/o.ter", "DECAL_LIB x\r\n");
             (void)!::symlink("../../outside", t.path("area/terrain/dir.ter").c_str());
             (void)!::symlink("../../outside", t.path("area/terrain/dir").c_str());
         },
         1,
         {}},
        {"a loop of links",
         Command::Clear,
         [](const TempTree& t) {
             (void)!::symlink("b.ter", t.path("area/terrain/a.ter").c_str());
             (void)!::symlink("a.ter", t.path("area/terrain/b.ter").c_str());
         },
         2,
         {}},
        {"a FIFO",
         Command::Clear,
         [](const TempTree& t) { ::mkfifo(t.path("area/terrain/fifo.ter").c_str(), 0644); },
         1,
         {}},
        {"a FIFO for Set",
         Command::Set,
         [](const TempTree& t) { ::mkfifo(t.path("area/terrain/fifo.ter").c_str(), 0644); },
         1,
         {}},
        {"a socket",
         Command::Clear,
         [](const TempTree& t) { makeSocket(t.path("area/terrain/s.ter")); },
         1,
         {}},
        {"an empty file, Set",
         Command::Set,
         [](const TempTree& t) { t.file("area/terrain/e.ter", ""); },
         0,
         {{"area/terrain/e.ter", kDecal}}},
        {"an empty file, Clear",
         Command::Clear,
         [](const TempTree& t) { t.file("area/terrain/e.ter", ""); },
         0,
         {{"area/terrain/e.ter", ""}}},
        {"10 MB on one line",
         Command::Clear,
         [&](const TempTree& t) { t.file("area/terrain/m.ter", megaLine); },
         0,
         {{"area/terrain/m.ter", megaLine + "\r\n"}}},
        {"binary bytes",
         Command::Clear,
         [&](const TempTree& t) { t.file("area/terrain/b.ter", binary); },
         0,
         {{"area/terrain/b.ter", binaryCleared}}},
        {"Ctrl-Z at start, middle and end",
         Command::Clear,
         [](const TempTree& t) {
             t.file("area/terrain/s.ter",
                    "\x1a"
                    "A\r\n");
             t.file("area/terrain/m.ter",
                    "A\r\nBASE\r\nab\x1a"
                    "cd\r\nmore\r\n");
             t.file("area/terrain/e.ter", "A\r\nDECAL_LIB x\r\n\x1a");
         },
         0,
         {{"area/terrain/s.ter", ""},
          {"area/terrain/m.ter", "A\r\nBASE\r\n"},
          {"area/terrain/e.ter", "A\r\n"}}},
        {"Ctrl-Z at the end, Set",
         Command::Set,
         [](const TempTree& t) { t.file("area/terrain/e.ter", "A\r\n\x1a"); },
         0,
         {{"area/terrain/e.ter", "A\r\n" + kDecal}}},
        {"NUL bytes",
         Command::Clear,
         [](const TempTree& t) { t.file("area/terrain/n.ter", std::string("A\0B\r\n\0\r\n", 8)); },
         0,
         {{"area/terrain/n.ter", std::string("A\0B\r\n\0\r\n", 8)}}},
        {"CR line breaks",
         Command::Clear,
         [](const TempTree& t) {
             t.file("area/terrain/c.ter", "A\rBASE\rab\rDECAL_LIB x\rlong line\r");
         },
         0,
         {{"area/terrain/c.ter", "A\r\nBASE\r\nlong line\r\n"}}},
        {"odd names",
         Command::Set,
         [](const TempTree& t) {
             t.file("area/terrain/\xff\xfe.ter", "x");
             t.file("area/terrain/new\nline.ter", "x");
             t.file("area/terrain/back\\slash.ter", "x");
         },
         0,
         {{"area/terrain/\xff\xfe.ter", "x" + kDecal},
          {"area/terrain/new\nline.ter", "x" + kDecal},
          {"area/terrain/back\\slash.ter", "x" + kDecal}}},
        {"a terrain file without any write bit",
         Command::Set,
         [](const TempTree& t) {
             t.file("area/terrain/r.ter", "x");
             t.chmod("area/terrain/r.ter", 0444);
         },
         1,
         {}},
        {"a working copy that is a folder",
         Command::Clear,
         [](const TempTree& t) {
             t.file("area/terrain/a.ter", "DECAL_LIB x\r\n");
             t.folder("area/terrain/temp.txt");
         },
         1,
         {}},
        {"a working copy without any write bit",
         Command::Clear,
         [](const TempTree& t) {
             t.file("area/terrain/a.ter", "DECAL_LIB x\r\n");
             t.file("area/terrain/temp.txt", "kept");
             t.chmod("area/terrain/temp.txt", 0444);
         },
         1,
         {}},
        {"a folder named like a terrain file, without write bit",
         Command::Clear,
         [](const TempTree& t) {
             t.file("area/terrain/x.ter/terrain/inner.ter", "DECAL_LIB x\r\n");
             t.chmod("area/terrain/x.ter", 0555);
         },
         1,
         {}},
        {"a folder that cannot be read",
         Command::Clear,
         [](const TempTree& t) {
             t.file("area/terrain/a.ter", "A\r\n");
             t.file("area/closed/terrain/c.ter", "DECAL_LIB x\r\n");
             t.chmod("area/closed", 0200);  // writable, so not read-only: walked
         },
         0,
         {{"area/terrain/a.ter", "A\r\n"}},
         true},
    };

    for (const auto& row : rows) {
        TempTree tree;
        tree.folder("area/terrain");
        row.plant(tree);
        const auto before = snapshot(tree.root());

        const auto run = [&](RecordingWindow& window) {
            PosixFileSystem files;
            DecalCommands commands(files, window);
            if (row.command == Command::Set) {
                commands.set(tree.path("area"), true, "d.dcl");
            } else {
                commands.clear(tree.path("area"), true);
            }
        };
        std::vector<std::string> events;
        if (row.obeyPermissions) {
            events = runObeyingPermissions(run);
        } else {
            RecordingWindow window;
            run(window);
            events = window.events;
        }

        EXPECT_EQ(std::count(events.begin(), events.end(), "beep"), row.beeps) << row.what;
        EXPECT_EQ(std::count(events.begin(), events.end(), "error Wrong folder"), 0) << row.what;
        ASSERT_FALSE(events.empty()) << row.what;
        EXPECT_EQ(events[events.size() - 2], "label " + std::string(kDone)) << row.what;

        for (const auto& [path, bytes] : row.after) {
            EXPECT_EQ(tree.read(path), bytes) << row.what << ": " << path;
        }
        for (const auto& path : diff(before, snapshot(tree.root()))) {
            const bool expected =
                row.after.contains(path) || (row.command == Command::Clear && !row.after.empty() &&
                                             path == "area/terrain/temp.txt");
            EXPECT_TRUE(expected) << row.what << ": " << path << " changed";
        }
    }
}

}  // namespace
}  // namespace grittydecal
