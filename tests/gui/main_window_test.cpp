// The window driven as a user drives it: key presses go to the widget that has the keyboard
// focus, clicks land at the centre of a control where it is seen (on whatever is there at that
// moment), and the tests look at what the user would see. Message boxes are recorded instead of
// shown.

#include "gui/main_window.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTreeView>
#include <set>
#include <string_view>

#include "gui/window_layout.hpp"
#include "ops/catalogue.hpp"
#include "ops/settings_table.hpp"
#include "test_support.hpp"

namespace tessaline::gui {
namespace {

namespace fs = std::filesystem;
using test::Crlf;
using test::ReadFile;
using test::TempDir;
using test::W;
using test::WriteFile;

// The controls that another control switches on and off (cbSubExt by directory mode,
// cbRoundWord by the compare mode, edJoinDeltaTime by "Join Sub-Text").
const std::set<std::string_view> kSwitchedControls = {"cbSubExt", "cbRoundWord", "edJoinDeltaTime"};

const std::string kFilm = Crlf({"1", "00:00:01,000 --> 00:00:03,000", W("Привет!"), "", "2",
                                "00:00:04,000 --> 00:00:05,000", "Hello", ""});
const std::string kFilmPlus2500 = Crlf({"1", "00:00:03,500 --> 00:00:05,500", W("Привет!"), "", "2",
                                        "00:00:06,500 --> 00:00:07,500", "Hello", ""});

QString Path(const fs::path& path) {
    return QString::fromStdString(path.string());
}

// A window over a program folder, shown and active.
struct Window {
    explicit Window(const TempDir& home) : window(home.path().string()) {
        window.host().messageHook = [this](const QString& text) {
            messages << text;
            if (onMessage) onMessage();
        };
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    template <typename T>
    T* Get(const char* name) {
        T* widget = window.Control<T>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QWidget* Focused() { return QApplication::focusWidget(); }
    QTabWidget* Pages() { return Get<QTabWidget>("PageControl"); }
    QString StatusBar() { return window.statusBar()->currentMessage(); }

    // The page that holds a control comes to the front by a click on its tab.
    void ShowPageOf(QWidget* widget) {
        for (int i = 0; i < Pages()->count(); ++i) {
            if (Pages()->widget(i)->isAncestorOf(widget) && Pages()->currentIndex() != i) {
                QTabBar* tabs = Pages()->tabBar();
                QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(i).center());
            }
        }
    }
    // Where the centre of a control is seen, in the window's coordinates, after its page came to
    // the front and was scrolled to it, as a user scrolls to what lies below the screen's edge.
    QPoint CentreOf(const char* name) {
        auto* widget = Get<QWidget>(name);
        ShowPageOf(widget);
        if (auto* scroll = qobject_cast<QScrollArea*>(Pages()->currentWidget());
            scroll != nullptr && scroll->isAncestorOf(widget)) {
            scroll->ensureWidgetVisible(widget);
        }
        return widget->mapTo(&window, widget->rect().center());
    }
    // A click lands on whatever the window shows at that point now.
    void ClickAt(QPoint at) {
        QWidget* target = window.childAt(at);
        ASSERT_NE(target, nullptr);
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&window, at));
    }
    void Click(const char* name) { ClickAt(CentreOf(name)); }
    void Type(const QString& text) { QTest::keyClicks(Focused(), text); }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(Focused(), key, modifiers);
    }
    // Clicks into a box, empties it and types `text`.
    void Fill(const char* name, const QString& text) {
        Click(name);
        Press(Qt::Key_A, Qt::ControlModifier);
        Press(Qt::Key_Backspace);
        Type(text);
    }
    // Types a path into the open-file box and presses Enter.
    void Open(const fs::path& path) {
        Fill("edOpenFile", Path(path));
        Press(Qt::Key_Return);
    }
    // Writes film.srt into the folder and opens it.
    void OpenFilm(const TempDir& home) {
        WriteFile(home / "film.srt", kFilm);
        Open(home / "film.srt");
    }
    // Clicks into the seconds of a time picker and types them.
    void TypeSeconds(const char* picker, const QString& seconds) {
        auto* time = Get<QTimeEdit>(picker);
        ShowPageOf(time);
        auto* edit = time->findChild<QLineEdit*>();
        const int x = edit->fontMetrics().horizontalAdvance("00:00:0") + 2;
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(x, edit->height() / 2));
        Type(seconds);
    }

    MainWindow window;
    QStringList messages;
    std::function<void()> onMessage;
};

// --- What a new user meets -----------------------------------------------------------------------

