// Every window in each shipped language: every caption, hint and title a user sees comes from the
// language file (English.lng gives back the built-in texts, Russian.lng leaves none in English)
// and fits its control on a screen of 1024 x 600.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "app/language.hpp"
#include "gui/main_window.hpp"
#include "gui/parameters_window.hpp"
#include "gui/qt_host.hpp"
#include "gui/replace_list_dialog.hpp"
#include "gui/subtitle_lists_window.hpp"
#include "gui/window_texts.hpp"
#include "test_support.hpp"

namespace tessaline::gui {
namespace {

using test::Crlf;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

QString Shipped(const char* name) {
    return QString::fromStdString(std::string(TESSALINE_SOURCE_DIR) + "/data/defaults/languages/" +
                                  name);
}

// One text a user sees: where it is, what it says and whether its control gives it room.
struct Seen {
    QString where;
    QString text;
    bool fits = true;
};

QString Where(const QObject* object, const char* what) {
    QString path;
    for (const QObject* o = object; o != nullptr; o = o->parent()) {
        if (!o->objectName().isEmpty()) {
            path = o->objectName() + (path.isEmpty() ? "" : "/" + path);
            if (o->isWidgetType() && static_cast<const QWidget*>(o)->isWindow()) break;
        }
    }
    return path + "#" + what + "@" + QString::number(reinterpret_cast<quintptr>(object), 16);
}

// The texts of a window as shown now: of the controls on the pages in front, of every tab, menu
// item and hint. A text fits when the control is at least as wide as the text needs.
void Collect(QWidget* window, std::map<QString, Seen>& seen) {
    const auto add = [&seen](const QObject* o, const char* what, const QString& text, bool fits) {
        if (!text.isEmpty()) seen[Where(o, what)] = {Where(o, what), text, fits};
    };
    if (window->isWindow()) add(window, "title", window->windowTitle(), true);
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (auto* menu = qobject_cast<QMenu*>(w)) {
            add(menu, "text", menu->title(), true);
            for (QAction* action : menu->actions()) {
                add(action, "text", action->text(), true);
                if (action->toolTip() != DefaultActionHint(action->text())) {
                    add(action, "hint", action->toolTip(), true);
                }
            }
            continue;
        }
        if (auto* tabs = qobject_cast<QTabWidget*>(w); tabs && w->isVisibleTo(window)) {
            for (int i = 0; i < tabs->count(); ++i) {
                const QString text = tabs->tabText(i);
                const int needed = tabs->fontMetrics().horizontalAdvance(QString(text).remove('&'));
                add(tabs, QByteArray("tab" + QByteArray::number(i)).constData(), text,
                    tabs->tabBar()->tabRect(i).width() >= needed);
            }
        }
        if (!w->isVisibleTo(window)) continue;
        add(w, "hint", w->toolTip(), true);
        if (auto* table = qobject_cast<QTableView*>(w)) {
            for (int i = 0; i < table->model()->columnCount(); ++i) {
                const QByteArray key = "header" + QByteArray::number(i);
                add(table, key.constData(),
                    table->model()->headerData(i, Qt::Horizontal).toString(), true);
            }
        }
        // A control pushed past the window's right edge is cut as well.
        const bool inside = w->mapTo(window, QPoint(w->width(), 0)).x() <= window->width();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            const bool wraps = label->wordWrap() || label->text().contains('\n');
            add(label, "text", label->text(),
                inside && (wraps || label->width() >= label->minimumSizeHint().width()));
        } else if (auto* push = qobject_cast<QPushButton*>(w)) {
            // A button's size hint is never below a minimum width: the text needs its own width
            // and the frame's (measured on a button whose text is longer than that minimum).
            static const int frame = [] {
                const QPushButton probe(QString(40, 'x'));
                return probe.sizeHint().width() -
                       probe.fontMetrics().horizontalAdvance(probe.text());
            }();
            const int needed =
                push->fontMetrics().horizontalAdvance(DefaultActionHint(push->text())) + frame;
            add(push, "text", push->text(), inside && push->width() >= needed);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            add(button, "text", button->text(),
                inside && button->width() >= button->sizeHint().width());
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            const int needed = group->fontMetrics().horizontalAdvance(group->title()) + 16;
            add(group, "text", group->title(), inside && group->width() >= needed);
        } else if (auto* combo = qobject_cast<QComboBox*>(w); combo && !combo->isEditable()) {
            // Every item of a drop-down list; the box shows the chosen one in its width, the
            // list opens as wide as its items.
            for (int i = 0; i < combo->count(); ++i) {
                const QByteArray key = "item" + QByteArray::number(i);
                const bool shown = i == combo->currentIndex();
                add(combo, key.constData(), combo->itemText(i),
                    inside && (!shown || combo->width() >= combo->minimumSizeHint().width()));
            }
        }
    }
}

