#include "gui/main_window.hpp"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSet>
#include <QShortcut>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <set>
#include <thread>
#include <utility>

#include "app/language.hpp"
#include "core/paths.hpp"
#include "files/fs.hpp"
#include "files/line_io.hpp"
#include "gui/diagram_view.hpp"
#include "gui/film_sync_view.hpp"
#include "gui/editor_view.hpp"
#include "gui/file_paths.hpp"
#include "gui/parameters_window.hpp"
#include "gui/subtitle_lists_window.hpp"
#include "gui/time_calculator_view.hpp"
#include "gui/window_layout.hpp"
#include "gui/window_texts.hpp"
#include "ops/catalogue.hpp"
#include "ops/controls.hpp"
#include "ops/settings_table.hpp"
#include "ops/stretch.hpp"

namespace tessaline::gui {
namespace {

constexpr const char* kNotAvailable =
    "Not available yet: this command comes with a later version of Tessaline.";
constexpr const char* kWaitForTheRun = "A command is running: wait until it ends.";
constexpr const char* kCaption = "Tessaline by Orvendel";
constexpr const char* kStopCaption = "Stop";
constexpr int kDefaultWidth = 1020;
constexpr int kDefaultHeight = 690;

// The controls that work: the files and results above the pages, the focus menu, and every
// button, menu item, control and setting of a catalogued operation. Every other command control
// is shown disabled.
const QSet<QString>& WorkingControls() {
    static const QSet<QString> names = [] {
        QSet<QString> set = {
            "edOpenFile",
            "sbOpen",
            "edOpenFileAdd",
            "sbOpenAdd",
            "cbDirectoryMode",
            "cbSubExt",
            "stOutFile",
            "cbOutExt",
            "cbLogExt",
            "stLogFile",
            "mnOpenFile",
            "mnExit",
            "mnFile",
            "mnFocus",
            "mnSubtitleLinesSetFocus",
            "mnTimeExtenderSetFocus",
            "mnTimeTestSetFocus",
            "mnTimeCalculatorSetFocus",
            "mnAbout",
            "mnReplaceList",
            "mnSubtitlesLists",
            "mnParameters",
            "mnPartsAndTails",
        };
        for (const QString& name : EditorView::Controls())
            set.insert(name);
        for (const QString& name : TimeCalculatorControls())
            set.insert(name);
        for (const QString& name : DiagramControls())
            set.insert(name);
        for (const QString& name : FilmSyncControls())
            set.insert(name);
        const auto add = [&set](std::string_view name) {
            set.insert(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
        };
        for (const Operation* op : Catalogue()) {
            for (const Trigger& trigger : op->triggers)
                add(trigger.control);
            for (std::string_view control : op->controls)
                add(control);
            if (!op->variantControl.empty()) add(op->variantControl);
            for (std::string_view key : op->settings) {
                if (const SettingDef* def = LookupSettingDef(key); def && !def->feeds.empty()) {
                    add(def->feeds);
                }
            }
        }
        return set;
    }();
    return names;
}

// Controls that mean something only while a check box is on (or only while it is off): they are
// enabled exactly then.
struct EnabledByCheck {
    const char* control;
    const char* check;
    bool whenChecked = true;
};
constexpr EnabledByCheck kEnabledByCheck[] = {
    {"edExcludeFix", "cbUseExclude"},
    {"edJoinDeltaTime", "cbJoinSubtitlesText"},
    // Max Extend lengthens a short subtitle up to the minimum; without it, by the off-time step.
    {"sedMinDTime", "cbMaxExtend"},
    {"lMinDTime", "cbMaxExtend"},
    {"sedMinDTimeMls", "cbMaxExtend"},
    {"lMinDTimeMls", "cbMaxExtend"},
    {"seDeltaTimeMlsOff", "cbMaxExtend", false},
    {"lDeltaTimeMlsOff", "cbMaxExtend", false},
};

QString NameOf(std::string_view name) {
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

// Kinds that widen with the window: commands, texts and lists. Labels, check boxes, numbers
// and times keep their natural width.
bool Fills(Kind kind) {
    switch (kind) {
        case Kind::Button:
        case Kind::Combo:
        case Kind::EditCombo:
        case Kind::Edit:
        case Kind::Static:
        case Kind::Radio:
        case Kind::Memo:
        case Kind::Paint:
            return true;
        default:
            return false;
    }
}

// Kinds that only show something; they stay enabled.
bool IsDisplayOnly(Kind kind) {
    return kind == Kind::Label || kind == Kind::Static || kind == Kind::Shape;
}

QStringList Items(const char* items) {
    return QString::fromUtf8(items).split('|', Qt::SkipEmptyParts);
}

void SetRadioIndex(QWidget* group, int index) {
    auto* buttons = group->findChild<QButtonGroup*>();
    if (buttons == nullptr) return;
    if (QAbstractButton* button = buttons->button(index)) button->setChecked(true);
}

// What a group's grid can do with the window's spare room.
struct GridRoom {
    bool grows = false;            // an editor or a drawing takes the spare height
    int firstLabelWidth = 0;       // the widest label of the first column
    std::set<int> fillingColumns;  // columns with a control that widens
    std::set<int> labelColumns;
    int lastColumn = 0;
};

// Puts a group's controls into its grid.
GridRoom FillGrid(QGridLayout& grid, const GroupDef& def,
                  const std::function<QWidget*(const ControlDef&)>& make) {
    GridRoom room;
    for (const ControlDef& control : def.controls) {
        QWidget* widget = make(control);
        // A label, check box, number or time keeps its natural width at the left of its cell
        // (aligned, it does not hold its column to that width either).
        grid.addWidget(widget, control.row, control.column, control.rowSpan, control.columnSpan,
                       Fills(control.kind) ? Qt::Alignment() : Qt::AlignLeft | Qt::AlignVCenter);
        room.lastColumn = std::max(room.lastColumn, control.column + control.columnSpan - 1);
        if (control.columnSpan == 1 && Fills(control.kind) &&
            widget->sizePolicy().horizontalPolicy() != QSizePolicy::Fixed) {
            room.fillingColumns.insert(control.column);
        }
        if (control.columnSpan == 1 && control.kind == Kind::Label) {
            room.labelColumns.insert(control.column);
            if (control.column == 0) {
                room.firstLabelWidth = std::max(room.firstLabelWidth, widget->sizeHint().width());
            }
        }
        if (control.kind == Kind::Memo || control.kind == Kind::Paint) {
            // Its rows take the spare height; the rows of single-line controls keep theirs.
            room.grows = true;
            for (int r = control.row; r < control.row + control.rowSpan; ++r)
                grid.setRowStretch(r, 1);
        }
    }
    return room;
}

// The spare width of a page's group goes to the columns of buttons and texts, not to a column of
// labels, which stay beside their fields; a group of labels, numbers and times keeps its natural
// width and leaves the rest free.
void ShareSpareWidth(QGridLayout& grid, const GridRoom& room) {
    bool widens = false;
    for (int c : room.fillingColumns) {
        if (room.labelColumns.contains(c)) continue;
        grid.setColumnStretch(c, 1);
        widens = true;
    }
    if (!widens) grid.setColumnStretch(room.lastColumn + 1, 1);
}

// A time picker that takes typed digits where the user clicked: a click selects the section
// (hours, minutes, seconds) under the caret, so that typing replaces it. A plain QTimeEdit
// leaves the caret between digits, where typing changes nothing.
class TimePicker : public QTimeEdit {
  public:
    explicit TimePicker(QWidget* parent) : QTimeEdit(QTime(0, 0), parent) {
        setDisplayFormat("HH:mm:ss");
        lineEdit()->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The press has put the caret where the user clicked; a drag that selected text keeps
        // its selection.
        if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease &&
            !lineEdit()->hasSelectedText()) {
            setSelectedSection(currentSection());
        }
        return QTimeEdit::eventFilter(watched, event);
    }
};

}  // namespace

MainWindow::MainWindow(const std::string& programFolder, QWidget* parent) : QMainWindow(parent) {
    setObjectName("TMainForm");
    caption_ = kCaption;
    setWindowTitle(caption_);
    setWindowIcon(QIcon(":/tessaline.svg"));
    texts_ = std::make_unique<WindowTexts>(this);
    BuildMenus();
    BuildPages();

    QtHost::Widgets widgets;
    widgets.parent = this;
    widgets.statusText = Control<QLabel>("stStatusText");
    widgets.statusTextTail = Control<QLabel>("stStatusTextTail");
    widgets.statusInd = Control<QLabel>("stStatusInd");
    widgets.showStatusBar = [this](const QString& text) {
        statusBar()->showMessage(texts_->Translate(text));
    };
    // A folder run goes on until this is pressed (or Esc while it shows), then ends after the
    // files that are running.
    auto* stop = new QPushButton(kStopCaption, statusBar());
    stop->setObjectName("btnStopRun");
    stop->setVisible(false);
    // As high as the status bar's text: the bar does not grow and push the pages up.
    stop->setMaximumHeight(stop->fontMetrics().height() + 2);
    statusBar()->addPermanentWidget(stop);
    widgets.stop = stop;
    host_ = std::make_unique<QtHost>(widgets);
    connect(stop, &QPushButton::clicked, this, [this] { host_->RequestStop(); });
    // Esc stops at once (a button's own shortcut clicks it only after a delay).
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this, stop] {
        if (stop->isVisible()) host_->RequestStop();
    });
    session_ = std::make_unique<Session>(*host_, programFolder);
    session_->talksToWindow = true;
    // A folder run uses every core; the window stays responsive meanwhile.
    session_->jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    session_->withEditor = true;