// The walk of a new user: a typed path opened by Enter, Offset Time, the indicator appearing
// without anything moving, Ctrl+Q, and the file first in the list at the next start.
TEST(MainWindow, ANewUsersWalk) {
    TempDir home;
    WriteFile(home / "film.srt", kFilm);
    {
        Window w(home);
        EXPECT_EQ(w.Focused(), w.Get<QComboBox>("edOpenFile"));  // typing can start at once
        w.Type(Path(home / "film.srt"));
        w.Press(Qt::Key_Return);
        EXPECT_EQ(w.window.windowTitle(), "Tessaline by Orvendel - film.srt");

        w.TypeSeconds("dtpOffsetTime", "02");
        w.Fill("seOffsetTimeMls", "500");
        std::map<std::string, QPoint> before;
        for (const char* name : {"btnRenameFile", "stOutFile", "btnDeleteFile", "cbOutExt"})
            before[name] = w.CentreOf(name);
        EXPECT_FALSE(w.Get<QLabel>("stOutFile")->isVisible());
        w.Click("btnOffsetTimeMls");
        EXPECT_EQ(ReadFile(home / "film.out"), kFilmPlus2500);
        EXPECT_TRUE(w.Get<QLabel>("stOutFile")->isVisible());
        for (const auto& [name, centre] : before)
            EXPECT_EQ(w.CentreOf(name.c_str()), centre) << name;
        EXPECT_TRUE(w.messages.isEmpty());

        w.Press(Qt::Key_Q, Qt::ControlModifier);
        EXPECT_FALSE(w.window.isVisible());
    }
    Window again(home);
    auto* box = again.Get<QComboBox>("edOpenFile");
    ASSERT_GE(box->count(), 1);
    EXPECT_EQ(box->itemText(0), Path(home / "film.srt"));
}

TEST(MainWindow, EnterOpensTheTypedPathOnceAndNothingElseCountsAsOpen) {
    TempDir home;
    Window w(home);
    w.OpenFilm(home);
    WriteFile(home / "second.srt", kFilm);
    w.Open(home / "second.srt");
    EXPECT_EQ(w.window.windowTitle(), "Tessaline by Orvendel - second.srt");
    auto* box = w.Get<QComboBox>("edOpenFile");
    EXPECT_EQ(box->itemText(0), Path(home / "second.srt"));
    EXPECT_EQ(box->itemText(1), Path(home / "film.srt"));

    // A path from the list whose file is gone: one message, and the open file stays.
    fs::remove(home / "film.srt");
    w.Open(home / "film.srt");
    w.Fill("edOpenFile", " x.srt");
    w.Press(Qt::Key_Enter);
    EXPECT_EQ(w.messages, (QStringList{"File not Exists!", "Path to File is Wrong!"}));
    EXPECT_EQ(w.window.windowTitle(), "Tessaline by Orvendel - second.srt");
    EXPECT_EQ(box->currentText(), Path(home / "second.srt"));

    // A path typed but not opened is not the file a command runs on.
    w.Fill("edOpenFile", Path(home / "third.srt"));
    w.Click("btnOffsetReCount");
    EXPECT_TRUE(fs::exists(home / "second.out"));
    EXPECT_FALSE(fs::exists(home / "third.out"));
    EXPECT_EQ(box->currentText(), Path(home / "second.srt"));
}

TEST(MainWindow, ATypedMaskIsTheFolderThatRuns) {
    TempDir home;
    fs::create_directories(home / "other");
    WriteFile(home / "other" / "a.srt", kFilm);
    Window w(home);
    w.OpenFilm(home);
    w.Click("cbDirectoryMode");
    w.Fill("edOpenFile", Path(home / "other" / "*.srt"));
    w.Press(Qt::Key_Return);
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("|").toStdString();
    EXPECT_EQ(w.window.windowTitle(), "Tessaline by Orvendel - other/*.srt");

    w.TypeSeconds("dtpOffsetTime", "01");
    w.Click("btnOffsetTimeMls");
    EXPECT_TRUE(fs::exists(home / "other" / "a.out"));
    EXPECT_FALSE(fs::exists(home / "film.out"));
}

// The click where "Delete File:" stood deletes, the indicator renames: the replaced file goes to
// the trash, and the status bar says so.
TEST(MainWindow, IndicatorsHaveAFixedPlaceAndTheReplacedFileGoesToTheTrash) {
    TempDir home;
    Window w(home);
    w.OpenFilm(home);
    const QPoint deleteAt = w.CentreOf("btnDeleteFile");
    w.TypeSeconds("dtpOffsetTime", "01");
    w.Click("btnOffsetTimeMls");
    ASSERT_TRUE(fs::exists(home / "film.out"));
    w.ClickAt(deleteAt);
    EXPECT_FALSE(fs::exists(home / "film.out"));
    EXPECT_EQ(ReadFile(home / "film.srt"), kFilm);
    EXPECT_EQ(w.StatusBar(), "film.out deleted");

    w.Click("btnOffsetTimeMls");
    w.Click("stOutFile");
    EXPECT_FALSE(fs::exists(home / "film.out"));
    EXPECT_NE(ReadFile(home / "film.srt"), kFilm);
    EXPECT_EQ(test::TrashedFile(home / "film.srt"), kFilm);
    EXPECT_EQ(w.StatusBar(), "film.out replaced film.srt; the previous film.srt is in the trash");
    EXPECT_FALSE(w.Get<QLabel>("stOutFile")->isVisible());
    EXPECT_TRUE(w.messages.isEmpty());
}