// The lines of a shipped language file, as the window shows them.
QSet<QString> LinesOf(const char* name) {
    QSet<QString> lines;
    const QString file = QtHost::FromText(ReadFile(Shipped(name).toStdString()));
    for (const QString& line : file.split("\r\n"))
        lines.insert(line);
    return lines;
}

// A text that a text line's pattern gives ("lines: %1; len: %2; ...").
bool Known(const QString& text) {
    std::vector<std::string> marked(LanguageTextLines().back().line + 1);
    for (const TextLine& t : LanguageTextLines())
        marked[static_cast<std::size_t>(t.line)] = "#";
    return TextTranslation(marked).Translate(QtHost::ToText(text)) == "#";
}

bool HasLetter(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

// Texts that show values rather than captions (the line length as computed, the file masks of
// the kind lists), and captions that read the same in Russian (code page names, axes, the
// formats of a conversion).
const QSet<QString> kValues = {"3 * 33 -"};
bool IsValue(const QString& text) {
    return kValues.contains(text) || text.startsWith("*.");
}
const QSet<QString> kSameInRussian = {"Tessaline by Orvendel",
                                      "x:",
                                      "y:",
                                      "win1251 --> &ISO-8859-5",
                                      "win1251 --> cp&866",
                                      "win1251 --> &koi8-R",
                                      "win1251 --> &Mac",
                                      "win1251 --> U&TF8",
                                      "IS&O-8859-5 --> win1251",
                                      "c&p866 --> win1251",
                                      "koi8-&R --> win1251",
                                      "Mac --> win&1251",
                                      "&UTF8 --> win1251",
                                      "sub --> srt",
                                      "srt --> sub",
                                      "SubTime --> srt",
                                      "ssa / ass --> srt"};

// The main window and every window it opens, shown on the screen of 1024 x 600.
struct AllWindows {
    explicit AllWindows(const TempDir& home)
        : main(home.path().string()),
          parameters(main.session(), &main),
          partsAndTails(main.session(), &main),
          lists(main.session(), &main),
          replace((home / "Replace.dat").string(), &main) {
        main.host().messageHook = [](const QString&) {};
        main.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
        main.show();
        for (QDialog* dialog : Dialogs())
            dialog->show();
    }

    std::vector<QDialog*> Dialogs() { return {&parameters, &partsAndTails, &lists, &replace}; }

    // Every text of every window, each page of a window in front in turn. A window is at most as
    // large as the screen (a larger one would be cut at its edge).
    std::map<QString, Seen> Texts() {
        const QSize screen = QGuiApplication::primaryScreen()->availableSize();
        for (QDialog* dialog : Dialogs()) {
            dialog->resize(dialog->size().boundedTo(screen));
            EXPECT_LE(dialog->width(), screen.width()) << dialog->objectName().toStdString();
            EXPECT_LE(dialog->height(), screen.height()) << dialog->objectName().toStdString();
        }
        std::map<QString, Seen> seen;
        for (QWidget* window : std::initializer_list<QWidget*>{&main, &parameters}) {
            auto* pages = window->findChild<QTabWidget*>("PageControl");
            for (int i = 0; i < pages->count(); ++i) {
                pages->setCurrentIndex(i);
                QApplication::processEvents();
                Collect(window, seen);
            }
        }
        for (QWidget* window : std::initializer_list<QWidget*>{&partsAndTails, &lists, &replace})
            Collect(window, seen);
        return seen;
    }

    MainWindow main;
    ParametersWindow parameters;
    PartsAndTailsWindow partsAndTails;
    SubtitleListsWindow lists;
    ReplaceListDialog replace;
};

// English.lng gives back every built-in text, Russian.lng replaces every one; each built-in
// caption is a line of English.lng, and in both languages every caption fits its control.
TEST(WindowTexts, EveryWindowShowsTheLanguageFile) {
    TempDir home;
    AllWindows windows(home);
    const std::map<QString, Seen> builtIn = windows.Texts();
    const QSet<QString> english = LinesOf("English.lng");
    for (const auto& [where, seen] : builtIn) {
        if (!HasLetter(seen.text) || IsValue(seen.text)) continue;
        QString plain = seen.text;
        // A hint that shows tags is escaped and wrapped; its lines are lines of the file.
        if (plain.startsWith("<p style=")) {
            QTextDocument document;
            document.setHtml(plain);
            plain = document.toPlainText();
        }
        for (const QString& line : plain.split('\n')) {
            EXPECT_TRUE(english.contains(line) || Known(line))
                << where.toStdString() << ": " << line.toStdString();
        }
    }

    struct Case {
        const char* file;
        bool translates;  // every caption with letters changes
    };
    for (const Case& c :
         {Case{"Russian.lng", true}, Case{"English.lng", false}, Case{"Russian.lng", true}}) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(windows.main.ApplyLanguage(Shipped(c.file)));
        const std::map<QString, Seen> shown = windows.Texts();
        for (const auto& [where, seen] : builtIn)
            EXPECT_TRUE(shown.contains(where)) << "gone: " << where.toStdString();
        for (const auto& [where, seen] : shown) {
            if (!builtIn.contains(where)) {
                ADD_FAILURE() << "new: " << where.toStdString() << seen.text.toStdString();
                continue;
            }
            const QString before = builtIn.at(where).text;
            const std::string trace = where.toStdString() + ": " + seen.text.toStdString();
            EXPECT_TRUE(seen.fits) << trace;
            if (!c.translates) {
                EXPECT_EQ(seen.text, before) << trace;
            } else if (HasLetter(before) && !IsValue(before) && !kSameInRussian.contains(before)) {
                EXPECT_NE(seen.text, before) << trace;
            }
        }
    }
}