    WireCommands();
    WireTextTools();
    editorView_ = new EditorView(*this, *session_,
                                 [this](const std::function<void()>& handler) { Run(handler); });
    MarkNotAvailable();
    ShowHints();
    FormCreate();
    BindSettings();
    BindControls();
    BindEnabledStates();
    WireDependentControls();
    ShowState();
    // A new user can type a path at once; a path shown from the last run is selected, so that
    // typing replaces it.
    Control<QComboBox>("edOpenFile")->setFocus();
    Control<QComboBox>("edOpenFile")->lineEdit()->selectAll();
}

MainWindow::~MainWindow() {
    // Closing the widgets below moves the focus out of the open-file box, which may report an
    // item as chosen: nothing is opened by a window that is going.
    Control<QComboBox>("edOpenFile")->disconnect(this);
    FormDestroy();
}

// --- Building --------------------------------------------------------------------------------

void MainWindow::BuildMenus() {
    const auto add = [this](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    // "&" marks each menu's and item's accelerator key (Alt+F opens File).
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("mnFile");
    add(file, "mnOpenFile", "&Open File...")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    add(file, "mnRenameFile", "&Rename out-File");
    file->addSeparator();
    add(file, "mnSubtitlesLists", "Subtitles &Lists...");
    file->addSeparator();
    QAction* exit = add(file, "mnExit", "E&xit");
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* focus = menuBar()->addMenu("F&ocus");
    focus->setObjectName("mnFocus");
    add(focus, "mnSubtitleLinesSetFocus", "Subtitle &Lines");
    add(focus, "mnTimeExtenderSetFocus", "Time &Extender");
    add(focus, "mnTimeTestSetFocus", "Time &Test");
    add(focus, "mnTimeCalculatorSetFocus", "Time &Calculator");

    QMenu* convert = menuBar()->addMenu("&Convertation Text in File");
    convert->setObjectName("mnConvertation");
    add(convert, "mnTextToLowerCase", "text to &lower case");
    add(convert, "mnTextToUpLoCase", "Text To Begin From Upper Letter (&Any Word)");
    add(convert, "mnTextToUpFirstLetterLoCase", "Text to begin from upper letter of &string");
    add(convert, "mnNormalizeTextString", "&Normalize text string");
    add(convert, "mnTextToSwitchCase", "Text to s&WITCH cASE");
    add(convert, "mnUpCaseTextInBrackets", "Up &Case (Text In Brackets)")->setCheckable(true);
    convert->addSeparator();
    add(convert, "mnWin2ISO", "win1251 --> &ISO-8859-5");
    add(convert, "mnWin2Alt", "win1251 --> cp&866");
    add(convert, "mnWin2KOI8R", "win1251 --> &koi8-R");
    add(convert, "mnWin2Mac", "win1251 --> &Mac");
    add(convert, "mnWin2UTF8", "win1251 --> U&TF8");
    add(convert, "mnISO2Win", "IS&O-8859-5 --> win1251");
    add(convert, "mnAlt2Win", "c&p866 --> win1251");
    add(convert, "mnKOI8R2Win", "koi8-&R --> win1251");
    add(convert, "mnMac2Win", "Mac --> win&1251");
    add(convert, "mnUTF82Win", "&UTF8 --> win1251");
    add(convert, "mnAuto2Win", "auto --> win1&251");
    convert->addSeparator();
    add(convert, "mnUnixToDOS", "Unix to &DOS");
    add(convert, "mnAnyToDOS", "An&y to DOS");
    convert->addSeparator();
    add(convert, "mnCodeTest", "[Code T&est]");

    QMenu* settings = menuBar()->addMenu("&Settings");
    settings->setObjectName("mnSettings");
    add(settings, "mnParameters", "&Parameters...");
    add(settings, "mnPartsAndTails", "Parts && &Tails...");
    add(settings, "mnReplaceList", "&Replace List...");

    QAction* about = menuBar()->addAction("&About");
    about->setObjectName("mnAbout");
    about->setShortcut(QKeySequence(Qt::Key_F1));
}

QWidget* MakeControl(const ControlDef& def, QWidget* parent) {
    const QString caption = QString::fromUtf8(def.caption);
    const QString value = QString::fromUtf8(def.value);
    QWidget* widget = nullptr;
    switch (def.kind) {
        case Kind::Button:
            widget = new QPushButton(caption, parent);
            break;
        case Kind::Check: {
            auto* check = new QCheckBox(caption, parent);
            check->setChecked(value == "1");
            widget = check;
            break;
        }
        case Kind::Combo:
        case Kind::EditCombo: {
            auto* combo = new QComboBox(parent);
            combo->addItems(Items(def.items));
            if (def.kind == Kind::EditCombo) {
                combo->setEditable(true);
                combo->setInsertPolicy(QComboBox::NoInsert);
                combo->setCurrentText(value);
            } else {
                combo->setCurrentIndex(value.toInt());
            }
            widget = combo;
            break;
        }
        case Kind::Edit:
            widget = new QLineEdit(value, parent);
            break;
        case Kind::Spin: {
            auto* spin = new QSpinBox(parent);
            spin->setRange(def.min, def.max);
            spin->setSingleStep(def.step);
            spin->setValue(value.toInt());
            widget = spin;
            break;
        }
        case Kind::Time:
            widget = new TimePicker(parent);
            break;
        case Kind::Static: {
            auto* label = new QLabel(caption, parent);
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            widget = label;
            break;
        }
        case Kind::Label:
            widget = new QLabel(caption, parent);
            break;
        case Kind::Radio: {
            auto* group = new QGroupBox(caption, parent);
            // A group that stands over several rows lists its items one under the other.
            QBoxLayout* layout = def.rowSpan > 1 ? static_cast<QBoxLayout*>(new QVBoxLayout(group))
                                                 : new QHBoxLayout(group);
            layout->setContentsMargins(4, caption.isEmpty() ? 2 : 4, 4, 2);
            auto* buttons = new QButtonGroup(group);
            const QStringList items = Items(def.items);
            for (int i = 0; i < items.size(); ++i) {
                auto* radio = new QRadioButton(items[i], group);
                buttons->addButton(radio, i);
                layout->addWidget(radio);
            }
            SetRadioIndex(group, value.toInt());
            widget = group;
            break;
        }
        case Kind::Memo: {
            auto* memo = new QPlainTextEdit(value, parent);
            memo->setMinimumHeight(120);
            // The line numbers and the two length columns beside the text are narrow.
            if (QString::fromLatin1(def.name) != "MemoSubLines") memo->setFixedWidth(44);
            widget = memo;
            break;
        }
        case Kind::Shape: {
            auto* shape = new QLabel(parent);
            shape->setFixedSize(14, 14);
            shape->setStyleSheet("background-color: #00C000; border-radius: 7px;");
            widget = shape;
            break;
        }
        case Kind::Paint:
            widget = new DiagramView(parent);
            break;
    }
    widget->setObjectName(QString::fromLatin1(def.name));
    return widget;
}

void MainWindow::BuildPages() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(4, 4, 4, 2);
    column->setSpacing(4);

    pages_ = new QTabWidget(central);
    pages_->setObjectName("PageControl");
    // The tab bar takes the keyboard focus like any control: Tab reaches it, the arrow keys
    // then turn the pages.
    pages_->tabBar()->setFocusPolicy(Qt::StrongFocus);
    // Each page is a row of columns in a scroll area, so that it works on a small screen; the
    // groups of a column stack from the top.
    struct PageColumn {
        QVBoxLayout* stack = nullptr;
        std::vector<QGridLayout*> grids;
        int firstColumnWidth = 0;      // the widest label of the grids' first columns
        QGroupBox* growing = nullptr;  // the group that takes the column's spare height
        bool widens = false;           // it holds a group whose text takes the spare width
    };
    std::vector<QWidget*> pageWidgets;
    std::vector<std::vector<PageColumn>> columns;
    for (const PageDef& page : Pages()) {
        auto* scroll = new QScrollArea(pages_);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        auto* widget = new QWidget(scroll);
        widget->setObjectName(page.name);
        auto* row = new QHBoxLayout(widget);
        row->setContentsMargins(4, 4, 4, 4);
        row->setSpacing(6);
        scroll->setWidget(widget);
        pageWidgets.push_back(widget);
        columns.emplace_back();
        pages_->addTab(scroll, page.caption);
    }

    for (const GroupDef& def : Groups()) {
        const bool above = def.page == kAbovePages;
        QWidget* parent = above ? central : pageWidgets[static_cast<std::size_t>(def.page)];
        auto* group = new QGroupBox(QString::fromUtf8(def.title), parent);
        group->setObjectName(def.name);
        auto* grid = new QGridLayout(group);
        grid->setContentsMargins(6, 4, 6, 4);
        grid->setHorizontalSpacing(6);
        grid->setVerticalSpacing(3);
        const GridRoom room = FillGrid(*grid, def, [this, group](const ControlDef& control) {
            return MakeControl(control, group);
        });
        if (above) {
            grid->setColumnStretch(8, 1);  // the file boxes and the progress line
            column->addWidget(group);
            continue;
        }
        ShareSpareWidth(*grid, room);
        auto& pageColumns = columns[static_cast<std::size_t>(def.page)];
        auto* row =
            static_cast<QHBoxLayout*>(pageWidgets[static_cast<std::size_t>(def.page)]->layout());
        while (pageColumns.size() <= static_cast<std::size_t>(def.column)) {
            pageColumns.emplace_back().stack = new QVBoxLayout;
            row->addLayout(pageColumns.back().stack);
        }
        PageColumn& stack = pageColumns[static_cast<std::size_t>(def.column)];
        stack.stack->addWidget(group, room.grows ? 1 : 0);
        stack.grids.push_back(grid);
        stack.firstColumnWidth = std::max(stack.firstColumnWidth, room.firstLabelWidth);
        if (room.grows) stack.growing = group;
        // The report viewer's message is a long line: its column widens with the window too.
        if (std::string_view(def.name) == "gbLogData") stack.widens = true;
    }
    // The kinds of output and report files; the report list holds them without "*.out".
    for (std::string_view kind : kOutExtItems) {
        const QString item = NameOf(kind);
        Control<QComboBox>("cbOutExt")->addItem(item);
        if (kind != "*.out") Control<QComboBox>("cbLogExt")->addItem(item);
    }
    for (std::size_t page = 0; page < columns.size(); ++page) {
        auto* row = static_cast<QHBoxLayout*>(pageWidgets[page]->layout());
        const bool pageHasGrowing =
            std::any_of(columns[page].begin(), columns[page].end(),
                        [](const PageColumn& c) { return c.growing != nullptr; });
        for (std::size_t i = 0; i < columns[page].size(); ++i) {
            PageColumn& stack = columns[page][i];
            // The labels before the fields of stacked groups share one width, so that the
            // fields of those groups start at the same place.
            for (QGridLayout* grid : stack.grids)
                grid->setColumnMinimumWidth(0, stack.firstColumnWidth);
            if (stack.growing == nullptr) stack.stack->addStretch(1);
            // A wider window widens the editor or the drawing where a page has one, otherwise
            // every column alike.
            // (The report viewer's column beside the editor takes a third of the spare width.)
            const int stretch = !pageHasGrowing ? 1 : stack.growing != nullptr ? 2 : stack.widens ? 1 : 0;
            row->setStretch(static_cast<int>(i), stretch);
        }
    }
    column->addWidget(pages_, 1);
    setCentralWidget(central);

    // The pop-up menu of the editor's lines: case changes of the edited subtitle.
    auto* memo = findChild<QPlainTextEdit*>("MemoSubLines");
    auto* popup = new QMenu(memo);
    popup->setObjectName("pmnSubLines");
    const std::pair<const char*, const char*> items[] = {
        {"pmnTextToLowerCase", "lower case"},
        {"pmnTextToUpLoCase", "Begin From Upper Letter (Any Word)"},
        {"pmnTextToUpFirstLetterLoCase", "Begin from upper letter of string"},
        {"pmnTextToSwitchCase", "sWITCH cASE"},
        {"pmnTextToSwitchCaseSelected", "sWITCH cASE (selected text)"},
        {"pmnNormalizeTextString", "Normalize text"},
        {"pmnUpCaseTextInBrackets", "Up &Case (Text In Brackets)"}};
    for (const auto& [name, caption] : items)
        popup->addAction(caption)->setObjectName(name);
    popup->actions().back()->setCheckable(true);
    memo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(memo, &QWidget::customContextMenuRequested, popup,
            [memo, popup](const QPoint& at) { popup->popup(memo->mapToGlobal(at)); });
    statusBar()->setObjectName("StatusBar");
    resize(kDefaultWidth, kDefaultHeight);
}