TEST(MainWindow, TheStatusBarSpeaksOfTheLastRunOnly) {
    TempDir home;
    Window w(home);
    w.OpenFilm(home);
    w.TypeSeconds("dtpOffsetTime", "01");
    w.Click("btnOffsetTimeMls");
    w.Click("btnSubToSub");
    EXPECT_EQ(w.StatusBar(), "film.sub written (srt --> sub)");

    // A run refused at once says nothing, and nothing of the run before.
    w.Click("btnOffsetTimeMls");
    EXPECT_EQ(w.messages, QStringList{"Output File Exist!!!"});
    EXPECT_EQ(w.StatusBar(), "");

    // A click while a command runs (here: while its message box is up) is refused with a
    // notice, which goes when the run ends.
    w.onMessage = [&w] {
        w.Click("btnOffsetReCount");
        EXPECT_EQ(w.StatusBar(), "A command is running: wait until it ends.");
    };
    w.Click("btnOffsetTimeMls");
    EXPECT_EQ(w.messages.size(), 2);  // Offset ReCount never ran
    EXPECT_EQ(w.StatusBar(), "");
}

TEST(MainWindow, TheRedFieldSaysWhy) {
    TempDir home;
    Window w(home);
    w.OpenFilm(home);
    auto* status = w.Get<QLabel>("stStatusText");
    w.TypeSeconds("dtpOffsetTime", "02");
    w.Click("cbOffsetTimeMinus");
    w.Click("btnOffsetTimeMls");
    EXPECT_EQ(status->text(), "error");
    EXPECT_TRUE(status->styleSheet().contains("#FF0000"));
    EXPECT_TRUE(status->toolTip().startsWith("Stopped at \"00:00:01,000 --> 00:00:03,000\""))
        << status->toolTip().toStdString();

    w.Click("btnOffsetTimeMls");  // refused before it starts: the field stays red
    EXPECT_EQ(status->text(), "error");

    w.Click("btnDeleteFile");  // "*.out" is selected: film.out goes
    w.Click("cbOffsetTimeMinus");
    w.Click("btnOffsetTimeMls");
    EXPECT_EQ(status->text(), "status");
    EXPECT_TRUE(status->styleSheet().isEmpty());
    EXPECT_TRUE(status->toolTip().isEmpty());
}

// Typing goes where the caret is: the section under the click is selected.
TEST(MainWindow, TimePickersTakeDigitsWhereTheUserClicked) {
    TempDir home;
    Window w(home);
    w.TypeSeconds("dtpOffsetTimeTail", "42");
    EXPECT_EQ(w.Get<QTimeEdit>("dtpOffsetTimeTail")->time(), QTime(0, 0, 42));
    EXPECT_EQ(w.window.session().controls.Text("dtpOffsetTimeTail"), "00:00:42");
}

TEST(MainWindow, KeyboardReachesMenusCommandsAndPages) {
    TempDir home;
    Window w(home);
    int dialogs = 0;
    w.window.openDialogHook = [&dialogs](const QString&) {
        ++dialogs;
        return QString();
    };
    w.Press(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(dialogs, 1);
    w.Press(Qt::Key_F1);
    ASSERT_EQ(w.messages.size(), 1);
    EXPECT_TRUE(w.messages[0].startsWith("Tessaline ")) << w.messages[0].toStdString();

    // Alt+F opens the File menu; its items have accelerators too.
    w.Press(Qt::Key_F, Qt::AltModifier);
    auto* file = w.Get<QMenu>("mnFile");
    EXPECT_TRUE(file->isVisible());
    w.Press(Qt::Key_Escape);
    w.Press(Qt::Key_Escape);
    for (const char* name : {"mnOpenFile", "mnRenameFile", "mnExit", "mnSubtitleLinesSetFocus"})
        EXPECT_TRUE(w.Get<QAction>(name)->text().contains('&')) << name;

    // Tab leads from the open-file box over the controls above the pages to the tab bar; the
    // arrow keys turn the pages.
    w.Click("edOpenFile");
    for (int i = 0; i < 20 && w.Focused() != w.Pages()->tabBar(); ++i) {
        w.Press(Qt::Key_Tab);
        EXPECT_FALSE(w.Pages()->isAncestorOf(w.Focused()) && w.Focused() != w.Pages()->tabBar())
            << w.Focused()->objectName().toStdString();
    }
    ASSERT_EQ(w.Focused(), w.Pages()->tabBar());
    w.Press(Qt::Key_Right);
    EXPECT_EQ(w.Pages()->currentIndex(), kOperationsPage);
}

// --- Size and place ------------------------------------------------------------------------------

// No control is squeezed below its smallest size or overlaps another at any size: a page that
// does not fit scrolls. A larger window gives the editor the room.
TEST(MainWindow, PagesFitAnySizeAndScrollWhenSmall) {
    TempDir home;
    Window w(home);
    EXPECT_LE(w.window.minimumSizeHint().width(), 1024);
    EXPECT_LE(w.window.minimumSizeHint().height(), 600);
    const auto check = [&w](QSize size) {
        w.window.resize(size);
        QApplication::processEvents();
        for (int page = 0; page < w.Pages()->count(); ++page) {
            w.Pages()->setCurrentIndex(page);
            QApplication::processEvents();
            for (QGroupBox* group : w.Pages()->widget(page)->findChildren<QGroupBox*>()) {
                std::vector<QWidget*> controls;
                for (QWidget* child : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                    if (child->objectName().isEmpty() || !child->isVisible()) continue;
                    const QSize least = child->minimumSizeHint()
                                            .expandedTo(child->minimumSize())
                                            .boundedTo(child->maximumSize());
                    EXPECT_GE(child->width(), least.width()) << child->objectName().toStdString();
                    EXPECT_GE(child->height(), least.height()) << child->objectName().toStdString();
                    for (QWidget* other : controls) {
                        EXPECT_FALSE(child->geometry().intersects(other->geometry()))
                            << child->objectName().toStdString() << " and "
                            << other->objectName().toStdString();
                    }
                    controls.push_back(child);
                }
            }
        }
    };
    auto* scroll = qobject_cast<QScrollArea*>(w.Pages()->widget(kOperationsPage));
    ASSERT_NE(scroll, nullptr);
    const auto scrolls = [&w, scroll] {
        w.Pages()->setCurrentIndex(kOperationsPage);
        QApplication::processEvents();
        return scroll->verticalScrollBar()->isVisible();
    };
    check({1024, 560});
    check({600, 400});
    EXPECT_TRUE(scrolls());
    const QSize small = w.Get<QPlainTextEdit>("MemoSubLines")->size();
    check({1920, 1040});
    EXPECT_FALSE(scrolls());
    const QSize large = w.Get<QPlainTextEdit>("MemoSubLines")->size();
    EXPECT_GT(large.width(), small.width() + 500);
    EXPECT_GT(large.height(), small.height() + 300);
}

// The stored place when its corner is on a screen (moved in so that the whole window is on
// it), otherwise the middle of the primary screen; the window is never larger than the screen.
TEST(MainWindow, AStoredPlaceOffEveryScreenIsNotUsed) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(screen.size(), QSize(1024, 600));
    const QPoint middle(2, 0);  // the window is 1020 x 600
    const struct {
        std::string top, left;
        QPoint place;
    } cases[] = {
        {"10", "3000", middle}, {"-5000", "10", middle}, {"0", "2", {2, 0}},
        {"0", "500", {4, 0}},   {"300", "2", {2, 0}},    {"", "", {2, 0}},
    };
    for (const auto& c : cases) {
        TempDir home;
        WriteFile(home / "Tessaline.ini", Crlf({"[Window]", "Top=" + c.top, "Left=" + c.left}));
        Window w(home);
        EXPECT_EQ(w.window.frameGeometry(), QRect(c.place, QSize(1020, 600)))
            << c.left << "," << c.top;
    }
}

