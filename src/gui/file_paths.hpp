#pragma once

// Paths between the file system and the widgets, and the open dialog's size: what every window
// of the program that names files uses.

#include <QString>
#include <string>

class QFileDialog;

namespace tessaline::gui {

/// A path in the file system's encoding as a QString, and back.
QString PathToQString(const std::string& path);
std::string PathFromQString(const QString& path);

/// Gives the open dialog room for long file names: a larger size, and in Qt's own dialog columns
/// as wide as their text.
void FitOpenDialog(QFileDialog& dialog);

}  // namespace tessaline::gui