// Shows every setting in the control it feeds and keeps the setting in step with the control.
void MainWindow::BindSettings() {
    for (const SettingDef& def : kSettingTable) {
        if (def.feeds.empty() || def.feeds == "edOpenFile" || def.feeds == "edOpenFileAdd") {
            continue;  // the open-file boxes show the session's own paths
        }
        const std::string key(def.key);
        QObject* object = findChild<QObject*>(NameOf(def.feeds));
        ShowSetting(object, session_->settings(), key);
        const auto store = [this, object, key] { StoreSetting(object, session_->settings(), key); };
        if (auto* check = qobject_cast<QCheckBox*>(object)) {
            connect(check, &QCheckBox::toggled, this, store);
        } else if (auto* spin = qobject_cast<QSpinBox*>(object)) {
            connect(spin, &QSpinBox::valueChanged, this, [this, store] {
                store();
                ShowLineSummary();
            });
        } else if (auto* edit = qobject_cast<QLineEdit*>(object)) {
            connect(edit, &QLineEdit::textChanged, this, store);
        } else if (auto* combo = qobject_cast<QComboBox*>(object)) {
            connect(combo, &QComboBox::currentTextChanged, this, store);
        } else if (auto* action = qobject_cast<QAction*>(object)) {
            connect(action, &QAction::toggled, this, store);
        } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
            if (auto* buttons = group->findChild<QButtonGroup*>()) {
                connect(buttons, &QButtonGroup::idClicked, this, store);
            }
        }
    }
    ShowLineSummary();
}