// Message boxes and questions from the operations show the language's text, with the file's
// name in the title, the varying parts of a message kept and the buttons translated.
TEST(WindowTexts, MessageBoxesShowTheLanguageFile) {
    TempDir home;
    MainWindow window(home.path().string());
    window.show();
    ASSERT_TRUE(window.ApplyLanguage(Shipped("Russian.lng")));
    struct Box {
        QString title, text;
        QStringList buttons;
    };
    Box box;
    // The box is read and closed as soon as it is shown.
    const auto readBox = [&box] {
        QTimer::singleShot(0, [&box] {
            auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(shown, nullptr);
            box = {shown->windowTitle(), shown->text(), {}};
            for (QAbstractButton* button : shown->buttons())
                box.buttons << button->text();
            shown->reject();
        });
    };
    struct Case {
        std::function<void(Host&)> show;
        const char* title;
        const char* text;
        QStringList buttons;
    };
    const Case cases[] = {
        {[](Host& h) { h.ShowMessage("File not Exists!"); }, "", "Файла нет!", {"ОК"}},
        {[](Host& h) {
             h.SetCurrentFile("/films/film.srt");
             h.ShowLineMessage(14, "'24:00:00' is not a valid time");
             h.SetCurrentFile("");
         },
         " - film.srt",
         "Строка 14: «24:00:00» — неверное время",
         {"ОК"}},
        {[](Host& h) {
             h.ShowMessage(
                 "Output File Exist!!!\r\nfilm.out is already there: use Rename out-File "
                 "or Delete File first");
         },
         "",
         "Выходной файл уже есть!!!\nfilm.out уже есть: сначала «Переименовать out-файл» или "
         "«Удалить файл»",
         {"ОК"}},
        {[](Host& h) {
             (void)h.Ask("Current File has been changed, but Not Saved!\r\nSave Current File?");
         },
         "",
         "Текущий файл изменён, но не сохранён!\nСохранить текущий файл?",
         {"&Да", "&Нет", "Отмена"}},
        {[](Host& h) {
             h.ShowMessage("Begin Time more then End Time!\r\nPlease Correct Time parameters!");
         },
         "",
         "Время начала больше времени конца!\nИсправьте параметры времени!",
         {"ОК"}},
        {[](Host& h) { h.ShowMessage("Null Fix-length-file"); },
         "",
         "Отчёт исправлений пуст",
         {"ОК"}},
        // A text the file does not hold is shown as it is.
        {[](Host& h) { h.ShowMessage("film.srt: 3 subtitles"); },
         "",
         "film.srt: 3 subtitles",
         {"ОК"}},
    };
    for (const Case& c : cases) {
        readBox();
        c.show(window.host());
        EXPECT_EQ(box.title, QApplication::applicationName() + QString::fromUtf8(c.title));
        EXPECT_EQ(box.text, QString::fromUtf8(c.text));
        QStringList expected;
        for (const QString& b : c.buttons)
            expected << b;
        QStringList seen = box.buttons;
        seen.sort();
        expected.sort();
        EXPECT_EQ(seen, expected) << c.text;
    }
}