// The open dialog lists long names and dates in full.
TEST(MainWindow, TheOpenDialogsColumnsShowTheirText) {
    TempDir home;
    const QString longName = "a long name of a film with its year and its language (1986).srt";
    WriteFile(home / longName.toStdString(), kFilm);
    QFileDialog dialog(nullptr, "Open", Path(home.path()), "Subtitles (*.srt)");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setViewMode(QFileDialog::Detail);
    FitOpenDialog(dialog);
    auto* model = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
    dialog.show();
    ASSERT_TRUE(loaded.count() > 0 || loaded.wait(5000));
    QApplication::processEvents();
    auto* view = dialog.findChild<QTreeView*>();
    const int nameWidth = view->fontMetrics().horizontalAdvance(longName);
    EXPECT_GT(view->columnWidth(0), nameWidth);
    const QString date = model->index(Path(home / longName.toStdString()), 3).data().toString();
    EXPECT_GE(view->columnWidth(3), view->fontMetrics().horizontalAdvance(date));
}

// --- Controls --------------------------------------------------------------------------------

// The window's controls by their established names, written out so that a control dropped from
// or renamed in the layout is caught.
const std::set<std::string> kControlNames = {
    // clang-format off
    "lOpenFile", "edOpenFile", "sbOpen", "lOpenFileAdd", "edOpenFileAdd", "sbOpenAdd",
    "cbDirectoryMode", "cbSubExt", "btnRenameFile", "stOutFile", "btnDeleteFile", "cbOutExt",
    "cbFirstSubtitle", "btnAllInOne", "stStatusInd",
    "btnFirstSubLine", "btnPrevSubLine", "btnNextSubLine", "btnLastSubLine", "btnGotoSubLine",
    "stSubNumber", "stCurrentSubtitle", "lOf", "stSubtitlesCount", "cbTime", "edTimeRange",
    "edDeltaTimeRange", "cbPrevEqualTime", "cbNextEqualTime", "stTimeRangePrev",
    "stDeltaTimeRangePrev", "stTimeRangeThis", "stDeltaTimeRangeThis", "stTimeRangeNext",
    "stDeltaTimeRangeNext", "MemoSubLinesNum", "MemoSubLines", "MemoSubLinesLength",
    "MemoSubLinesLengthFont", "shMaxSubLength", "stMaxSubLength", "rgModeGoSub", "cbBold",
    "shMemoSubLinesLengthIndicator", "shMemoSubLinesLengthFontIndicator", "btnReWriteSubtitle",
    "btnDeleteSubtitle", "btnAddLastSub", "btnBreakStr", "btnBreakStrEqual", "btnSwitchCase",
    "btnSwitchCaseSelected", "btnBreakOneDialog", "btnBreakOneBigText",
    "btnLoadLogFile", "cbLogExt", "stLogFile", "btnGotoLogLine", "seLogLineNum", "stLogLineCount",
    "btnPrevLogLine", "btnNextLogLine", "edLogString",
    "lOffsetCount", "sedOffsetCount", "btnOffsetCount", "btnOffsetReCount",
    "btnSubtitlesCorrection", "cbSubToSub", "btnSubToSub", "lFramesAtSec", "cbFramesAtSec",
    "btnFixDigitsInText", "btnCheckEndLetters",
    "lFramesAtSecTarget", "cbFramesAtSecTarget", "rgCoefficient", "edFramesAtSecCoefficient",
    "btnSprainRangeTimeAtSec",
    "lFindText", "edFindText", "cbFindChar", "edReplaceText", "btnFindText", "btnReplaceText",
    "btnRemoveLineBeginFromText", "btnReplaceList",
    "btnSubTagRemove", "edSubTagToRemove", "btnSubTagFixToOneLine", "btnSubTagFix",
    "btnSubToBottom",
    "btnFixSubDialog", "btnBreakSubDialog", "sedBreakDialogCount", "btnBreakBigText",
    "btnSubDelSpaceBeforeDelimiters", "btnSubDelimitersFix", "edDelimitersFix", "cbUseExclude",
    "edExcludeFix",
    "cbLineAddSpaceAfterDelimiters", "edDelimiters", "cbSaveSubLength", "btnSubToOneLine",
    "lSubLineCount", "sedSubLineCount", "lSubLineLength", "sedSubLineLength", "cbLineCutEqual",
    "cbLineReCut", "seDeltaSym", "cbLineAnalySym", "cbFromSubEnd", "btnSubLineCut",
    "btnSubLineTest", "cbWriteLogOnSetLength", "cbTAGtest", "cbOnlyError_to_Log", "seMaxSubLengthCorrection",
    "lmaxSubLengthResult", "stSubtitleFullLength", "stData",
    "cbNoTimeRangeLog", "btnTimeTestDbl", "btnFrameTestDbl", "btnExtendDeltaSubTimeDbl",
    "lOffsetTime", "dtpOffsetTime", "lOffsetTimeMls", "seOffsetTimeMls", "cbOffsetTimeMinus",
    "btnOffsetTimeMls", "stStatusText",
    "dtpOffsetTimeTail", "seOffsetTimeMlsTail", "cbOffsetTimeMinusTail", "dtpBeginTimeTail",
    "seBeginTimeMlsTail", "dtpEndTimeTail", "seEndTimeMlsTail", "btnOffsetTimeMlsTail",
    "stStatusTextTail",
    "lOffsetFrame", "sedOffsetCntFrames", "cbOffsetFrameMinus", "btnOffsetFrame",
    "lBeginTime", "dtpBeginTime", "seBeginTimeMls", "btnSetBeginTime", "lEndTime", "dtpEndTime",
    "seEndTimeMls", "btnSetEndTime", "lFullTime", "dtpFullTime", "seFullTimeMls", "lNewFullTime",
    "dtpNewFullTime", "seNewFullTimeMls", "lNewEndTime", "dtpNewEndTime", "seNewEndTimeMls",
    "btnGetRangeTime", "btnSprainRangeTime", "stStatusTime", "btnTimeTest", "lMinRTime",
    "sedMinRTime", "lMinRTimeMls", "sedMinRTimeMls", "cbLogTimeArea",
    "lBeginFrame", "sedBeginFrame", "lEndFrame", "sedEndFrame", "lFullFrames", "sedFullFrames",
    "lNewFullFrames", "sedNewFullFrames", "lNewEndFrame", "sedNewEndFrame", "btnGetRangeFrames",
    "btnSprainRangeFrames", "btnFrameTest", "sedMinRFrame",
    "lDeltaTimeMlsOn", "seDeltaTimeMlsOn", "lDeltaTimeMlsOff", "seDeltaTimeMlsOff", "lMinDTime",
    "sedMinDTime", "lMinDTimeMls", "sedMinDTimeMls", "cbMaxExtend", "btnExtendDeltaSubTime",
    "btnReplaceTimingsSub", "btnCompareTimingsSub", "rgTimingsModeCompare", "lDeltaTime",
    "edDeltaTime", "cbRoundWord", "cbInsTiming", "cbReplaceNullSubText", "cbRandomNum",
    "btnFixDoubleTimingsSub", "btnFixWrongTimingsAndJoinText", "cbForceExtendTime",
    "cbJoinSubtitlesText", "edJoinDeltaTime",
    "edTimeRangeSource", "edDeltaTimeSource", "rgBreakTimeOnTail", "btnBreak", "edTimeRange1",
    "edDeltaTime1", "btnDeltaTime1Calc", "edTimeRange2", "edDeltaTime2", "btnDeltaTime2Calc",
    "edTimeRange3", "edDeltaTime3",
    "btnSplitSubText", "btnJoinSubText", "btnDelLastSub", "btnSubtitleTimeCorrection",
    "PaintBox", "btnDraw", "rgMode", "edMasstab_x", "edMasstab_y", "cbAutoMasstab",
    // clang-format on
};

