#pragma once

// "Sync to Film..." on the Time / Frame page: the button asks for the film (or a reference
// subtitle file) and syncs the open file to it, with a progress dialog whose Cancel stops the
// listening and writes nothing.

#include <QStringList>
#include <functional>

namespace tessaline::gui {

class MainWindow;

/// The controls of Sync to Film (they work once WireFilmSync has run).
[[nodiscard]] const QStringList& FilmSyncControls();

/// The file dialog's filter: films and sound files, and subtitle files as references.
[[nodiscard]] QString FilmFileFilter();

/// Connects "Sync to Film..." of `window`. `run` runs a handler as every command of the window
/// runs (one at a time, the window's state shown afterwards).
void WireFilmSync(MainWindow& window, const std::function<void(const std::function<void()>&)>& run);

}  // namespace tessaline::gui
