#include "app/Application.h"
#include "app/TForm1.h"
#include "terrain/PosixFileSystem.h"

int main(int argc, char** argv) {
    grittydecal::Application application(argc, argv);
    grittydecal::PosixFileSystem fileSystem;
    grittydecal::TForm1 form(fileSystem);
    grittydecal::Form1 = &form;
    form.show();
    const int result = application.exec();
    grittydecal::Form1 = nullptr;
    return result;
}
