// The core with the main window in the loop, offscreen: the label follows the
// walk and pending messages are processed as the Clear walk asks. Run as a
// subject of decal_bench ("window"), against the core alone.
//
//   decal_bench_window set|clear <installation> [decal name]

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Application.h"
#include "app/TForm1.h"
#include "commands/DecalCommands.h"
#include "terrain/PosixFileSystem.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s set|clear <installation> [decal name]\n", argv[0]);
        return 2;
    }
    const std::string command = argv[1];
    const std::string installation = argv[2];
    const std::string decal = argc > 3 ? argv[3] : "";
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    int qtArgc = 1;
    grittydecal::Application application(qtArgc, argv);
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
    return 0;
}