// The window-only controls show the session's values and write every change back at once, so an
// operation reads what the user sees.
void MainWindow::BindControls() {
    for (const ControlValueDef& def : kControlTable) {
        const std::string name(def.name);
        QObject* object = findChild<QObject*>(NameOf(def.name));
        ShowControl(def.name);
        const auto store = [this, name](const std::string& value) {
            session_->controls.Set(name, value);
        };
        if (auto* check = qobject_cast<QCheckBox*>(object)) {
            connect(check, &QCheckBox::toggled, this, [store](bool on) { store(on ? "1" : "0"); });
        } else if (auto* spin = qobject_cast<QSpinBox*>(object)) {
            connect(spin, &QSpinBox::valueChanged, this,
                    [store](int value) { store(std::to_string(value)); });
        } else if (auto* time = qobject_cast<QTimeEdit*>(object)) {
            connect(time, &QTimeEdit::timeChanged, this, [store](QTime t) {
                store(ClockToText({t.hour(), t.minute(), t.second()}));
            });
        } else if (auto* edit = qobject_cast<QLineEdit*>(object)) {
            const bool path = def.type == ControlType::Path;
            connect(edit, &QLineEdit::textChanged, this, [store, path](const QString& text) {
                store(path ? PathFromQString(text) : QtHost::ToText(text));
            });
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(object)) {
            connect(memo, &QPlainTextEdit::textChanged, this,
                    [store, memo] { store(QtHost::ToText(memo->toPlainText())); });
        } else if (auto* combo = qobject_cast<QComboBox*>(object)) {
            if (def.type == ControlType::Int) {
                connect(combo, &QComboBox::currentIndexChanged, this,
                        [store](int index) { store(std::to_string(index)); });
            } else {
                connect(combo, &QComboBox::currentTextChanged, this,
                        [store](const QString& text) { store(QtHost::ToText(text)); });
            }
        } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
            if (auto* buttons = group->findChild<QButtonGroup*>()) {
                connect(buttons, &QButtonGroup::idClicked, this,
                        [store](int id) { store(std::to_string(id)); });
            }
        }
    }
}

