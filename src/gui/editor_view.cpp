#include "gui/editor_view.hpp"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <algorithm>
#include <utility>

#include "app/session.hpp"
#include "gui/main_window.hpp"
#include "gui/qt_host.hpp"
#include "gui/window_layout.hpp"
#include "gui/window_texts.hpp"

namespace tessaline::gui {
namespace {

constexpr const char* kRed = "#FF0000";
constexpr const char* kGreen = "#00C000";
constexpr const char* kGrey = "#A0A0A0";

// The rows that "Time:" shows or hides.
constexpr const char* kTimeRows[] = {
    "edTimeRange",     "edDeltaTimeRange",     "cbPrevEqualTime", "cbNextEqualTime",
    "stTimeRangePrev", "stDeltaTimeRangePrev", "stTimeRangeThis", "stDeltaTimeRangeThis",
    "stTimeRangeNext", "stDeltaTimeRangeNext"};

// The pop-up menu's case changes.
constexpr std::pair<const char*, CaseChange> kPopupChanges[] = {
    {"pmnTextToLowerCase", CaseChange::Lower},
    {"pmnTextToUpLoCase", CaseChange::Words},
    {"pmnTextToUpFirstLetterLoCase", CaseChange::FirstLetter},
    {"pmnTextToSwitchCase", CaseChange::SwitchText},
    {"pmnTextToSwitchCaseSelected", CaseChange::SwitchSelection},
    {"pmnNormalizeTextString", CaseChange::Normalize},
};

void Paint(QLabel* shape, const char* colour) {
    shape->setStyleSheet(QString("background-color: %1; border-radius: 7px;").arg(colour));
}

QString ColourOf(GapColour colour) {
    switch (colour) {
        case GapColour::Overlap:
            return "color: #FF0000;";
        case GapColour::Close:
            return "color: #FF00FF;";
        case GapColour::Normal:
            break;
    }
    return {};
}

QString Numbers(const std::vector<int>& values) {
    QStringList lines;
    for (int value : values)
        lines << QString::number(value);
    return lines.join('\n');
}

// A text the program puts into a box is shown from its start (a long report message too).
void SetText(QLineEdit* edit, const QString& text) {
    if (edit->text() == text) return;
    edit->setText(text);
    edit->setCursorPosition(0);
}

}  // namespace

EditorView::EditorView(MainWindow& window, Session& session,
                       std::function<void(const std::function<void()>&)> run)
    : QObject(&window), window_(window), session_(session), run_(std::move(run)) {
    memo_ = Get<QPlainTextEdit>("MemoSubLines");
    Wire();
}

template <typename T>
T* EditorView::Get(const char* name) const {
    return window_.Control<T>(name);
}

const QStringList& EditorView::Controls() {
    static const QStringList names = {"btnFirstSubLine",
                                      "btnPrevSubLine",
                                      "btnNextSubLine",
                                      "btnLastSubLine",
                                      "btnGotoSubLine",
                                      "stSubNumber",
                                      "cbTime",
                                      "edTimeRange",
                                      "edDeltaTimeRange",
                                      "cbPrevEqualTime",
                                      "cbNextEqualTime",
                                      "MemoSubLinesNum",
                                      "MemoSubLines",
                                      "MemoSubLinesLength",
                                      "MemoSubLinesLengthFont",
                                      "rgModeGoSub",
                                      "cbBold",
                                      "btnReWriteSubtitle",
                                      "btnDeleteSubtitle",
                                      "btnBreakStr",
                                      "btnBreakStrEqual",
                                      "btnSwitchCase",
                                      "btnSwitchCaseSelected",
                                      "btnBreakOneDialog",
                                      "btnBreakOneBigText",
                                      "btnLoadLogFile",
                                      "btnGotoLogLine",
                                      "seLogLineNum",
                                      "btnPrevLogLine",
                                      "btnNextLogLine",
                                      "edLogString",
                                      "pmnTextToLowerCase",
                                      "pmnTextToUpLoCase",
                                      "pmnTextToUpFirstLetterLoCase",
                                      "pmnTextToSwitchCase",
                                      "pmnTextToSwitchCaseSelected",
                                      "pmnNormalizeTextString",
                                      "pmnUpCaseTextInBrackets",
                                      "mnUpCaseTextInBrackets"};
    return names;
}

void EditorView::Wire() {
    SubtitleEditor& editor = session_.editor;
    ReportViewer& viewer = session_.viewer;
    const auto button = [this](const char* name, std::function<void()> command) {
        connect(Get<QPushButton>(name), &QPushButton::clicked, this,
                [this, command = std::move(command)] { run_(command); });
    };
    button("btnFirstSubLine", [&editor] { editor.First(); });
    button("btnPrevSubLine", [&editor] { editor.Prev(); });
    button("btnNextSubLine", [&editor] { editor.Next(); });
    button("btnLastSubLine", [&editor] { editor.Last(); });
    button("btnGotoSubLine", [this, &editor] {
        editor.GoTo();
        Get<QTabWidget>("PageControl")->setCurrentIndex(kSubtitlePage);
    });
    button("btnReWriteSubtitle", [&editor] { editor.ReWrite(); });
    button("btnDeleteSubtitle", [&editor] { editor.Delete(); });
    button("btnBreakOneDialog", [&editor] { editor.Break(BreakOne::Dialog); });
    button("btnBreakOneBigText", [&editor] { editor.Break(BreakOne::BigText); });
    // Each step through the report leaves the caret in the text, ready for the repair.
    const auto logButton = [&](const char* name, std::function<void()> command) {
        button(name, [this, command = std::move(command)] {
            command();
            memo_->setFocus();
        });
    };
    logButton("btnLoadLogFile", [&viewer] { viewer.Load(); });
    logButton("btnGotoLogLine", [this, &viewer] {
        viewer.Show(static_cast<std::size_t>(Get<QSpinBox>("seLogLineNum")->value()));
    });
    logButton("btnPrevLogLine", [&viewer] { viewer.Prev(); });
    logButton("btnNextLogLine", [&viewer] { viewer.Next(); });
    // The commands that change the text leave the caret in the edit box, the selection kept.
    const auto edit = [this](auto* sender, std::function<void(std::size_t, std::size_t)> change,
                             auto signal) {
        connect(sender, signal, this, [this, change = std::move(change)] {
            const auto [from, to] = Selection();
            run_([&] { change(TextOffset(from), TextOffset(to)); });
            QTextCursor cursor = memo_->textCursor();
            const int end = static_cast<int>(memo_->document()->characterCount()) - 1;
            cursor.setPosition(std::min(static_cast<int>(from), end));
            cursor.setPosition(std::min(static_cast<int>(to), end), QTextCursor::KeepAnchor);
            memo_->setTextCursor(cursor);
            memo_->setFocus();
        });
    };
    const auto editButton = [&](const char* name,
                                std::function<void(std::size_t, std::size_t)> change) {
        edit(Get<QPushButton>(name), std::move(change), &QPushButton::clicked);
    };
    editButton("btnBreakStr", [&editor](std::size_t, std::size_t) { editor.BreakString(false); });
    editButton("btnBreakStrEqual",
               [&editor](std::size_t, std::size_t) { editor.BreakString(true); });
    editButton("btnSwitchCase",
               [&editor](std::size_t, std::size_t) { editor.ChangeCase(CaseChange::Switch); });
    editButton("btnSwitchCaseSelected", [&editor](std::size_t from, std::size_t to) {
        editor.ChangeCase(CaseChange::SwitchSelection, from, to);
    });
    for (const auto& [name, change] : kPopupChanges) {
        edit(
            Get<QAction>(name),
            [&editor, change](std::size_t from, std::size_t to) {
                editor.ChangeCase(change, from, to);
            },
            &QAction::triggered);
    }
    // "Up Case (Text In Brackets)": the menu's item and the pop-up's are one setting.
    auto* upMenu = Get<QAction>("mnUpCaseTextInBrackets");
    auto* upPopup = Get<QAction>("pmnUpCaseTextInBrackets");
    const auto showUp = [upMenu, upPopup](bool on) {
        const QString caption = on ? "Up &Case (TEXT IN BRACKETS)" : "Up &Case (Text In Brackets)";
        for (QAction* action : {upMenu, upPopup}) {
            action->setChecked(on);
            action->setText(WindowTexts::TranslateFor(action, caption));
        }
    };
    for (QAction* action : {upMenu, upPopup}) {
        connect(action, &QAction::toggled, this, [this, showUp](bool on) {
            session_.settings().SetBool("UpCaseTextInBrackets", on);
            showUp(on);
        });
    }
    showUp(session_.settings().Bool("UpCaseTextInBrackets"));

    // What is typed goes to the editor in the open file's form; a character the file cannot
    // hold is refused, and the box shows the editor's text again.
    connect(memo_, &QPlainTextEdit::textChanged, this, [this, &editor] {
        if (showing_) return;
        const auto text = window_.host().ToText(memo_->toPlainText(), editor.form());
        if (!text) return RestoreMemo();
        editor.SetText(*text);
        ShowMeasure();
    });
    auto* subNumber = Get<QLineEdit>("stSubNumber");
    connect(subNumber, &QLineEdit::textEdited, this,
            [this, &editor, subNumber](const QString& text) {
                if (const auto typed = window_.host().ToText(text, editor.form())) {
                    editor.subNumber = *typed;
                } else {
                    SetText(subNumber, QtHost::FromText(editor.subNumber, editor.form()));
                }
            });
    // Typed, or changed by the calculator's keys (T, plus and minus).
    auto* timeRange = Get<QLineEdit>("edTimeRange");
    connect(timeRange, &QLineEdit::textChanged, this,
            [this, &editor, timeRange](const QString& text) {
                if (showing_) return;
                if (const auto typed = window_.host().ToText(text, editor.form())) {
                    editor.SetTimeRange(*typed);
                } else {
                    const bool wasShowing = std::exchange(showing_, true);
                    SetText(timeRange, QtHost::FromText(editor.timeRange, editor.form()));
                    showing_ = wasShowing;
                }
            });
    if (auto* modes = Get<QGroupBox>("rgModeGoSub")->findChild<QButtonGroup*>()) {
        connect(modes, &QButtonGroup::idClicked, this, [&editor](int id) { editor.goMode = id; });
    }
    connect(Get<QCheckBox>("cbTime"), &QCheckBox::toggled, this, [this, &editor](bool on) {
        editor.showTime = on;
        ShowTimeRows();
    });
    auto* bold = Get<QCheckBox>("cbBold");
    const auto applyBold = [this](bool on) {
        QFont font = memo_->font();
        font.setBold(on);
        memo_->setFont(font);
    };
    connect(bold, &QCheckBox::toggled, this, applyBold);
    applyBold(bold->isChecked());

    // The indicators of joined timings are ticked by the program, never by a click.
    for (const char* name : {"cbPrevEqualTime", "cbNextEqualTime"}) {
        auto* check = Get<QCheckBox>(name);
        check->setAttribute(Qt::WA_TransparentForMouseEvents);
        check->setFocusPolicy(Qt::NoFocus);
        check->setToolTip("Ticked when the timings join; ReWrite then moves the next start along");
    }
    // edDeltaTimeRange stays open to typing: a duration typed there moves an end of the timing
    // with plus or minus, as in the calculator.
    Get<QLineEdit>("edLogString")->setReadOnly(true);
    // The line numbers and the lengths beside the lines only show, and scroll with the lines.
    for (const char* name : {"MemoSubLinesNum", "MemoSubLinesLength", "MemoSubLinesLengthFont"}) {
        auto* column = Get<QPlainTextEdit>(name);
        column->setReadOnly(true);
        column->setFocusPolicy(Qt::NoFocus);
        column->setLineWrapMode(QPlainTextEdit::NoWrap);
        column->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        column->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        column->setFont(memo_->font());
        connect(memo_->verticalScrollBar(), &QScrollBar::valueChanged, column->verticalScrollBar(),
                &QScrollBar::setValue);
    }
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    Get<QPushButton>("btnBreakOneBigText")
        ->setToolTip("Splits a subtitle longer than the full length (SubtitleFullLength) in two");

    memo_->installEventFilter(this);
    Get<QLineEdit>("stSubNumber")->installEventFilter(this);
    auto* lineNumber = Get<QSpinBox>("seLogLineNum");
    lineNumber->installEventFilter(this);
    lineNumber->findChild<QLineEdit*>()->installEventFilter(this);
}

bool EditorView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == memo_) return MemoKey(key->key(), key->modifiers());
    if (enter && watched == Get<QLineEdit>("stSubNumber")) {
        run_([this] { session_.editor.GoTo(); });
        return true;
    }
    auto* lineNumber = Get<QSpinBox>("seLogLineNum");
    if (enter && (watched == lineNumber || watched == lineNumber->findChild<QLineEdit*>())) {
        lineNumber->interpretText();
        const auto n = static_cast<std::size_t>(lineNumber->value());
        run_([this, n] { session_.viewer.Show(n); });
        memo_->setFocus();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

bool EditorView::MemoKey(int key, Qt::KeyboardModifiers modifiers) {
    SubtitleEditor& editor = session_.editor;
    ReportViewer& viewer = session_.viewer;
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    if (key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
        const bool down = key == Qt::Key_PageDown;
        if (ctrl) {
            run_([&] { down ? viewer.Next() : viewer.Prev(); });
        } else {
            run_([&] { down ? editor.Next() : editor.Prev(); });
        }
        return true;
    }
    // The digits of the main keyboard and of the numeric pad alike.
    if (ctrl && key >= Qt::Key_0 && key <= Qt::Key_5) {
        const auto aid = static_cast<KeyAid>(key - Qt::Key_0);
        run_([&] { editor.Apply(aid); });
        return true;
    }
    return false;
}

std::pair<std::size_t, std::size_t> EditorView::Selection() const {
    const QTextCursor cursor = memo_->textCursor();
    return {static_cast<std::size_t>(cursor.selectionStart()),
            static_cast<std::size_t>(cursor.selectionEnd())};
}

std::size_t EditorView::TextOffset(std::size_t position) const {
    // A Windows-1251 character is one byte and one UTF-16 unit; a UTF-8 one is bytes of its own.
    if (session_.editor.form() == TextForm::Cp1251) return position;
    const QString before = memo_->toPlainText().left(static_cast<qsizetype>(position));
    return static_cast<std::size_t>(before.toUtf8().size());
}

void EditorView::SetMemoText(const QString& text) {
    if (memo_->toPlainText() == text) return;
    memo_->setPlainText(text);
}

void EditorView::RestoreMemo() {
    const SubtitleEditor& editor = session_.editor;
    const QString text = QtHost::FromText(editor.Text(), editor.form());
    // The caret stays where it was, less what the refused typing added before it.
    const int added = static_cast<int>(memo_->toPlainText().size() - text.size());
    const int caret = std::clamp(memo_->textCursor().position() - std::max(added, 0), 0,
                                 static_cast<int>(text.size()));
    const bool wasShowing = std::exchange(showing_, true);
    memo_->setPlainText(text);
    QTextCursor cursor = memo_->textCursor();
    cursor.setPosition(caret);
    memo_->setTextCursor(cursor);
    showing_ = wasShowing;
}

void EditorView::Show() {
    showing_ = true;
    const SubtitleEditor& editor = session_.editor;
    const ReportViewer& viewer = session_.viewer;
    const TextForm form = editor.form();
    SetText(Get<QLineEdit>("stSubNumber"), QtHost::FromText(editor.subNumber, form));
    SetText(Get<QLineEdit>("edTimeRange"), QtHost::FromText(editor.timeRange, form));
    SetText(Get<QLineEdit>("edDeltaTimeRange"), QtHost::FromText(editor.duration()));
    Get<QLabel>("stCurrentSubtitle")->setText(QString::number(editor.Position()));
    Get<QLabel>("stSubtitlesCount")->setText(QString::number(editor.Count()));
    const std::pair<const char*, const char*> rows[] = {
        {"stTimeRangePrev", "stDeltaTimeRangePrev"},
        {"stTimeRangeThis", "stDeltaTimeRangeThis"},
        {"stTimeRangeNext", "stDeltaTimeRangeNext"}};
    const TimingLabel* labels[] = {&editor.previous(), &editor.current(), &editor.next()};
    for (std::size_t i = 0; i < 3; ++i) {
        auto* timing = Get<QLabel>(rows[i].first);
        timing->setText(QtHost::FromText(labels[i]->timing, form));
        timing->setStyleSheet(ColourOf(labels[i]->colour));
        Get<QLabel>(rows[i].second)->setText(QtHost::FromText(labels[i]->duration));
    }
    Get<QCheckBox>("cbPrevEqualTime")->setChecked(editor.previousJoins());
    Get<QCheckBox>("cbNextEqualTime")->setChecked(editor.nextJoins());
    SetMemoText(QtHost::FromText(editor.Text(), form));
    if (auto* modes = Get<QGroupBox>("rgModeGoSub")->findChild<QButtonGroup*>()) {
        if (QAbstractButton* mode = modes->button(editor.goMode)) mode->setChecked(true);
    }
    Get<QCheckBox>("cbTime")->setChecked(editor.showTime);

    Get<QLabel>("stLogLineCount")->setText(QString::number(viewer.lines().size()));
    auto* lineNumber = Get<QSpinBox>("seLogLineNum");
    lineNumber->setMaximum(static_cast<int>(viewer.lines().size()));
    lineNumber->setValue(static_cast<int>(viewer.current()));
    SetText(Get<QLineEdit>("edLogString"), QtHost::FromText(viewer.message(), viewer.form()));
    ShowMeasure();
    ShowTimeRows();
    showing_ = false;
}

void EditorView::ShowMeasure() {
    const SubtitleEditor& editor = session_.editor;
    const LineMeasure& measure = editor.measure();
    const bool wasShowing = std::exchange(showing_, true);
    Get<QPlainTextEdit>("MemoSubLinesLength")->setPlainText(Numbers(measure.lengths));
    auto* widths = Get<QPlainTextEdit>("MemoSubLinesLengthFont");
    widths->setPlainText(Numbers(measure.widths));
    Get<QLabel>("stMaxSubLength")->setText(QString::number(measure.total));
    Paint(Get<QLabel>("shMaxSubLength"), measure.totalTooLong ? kRed : kGreen);
    Paint(Get<QLabel>("shMemoSubLinesLengthIndicator"), measure.lineTooLong ? kRed : kGreen);
    auto* wide = Get<QLabel>("shMemoSubLinesLengthFontIndicator");
    // Without the font there are no widths, and the indicator says why instead of a colour.
    const QString unavailable = QtHost::FromText(measure.widthsUnavailable);
    Paint(wide, !unavailable.isEmpty() ? kGrey : measure.lineTooWide ? kRed : kGreen);
    wide->setToolTip(unavailable.isEmpty()
                         ? QString()
                         : WindowTexts::TranslateFor(wide, "No pixel widths: " + unavailable));
    widths->setToolTip(wide->toolTip());
    Get<QPushButton>("btnBreakOneBigText")->setEnabled(measure.breakBig && editor.shown());
    // The line columns follow the lines' scrolling.
    const int scrolled = memo_->verticalScrollBar()->value();
    for (const char* name : {"MemoSubLinesNum", "MemoSubLinesLength", "MemoSubLinesLengthFont"})
        Get<QPlainTextEdit>(name)->verticalScrollBar()->setValue(scrolled);
    showing_ = wasShowing;
}

void EditorView::ShowTimeRows() {
    const bool visible = session_.editor.showTime;
    for (const char* name : kTimeRows)
        Get<QWidget>(name)->setVisible(visible);
}

}  // namespace tessaline::gui
