// The core with the main window in the loop, offscreen: the label follows the
// walk and pending messages are processed as the Clear walk asks. Run as a
// subject of decal_bench ("window"), against the core alone.
//
//   decal_bench_window set|clear <installation> [decal name]

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/Application.h"
#include "app/TForm1.h"
#include "commands/DecalCommands.h"
#include "terrain/PosixFileSystem.h"

namespace {

void run(int argc, char** argv, const std::string& command, const std::string& installation,
         const std::string& decal) {
    grittydecal::Application application(argc, argv);
    grittydecal::PosixFileSystem fileSystem;
    grittydecal::TForm1 form(fileSystem);
    grittydecal::Form1 = &form;
    form.show();
    QCoreApplication::processEvents();

    // The window's own commands would do the same; a second instance keeps
    // the window's fields out of it.
    grittydecal::DecalCommands commands(fileSystem, form);
    if (command == "set") {
        commands.set(installation, false, decal);
    } else {
        commands.clear(installation, false);
    }
    grittydecal::Form1 = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s set|clear <installation> [decal name]\n", argv[0]);
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The window keeps its settings; a benchmark must not touch the user's.
    char settings[] = "/tmp/grittydecal-bench-settings-XXXXXX";
    if (!::mkdtemp(settings)) return 1;
    ::setenv("XDG_CONFIG_HOME", settings, 1);

    int qtArgc = 1;
    run(qtArgc, argv, argv[1], argv[2], argc > 3 ? argv[3] : "");
    std::filesystem::remove_all(settings);
    return 0;
}