// Shows a control's value from the session; a widget that already shows it is left alone (the
// user may be typing in it).
void MainWindow::ShowControl(std::string_view name) {
    const ControlValues& values = session_->controls;
    QObject* object = findChild<QObject*>(NameOf(name));
    const ControlValueDef* def = LookupControlDef(name);
    if (object == nullptr || def == nullptr) return;
    const QString text = def->type == ControlType::Path ? PathToQString(values.Text(name))
                                                        : QtHost::FromText(values.Text(name));
    if (auto* check = qobject_cast<QCheckBox*>(object)) {
        if (check->isChecked() != values.Bool(name)) check->setChecked(values.Bool(name));
    } else if (auto* spin = qobject_cast<QSpinBox*>(object)) {
        if (spin->value() != values.Int(name)) spin->setValue(values.Int(name));
    } else if (auto* time = qobject_cast<QTimeEdit*>(object)) {
        const QTime t = QTime::fromString(text, "HH:mm:ss");
        if (t.isValid() && time->time() != t) time->setTime(t);
    } else if (auto* edit = qobject_cast<QLineEdit*>(object)) {
        if (edit->text() != text) edit->setText(text);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(object)) {
        if (memo->toPlainText() != text) memo->setPlainText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(object)) {
        if (def->type == ControlType::Int) {
            if (combo->currentIndex() != values.Int(name)) combo->setCurrentIndex(values.Int(name));
        } else if (combo->currentText() != text) {
            // A mask typed into the open-file box may not be among the list's items.
            if (combo->findText(text) < 0) combo->addItem(text);
            combo->setCurrentText(text);
        }
    } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
        SetRadioIndex(group, values.Int(name));
    }
}

// The frame-rate factor's controls, and the range boxes that only operations fill.
void MainWindow::WireDependentControls() {
    // "Difference" takes the frame-rate factor from the two rates, "Coefficient" from the box;
    // the box shows the rates' ratio whenever one of them changes.
    auto* source = Control<QComboBox>("cbFramesAtSec");
    auto* target = Control<QComboBox>("cbFramesAtSecTarget");
    auto* coefficient = Control<QLineEdit>("edFramesAtSecCoefficient");
    const auto showCoefficient = [this, source, target] {
        session_->controls.Set("edFramesAtSecCoefficient",
                               CoefficientText(QtHost::ToText(source->currentText()),
                                               QtHost::ToText(target->currentText())));
        ShowControl("edFramesAtSecCoefficient");
    };
    const auto chooseFactor = [source, target, coefficient, showCoefficient](int id) {
        source->setEnabled(id == 0);
        target->setEnabled(id == 0);
        coefficient->setEnabled(id == 1);
        showCoefficient();
    };
    // The factor has up to 15 decimals: the box widens to show all of them.
    connect(coefficient, &QLineEdit::textChanged, coefficient, [coefficient](const QString& text) {
        constexpr int kFrameAndCaret = 12;
        coefficient->setMinimumWidth(coefficient->fontMetrics().horizontalAdvance(text) +
                                     kFrameAndCaret);
    });
    connect(source, &QComboBox::currentTextChanged, this, showCoefficient);
    connect(target, &QComboBox::currentTextChanged, this, showCoefficient);
    if (auto* buttons = Control<QGroupBox>("rgCoefficient")->findChild<QButtonGroup*>()) {
        connect(buttons, &QButtonGroup::idClicked, this, chooseFactor);
    }
    chooseFactor(session_->controls.Int("rgCoefficient"));

    // The Begin Time the user sets is echoed in the status bar, with the day it is set on. Only
    // the user's own changes (the picker has the focus then), not a range an operation filled in.
    auto* begin = Control<QTimeEdit>("dtpBeginTime");
    connect(begin, &QTimeEdit::timeChanged, this, [this, begin](QTime time) {
        if (!begin->hasFocus()) return;
        statusBar()->showMessage("[" +
                                 QLocale().toString(QDate::currentDate(), QLocale::ShortFormat) +
                                 "] [" + time.toString("HH:mm:ss") + "]");
    });

    // The range boxes that Get Range and the stretch fill are not typed into.
    for (const char* name :
         {"dtpEndTime", "seEndTimeMls", "dtpFullTime", "seFullTimeMls", "dtpNewFullTime",
          "seNewFullTimeMls", "sedBeginFrame", "sedEndFrame", "sedFullFrames", "sedNewFullFrames"})
        Control<QAbstractSpinBox>(name)->setReadOnly(true);
}

void MainWindow::WireCommands() {
    const auto onAction = [this](const char* name, std::function<void()> handler) {
        connect(Control<QAction>(name), &QAction::triggered, this, std::move(handler));
    };
    // Enter in the box opens its text; choosing from its list opens that file. The key goes to
    // the combo box, which has the focus, and from there straight into its line edit: the filter
    // watches both, and keeps the combo box from also reporting a matching item as chosen.
    auto* openBox = Control<QComboBox>("edOpenFile");
    openBox->installEventFilter(this);
    openBox->lineEdit()->installEventFilter(this);
    // Paths differ by letter case; completing film.srt to FILM.SRT would open another file.
    openBox->completer()->setCaseSensitivity(Qt::CaseSensitive);
    connect(openBox, &QComboBox::activated, this,
            [this, openBox](int index) { OpenFile(openBox->itemText(index)); });
    connect(Control<QPushButton>("sbOpen"), &QPushButton::clicked, this,
            &MainWindow::OpenFromDialog);
    onAction("mnOpenFile", [this] { OpenFromDialog(); });
    connect(Control<QPushButton>("sbOpenAdd"), &QPushButton::clicked, this,
            &MainWindow::OpenAddFromDialog);

    connect(Control<QCheckBox>("cbDirectoryMode"), &QCheckBox::clicked, this,
            [this](bool on) { Run([this, on] { session_->SetDirectoryMode(on); }); });
    connect(Control<QComboBox>("cbLogExt"), &QComboBox::textActivated, this,
            [this] { Run([this] { session_->RefreshIndicators(); }); });

    // Every button and menu item of a catalogued operation runs it.
    for (const Operation* op : Catalogue()) {
        for (const Trigger& trigger : op->triggers) {
            const auto handler = [this, op, variant = trigger.variant] {
                Run([this, op, variant] { session_->Run(*op, variant); });
                if (!op->focusAfter.empty()) {
                    if (auto* widget = findChild<QWidget*>(NameOf(op->focusAfter))) {
                        widget->setFocus();
                    }
                }
            };
            QObject* object = findChild<QObject*>(NameOf(trigger.control));
            if (auto* button = qobject_cast<QPushButton*>(object)) {
                connect(button, &QPushButton::clicked, this, handler);
            } else if (auto* action = qobject_cast<QAction*>(object)) {
                connect(action, &QAction::triggered, this, handler);
            }
        }
    }
    // A click on an indicator renames the output into the input's place (see eventFilter). An
    // indicator keeps its place while hidden, so that nothing moves when it appears.
    for (const char* indicator : {"stOutFile", "stLogFile", "stStatusInd"}) {
        auto* label = Control<QLabel>(indicator);
        QSizePolicy policy = label->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        label->setSizePolicy(policy);
        if (std::string_view(indicator) == "stStatusInd") continue;
        label->installEventFilter(this);
        label->setCursor(Qt::PointingHandCursor);
    }

    // The focus menu brings a group's page to the front.
    const auto focus = [this, &onAction](const char* action, int page, const char* target) {
        onAction(action, [this, page, target] {
            pages_->setCurrentIndex(page);
            if (auto* widget = findChild<QWidget*>(target)) widget->setFocus();
        });
    };
    // Tab leads from the controls above the pages to the tab bar, and from there into the page.
    QWidget::setTabOrder(Control<QWidget>("btnAllInOne"), pages_->tabBar());
    focus("mnSubtitleLinesSetFocus", kSubtitlePage, "MemoSubLines");
    focus("mnTimeExtenderSetFocus", kTimeFramePage, "gbTimeExtender");
    focus("mnTimeTestSetFocus", kTimeFramePage, "btnTimeTest");
    focus("mnTimeCalculatorSetFocus", kUtilitiesPage, "gbTimeCalculator");
    onAction("mnAbout", [this] { ShowAbout(); });
    onAction("mnSubtitlesLists", [this] { ShowSubtitlesLists(); });
    onAction("mnParameters", [this] { ShowParameters(); });
    WireTimeCalculator(this, *session_);
    drawDiagram_ = WireDiagram(this, *session_);
    WireFilmSync(*this, [this](const std::function<void()>& handler) { Run(handler); });
    onAction("mnPartsAndTails", [this] {
        PartsAndTailsWindow window(*session_, this);
        window.exec();
    });
}

