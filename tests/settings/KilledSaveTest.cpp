// A save killed at a random moment leaves the settings file as its old or its
// new text, never a mix or a part of one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <vector>

#include "settings/IniFile.h"
#include "support/TempTree.h"

namespace grittydecal {
namespace {

using testing::TempTree;

std::vector<IniEntry> entries(const std::string& value) {
    std::vector<IniEntry> all;
    for (int key = 0; key < 12; ++key) {
        all.push_back({"Key" + std::to_string(key), value + std::to_string(key)});
    }
    return all;
}

std::string textOf(const TempTree& tree, const std::string& name, const std::string& value) {
    IniFile file(tree.path(name));
    EXPECT_TRUE(file.write("TForm1", entries(value)));
    return tree.read(name);
}

TEST(KilledSave, LeavesTheOldOrTheNewText) {
    TempTree tree;
    const std::string first = textOf(tree, "first.INI", std::string(300, 'a'));
    const std::string second = textOf(tree, "second.INI", std::string(500, 'b'));
    ASSERT_NE(first, second);

    std::mt19937 random(1211);
    int killedMidway = 0;
    for (int run = 0; run < 20; ++run) {
        tree.file("grittydecal.INI", first);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            IniFile file(tree.path("grittydecal.INI"));
            for (bool flip = true;; flip = !flip) {
                file.write("TForm1", entries(std::string(flip ? 500 : 300, flip ? 'b' : 'a')));
            }
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 20000)(random));
        ::kill(child, SIGKILL);
        ASSERT_EQ(::waitpid(child, nullptr, 0), child);

        const std::string now = tree.read("grittydecal.INI");
        EXPECT_TRUE(now == first || now == second) << "run " << run;
        killedMidway += now == second;
    }
    // The child must have got through saves, or nothing was tested.
    EXPECT_GT(killedMidway, 0);
}

}  // namespace
}  // namespace grittydecal
