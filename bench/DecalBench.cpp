// Times Set and Clear through the core against the peers a user could pick
// instead, in one run, on generated scenery trees. See README.md.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "TreeCopy.h"
#include "TreeGenerator.h"
#include "commands/DecalCommands.h"
#include "terrain/PosixFileSystem.h"
#include "terrain/WindowSystem.h"

namespace grittydecal::bench {
namespace {

constexpr std::uint64_t kSeed = 20240610;
constexpr const char* kDecal = "grass_and_stony_dirt_1.dcl";

// The core with nothing to show: counts what a window would have been told.
class QuietWindow final : public WindowSystem {
public:
    void setProgressText(std::string_view) override {}
    void processPendingMessages() override {}
    void beep() override { ++beeps; }
    void showError(std::string_view) override { ++errors; }
    int beeps = 0;
    int errors = 0;
};

int runCore(const std::string& command, const std::string& installation) {
    PosixFileSystem fileSystem;
    QuietWindow window;
    DecalCommands commands(fileSystem, window);
    if (command == "set") {
        commands.set(installation, false, kDecal);
    } else {
        commands.clear(installation, false);
    }
    if (window.errors > 0) {
        std::fprintf(stderr, "core: Wrong folder: %s\n", installation.c_str());
        return 1;
    }
    if (window.beeps > 0) {
        std::fprintf(stderr, "core: %d terrain files failed\n", window.beeps);
        return 3;
    }
    return 0;
}

bool exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

void shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

std::string quoted(const std::string& path) {
    std::string q = "'";
    for (const char c : path) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Subject {
    std::string name;
    std::function<std::vector<std::string>(const std::string& command,
                                           const std::string& installation)>
        argv;
};

std::string selfProgram() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) throw std::runtime_error("cannot find this program");
    return std::string(path, static_cast<std::size_t>(n));
}

std::vector<Subject> allSubjects() {
    const std::string self = selfProgram();
    auto withDecal = [](std::vector<std::string> argv, const std::string& command) {
        if (command == "set") argv.push_back(kDecal);
        return argv;
    };
    return {
        {"core",
         [=](const std::string& c, const std::string& i) {
             return withDecal({self, "core", c, i}, c);
         }},
        {"shell",
         [=](const std::string& c, const std::string& i) {
             return withDecal({"sh", BENCH_SOURCE_DIR "/ShellPeer.sh", c, i}, c);
         }},
        {"python",
         [=](const std::string& c, const std::string& i) {
             return withDecal({"python3", BENCH_SOURCE_DIR "/ScandirPeer.py", c, i}, c);
         }},
        {"floor",
         [=](const std::string& c, const std::string& i) {
             return withDecal({FLOOR_PROGRAM, c, i}, c);
         }},
#ifdef WINDOW_PROGRAM
        {"window",
         [=](const std::string& c, const std::string& i) {
             return withDecal({WINDOW_PROGRAM, c, i}, c);
         }},
#endif
    };
}

std::vector<Subject> pickSubjects(const std::string& names) {
    std::vector<Subject> picked;
    for (Subject& s : allSubjects()) {
        if (("," + names + ",").find("," + s.name + ",") != std::string::npos) {
            picked.push_back(std::move(s));
        }
    }
    if (picked.empty() || picked.front().name != "core") {
        throw std::runtime_error("the subjects must include core");
    }
    return picked;
}

struct Counts {
    std::uint64_t terrainFiles = 0;
    std::uint64_t entries = 0;
};

// A pristine tree, generated once and kept, and a working copy of it that
// every timed run starts from.
struct PreparedTree {
    std::string pristine;
    std::string work;
    Counts counts;
};

PreparedTree prepare(const std::string& folder, const std::string& name, TreeKind kind,
                     const TreeSize& size) {
    PreparedTree tree{folder + "/" + name + ".pristine", folder + "/" + name, {}};
    const std::string countsFile = tree.pristine + ".counts";
    if (!exists(countsFile)) {
        shell("rm -rf " + quoted(tree.pristine) + " " + quoted(tree.work));
        const auto start = std::chrono::steady_clock::now();
        const GeneratedTree generated = GenerateTree(tree.pristine, kind, size, kSeed);
        std::ofstream(countsFile) << generated.terrainFiles << " " << generated.entries << "\n";
        std::printf("generated %s in %.1f s\n", tree.pristine.c_str(), secondsSince(start));
    }
    std::ifstream(countsFile) >> tree.counts.terrainFiles >> tree.counts.entries;
    if (!exists(tree.work)) shell("cp -a " + quoted(tree.pristine) + " " + quoted(tree.work));
    return tree;
}

struct Figures {
    std::vector<double> seconds, cpu;
    long peakKiB = 0;
    bool failed = false;
};

// Runs every subject `runs` times, interleaved and in a rotating order so that
// a slow spell of the machine falls on all of them; each run starts from the
// restored tree with the disk written back. The last round keeps each
// subject's result to compare with the core's.
std::map<std::string, Figures> timeSubjects(const PreparedTree& tree, TerrainRestore& restorer,
                                            const std::vector<Subject>& subjects,
                                            const std::string& command, int runs,
                                            std::map<std::string, TreeDigest>* digests) {
    std::map<std::string, Figures> figures;
    const std::size_t n = subjects.size();
    for (int round = 0; round < runs; ++round) {
        for (std::size_t i = 0; i < n; ++i) {
            const Subject& subject = subjects[(i + static_cast<std::size_t>(round)) % n];
            restorer.restore();
            FlushFileSystem(tree.work);
            const ChildRun run = RunChild(subject.argv(command, tree.work));
            FlushFileSystem(tree.work);
            Figures& f = figures[subject.name];
            f.seconds.push_back(run.seconds);
            f.cpu.push_back(run.cpuSeconds);
            f.peakKiB = std::max(f.peakKiB, run.peakKiB);
            f.failed = f.failed || !run.succeeded;
            if (digests && round == runs - 1) (*digests)[subject.name] = DigestTree(tree.work);
        }
    }
    return figures;
}

void printTable(const char* title, const Counts& counts, const std::vector<Subject>& subjects,
                std::map<std::string, Figures>& figures) {
    const double core = median(figures["core"].seconds);
    std::printf("\n%-6s %10s %10s %12s %9s %9s %10s\n", title, "median s", "range s", "files/s",
                "CPU s", "peak MiB", "core/this");
    for (const Subject& s : subjects) {
        Figures& f = figures[s.name];
        const double t = median(f.seconds);
        const auto [lo, hi] = std::minmax_element(f.seconds.begin(), f.seconds.end());
        std::printf("%-6s %10.3f %4.2f-%-5.2f %12.0f %9.3f %9.1f %10.2f%s\n", s.name.c_str(), t,
                    *lo, *hi, static_cast<double>(counts.terrainFiles) / t, median(f.cpu),
                    static_cast<double>(f.peakKiB) / 1024, core / t, f.failed ? "  (FAILED)" : "");
    }
}

struct Options {
    std::string folder;
    std::vector<std::string> trees{"tiles", "flat", "deep"};
    std::vector<std::uint64_t> sizes{10000, 100000, 1000000};
    std::string subjects = "core,shell,python,floor";
    int runs = 5;
    bool keep = false;
};

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        const auto comma = text.find(',', start);
        items.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) return items;
        start = comma + 1;
    }
}