// Every command control whose command is not built yet is disabled and says so.
void MainWindow::MarkNotAvailable() {
    const QSet<QString>& working = WorkingControls();
    for (const GroupDef& group : Groups()) {
        for (const ControlDef& def : group.controls) {
            if (IsDisplayOnly(def.kind) || *def.name == '\0') continue;
            if (working.contains(QString::fromLatin1(def.name))) continue;
            QWidget* widget = findChild<QWidget*>(QString::fromLatin1(def.name));
            widget->setEnabled(false);
            widget->setToolTip(kNotAvailable);
        }
    }
    for (QAction* action : findChildren<QAction*>()) {
        if (action->objectName().isEmpty() || working.contains(action->objectName())) continue;
        if (action->menu() != nullptr) continue;  // a menu itself stays open to show its items
        action->setEnabled(false);
        action->setToolTip(kNotAvailable);
    }
    for (QMenu* menu : findChildren<QMenu*>())
        menu->setToolTipsVisible(true);
}

// The controls' hints. A hint that Qt would take for rich text ("<i> & </i> ...") is escaped, so
// that the tags are shown as written and not applied.
void MainWindow::ShowHints() {
    for (const HintDef& def : Hints()) {
        const QString hint = texts_->Translate(QString::fromUtf8(def.hint));
        QWidget* widget = findChild<QWidget*>(QString::fromLatin1(def.name));
        if (widget == nullptr) continue;
        if (!Qt::mightBeRichText(hint)) {
            widget->setToolTip(hint);
            continue;
        }
        widget->setToolTip("<p style='white-space:pre'>" +
                           hint.toHtmlEscaped().replace('\n', "<br>") + "</p>");
    }
}

// Each dependent control follows its check box from the start, as after a click on it.
void MainWindow::BindEnabledStates() {
    for (const auto& [control, check, whenChecked] : kEnabledByCheck) {
        auto* box = Control<QCheckBox>(check);
        QWidget* dependent = Control<QWidget>(control);
        if (box == nullptr || dependent == nullptr || !dependent->isEnabled()) continue;
        dependent->setEnabled(box->isChecked() == whenChecked);
        connect(box, &QCheckBox::toggled, dependent, [dependent, on = whenChecked](bool checked) {
            dependent->setEnabled(checked == on);
        });
    }
    // Compare Timings: the time tolerance means something in the "Time" mode, whole words in the
    // text modes.
    const auto showCompareMode = [this] {
        const bool byTime = session_->settings().Int("TimingsModeCompare") == 0;
        Control<QLabel>("lDeltaTime")->setEnabled(byTime);
        Control<QLineEdit>("edDeltaTime")->setEnabled(byTime);
        Control<QCheckBox>("cbRoundWord")->setEnabled(!byTime);
    };
    if (auto* modes = Control<QGroupBox>("rgTimingsModeCompare")->findChild<QButtonGroup*>()) {
        connect(modes, &QButtonGroup::idClicked, this, showCompareMode);
    }
    showCompareMode();
}

// --- Start and exit ---------------------------------------------------------------------------

void MainWindow::FormCreate() {
    session_->Start();
    // A file remembered from the last run is shown in the editor at once.
    if (!session_->openFile.empty() && !session_->directoryMode) session_->editor.Open();
    auto* openBox = Control<QComboBox>("edOpenFile");
    for (const std::string& path : session_->recentFiles)
        openBox->addItem(PathToQString(path));
    openBox->setCurrentText(PathToQString(session_->openFile));

    ShowTimeCaption();

    Place();
    pages_->setCurrentIndex(kSubtitlePage);
    // The language chosen in the Parameters window, when its file is there.
    const std::string& language = session_->settings().Text("Language");
    if (!language.empty()) {
        const std::string path = LanguageFilePath(session_->programFolder(), language);
        if (!IsRegularFile(path)) {
            // Kept from an earlier start, but the file has gone: the captions stay built-in.
            statusBar()->showMessage("Language file not found: " + PathToQString(path));
        } else if (!ApplyLanguage(PathToQString(path))) {
            host_->ShowMessage("Error on Load Language File");
        }
    }
    Control<QLabel>("stStatusInd")->setVisible(false);
}

