// tessaline-gui [FILE] [--screenshots FOLDER]: the desktop program.

#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "files/fs.hpp"
#include "gui/main_window.hpp"

namespace {

// Qt aborts without a display; say what to do instead.
bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "tessaline-gui: no display to show the window on.\n"
                     "Run it on a desktop, or without a screen with QT_QPA_PLATFORM=offscreen,\n"
                     "or use the command-line program: tessaline --help\n");
        return 1;
    }
    // A session that ends by a signal (logout, kill) removes an unfinished output first.
    tessaline::InstallSignalCleanup();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tessaline");
    QApplication::setApplicationVersion(TESSALINE_VERSION);

    QString file;
    QString screenshots;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--screenshots" && i + 1 < args.size()) {
            screenshots = args[++i];
        } else {
            file = args[i];
        }
    }

    tessaline::gui::MainWindow window(tessaline::ProgramFolder());
    window.show();
    if (!file.isEmpty()) window.OpenFile(file);
    if (!screenshots.isEmpty()) return window.SaveScreenshots(screenshots) ? 0 : 1;
    return QApplication::exec();
}