TEST(MainWindow, EveryControlIsThereAndUnbuiltCommandsSaySo) {
    TempDir home;
    Window w(home);
    std::set<std::string> laidOut;
    for (const GroupDef& group : Groups()) {
        for (const ControlDef& def : group.controls) {
            if (*def.name != '\0') laidOut.insert(def.name);
        }
    }
    EXPECT_EQ(laidOut, kControlNames);
    for (const std::string& name : kControlNames) {
        QWidget* widget = w.window.findChild<QWidget*>(QString::fromStdString(name));
        ASSERT_NE(widget, nullptr) << name;
        // A disabled command says why; a control that another one switches need not.
        if (!widget->isEnabled() && !kSwitchedControls.contains(name) &&
            !qobject_cast<QLabel*>(widget)) {
            EXPECT_TRUE(widget->toolTip().contains("Not available yet")) << name;
        }
    }
    EXPECT_TRUE(w.Get<QPushButton>("btnOffsetTimeMls")->isEnabled());
    EXPECT_FALSE(w.Get<QPushButton>("btnDraw")->isEnabled());
    EXPECT_EQ(w.Get<QCheckBox>("cbUseExclude")->text(), "Use Exclude:");
    EXPECT_EQ(w.window.windowTitle(), "Tessaline by Orvendel");
    EXPECT_FALSE(w.window.windowIcon().pixmap(32).isNull());
}