// The window's size fits the screen; its place is the stored top and left when that corner lies
// on a screen (moved in so that the whole window is on it), otherwise the middle of the primary
// screen: a position stored on a screen that is gone never hides the window.
void MainWindow::Place() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect available = primary != nullptr ? primary->availableGeometry()
                                               : QRect(0, 0, kDefaultWidth, kDefaultHeight);
    resize(std::min(kDefaultWidth, available.width()),
           std::min(kDefaultHeight, available.height()));

    const Settings& settings = session_->settings();
    const int left = settings.Int("Left");
    // Without a stored top the window stands at the bottom of the screen.
    const int top =
        settings.Text("Top").empty() ? available.bottom() + 1 - height() : settings.Int("Top");
    if (const QScreen* screen = QGuiApplication::screenAt(QPoint(left, top))) {
        // Moved in as far as needed, so that the window's bottom and right edge are on the
        // screen too.
        const QRect area = screen->availableGeometry();
        move(std::max(area.left(), std::min(left, area.right() + 1 - width())),
             std::max(area.top(), std::min(top, area.bottom() + 1 - height())));
    } else {
        move(available.left() + (available.width() - width()) / 2,
             available.top() + (available.height() - height()) / 2);
    }
}

void MainWindow::FormDestroy() {
    if (closed_) return;
    closed_ = true;
    Settings& settings = session_->settings();
    settings.SetInt("Top", y());
    settings.SetInt("Left", x());
    try {
        session_->Exit();
    } catch (const std::exception& e) {
        host_->ShowMessage(e.what());
    }
}

