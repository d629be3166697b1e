#include "gui/file_paths.hpp"

#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QTreeView>
#include <algorithm>

namespace tessaline::gui {

QString PathToQString(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string PathFromQString(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void FitOpenDialog(QFileDialog& dialog) {
    constexpr int kWidth = 900;
    constexpr int kHeight = 520;
    dialog.resize(std::max(dialog.width(), kWidth), std::max(dialog.height(), kHeight));
    // Qt's own dialog, used where the desktop offers none, starts with columns too narrow for
    // long names and dates; each folder it lists widens them to their text. (A desktop's own
    // dialog has none of these widgets.)
    auto* model = dialog.findChild<QFileSystemModel*>();
    auto* view = dialog.findChild<QTreeView*>();
    if (model == nullptr || view == nullptr) return;
    QObject::connect(model, &QFileSystemModel::directoryLoaded, view, [view] {
        for (int column = 0; column < view->header()->count(); ++column)
            view->resizeColumnToContents(column);
    });
}

}  // namespace tessaline::gui