// Every catalogued operation is offered: its buttons and menu items, its controls and the
// controls of the settings it reads are in the window and enabled.
TEST(MainWindow, EveryCatalogueEntryHasItsLiveControls) {
    TempDir home;
    Window w(home);
    const auto live = [&w](std::string_view name) {
        const QString objectName =
            QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
        if (auto* action = w.window.findChild<QAction*>(objectName)) return action->isEnabled();
        auto* widget = w.window.findChild<QWidget*>(objectName);
        return widget != nullptr && widget->isEnabled();
    };
    for (const Operation* op : Catalogue()) {
        SCOPED_TRACE(op->command);
        for (const Trigger& trigger : op->triggers)
            EXPECT_TRUE(live(trigger.control)) << trigger.control;
        for (std::string_view control : op->controls) {
            if (!kSwitchedControls.contains(control)) {
                EXPECT_TRUE(live(control)) << control;
            }
        }
        for (std::string_view key : op->settings) {
            const SettingDef* def = LookupSettingDef(key);
            if (!def->feeds.empty() && !kSwitchedControls.contains(def->feeds)) {
                EXPECT_TRUE(live(def->feeds)) << def->feeds;
            }
        }
    }
}

// --- Commands ------------------------------------------------------------------------------------

TEST(MainWindow, DirectoryModeShowsTheMaskAndItalicCaptions) {
    TempDir home;
    Window w(home);
    w.OpenFilm(home);
    w.Click("cbDirectoryMode");
    EXPECT_EQ(w.Get<QComboBox>("edOpenFile")->currentText(), Path(home / "*.srt"));
    EXPECT_TRUE(w.Get<QComboBox>("cbSubExt")->isEnabled());
    EXPECT_TRUE(w.Get<QPushButton>("btnOffsetTimeMls")->font().italic());
    EXPECT_TRUE(w.Get<QCheckBox>("cbDirectoryMode")->font().italic());
    EXPECT_FALSE(w.Get<QPushButton>("btnOffsetCount")->font().italic());

    w.Click("cbDirectoryMode");
    EXPECT_FALSE(w.Get<QPushButton>("btnOffsetTimeMls")->font().italic());
    EXPECT_FALSE(w.Get<QComboBox>("cbSubExt")->isEnabled());
}

TEST(MainWindow, ASettingChangedInTheWindowComesBackAtTheNextStart) {
    TempDir home;
    // A Russian text in the settings file shows as such and goes back unchanged.
    WriteFile(home / "Tessaline.ini", Crlf({"[Settings]", "TextToFind=" + W("ёлка")}));
    {
        Window w(home);
        EXPECT_EQ(w.Get<QLineEdit>("edFindText")->text(), QString::fromUtf8("ёлка"));
        w.Fill("sedSubLineCount", "4");
        w.Fill("cbFramesAtSec", "23,976");
        EXPECT_EQ(w.Get<QLabel>("lmaxSubLengthResult")->text(), "127");  // 4 x 33 - 5
        w.window.close();
    }
    const std::string ini = ReadFile(home / "Tessaline.ini");
    EXPECT_NE(ini.find("SubLineCount=4\r\n"), std::string::npos);
    EXPECT_NE(ini.find("FramesAtSec=23,976\r\n"), std::string::npos);
    EXPECT_NE(ini.find("TextToFind=" + W("ёлка") + "\r\n"), std::string::npos);

    Window again(home);
    EXPECT_EQ(again.Get<QSpinBox>("sedSubLineCount")->value(), 4);
    EXPECT_EQ(again.Get<QComboBox>("cbFramesAtSec")->currentText(), "23,976");
}

TEST(MainWindow, TheRecentListKeepsTenFilesNewestFirst) {
    TempDir home;
    Window w(home);
    QString next;
    w.window.openDialogHook = [&next](const QString&) { return next; };
    for (int i = 1; i <= 11; ++i) {
        const auto path = home / ("film" + std::to_string(i) + ".srt");
        WriteFile(path, kFilm);
        next = Path(path);
        w.Click("sbOpen");
    }
    auto* box = w.Get<QComboBox>("edOpenFile");
    ASSERT_EQ(box->count(), 10);
    EXPECT_TRUE(box->itemText(0).endsWith("film11.srt"));
    EXPECT_TRUE(box->itemText(9).endsWith("film2.srt"));
    EXPECT_TRUE(box->currentText().endsWith("film11.srt"));
}