// Another program may have changed the open file while the window was in the background.
void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || running_ ||
        !editorView_) {
        return;
    }
    session_->editor.Refresh();
    editorView_->Show();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!closed_ && !LeaveEdits()) {
        event->ignore();
        return;
    }
    FormDestroy();
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* openBox = Control<QComboBox>("edOpenFile");
    if (event->type() == QEvent::KeyPress &&
        (watched == openBox || watched == openBox->lineEdit())) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const QString text = openBox->currentText();
            Outcome outcome = Outcome::Ok;
            Run([this, text, &outcome] { outcome = session_->OpenFromBox(PathFromQString(text)); });
            // A path that did not open stays in the box, so that a typo can be corrected.
            if (outcome != Outcome::Ok) openBox->setCurrentText(text);
            return true;
        }
    }
    // The box reached by the keyboard selects its text: typing replaces it.
    if (event->type() == QEvent::FocusIn && watched == openBox) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::ShortcutFocusReason) {
            QTimer::singleShot(0, openBox->lineEdit(), &QLineEdit::selectAll);
        }
    }
    // A click on an indicator renames the output into the input's place.
    if (event->type() == QEvent::MouseButtonRelease &&
        (watched->objectName() == "stOutFile" || watched->objectName() == "stLogFile")) {
        Run([this] { session_->Click("btnRenameFile"); });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- Commands ---------------------------------------------------------------------------------

void MainWindow::Run(const std::function<void()>& handler) {
    if (running_) {
        // The per-line event processing lets clicks through while a command runs; one command
        // at a time keeps two operations from writing the same files.
        statusBar()->showMessage(kWaitForTheRun);
        return;
    }
    running_ = true;
    host_->ClearStop();
    // What the status bar said belongs to the run before; the run says its own.
    statusBar()->clearMessage();
    handler();
    if (statusBar()->currentMessage() == kWaitForTheRun) statusBar()->clearMessage();
    ShowState();
    running_ = false;
}

void MainWindow::ShowState() {
    const Session& s = *session_;
    // The title names the open file, so that a path typed into the box but not opened is never
    // taken for it; in directory mode, the folder and the mask.
    const std::string_view name = FileNameOf(s.openFile);
    const std::string shown = s.directoryMode && !s.folder.empty()
                                  ? std::string(FileNameOf(s.folder)) + "/" + std::string(name)
                                  : std::string(name);
    // A single file's encoding follows its name: "film.srt - UTF-8 with BOM".
    QString title = s.openFile.empty() ? caption_ : caption_ + " - " + PathToQString(shown);
    const std::string encoding = s.OpenEncodingCaption();
    if (!s.openFile.empty() && !encoding.empty()) title += " - " + QString::fromStdString(encoding);
    setWindowTitle(title);
    auto* openBox = Control<QComboBox>("edOpenFile");
    openBox->clear();
    for (const std::string& path : s.recentFiles)
        openBox->addItem(PathToQString(path));
    openBox->setCurrentText(PathToQString(s.openFile));

    Control<QCheckBox>("cbDirectoryMode")->setChecked(s.directoryMode);
    Control<QComboBox>("cbSubExt")->setEnabled(s.directoryMode);
    for (std::string_view name : session_->controls.TakeChanged())
        ShowControl(name);
    Control<QLabel>("stOutFile")->setVisible(s.outFileVisible);
    Control<QLabel>("stLogFile")->setVisible(s.logFileVisible);

    if (editorView_) editorView_->Show();
    // The diagram follows the open file: another file, or the same one changed by a command.
    if (drawDiagram_) {
        const auto stamp = FileStamp(s.openFile);
        if (s.openFile != drawnFile_ || stamp != drawnStamp_) {
            drawnFile_ = s.openFile;
            drawnStamp_ = stamp;
            drawDiagram_();
        }
    }

    // Directory mode shows in italics on the commands that run over a folder.
    for (std::string_view name : kDirectoryCapableControls) {
        auto* widget = findChild<QWidget*>(
            QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
        if (widget == nullptr) continue;
        QFont font = widget->font();
        font.setItalic(s.directoryMode);
        widget->setFont(font);
    }
}

void MainWindow::ShowTimeCaption() {
    auto* time = Control<QLabel>("stStatusTime");
    time->setText(texts_->Translate(QtHost::FromText(session_->TimeStatusCaption())));
    time->setAlignment(session_->settings().Bool("BeginTimeFrameOfLastSubtitle")
                           ? Qt::AlignLeft | Qt::AlignVCenter
                           : Qt::AlignRight | Qt::AlignVCenter);
}

// The controls that show a setting follow what a settings window changed.
void MainWindow::ShowSettings() {
    for (const SettingDef& def : kSettingTable) {
        if (def.feeds.empty() || def.feeds == "edOpenFile" || def.feeds == "edOpenFileAdd") {
            continue;
        }
        ShowSetting(findChild<QObject*>(NameOf(def.feeds)), session_->settings(), def.key);
    }
    ShowTimeCaption();
    ShowLineSummary();
}

void MainWindow::ShowParameters() {
    ParametersWindow window(*session_, this);
    window.onLanguageChosen = [this](const QString& path) {
        if (!ApplyLanguage(path)) host_->ShowMessage("Error on Load Language File");
    };
    window.exec();
    ShowSettings();
}

bool MainWindow::ApplyLanguage(const QString& path) {
    const std::string file = PathFromQString(path);
    std::vector<std::string> lines;
    try {
        if (!IsRegularFile(file)) return false;
        lines = ReadLinesIfExists(file);
    } catch (const std::exception&) {
        return false;
    }
    QSet<QString> fixedControls;
    for (const CaptionTarget& target : LanguageTargets())
        fixedControls.insert(NameOf(target.control));
    texts_->UseQtTexts(QFileInfo(path).completeBaseName());
    texts_->Use(TextTranslation(lines), fixedControls);
    ShowHints();
    ShowTimeCaption();
    ShowLineSummary();
    for (const Caption& caption : LanguageCaptions(lines)) {
        const QString text = QtHost::FromText(caption.text);
        const QString name = NameOf(caption.target.control);
        if (caption.target.control == kMainWindowTarget) {
            caption_ = text;
            continue;
        }
        QObject* object = findChild<QObject*>(name);
        if (auto* page = qobject_cast<QWidget*>(object); page && name.startsWith("TabSheet")) {
            for (int i = 0; i < pages_->count(); ++i) {
                if (pages_->widget(i)->isAncestorOf(page)) pages_->setTabText(i, text);
            }
        } else if (auto* menu = qobject_cast<QMenu*>(object)) {
            menu->setTitle(text);
        } else if (auto* action = qobject_cast<QAction*>(object)) {
            action->setText(text);
        } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
            if (caption.target.item < 0) {
                group->setTitle(text);
            } else if (auto* buttons = group->findChild<QButtonGroup*>()) {
                if (QAbstractButton* button = buttons->button(caption.target.item)) {
                    button->setText(text);
                }
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
            button->setText(text);
        } else if (auto* label = qobject_cast<QLabel*>(object)) {
            label->setText(text);
        }
    }
    // The line of the Offset Time status field names the field; the field itself shows the
    // state of its last run, in the new language, or nothing.
    host_->RepaintStatusFields();
    ShowState();
    return true;
}

void MainWindow::ShowLineSummary() {
    Control<QLabel>("lmaxSubLengthResult")
        ->setText(QString::number(session_->MaxSubLengthResult()));
    Control<QLabel>("stData")->setText(
        texts_->Translate(QtHost::FromText(session_->LineSettingsSummary())));
}

void MainWindow::OpenFile(const QString& path) {
    Run([this, path] { session_->OpenFromBox(PathFromQString(path)); });
}

QString MainWindow::ChooseFile(const QString& folder) {
    if (openDialogHook) return openDialogHook(folder);
    QFileDialog dialog(this, "Open", folder, "Subtitles (*.srt *.sub *.ssa *.ass);;All files (*)");
    dialog.setFileMode(QFileDialog::ExistingFile);
    FitOpenDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

bool MainWindow::LeaveEdits() {
    bool leave = false;
    Run([this, &leave] { leave = session_->LeaveEdits(); });
    return leave;
}

void MainWindow::OpenFromDialog() {
    // Asked before the dialog: Cancel keeps the user at the edited subtitle.
    if (!LeaveEdits()) return;
    const QString path = ChooseFile(PathToQString(session_->settings().Text("LastDir")));
    if (path.isEmpty()) return;
    Run([this, path] { session_->OpenFromDialog(PathFromQString(path)); });
}

void MainWindow::OpenAddFromDialog() {
    const QString path = ChooseFile(PathToQString(session_->settings().Text("LastDir")));
    if (path.isNull()) return;  // cancelled
    Run([this, path] { session_->OpenAddFile(PathFromQString(path)); });
}

void MainWindow::ShowAbout() {
    host_->ShowMessage("Tessaline " TESSALINE_VERSION
                       "\r\nby Orvendel\r\n\r\n"
                       "Prepares and repairs subtitle files.");
}

void MainWindow::ShowSubtitlesLists() {
    const std::size_t position = session_->editor.Position();
    Run([this] { session_->LogOperation("[Subtitles Lists...] Window Open", 0); });
    SubtitleListsWindow lists(*session_, this);
    lists.exec();
    // The lists may have written the open file: the editor reads it again. That is no command of
    // its own: what the lists said ("Lists saved: film.srt") stays on the status bar.
    const QString said = statusBar()->currentMessage();
    Run([this, position] { session_->editor.ReturnFromLists(position); });
    if (statusBar()->currentMessage().isEmpty()) statusBar()->showMessage(said);
}

bool MainWindow::SaveScreenshots(const QString& folder) {
    QDir().mkpath(folder);
    bool ok = true;
    for (int i = 0; i < pages_->count(); ++i) {
        pages_->setCurrentIndex(i);
        QApplication::processEvents();
        const QString name =
            i == 0 ? "main" : QString::fromLatin1(Pages()[static_cast<std::size_t>(i)].name);
        ok = grab().save(folder + "/" + name + ".png") && ok;
    }
    // The Diag page once more, in "Timings".
    if (auto* modes = Control<QGroupBox>("rgMode")->findChild<QButtonGroup*>()) {
        pages_->setCurrentWidget(pages_->widget(pages_->count() - 1));
        modes->button(2)->click();
        Control<QPushButton>("btnDraw")->click();
        QApplication::processEvents();
        ok = grab().save(folder + "/diagram-timings.png") && ok;
        modes->button(0)->click();
    }
    pages_->setCurrentIndex(kSubtitlePage);
    // The report viewer on the length test's findings (film.len is written beside the film).
    Run([this] {
        if (session_->Click("btnSubLineTest") == Outcome::Ok) session_->viewer.Load();
    });
    QApplication::processEvents();
    ok = grab().save(folder + "/report-viewer.png") && ok;
    // The subtitles lists, the open file on both sides when there is no add file.
    if (session_->openAddFile().empty())
        session_->controls.Set("edOpenFileAdd", session_->openFile);
    SubtitleListsWindow lists(*session_, this);
    lists.resize(900, 480);
    lists.show();
    QApplication::processEvents();
    ok = lists.grab().save(folder + "/subtitle-lists.png") && ok;
    lists.close();
    // The settings windows, each page of the Parameters.
    ParametersWindow parameters(*session_, this);
    parameters.show();
    auto* tabs = parameters.findChild<QTabWidget*>("PageControl");
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        ok =
            parameters.grab().save(folder + "/parameters-" + QString::number(i + 1) + ".png") && ok;
    }
    parameters.reject();
    PartsAndTailsWindow partsAndTails(*session_, this);
    partsAndTails.show();
    QApplication::processEvents();
    ok = partsAndTails.grab().save(folder + "/parts-and-tails.png") && ok;
    partsAndTails.reject();
    return ok;
}

bool MainWindow::SaveScreenshot(const QString& file) {
    QApplication::processEvents();
    return grab().save(file);
}

}  // namespace tessaline::gui