int compare(const Options& options) {
    const std::vector<Subject> subjects = pickSubjects(options.subjects);
    std::printf("median of %d runs; core/this below 1 means the core took less time\n",
                options.runs);
    for (const std::string& name : options.trees) {
        TreeKind kind;
        if (!ParseTreeName(name, kind)) throw std::runtime_error("no tree named " + name);
        const PreparedTree tree = prepare(options.folder, name, kind, DefaultSize(kind));
        TerrainRestore restorer(tree.pristine, tree.work);
        std::printf("\n== %s: %llu terrain files among %llu entries (%s)\n", name.c_str(),
                    static_cast<unsigned long long>(tree.counts.terrainFiles),
                    static_cast<unsigned long long>(tree.counts.entries), tree.work.c_str());
        for (const std::string command : {"set", "clear"}) {
            std::map<std::string, TreeDigest> digests;
            auto figures = timeSubjects(tree, restorer, subjects, command, options.runs, &digests);
            printTable(command == "set" ? "Set" : "Clear", tree.counts, subjects, figures);
            for (const Subject& s : subjects) {
                if (s.name == "core") continue;
                std::printf("  %s bytes against the core's: %s\n", s.name.c_str(),
                            CompareDigests(digests["core"], digests[s.name]).c_str());
            }
        }
        restorer.restore();
    }
    return 0;
}