TEST(MainWindow, SubToSubAndCorrectionWorkOnTheOpenFile) {
    TempDir home;
    Window w(home);
    w.OpenFilm(home);
    EXPECT_EQ(w.Get<QComboBox>("cbSubToSub")->currentText(), "srt --> sub");
    w.Fill("cbFramesAtSec", "10");
    w.Click("btnSubToSub");
    EXPECT_EQ(ReadFile(home / "film.sub"), Crlf({"{10}{30}" + W("Привет!"), "{40}{50}Hello"}));
    EXPECT_EQ(w.StatusBar(), "film.sub written (srt --> sub)");

    w.Click("btnSubtitlesCorrection");
    EXPECT_EQ(ReadFile(home / "film.corr"), Crlf({">> Checked with Time Correction!"}));
    EXPECT_EQ(w.Get<QComboBox>("cbOutExt")->currentText(), "*.corr");
    EXPECT_EQ(w.Get<QComboBox>("cbLogExt")->currentText(), "*.corr");
    w.ShowPageOf(w.Get<QLabel>("stLogFile"));
    EXPECT_TRUE(w.Get<QLabel>("stLogFile")->isVisible());
    EXPECT_TRUE(w.messages.isEmpty());
}

// --- Operations of the text and layout families, driven as a user does -------------------------

TEST(MainWindow, RemoveTagsTakesTheTagTypedIntoItsBox) {
    TempDir home;
    Window w(home);
    const std::string t = "00:00:01,000 --> 00:00:02,000";
    WriteFile(home / "film.srt", Crlf({"1", t, W("<b>Да</b> <font color=red>нет</font>"), ""}));
    w.Open(home / "film.srt");
    EXPECT_EQ(w.Get<QLineEdit>("edSubTagToRemove")->text(), "font");

    w.Fill("edSubTagToRemove", "b");
    w.Click("btnSubTagRemove");
    EXPECT_EQ(ReadFile(home / "film.out"), Crlf({"1", t, W("Да <font color=red>нет</font>"), ""}));
    EXPECT_EQ(ReadFile(home / "film.tagfix"), Crlf({"1 = remove <font> TAG"}));
    EXPECT_EQ(w.Get<QComboBox>("cbLogExt")->currentText(), "*.tagfix");
    EXPECT_TRUE(w.messages.isEmpty());

    fs::remove(home / "film.out");
    w.Fill("edSubTagToRemove", "");
    w.Click("btnSubTagRemove");
    EXPECT_EQ(w.messages, QStringList{"Not Set TAG to Remove!!!"});
    EXPECT_FALSE(fs::exists(home / "film.out"));
}

TEST(MainWindow, TheDelimiterButtonsFixAsTheirBoxesSay) {
    TempDir home;
    Window w(home);
    const std::string t = "00:00:01,000 --> 00:00:02,000";
    const auto film = [&t](const char* text) { return Crlf({"1", t, W(text), ""}); };
    WriteFile(home / "film.srt", film("Привет ,мир !<i>Как</i> дела?"));
    w.Open(home / "film.srt");

    w.Click("btnSubDelSpaceBeforeDelimiters");
    EXPECT_EQ(ReadFile(home / "film.out"), film("Привет,мир!<i>Как</i> дела?"));
    EXPECT_EQ(ReadFile(home / "film.fix"), Crlf({"1 = Del Space Before Delimiters"}));
    w.Click("btnSubDelimitersFix");
    EXPECT_EQ(w.messages, QStringList{"Output File Exist!!!"});

    // The careful form leaves a delimiter before "<" alone.
    fs::remove(home / "film.out");
    w.Click("btnSubDelimitersFix");
    EXPECT_EQ(ReadFile(home / "film.out"), film("Привет, мир!<i>Как</i> дела?"));
    EXPECT_EQ(ReadFile(home / "film.fix"), Crlf({"1 = Fix Space Around Delimiters"}));

    // Without it the followers' box means nothing and is disabled; only "!" is a delimiter now.
    fs::remove(home / "film.out");
    EXPECT_TRUE(w.Get<QLineEdit>("edExcludeFix")->isEnabled());
    w.Click("cbUseExclude");
    EXPECT_FALSE(w.Get<QLineEdit>("edExcludeFix")->isEnabled());
    w.Fill("edDelimitersFix", "!");
    w.Click("btnSubDelimitersFix");
    EXPECT_EQ(ReadFile(home / "film.out"), film("Привет ,мир! <i>Как</i> дела?"));
    EXPECT_EQ(w.window.session().settings().Text("DelimitersFix"), "!");
    EXPECT_FALSE(w.window.session().settings().Bool("UseExclude"));
    EXPECT_EQ(w.messages.size(), 1);
}

