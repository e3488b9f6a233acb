// Set and Clear killed part-way: every terrain file must be its previous or
// its edited text, and a Clear afterwards must finish the job.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "commands/DecalCommands.h"
#include "support/FaultyFileSystem.h"
#include "support/RecordingWindow.h"
#include "support/TempTree.h"
#include "terrain/ClearFilter.h"
#include "terrain/PosixFileSystem.h"

namespace grittydecal {
namespace {

using testing::FaultyFileSystem;
using testing::RecordingWindow;
using testing::TempTree;

constexpr int kFolders = 3;
constexpr int kFilesPerFolder = 100;
const std::string kDecal = "DECAL_LIB lib/g10/decals/stony_dirt_1.dcl";

std::string name(int folder, int file) {
    const std::string tile = folder == 0 ? "" : "tile" + std::to_string(folder) + "/";
    return "area/" + tile + "terrain/f" + std::to_string(file) + ".ter";
}

std::string text(int folder, int file) {
    std::string t = "A\r\n800\r\nTERRAIN\r\n\r\nBASE_TEX t" + std::to_string(file) + ".dds\r\n";
    if (file % 3 == 0) t += "\r\n" + kDecal + "\r\n";
    if (file % 5 == 0) t += "\x1a" + std::string(file % 200, 'z');
    if (folder == 1) {
        for (std::size_t i = t.find("\r\n"); i != std::string::npos; i = t.find("\r\n", i)) {
            t.erase(i, 1);
        }
    }
    return t;
}

std::string cleared(const std::string& t) {
    ClearFilter filter;
    std::string out;
    filter.feed(t, out);
    filter.finish(out);
    return out;
}

std::string set(const std::string& t) {
    const auto mark = t.find('\x1a', t.size() > 128 ? t.size() - 128 : 0);
    return t.substr(0, mark) + "\r\n" + kDecal + "\r\n";
}

void plant(const TempTree& tree) {
    for (int folder = 0; folder < kFolders; ++folder) {
        for (int file = 0; file < kFilesPerFolder; ++file)
            tree.file(name(folder, file), text(folder, file));
    }
}

enum class Command { Set, Clear };

void runCommand(Command command, const TempTree& tree, FileSystem& files) {
    RecordingWindow window;
    DecalCommands commands(files, window);
    if (command == Command::Set) {
        commands.set(tree.path("area"), true, "stony_dirt_1.dcl");
    } else {
        commands.clear(tree.path("area"), true);
    }
}

// Runs the command in a child that is killed at its killAt-th file operation,
// or, with killAt 0, after the given delay.
void runKilled(Command command, const TempTree& tree, std::uint64_t killAt,
               std::chrono::microseconds delay) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FaultyFileSystem files;
        files.killAt = killAt;
        runCommand(command, tree, files);
        ::_exit(0);
    }
    if (killAt == 0) {
        ::usleep(static_cast<useconds_t>(delay.count()));
        ::kill(child, SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
}

void expectOldOrEdited(Command command, const TempTree& tree, const std::string& at) {
    for (int folder = 0; folder < kFolders; ++folder) {
        for (int file = 0; file < kFilesPerFolder; ++file) {
            const std::string before = text(folder, file);
            const std::string edited = command == Command::Set ? set(before) : cleared(before);
            ASSERT_TRUE(tree.exists(name(folder, file))) << at << " " << name(folder, file);
            const std::string now = tree.read(name(folder, file));
            EXPECT_TRUE(now == before || now == edited) << at << " " << name(folder, file);
        }
    }
}

void expectClearFinishes(const TempTree& tree, const std::string& at) {
    PosixFileSystem files;
    runCommand(Command::Clear, tree, files);
    for (int folder = 0; folder < kFolders; ++folder) {
        for (int file = 0; file < kFilesPerFolder; ++file) {
            const std::string before = text(folder, file);
            const std::string now = tree.read(name(folder, file));
            EXPECT_TRUE(now == cleared(before) || now == cleared(set(before)))
                << at << " " << name(folder, file);
        }
    }
}

std::uint64_t callsOfAWholeRun(Command command) {
    TempTree tree;
    plant(tree);
    FaultyFileSystem files;
    runCommand(command, tree, files);
    return files.calls;
}

TEST(KilledRun, AtTwentyFileOperationsEach) {
    for (const Command command : {Command::Set, Command::Clear}) {
        const std::uint64_t calls = callsOfAWholeRun(command);
        ASSERT_GT(calls, 1000u);
        for (std::uint64_t k = 0; k < 20; ++k) {
            const std::uint64_t killAt = 1 + k * calls / 20 + k * 7 % 11;
            const std::string at =
                (command == Command::Set ? "Set killed at call " : "Clear killed at call ") +
                std::to_string(killAt);
            TempTree tree;
            plant(tree);
            runKilled(command, tree, killAt, {});
            expectOldOrEdited(command, tree, at);
            expectClearFinishes(tree, at);
        }
    }
}

TEST(KilledRun, AtRandomMoments) {
    std::mt19937 random(20261211);
    for (int k = 0; k < 20; ++k) {
        const Command command = k % 2 ? Command::Set : Command::Clear;
        const auto delay =
            std::chrono::microseconds(std::uniform_int_distribution<int>(0, 30000)(random));
        const std::string at = std::string(command == Command::Set ? "Set" : "Clear") +
                               " killed after " + std::to_string(delay.count()) + " us";
        TempTree tree;
        plant(tree);
        runKilled(command, tree, 0, delay);
        expectOldOrEdited(command, tree, at);
        expectClearFinishes(tree, at);
    }
}

}  // namespace
}  // namespace grittydecal