int growth(const Options& options) {
    const std::vector<Subject> subjects = pickSubjects(options.subjects);
    std::printf("one terrain folder of N files; median of %d runs\n", options.runs);
    std::printf("\n%9s %9s %10s %10s %10s %10s %10s %10s\n", "files", "entries", "Set s", "Set MiB",
                "Clear s", "Clear MiB", "Set c/f", "Clear c/f");
    for (const std::uint64_t files : options.sizes) {
        const std::string name = "flat-" + std::to_string(files);
        TreeSize size = DefaultSize(TreeKind::Flat);
        size.terrainPerFolder = static_cast<int>(files);
        const PreparedTree tree = prepare(options.folder, name, TreeKind::Flat, size);
        TerrainRestore restorer(tree.pristine, tree.work);
        std::map<std::string, std::map<std::string, Figures>> byCommand;
        for (const std::string command : {"set", "clear"}) {
            byCommand[command] =
                timeSubjects(tree, restorer, subjects, command, options.runs, nullptr);
        }
        auto ratio = [&](const std::string& command) {
            auto& f = byCommand[command];
            if (!f.contains("floor")) return 0.0;
            return median(f["core"].seconds) / median(f["floor"].seconds);
        };
        std::printf("%9llu %9llu %10.3f %10.1f %10.3f %10.1f %10.2f %10.2f\n",
                    static_cast<unsigned long long>(tree.counts.terrainFiles),
                    static_cast<unsigned long long>(tree.counts.entries),
                    median(byCommand["set"]["core"].seconds),
                    static_cast<double>(byCommand["set"]["core"].peakKiB) / 1024,
                    median(byCommand["clear"]["core"].seconds),
                    static_cast<double>(byCommand["clear"]["core"].peakKiB) / 1024, ratio("set"),
                    ratio("clear"));
        std::fflush(stdout);
        if (!options.keep) {
            shell("rm -rf " + quoted(tree.pristine) + " " + quoted(tree.work) + " " +
                  quoted(tree.pristine + ".counts"));
        }
    }
    return 0;
}

int generate(const std::vector<std::string>& args) {
    TreeKind kind;
    if (args.size() < 2 || !ParseTreeName(args[0], kind)) {
        std::fprintf(stderr, "usage: decal_bench generate tiles|flat|deep <new folder> [seed]\n");
        return 2;
    }
    const std::uint64_t seed = args.size() > 2 ? std::stoull(args[2]) : kSeed;
    const GeneratedTree tree = GenerateTree(args[1], kind, DefaultSize(kind), seed);
    std::printf("%llu terrain files among %llu entries in %s\n",
                static_cast<unsigned long long>(tree.terrainFiles),
                static_cast<unsigned long long>(tree.entries), tree.installation.c_str());
    return 0;
}

std::string defaultFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/grittydecal-bench";
}

constexpr const char* kUsage =
    "usage: decal_bench compare [--trees tiles,flat,deep] [--runs 5] [--subjects LIST] "
    "[--dir FOLDER]\n"
    "       decal_bench growth [--sizes 10000,100000,1000000] [--runs 3] [--subjects core,floor]"
    " [--keep] [--dir FOLDER]\n"
    "       decal_bench generate tiles|flat|deep <new folder> [seed]\n"
    "       decal_bench core set|clear <installation>\n";

int run(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string& mode = args[0];
    if (mode == "core" && args.size() >= 3) return runCore(args[1], args[2]);
    if (mode == "generate") return generate({args.begin() + 1, args.end()});

    Options options;
    options.folder = defaultFolder();
    if (mode == "growth") {
        options.runs = 3;
        options.subjects = "core,floor";
    }
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--keep") {
            options.keep = true;
        } else if (a == "--runs" && hasValue) {
            options.runs = std::max(1, std::stoi(args[++i]));
        } else if (a == "--trees" && hasValue) {
            options.trees = splitList(args[++i]);
        } else if (a == "--subjects" && hasValue) {
            options.subjects = args[++i];
        } else if (a == "--dir" && hasValue) {
            options.folder = args[++i];
        } else if (a == "--sizes" && hasValue) {
            options.sizes.clear();
            for (const std::string& s : splitList(args[++i]))
                options.sizes.push_back(std::stoull(s));
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    ::mkdir(options.folder.c_str(), 0755);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (mode == "compare") return compare(options);
    if (mode == "growth") return growth(options);
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace
}  // namespace grittydecal::bench

int main(int argc, char** argv) {
    try {
        return grittydecal::bench::run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "decal_bench: %s\n", e.what());
        return 1;
    }
}