// Texts that change while the window is open (status fields, the status bar, a caption that
// shows its option's state) are in the language too.
TEST(WindowTexts, StatusTextsShowTheLanguageFile) {
    TempDir home;
    MainWindow window(home.path().string());
    window.show();
    ASSERT_TRUE(window.ApplyLanguage(Shipped("Russian.lng")));
    auto* status = window.Control<QLabel>("stStatusTextTail");
    struct Case {
        std::function<void(Host&)> run;
        std::function<QString()> seen;
        const char* shown;
    };
    const Case cases[] = {
        {[](Host& h) { h.SetStatus(StatusField::OffsetTail, StatusState::Running); },
         [status] { return status->text(); }, "норма"},
        {[](Host& h) {
             h.SetStatus(StatusField::OffsetTail, StatusState::Error);
             h.ExplainStatus(StatusField::OffsetTail, "'24:00:00' is not a valid time");
         },
         [status] { return status->text() + " / " + status->toolTip(); },
         "ошибка / «24:00:00» — неверное время"},
        {[](Host& h) { h.SetStatus(StatusField::OffsetTail, StatusState::Idle); },
         [status] { return status->text(); }, "готово"},
        {[](Host& h) { h.SetStatusBar("file 3 of 30"); },
         [&window] { return window.statusBar()->currentMessage(); }, "файл 3 из 30"},
        // What a run did, with its counts, each kind of summary once.
        {[](Host& h) { h.SetStatusBar("film.out written: 812 timings 2000 ms later"); },
         [&window] { return window.statusBar()->currentMessage(); },
         "Записано: film.out — таймингов: 812, на 2000 мс позже"},
        {[](Host& h) { h.SetStatusBar("film.out written: 1 timing 40 ms earlier"); },
         [&window] { return window.statusBar()->currentMessage(); },
         "Записано: film.out — 1 тайминг на 40 мс раньше"},
        {[](Host& h) { h.SetStatusBar("film.len written: 1 wrong subtitle, 3 warnings"); },
         [&window] { return window.statusBar()->currentMessage(); },
         "Записано: film.len — 1 неверный субтитр, предупреждений: 3"},
        {[](Host& h) {
             h.SetStatusBar("film.out, film.corr written: 6 Fixed Strings; film.fix removed");
         },
         [&window] { return window.statusBar()->currentMessage(); },
         "Записано: film.out, film.corr — исправлено строк: 6; Удалено: film.fix"},
        {[](Host& h) { h.SetStatusBar("film.out written: 1 line"); },
         [&window] { return window.statusBar()->currentMessage(); },
         "Записано: film.out — 1 строка"},
        {[](Host& h) { h.SetStatusBar("film.tst written: 2 Subtitles < 1,100 !"); },
         [&window] { return window.statusBar()->currentMessage(); },
         "Записано: film.tst — субтитров короче 1,100: 2"},
        // The option's caption shows its state, in the menu and in the editor's pop-up.
        {[&window](Host&) { window.Control<QAction>("mnUpCaseTextInBrackets")->trigger(); },
         [&window] {
             return window.Control<QAction>("mnUpCaseTextInBrackets")->text() + " / " +
                    window.Control<QAction>("pmnUpCaseTextInBrackets")->text();
         },
         "&ЗАГЛАВНЫЕ (ТЕКСТ В СКОБКАХ) / &ЗАГЛАВНЫЕ (ТЕКСТ В СКОБКАХ)"},
        {[&window](Host&) { window.Control<QAction>("pmnUpCaseTextInBrackets")->trigger(); },
         [&window] { return window.Control<QAction>("mnUpCaseTextInBrackets")->text(); },
         "&Заглавные (текст в скобках)"},
    };
    for (const Case& c : cases) {
        c.run(window.host());
        EXPECT_EQ(c.seen(), QString::fromUtf8(c.shown));
    }
}

