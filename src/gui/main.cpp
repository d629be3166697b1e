// tessaline-gui [FILE] [--screenshots FOLDER | --screenshot-full FILE]: the desktop program.
// --screenshots saves a picture of each page; --screenshot-full one of the first page, with the
// window filling the screen.

#include <QApplication>
#include <QScreen>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <string_view>

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
    // Answered without a window, so that it works wherever the program is installed.
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--version") {
            std::printf("tessaline-gui %s\n", TESSALINE_VERSION);
            return 0;
        }
        if (arg == "--help" || arg == "-h") {
            std::printf(
                "usage: tessaline-gui [FILE] [--screenshots FOLDER]\n"
                "The desktop program of Tessaline: opens FILE (a subtitle file) when given.\n"
                "The command-line program is tessaline (tessaline --help).\n");
            return 0;
        }
    }
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
    QString fullScreenshot;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--screenshots" && i + 1 < args.size()) {
            screenshots = args[++i];
        } else if (args[i] == "--screenshot-full" && i + 1 < args.size()) {
            fullScreenshot = args[++i];
        } else {
            file = args[i];
        }
    }

    tessaline::gui::MainWindow window(tessaline::ProgramFolder());
    if (!fullScreenshot.isEmpty() && QGuiApplication::primaryScreen() != nullptr) {
        window.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    }
    window.show();
    if (!file.isEmpty()) window.OpenFile(file);
    if (!screenshots.isEmpty()) return window.SaveScreenshots(screenshots) ? 0 : 1;
    if (!fullScreenshot.isEmpty()) return window.SaveScreenshot(fullScreenshot) ? 0 : 1;
    return QApplication::exec();
}