// A user cuts a film's long lines to two lines of 33 characters in the "Subtitles Length" group
// and tests the result; the status texts follow the settings typed in.
TEST(MainWindow, SubtitlesLengthCutsToTwoLinesThatPassTheTest) {
    TempDir home;
    Window w(home);
    const std::string t1 = "00:00:01,000 --> 00:00:04,000";
    const std::string t2 = "00:00:05,000 --> 00:00:07,000";
    WriteFile(home / "film.srt",
              Crlf({"1", t1, "7 quick brown foxes jump over the lazy dog again and again", "", "2",
                    t2, "Nobody expected the night train to arrive before sunrise", ""}));
    w.Open(home / "film.srt");
    w.Fill("sedSubLineCount", "2");
    w.Fill("sedSubLineLength", "33");
    EXPECT_EQ(w.Get<QLabel>("lmaxSubLengthResult")->text(), "61");  // 2 x 33 - 5
    EXPECT_EQ(w.Get<QLabel>("stData")->text(), "lines: 2; len: 33; BR:0; Rplc:0");

    w.Click("cbWriteLogOnSetLength");
    EXPECT_TRUE(w.window.session().settings().Bool("WriteLogOnSetLength"));
    w.Click("btnSubLineCut");
    const std::string cut =
        Crlf({"1", t1, "7 quick brown foxes jump over the", "lazy dog again and again", "", "2", t2,
              "Nobody expected the night train", "to arrive before sunrise", ""});
    EXPECT_EQ(ReadFile(home / "film.out"), cut);
    EXPECT_EQ(w.messages, QStringList{"Null Log-file"});

    w.Click("btnRenameFile");
    EXPECT_EQ(ReadFile(home / "film.srt"), cut);
    w.Click("btnSubLineTest");
    // Only a note: no line too long, no warning, no error.
    EXPECT_EQ(ReadFile(home / "film.len"), Crlf({"1 = Number is a First Symbol of Subtitle!"}));
    EXPECT_EQ(w.Get<QComboBox>("cbLogExt")->currentText(), "*.len");
    EXPECT_EQ(w.messages, QStringList{"Null Log-file"});
}

// --- Timings from a second file, the last subtitle ----------------------------------------------

TEST(MainWindow, ATranslationTakesTheTimingsOfTheFileTypedIntoTheAddBox) {
    TempDir home;
    WriteFile(home / "original.srt", Crlf({"1", "00:01:01,000 --> 00:01:03,000", "Hi!", "", "3",
                                           "00:01:05,000 --> 00:01:06,000", "Three", ""}));
    {
        Window w(home);
        w.OpenFilm(home);
        w.Fill("edOpenFileAdd", Path(home / "original.srt"));
        EXPECT_EQ(w.Focused(), w.Get<QLineEdit>("edOpenFileAdd"));
        w.Click("btnReplaceTimingsSub");

        EXPECT_EQ(ReadFile(home / "film.out"),
                  Crlf({"1", "00:01:01,000 --> 00:01:03,000", W("Привет!"), "", "2",
                        "00:00:04,000 --> 00:00:05,000", "Hello", "", "3",
                        "00:01:05,000 --> 00:01:06,000", "Three", ""}));
        EXPECT_EQ(ReadFile(home / "film.replace"),
                  Crlf({"2 = Time Not Replaced: No Subtitle of This Number in Add-File!!!",
                        "add#3 = Subtitle Copied from Add-File: No Subtitle of This Number in "
                        "In-File!!!",
                        std::string(52, '='), ">> 2 Replaced Strings"}));
        EXPECT_EQ(w.Get<QComboBox>("cbLogExt")->currentText(), "*.replace");
        EXPECT_EQ(w.StatusBar(), ">> 2 Replaced Strings");
        EXPECT_TRUE(w.messages.isEmpty());
        // The box is remembered when its flag is on.
        w.window.session().settings().SetBool("SaveLastOpenAddFileString", true);
        w.window.close();
    }
    Window again(home);
    EXPECT_EQ(again.Get<QLineEdit>("edOpenFileAdd")->text(), Path(home / "original.srt"));
}

TEST(MainWindow, TheCompareModeAndJoiningSwitchTheirControls) {
    TempDir home;
    Window w(home);
    EXPECT_TRUE(w.Get<QLineEdit>("edDeltaTime")->isEnabled());
    EXPECT_FALSE(w.Get<QCheckBox>("cbRoundWord")->isEnabled());
    EXPECT_FALSE(w.Get<QLineEdit>("edJoinDeltaTime")->isEnabled());
    // A click on the radio button of the first text mode, then on the join check box's box.
    auto* byText = w.Get<QGroupBox>("rgTimingsModeCompare")->findChildren<QRadioButton*>()[1];
    w.ShowPageOf(byText);
    w.ClickAt(byText->mapTo(&w.window, QPoint(6, byText->height() / 2)));
    EXPECT_EQ(w.window.session().settings().Int("TimingsModeCompare"), 1);
    EXPECT_FALSE(w.Get<QLineEdit>("edDeltaTime")->isEnabled());
    EXPECT_TRUE(w.Get<QCheckBox>("cbRoundWord")->isEnabled());
    auto* join = w.Get<QCheckBox>("cbJoinSubtitlesText");
    w.ClickAt(join->mapTo(&w.window, QPoint(6, join->height() / 2)));
    EXPECT_TRUE(w.Get<QLineEdit>("edJoinDeltaTime")->isEnabled());
}

TEST(MainWindow, AddLastSubAppendsTheEditorsTextAndGivesItTheFocusBack) {
    TempDir home;
    Window w(home);
    w.OpenFilm(home);
    w.Fill("MemoSubLines", "The");
    w.Press(Qt::Key_Return);
    w.Type("End");
    w.Click("btnAddLastSub");
    EXPECT_EQ(ReadFile(home / "film.out"),
              kFilm + Crlf({"3", "00:00:15,000 --> 00:00:16,000", "The", "End", ""}));
    EXPECT_EQ(w.Focused(), w.Get<QPlainTextEdit>("MemoSubLines"));
}

}  // namespace
}  // namespace tessaline::gui