// The status fields show nothing before their first run, in any language, and then the state
// of that run in the language chosen.
TEST(WindowTexts, TheStatusFieldsShowNoPlaceholder) {
    TempDir home;
    WriteFile(home / "film.srt", Crlf({"1", "00:00:01,000 --> 00:00:02,000", "Hi", ""}));
    MainWindow window(home.path().string());
    window.show();
    auto* offset = window.Control<QLabel>("stStatusText");
    auto* tail = window.Control<QLabel>("stStatusTextTail");
    const auto shown = [&] { return (offset->text() + "|" + tail->text()).toStdString(); };
    const struct {
        const char* language;  // "" : an offset runs
        const char* shown;
    } steps[] = {
        // clang-format off
        {"English.lng", "|"},
        {"Russian.lng", "|"},
        {"", "готово|"},
        {"English.lng", "done|"},
        {"Russian.lng", "готово|"},
        // clang-format on
    };
    for (const auto& step : steps) {
        if (*step.language != '\0') {
            ASSERT_TRUE(window.ApplyLanguage(Shipped(step.language)));
        } else {
            window.session().OpenFromBox((home / "film.srt").string());
            window.session().controls.Set("dtpOffsetTime", "00:00:01");
            window.session().Run("offset-time");
        }
        EXPECT_EQ(shown(), step.shown) << step.language;
    }
}

// The file dialogs of Open (Ctrl+O) and of Sync to Film (its button) in Russian: Qt's own labels
// and the language file's filters, no English word.
TEST(WindowTexts, TheFileDialogsShowTheLanguage) {
    struct Row {
        const char* how;
        QString title;
        QStringList kinds;
    };
    const Row rows[] = {
        {"Ctrl+O", "Открыть", {"Субтитры (*.srt *.sub *.ssa *.ass)", "Все файлы (*)"}},
        {"btnSyncToFilm",
         "Синхронизация с фильмом",
         {"Фильмы и звук (*.mkv *.mp4 *.avi *.mka *.ts *.mov *.webm *.wav *.mp3 *.flac *.ogg "
          "*.opus *.m4a *.aac *.ac3)",
          "Файлы субтитров (*.srt *.sub *.ssa *.ass)", "Все файлы (*)"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.how);
        TempDir home;
        MainWindow window(home.path().string());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        ASSERT_TRUE(window.ApplyLanguage(Shipped("Russian.lng")));
        QString title;
        QStringList kinds;
        QStringList english;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            const auto finish = qScopeGuard([dialog] { dialog->reject(); });
            title = dialog->windowTitle();
            auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
            ASSERT_NE(types, nullptr);
            for (int i = 0; i < types->count(); ++i)
                kinds << types->itemText(i);
            std::map<QString, Seen> seen;
            Collect(dialog, seen);
            for (const auto& [where, text] : seen) {
                if (text.text.startsWith('/')) continue;  // the folder it shows
                const QString words = QString(text.text).remove(QRegularExpression("\\(.*\\)"));
                if (words.contains(QRegularExpression("[A-Za-z]{2,}"))) english << text.text;
            }
        });
        if (QString(row.how) == "Ctrl+O") {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
        } else {
            // The button is on the Time / Frame page: the user brings the page to the front and
            // clicks the button where it is seen.
            auto* button = window.findChild<QPushButton*>(row.how);
            ASSERT_NE(button, nullptr);
            auto* pages = window.findChild<QTabWidget*>("PageControl");
            for (int i = 0; i < pages->count(); ++i) {
                if (pages->widget(i)->isAncestorOf(button)) pages->setCurrentIndex(i);
            }
            ASSERT_TRUE(button->isVisible());
            QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        }
        EXPECT_EQ(title, row.title);
        EXPECT_EQ(kinds, row.kinds);
        EXPECT_TRUE(english.isEmpty()) << english.join(" | ").toStdString();
    }
}

}  // namespace
}  // namespace tessaline::gui
