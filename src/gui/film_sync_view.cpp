#include "gui/film_sync_view.hpp"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <cmath>

#include "app/film_sync.hpp"
#include "gui/diagram_view.hpp"
#include "gui/file_paths.hpp"
#include "gui/main_window.hpp"
#include "gui/window_texts.hpp"
#include "ops/controls.hpp"

namespace tessaline::gui {
namespace {

// The progress bar counts in thousandths of the film.
constexpr int kProgressSteps = 1000;

QString ChooseFilm(MainWindow& window, const QString& folder) {
    if (window.openDialogHook) return window.openDialogHook(folder);
    QFileDialog dialog(&window, WindowTexts::TranslateFor(&window, "Sync to Film"), folder,
                       FilmFileFilter());
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace

const QStringList& FilmSyncControls() {
    static const QStringList names = {"btnSyncToFilm", "cbSyncSplits"};
    return names;
}

QString FilmFileFilter() {
    return "Films and sound (*.mkv *.mp4 *.avi *.mka *.ts *.mov *.webm *.wav *.mp3 *.flac *.ogg "
           "*.opus *.m4a *.aac *.ac3);;Subtitle files (*.srt *.sub *.ssa *.ass);;All files (*)";
}

void WireFilmSync(MainWindow& window,
                  const std::function<void(const std::function<void()>&)>& run) {
    auto* button = window.Control<QPushButton>("btnSyncToFilm");
    auto* splits = window.Control<QCheckBox>("cbSyncSplits");
    QObject::connect(button, &QPushButton::clicked, &window, [&window, run, splits] {
        Session& session = window.session();
        const QString chosen = ChooseFilm(window, PathToQString(session.folder));
        if (chosen.isEmpty()) return;
        run([&window, &session, chosen, splits] {
            QtHost& host = window.host();
            const std::string path = PathFromQString(chosen);
            // A reference is read at once; a film is listened to, which takes a while.
            const QString name = QFileInfo(chosen).fileName();
            const QString label = IsSubtitleInput(path) ? "Reading %1..." : "Listening to %1...";
            QProgressDialog progress(WindowTexts::TranslateFor(&window, label).replace("%1", name),
                                     WindowTexts::TranslateFor(&window, "Cancel"), 0,
                                     kProgressSteps, &window);
            progress.setObjectName("SyncProgress");
            progress.setWindowTitle(WindowTexts::TranslateFor(&window, "Sync to Film"));
            progress.setWindowModality(Qt::WindowModal);
            progress.setMinimumDuration(0);
            progress.setAutoClose(false);
            progress.setAutoReset(false);
            QObject::connect(&progress, &QProgressDialog::canceled, &window,
                             [&host] { host.RequestStop(); });
            host.workProgressHook = [&progress](double done) {
                progress.setValue(static_cast<int>(std::lround(done * kProgressSteps)));
            };
            progress.show();
            SyncToFilm(session, path, splits->isChecked());
            host.workProgressHook = nullptr;
            // The Diag page's speech picture shows this sync from now on.
            auto* view = window.findChild<DiagramView*>("PaintBox");
            if (view != nullptr && view->showsSpeech()) view->Show(session.lastSync);
        });
    });
}

}  // namespace tessaline::gui
