// The window driven as a user drives it: key presses go to the widget that has the keyboard
// focus, clicks land at the centre of a control where it is seen (on whatever is there at that
// moment), and the tests look at what the user would see. Message boxes are recorded instead of
// shown.

#include "gui/main_window.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeView>
#include <set>
#include <string_view>

#include "gui/diagram_view.hpp"
#include "gui/window_layout.hpp"
#include "ops/catalogue.hpp"
#include "ops/settings_table.hpp"
#include "test_support.hpp"
#include "window_driver.hpp"

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
// ("Break Big" is on only while the subtitle shown is longer than the full length.)
const std::set<std::string_view> kSwitchedControls = {"cbSubExt", "cbRoundWord", "edJoinDeltaTime",
                                                      "btnBreakOneBigText"};

const std::string kFilmPlus2500 = Crlf({"1", "00:00:03,500 --> 00:00:05,500", W("Привет!"), "", "2",
                                        "00:00:06,500 --> 00:00:07,500", "Hello", ""});

// An existing output refuses the run; the second line names the file and the way out.
const QString kFilmOutExists =
    "Output File Exist!!!\nfilm.out is already there: use Rename out-File or Delete File first";

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
        EXPECT_EQ(w.window.windowTitle(), "Tessaline by Orvendel - film.srt - Windows-1251");

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
    EXPECT_EQ(w.window.windowTitle(), "Tessaline by Orvendel - second.srt - Windows-1251");
    auto* box = w.Get<QComboBox>("edOpenFile");
    EXPECT_EQ(box->itemText(0), Path(home / "second.srt"));
    EXPECT_EQ(box->itemText(1), Path(home / "film.srt"));

    // A path from the list whose file is gone: one message, and the open file stays.
    fs::remove(home / "film.srt");
    w.Open(home / "film.srt");
    w.Fill("edOpenFile", " x.srt");
    w.Press(Qt::Key_Enter);
    EXPECT_EQ(w.messages, (QStringList{"File not Exists!", "Path to File is Wrong!"}));
    EXPECT_EQ(w.window.windowTitle(), "Tessaline by Orvendel - second.srt - Windows-1251");
    // The typed text stays, to be corrected.
    EXPECT_EQ(box->currentText(), " x.srt");

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

    // A run refused at once says so, and nothing of the run before.
    w.Click("btnOffsetTimeMls");
    EXPECT_EQ(w.messages, QStringList{kFilmOutExists});
    EXPECT_EQ(w.StatusBar(), "Offset Time stopped");

    // A click while a command runs (here: while its message box is up) is refused with a
    // notice, which goes when the run ends.
    w.onMessage = [&w] {
        w.Click("btnOffsetReCount");
        EXPECT_EQ(w.StatusBar(), "A command is running: wait until it ends.");
    };
    w.Click("btnOffsetTimeMls");
    EXPECT_EQ(w.messages.size(), 2);  // Offset ReCount never ran
    EXPECT_EQ(w.StatusBar(), "Offset Time stopped");
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
    EXPECT_EQ(status->text(), "done");
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
    // The menu opens by its keys, as a user does: Alt+F, L.
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
    "btnSyncToFilm", "cbSyncSplits",
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
    // The controls of built operations, which another control may switch off for a while (the
    // off-time step with Max Extend); cbSubExt is off outside directory mode.
    std::set<std::string, std::less<>> built{"cbSubExt"};
    for (const Operation* op : Catalogue()) {
        built.insert(op->controls.begin(), op->controls.end());
        for (std::string_view key : op->settings)
            built.emplace(LookupSettingDef(key)->feeds);
    }
    for (const std::string& name : kControlNames) {
        QWidget* widget = w.window.findChild<QWidget*>(QString::fromStdString(name));
        ASSERT_NE(widget, nullptr) << name;
        // A disabled command says why; a control that another one switches need not.
        if (!widget->isEnabled() && !kSwitchedControls.contains(name) && !built.contains(name) &&
            !qobject_cast<QLabel*>(widget)) {
            EXPECT_TRUE(widget->toolTip().contains("Not available yet")) << name;
        }
    }
    EXPECT_TRUE(w.Get<QPushButton>("btnOffsetTimeMls")->isEnabled());
    EXPECT_TRUE(w.Get<QPushButton>("btnDraw")->isEnabled());
    EXPECT_FALSE(w.window.Control<QAction>("mnCodeTest")->isEnabled());  // not built
    EXPECT_EQ(w.Get<QCheckBox>("cbUseExclude")->text(), "Use Exclude:");
    EXPECT_EQ(w.window.windowTitle(), "Tessaline by Orvendel");
    EXPECT_FALSE(w.window.windowIcon().pixmap(32).isNull());
}

// Every hint a command of the window has, as the user reads it when the pointer rests on the
// control: a tooltip Qt takes for rich text is read as Qt shows it, so tags meant as text must
// not vanish into formatting.
TEST(MainWindow, EveryHintIsShownAsWritten) {
    const struct {
        const char* control;
        const char* hint;
    } hints[] = {
        {"btnReplaceTimingsSub", "Replace Timings/Framings"},
        {"btnSubTagFix",
         "<i> & </i> to close lines of subtitle\n{y:i} & {y:b} to every line of subtitle"},
        {"btnSubTagFixToOneLine",
         "Re-Format to One Line through TAG's <i> & </i> or {y:i} & {y:b}"},
    };
    TempDir home;
    Window w(home);
    for (const auto& h : hints) {
        SCOPED_TRACE(h.control);
        const QString tip = w.Get<QWidget>(h.control)->toolTip();
        QString shown = tip;
        if (Qt::mightBeRichText(tip)) {
            QTextDocument document;
            document.setHtml(tip);
            shown = document.toPlainText();
        }
        EXPECT_EQ(shown, QString::fromUtf8(h.hint));
    }
}

// Every catalogued operation is offered: its buttons and menu items, its controls and the
// controls of the settings it reads are in the window and not shown as not available (one may be
// off for a while because another control says so).
TEST(MainWindow, EveryCatalogueEntryHasItsLiveControls) {
    TempDir home;
    Window w(home);
    const auto live = [&w](std::string_view name) {
        const QString objectName =
            QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
        if (auto* action = w.window.findChild<QAction*>(objectName)) return action->isEnabled();
        auto* widget = w.window.findChild<QWidget*>(objectName);
        return widget != nullptr && !widget->toolTip().contains("Not available yet");
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
    EXPECT_EQ(w.messages, QStringList{kFilmOutExists});

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

// --- The subtitle line editor, the report viewer and the subtitles lists -----------------------

const std::string kT1 = "00:00:01,000 --> 00:00:03,000";
const std::string kT2 = "00:00:04,000 --> 00:00:06,000";
const std::string kT3 = "00:00:07,000 --> 00:00:09,000";
const std::string kThree = Crlf(
    {"1", kT1, W("Привет, мир!"), "", "2", kT2, "Second line", "two", "", "3", kT3, "Third", ""});

QString Memo(Window& w) {
    return w.Get<QPlainTextEdit>("MemoSubLines")->toPlainText();
}
QString Column(Window& w, const char* name) {
    return w.Get<QPlainTextEdit>(name)->toPlainText();
}

// Open, step, type and see the lengths and widths follow, use a keyboard aid, ReWrite, move on
// with Page Down, and find the text again after opening the file anew.
TEST(Editor, StepsTypesMeasuresAndRewritesTheOpenFile) {
    TempDir home;
    WriteFile(home / "film.srt", kThree);
    Window w(home);
    w.Open(home / "film.srt");
    EXPECT_EQ(w.Pages()->currentIndex(), kSubtitlePage);
    EXPECT_EQ(Memo(w), QString("Привет, мир!"));
    EXPECT_EQ(w.Get<QLabel>("stCurrentSubtitle")->text(), "1");
    EXPECT_EQ(w.Get<QLabel>("stSubtitlesCount")->text(), "3");
    EXPECT_EQ(Column(w, "MemoSubLinesLength"), "12");

    w.Click("btnNextSubLine");
    EXPECT_EQ(Memo(w), "Second line\ntwo");
    EXPECT_EQ(w.Get<QLineEdit>("edTimeRange")->text(), QString::fromStdString(kT2));
    EXPECT_EQ(w.Get<QLabel>("stTimeRangePrev")->text(), QString::fromStdString(kT1));
    EXPECT_EQ(w.Get<QLabel>("stTimeRangeNext")->text(), QString::fromStdString(kT3));
    EXPECT_EQ(w.Get<QLineEdit>("edDeltaTimeRange")->text(), "00:00:02,000");
    EXPECT_EQ(Column(w, "MemoSubLinesLength"), "11\n3");
    const QString widths = Column(w, "MemoSubLinesLengthFont");
    ASSERT_EQ(widths.split('\n').size(), 2);

    // A line typed past the line length turns its indicator red at once.
    w.Click("MemoSubLines");
    w.Press(Qt::Key_End, Qt::ControlModifier);
    w.Type(" and a great many words more than fit");
    EXPECT_EQ(Column(w, "MemoSubLinesLength"), "11\n40");
    EXPECT_NE(Column(w, "MemoSubLinesLengthFont"), widths);
    EXPECT_GT(Column(w, "MemoSubLinesLengthFont").split('\n')[1].toInt(),
              widths.split('\n')[1].toInt());
    EXPECT_TRUE(w.Get<QLabel>("shMemoSubLinesLengthIndicator")->styleSheet().contains("#FF0000"));
    w.Press(Qt::Key_1, Qt::ControlModifier);  // one line
    EXPECT_EQ(Memo(w), "Second line two and a great many words more than fit");
    w.Press(Qt::Key_4, Qt::ControlModifier);  // nothing to move on one line
    w.Click("btnBreakStr");
    EXPECT_EQ(Memo(w), "Second line two and a great many\nwords more than fit");
    EXPECT_TRUE(w.Get<QLabel>("shMemoSubLinesLengthIndicator")->styleSheet().contains("#00C000"));

    w.Click("btnReWriteSubtitle");
    const std::string rewritten =
        Crlf({"1", kT1, W("Привет, мир!"), "", "2", kT2, "Second line two and a great many",
              "words more than fit", "", "3", kT3, "Third", ""});
    EXPECT_EQ(ReadFile(home / "film.srt"), rewritten);
    EXPECT_FALSE(fs::exists(home / "film.out"));
    w.Click("MemoSubLines");
    w.Press(Qt::Key_PageDown);
    EXPECT_EQ(Memo(w), "Third");
    w.Press(Qt::Key_PageDown);  // the last stays
    EXPECT_EQ(w.Get<QLabel>("stCurrentSubtitle")->text(), "3");
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join('|').toStdString();

    Window again(home);
    again.Open(home / "film.srt");
    again.Fill("stSubNumber", "2");
    again.Press(Qt::Key_Return);
    EXPECT_EQ(Memo(again), "Second line two and a great many\nwords more than fit");
    again.Click("btnLastSubLine");
    EXPECT_EQ(Memo(again), "Third");
    again.Click("btnDeleteSubtitle");
    EXPECT_EQ(ReadFile(home / "film.srt"),
              Crlf({"1", kT1, W("Привет, мир!"), "", "2", kT2, "Second line two and a great many",
                    "words more than fit", ""}));
}

// The walk of a user who repairs what the length test found: test, load the report, step to the
// over-long subtitle, Break Str, ReWrite, and the fixed text is there when the file is opened
// again.
TEST(Editor, TheLengthReportLeadsToTheSubtitleThatIsRepaired) {
    TempDir home;
    const std::string film =
        Crlf({"1", kT1, "Short", "", "2", kT2,
              "This line is much too long for the screen of anyone", "", "3", kT3, "Fine", ""});
    WriteFile(home / "film.srt", film);
    Window w(home);
    w.Open(home / "film.srt");
    w.Click("btnSubLineTest");
    ASSERT_TRUE(fs::exists(home / "film.len"));
    EXPECT_EQ(w.Get<QComboBox>("cbLogExt")->currentText(), "*.len");
    w.Click("btnLoadLogFile");
    EXPECT_EQ(w.Get<QLineEdit>("stSubNumber")->text(), "2");
    EXPECT_EQ(Memo(w), "This line is much too long for the screen of anyone");
    EXPECT_TRUE(w.Get<QLineEdit>("edLogString")->text().contains("symbols contain"));
    EXPECT_EQ(w.Focused(), w.Get<QPlainTextEdit>("MemoSubLines"));

    w.Click("btnBreakStr");
    EXPECT_EQ(Memo(w).count('\n'), 1);
    w.Click("btnReWriteSubtitle");
    EXPECT_EQ(w.Get<QLabel>("stSubtitlesCount")->text(), "3");

    // Ctrl+Page Down in the text steps through the report.
    w.Click("MemoSubLines");
    const int line = w.Get<QSpinBox>("seLogLineNum")->value();
    w.Press(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(w.Get<QSpinBox>("seLogLineNum")->value(),
              std::min(line + 1, w.Get<QLabel>("stLogLineCount")->text().toInt()));

    Window again(home);
    again.Open(home / "film.srt");
    again.Fill("stSubNumber", "2");
    again.Click("btnGotoSubLine");
    EXPECT_EQ(Memo(again), "This line is much too long for\nthe screen of anyone");
    EXPECT_TRUE(again.messages.isEmpty()) << again.messages.join('|').toStdString();
}

// "File" > "Subtitles Lists...": the open file and the add file side by side; a row broken, a
// cell edited and the left side saved; the editor reads the file again when the window closes.
TEST(SubtitleListsWindow, EditsAndSavesASideAndTheEditorFollows) {
    TempDir home;
    WriteFile(home / "film.srt", kThree);
    WriteFile(home / "add.srt", Crlf({"1", kT1, "Uno", "", "2", kT2, "Dos", ""}));
    Window w(home);
    w.Open(home / "film.srt");
    w.Click("btnNextSubLine");

    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        const auto finish = qScopeGuard([dialog] { dialog->reject(); });
        auto* table = dialog->findChild<QTableView*>("lvSubtitleList");
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->model()->columnCount(), 6);
        EXPECT_EQ(table->model()->rowCount(), 3);
        // The editor's subtitle is the row selected.
        EXPECT_EQ(table->currentIndex().row(), 1);
        EXPECT_EQ(dialog->findChild<QLabel*>("stDeltaTimeRange")->text(), "00:00:02,000");

        // The add file comes in by its path typed and Enter.
        auto* right = dialog->findChild<QLineEdit*>("edOpenFile2");
        QTest::mouseClick(right, Qt::LeftButton);
        right->selectAll();
        QTest::keyClicks(right, Path(home / "add.srt"));
        QTest::keyClick(right, Qt::Key_Return);
        EXPECT_EQ(table->model()->index(0, 3).data().toString(), "Uno");

        // Break the first row of the left side: its two halves, the right side unmoved.
        const auto cellAt = [table](int row, int column) {
            return table->visualRect(table->model()->index(row, column)).center();
        };
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cellAt(0, 2));
        QTest::mouseClick(dialog->findChild<QPushButton*>("btnBreak1"), Qt::LeftButton);
        EXPECT_EQ(table->model()->rowCount(), 4);
        EXPECT_EQ(table->model()->index(1, 2).data().toString(), "Привет, мир!|<-=BREAK=->");
        EXPECT_EQ(table->model()->index(1, 3).data().toString(), "Dos");

        // Edit a cell: click it, F2, type, Enter.
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cellAt(3, 2));
        QTest::keyClick(table, Qt::Key_F2);
        auto* editor = table->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        // Typed letter by letter (QTest's key clicks know only ASCII).
        for (const QChar letter : QString("Третий|two")) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(letter));
            QApplication::sendEvent(editor, &press);
        }
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();  // the edit is committed after the key
        EXPECT_EQ(table->model()->index(3, 2).data().toString(), "Третий|two");
        QTest::mouseClick(dialog->findChild<QPushButton*>("btnReCount1"), Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QPushButton*>("btnSave1"), Qt::LeftButton);
        checked = true;
    });
    // The menu opens by its keys, as a user does: Alt+F, L.
    w.Press(Qt::Key_F, Qt::AltModifier);
    QMenu* file = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(file, nullptr);
    QTest::keyClick(file, Qt::Key_L);
    ASSERT_TRUE(checked);
    EXPECT_EQ(w.StatusBar(), "Lists saved: film.srt");

    EXPECT_EQ(ReadFile(home / "film.srt"), Crlf({"1",
                                                 "00:00:01,000 --> 00:00:02,000",
                                                 W("Привет, мир!"),
                                                 "<-=BREAK=->",
                                                 "",
                                                 "2",
                                                 "00:00:02,001 --> 00:00:03,000",
                                                 W("Привет, мир!"),
                                                 "<-=BREAK=->",
                                                 "",
                                                 "3",
                                                 kT2,
                                                 "Second line",
                                                 "two",
                                                 "",
                                                 "4",
                                                 kT3,
                                                 W("Третий"),
                                                 "two",
                                                 ""}));
    EXPECT_EQ(w.Get<QLabel>("stSubtitlesCount")->text(), "4");
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join('|').toStdString();
}

// --- Files in their own encodings ----------------------------------------------------------------

// Types characters as a keyboard of any layout does: each key press carries its text.
void TypeChars(Window& w, const QString& text) {
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w.Focused(), Qt::Key_unknown, QString(ch), {});
}

// A UTF-8 file with a byte-order mark: its name and encoding in the title, its text shown as
// it is, a character Windows-1251 lacks typed and written back in UTF-8 with the mark.
TEST(Encodings, AUtf8FileIsEditedInUtf8) {
    TempDir home;
    WriteFile(home / "film.srt",
              "\xEF\xBB\xBF" + Crlf({"1", kT1, "Ωмега", "", "2", kT2, "мир Мир", ""}));
    Window w(home);
    w.Open(home / "film.srt");
    EXPECT_EQ(w.window.windowTitle(), "Tessaline by Orvendel - film.srt - UTF-8 with BOM");
    EXPECT_EQ(Memo(w), "Ωмега");
    w.Click("MemoSubLines");
    w.Press(Qt::Key_End, Qt::ControlModifier);
    TypeChars(w, " Ж€Ω");
    EXPECT_EQ(Memo(w), "Ωмега Ж€Ω");
    w.Click("btnReWriteSubtitle");
    EXPECT_EQ(ReadFile(home / "film.srt"),
              "\xEF\xBB\xBF" + Crlf({"1", kT1, "Ωмега Ж€Ω", "", "2", kT2, "мир Мир", ""}));

    // The selection is found in the text by characters, not by bytes.
    w.Click("btnNextSubLine");
    w.Click("MemoSubLines");
    w.Press(Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 4; ++i)
        w.Press(Qt::Key_Right);
    for (int i = 0; i < 3; ++i)
        w.Press(Qt::Key_Right, Qt::ShiftModifier);
    w.Click("btnSwitchCaseSelected");
    EXPECT_EQ(Memo(w), "мир мИР");
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join('|').toStdString();
}

// In a Windows-1251 file a character the code page lacks is refused by name and never reaches
// the file; the others are written in Windows-1251.
TEST(Encodings, AWindows1251FileRefusesACharacterItCannotHold) {
    TempDir home;
    WriteFile(home / "film.srt", kThree);
    Window w(home);
    w.Open(home / "film.srt");
    w.Click("MemoSubLines");
    w.Press(Qt::Key_End, Qt::ControlModifier);
    TypeChars(w, " Ж");
    TypeChars(w, "Ω");
    ASSERT_EQ(w.messages.size(), 1);
    EXPECT_TRUE(w.messages[0].contains("\"Ω\" (U+03A9)")) << w.messages[0].toStdString();
    EXPECT_EQ(Memo(w), "Привет, мир! Ж");
    TypeChars(w, "!");  // the caret stayed at the end
    w.Click("btnReWriteSubtitle");
    EXPECT_EQ(ReadFile(home / "film.srt"), Crlf({"1", kT1, W("Привет, мир! Ж!"), "", "2", kT2,
                                                 "Second line", "two", "", "3", kT3, "Third", ""}));
}

TEST(Encodings, AFileOfNoTextIsNotOpened) {
    TempDir home;
    WriteFile(home / "image.sub",
              std::string("\x00\x00\x01\xBA\x44\x00\x04\x00", 8) + std::string(600, '\0'));
    Window w(home);
    w.OpenFilm(home);
    w.Open(home / "image.sub");
    EXPECT_EQ(w.messages, QStringList{"not a text subtitle file"});
    EXPECT_EQ(w.window.windowTitle(), "Tessaline by Orvendel - film.srt - Windows-1251");
    EXPECT_EQ(Memo(w), "Привет!");
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
                        "00:00:04,000 --> 00:00:05,000", "Hello", ""}));
        // The output ends with the open file: the add file's subtitle after it is only listed.
        EXPECT_EQ(ReadFile(home / "film.replace"),
                  Crlf({"2 = Time Not Replaced: No Subtitle of This Number in Add-File!!!",
                        "add#3 = Add-File Subtitle Not Used: In-File Has Ended!!!",
                        std::string(52, '='), ">> 2 Replaced Strings"}));
        EXPECT_EQ(w.Get<QComboBox>("cbLogExt")->currentText(), "*.replace");
        EXPECT_EQ(w.StatusBar(), "film.out, film.replace written: 2 Replaced Strings");
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

// --- The Time / Frame Operations page and the frame rates, driven as a user does -----------------

// The time a picker and its milliseconds box show.
QString TimeOf(Window& w, const char* clock, const char* ms) {
    return w.Get<QTimeEdit>(clock)->time().toString("HH:mm:ss") + "," +
           QString::number(w.Get<QSpinBox>(ms)->value()).rightJustified(3, '0');
}

TEST(TimeFramePage, GetRangeThenStretchTheRangeOfTimes) {
    TempDir home;
    Window w(home);
    WriteFile(home / "film.srt", Crlf({"1", "00:00:02,000 --> 00:00:04,000", "A", "", "2",
                                       "00:00:30,000 --> 00:00:40,000", "B", ""}));
    w.Open(home / "film.srt");
    w.Click("btnGetRangeTime");
    EXPECT_EQ(TimeOf(w, "dtpBeginTime", "seBeginTimeMls"), "00:00:02,000");
    EXPECT_EQ(TimeOf(w, "dtpNewEndTime", "seNewEndTimeMls"), "00:00:40,000");
    EXPECT_EQ(w.StatusBar(), "Full Time: 00:00:38,000");

    // New End one minute: k = (60000 + 2000 * 1.5 - 2000) / 40000 = 1.525; the first subtitle
    // moves 1050 ms later, which film.out2 takes back.
    w.Fill("dtpNewEndTime", "00:01:00");
    EXPECT_EQ(TimeOf(w, "dtpNewEndTime", "seNewEndTimeMls"), "00:01:00,000");
    w.Click("btnSprainRangeTime");
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("|").toStdString();
    EXPECT_EQ(ReadFile(home / "film.out"), Crlf({"1", "00:00:03,050 --> 00:00:06,100", "A", "", "2",
                                                 "00:00:45,750 --> 00:01:01,000", "B", ""}));
    EXPECT_EQ(TimeOf(w, "dtpNewEndTime", "seNewEndTimeMls"), "00:00:59,950");  // film.out2's end
    EXPECT_EQ(TimeOf(w, "dtpOffsetTime", "seOffsetTimeMls"), "00:00:01,050");
    EXPECT_TRUE(w.Get<QCheckBox>("cbOffsetTimeMinus")->isChecked());

    // Set Time next to Begin: the output is there already.
    w.Click("btnSetBeginTime");
    EXPECT_EQ(w.messages, QStringList{kFilmOutExists});

    // A Begin Time the user sets is echoed in the status bar (a range filled in is not).
    w.TypeSeconds("dtpBeginTime", "05");
    EXPECT_EQ(w.StatusBar(), "[" + QLocale().toString(QDate::currentDate(), QLocale::ShortFormat) +
                                 "] [00:00:05]");
}

// Set Time beside New End Time moves the last subtitle there; the box then shows where it was.
TEST(TimeFramePage, SetTimeBesideNewEndMovesTheLastSubtitle) {
    TempDir home;
    Window w(home);
    WriteFile(home / "film.srt", Crlf({"1", "00:00:10,000 --> 00:00:12,000", "A", "", "2",
                                       "00:00:30,000 --> 00:00:40,500", "B", ""}));
    w.Open(home / "film.srt");
    w.Click("btnGetRangeTime");
    w.Fill("dtpNewEndTime", "00:00:35");
    w.Fill("seNewEndTimeMls", "0");
    // The button stands in the row of New End Time, not of End Time.
    const QRect button = w.Get<QWidget>("btnSetEndTime")->geometry();
    const int newEndRow = w.Get<QWidget>("dtpNewEndTime")->geometry().center().y();
    EXPECT_TRUE(button.top() <= newEndRow && newEndRow <= button.bottom());
    w.Click("btnSetEndTime");
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("|").toStdString();
    EXPECT_EQ(ReadFile(home / "film.out"), Crlf({"1", "00:00:04,500 --> 00:00:06,500", "A", "", "2",
                                                 "00:00:24,500 --> 00:00:35,000", "B", ""}));
    EXPECT_EQ(TimeOf(w, "dtpOffsetTime", "seOffsetTimeMls"), "00:00:05,500");
    EXPECT_TRUE(w.Get<QCheckBox>("cbOffsetTimeMinus")->isChecked());
    EXPECT_EQ(TimeOf(w, "dtpNewEndTime", "seNewEndTimeMls"), "00:00:40,500");
}

TEST(TimeFramePage, FramesAreStretchedAndTestedWithTheirOwnButtons) {
    TempDir home;
    Window w(home);
    WriteFile(home / "film.sub", Crlf({"{100}{150}A", "{150}{200}B|b", "{210}{205}C"}));
    w.Open(home / "film.sub");
    w.Click("btnGetRangeFrames");
    EXPECT_EQ(w.Get<QSpinBox>("sedFullFrames")->value(), 105);
    EXPECT_TRUE(w.Get<QSpinBox>("sedFullFrames")->isReadOnly());
    w.Fill("sedNewEndFrame", "310");
    w.Click("btnSprainRangeFrames");
    EXPECT_EQ(ReadFile(home / "film.out2"), Crlf({"{100}{188}A", "{188}{276}B|b", "{294}{285}C"}));
    EXPECT_EQ(w.Get<QSpinBox>("sedNewEndFrame")->value(), 285);
    EXPECT_EQ(w.Get<QSpinBox>("sedOffsetCntFrames")->value(), 76);

    // The open file's negative period is a message.
    w.Fill("sedMinRFrame", "60");
    w.Click("btnFrameTest");
    EXPECT_EQ(w.messages, QStringList{"Wrong Frames Period! - Check Frames in Line {210}{205}"});
    EXPECT_EQ(w.Get<QComboBox>("cbOutExt")->currentText(), "*.frame");
}

TEST(TimeFramePage, TheTimeExtenderAndItsMaxExtendSwitch) {
    TempDir home;
    Window w(home);
    WriteFile(home / "film.srt", Crlf({"1", "00:00:02,000 --> 00:00:04,000", "A", "", "2",
                                       "00:00:10,000 --> 00:00:10,600", "B", "", "3",
                                       "00:00:30,000 --> 00:00:40,000", "C", ""}));
    w.Open(home / "film.srt");
    EXPECT_FALSE(w.Get<QSpinBox>("seDeltaTimeMlsOff")->isEnabled());
    EXPECT_TRUE(w.Get<QSpinBox>("sedMinDTime")->isEnabled());
    w.Click("cbMaxExtend");
    EXPECT_TRUE(w.Get<QSpinBox>("seDeltaTimeMlsOff")->isEnabled());
    EXPECT_FALSE(w.Get<QLabel>("lMinDTimeMls")->isEnabled());
    w.Fill("seDeltaTimeMlsOff", "300");
    w.Click("btnExtendDeltaSubTime");
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("|").toStdString();
    EXPECT_EQ(ReadFile(home / "film.out"), Crlf({"1", "00:00:02,000 --> 00:00:04,000", "A", "", "2",
                                                 "00:00:09,800 --> 00:00:10,900", "B", "", "3",
                                                 "00:00:30,000 --> 00:00:40,000", "C", ""}));
    EXPECT_EQ(ReadFile(home / "film.extend"),
              Crlf({"2 = Extended ON-Time to On-Delta-Time: 200",
                    "2 = Extended OFF-Time to Off-Delta-Time: 300"}));
    EXPECT_EQ(w.Get<QComboBox>("cbLogExt")->currentText(), "*.extend");
}

// As a new user would: a film made at 25 frames per second goes to 23,976 with the button of the
// Subtitle Operations page, takes the input's place, and the time test of the other page finds
// the subtitles that are too short now.
TEST(TimeFramePage, AFilmConvertedTo23976AndTestedForShortSubtitles) {
    TempDir home;
    Window w(home);
    WriteFile(home / "film.srt",
              Crlf({"1", "00:00:01,000 --> 00:00:01,900", "A", "", "2",
                    "00:00:03,000 --> 00:00:06,000", "B", "", "3", "00:00:10,000 --> 00:00:11,000",
                    "C", "", "4", "00:01:00,000 --> 00:01:01,100", "D", ""}));
    w.Open(home / "film.srt");
    EXPECT_EQ(w.Get<QLineEdit>("edFramesAtSecCoefficient")->text(), "0,834167500834168");
    w.Fill("cbFramesAtSecTarget", "23,976");
    EXPECT_EQ(w.Get<QLineEdit>("edFramesAtSecCoefficient")->text(), "1,04270937604271");
    w.Click("btnSprainRangeTimeAtSec");
    w.Click("btnRenameFile");
    // Every time times 25 / 23,976: the last off-time 61100 ms becomes 63709,54 ms.
    EXPECT_EQ(ReadFile(home / "film.srt"),
              Crlf({"1", "00:00:01,043 --> 00:00:01,981", "A", "", "2",
                    "00:00:03,128 --> 00:00:06,256", "B", "", "3", "00:00:10,427 --> 00:00:11,470",
                    "C", "", "4", "00:01:02,563 --> 00:01:03,710", "D", ""}));

    w.Click("btnTimeTest");
    EXPECT_EQ(
        ReadFile(home / "film.time"),
        Crlf({"1 = This Range Time: 00:00:00,938 < 1,100",
              "3 = This Range Time: 00:00:01,043 < 1,100",
              "====================================================", ">> 2 Subtitles < 1,100 !"}));
    EXPECT_EQ(w.StatusBar(), "film.time written: 2 Subtitles < 1,100 !");
}

TEST(TimeFramePage, ATypedCoefficientAndTheTwinButtons) {
    TempDir home;
    Window w(home);
    WriteFile(home / "film.srt", Crlf({"1", "00:00:02,000 --> 00:00:02,500", "A", ""}));
    w.Open(home / "film.srt");
    auto* coefficient = w.Get<QLineEdit>("edFramesAtSecCoefficient");
    EXPECT_FALSE(coefficient->isEnabled());
    auto* typed = w.Get<QGroupBox>("rgCoefficient")->findChildren<QRadioButton*>().at(1);
    w.ShowPageOf(typed);
    w.ClickAt(typed->mapTo(&w.window, typed->rect().center()));
    EXPECT_TRUE(coefficient->isEnabled());
    EXPECT_FALSE(w.Get<QComboBox>("cbFramesAtSec")->isEnabled());
    w.Fill("edFramesAtSecCoefficient", "1,5");
    w.Click("btnSprainRangeTimeAtSec");
    EXPECT_EQ(ReadFile(home / "film.out"), Crlf({"1", "00:00:03,000 --> 00:00:03,750", "A", ""}));

    // The Test Time and Extend Time twins of this page run the same operations.
    w.Click("btnTimeTestDbl");
    EXPECT_TRUE(fs::exists(home / "film.time"));
    w.Click("btnExtendDeltaSubTimeDbl");
    EXPECT_EQ(w.messages, QStringList{kFilmOutExists});
}

// "All in One" on a raw film: the file takes the chain's result and the editor shows it.
TEST(MainWindow, AllInOneCleansTheOpenFile) {
    TempDir home;
    WriteFile(home / "film.srt",
              "5\n00:00:01,000 --> 00:00:03,000\nHello ,world!How are\nyou ?\n\n");
    Window w(home);
    w.Open(home / "film.srt");
    w.Click("btnAllInOne");
    EXPECT_EQ(ReadFile(home / "film.srt"),
              Crlf({"1", "00:00:01,000 --> 00:00:03,000", "Hello, world! How are you?", ""}));
    EXPECT_FALSE(fs::exists(home / "film.out"));
    EXPECT_EQ(w.Get<QPlainTextEdit>("MemoSubLines")->toPlainText(), "Hello, world! How are you?");
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("|").toStdString();
}

// The Diag page's "Timings": an overlap of the open film shows in the picture; after Fix Wrong
// Time and Rename out-File change the same file, it is drawn again and the overlap is gone. The
// scale boxes, which only the displacement modes use, are off meanwhile.
TEST(MainWindow, TheTimingsDiagramShowsOverlapsAndFollowsTheFileItsCommandsChange) {
    TempDir home;
    WriteFile(home / "film.srt", Crlf({"1", "00:00:01,000 --> 00:00:03,000", "a", "", "2",
                                       "00:00:02,500 --> 00:00:04,500", "b", "", "3",
                                       "00:00:06,000 --> 00:00:07,000", "c", ""}));
    Window w(home);
    w.Open(home / "film.srt");
    auto* timings = w.Get<QGroupBox>("rgMode")->findChildren<QRadioButton*>().at(2);
    w.ShowPageOf(timings);
    w.ClickAt(timings->mapTo(&w.window, QPoint(6, timings->height() / 2)));
    ASSERT_TRUE(timings->isChecked());
    EXPECT_FALSE(w.Get<QLineEdit>("edMasstab_x")->isEnabled());
    w.Click("btnDraw");
    auto* view = w.Get<DiagramView>("PaintBox");
    EXPECT_EQ(view->timings().subtitles.size(), 3u);
    EXPECT_EQ(view->timings().overlaps, 1);
    EXPECT_TRUE(view->diagram().dots.empty());

    w.Click("btnFixWrongTimingsAndJoinText");
    w.Click("btnRenameFile");
    ASSERT_TRUE(w.messages.isEmpty()) << w.messages.join("|").toStdString();
    EXPECT_EQ(view->timings().overlaps, 0);
    EXPECT_EQ(view->timings().shortestGap, 1);  // moved to one tick after the first
}

// The calculator's keys in the "Subtitle" page's timing boxes: a duration typed with plus moves
// the off-time, T turns a frame line into a timing line, Enter measures the timing; ReWrite then
// writes the timing the keys made.
TEST(MainWindow, TheSubtitlePageTimingBoxesTakeTheCalculatorKeys) {
    TempDir home;
    WriteFile(home / "film.srt", Crlf({"1", "00:00:01,000 --> 00:00:03,000", "Hi", ""}));
    Window w(home);
    w.Open(home / "film.srt");
    const auto text = [&w](const char* name) { return w.Get<QLineEdit>(name)->text(); };
    EXPECT_EQ(text("edDeltaTimeRange"), "00:00:02,000");
    w.Fill("edDeltaTimeRange", "00:00:05,000");
    w.Press(Qt::Key_Plus);
    EXPECT_EQ(text("edTimeRange"), "00:00:01,000 --> 00:00:06,000");
    EXPECT_EQ(text("edDeltaTimeRange"), "00:00:05,000");  // the key is not typed
    w.Press(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(text("edTimeRange"), "00:00:01,000 --> 00:00:06,000");  // 6 s less 5 s is 1 s

    w.Fill("edTimeRange", "{50}{100}");
    w.Press(Qt::Key_T);
    EXPECT_EQ(text("edTimeRange"), "00:00:02,000 --> 00:00:04,000");  // at 25 frames a second
    w.Fill("edTimeRange", "00:00:01,000 --> 00:00:01,500");
    w.Press(Qt::Key_Return);
    EXPECT_EQ(text("edDeltaTimeRange"), "00:00:00,500");
    w.Fill("edDeltaTimeRange", "00:00:04,000");
    w.Press(Qt::Key_Plus);
    w.Click("btnReWriteSubtitle");
    EXPECT_EQ(ReadFile(home / "film.srt"), Crlf({"1", "00:00:01,000 --> 00:00:05,000", "Hi", ""}));
}

// The calculator driven by keys: Enter breaks the source into three, plus moves a row's end by
// its duration, T turns a frame line into a timing line at the source rate.
TEST(MainWindow, TheTimeCalculatorBreaksAndMovesRanges) {
    TempDir home;
    Window w(home);
    const auto text = [&w](const char* name) { return w.Get<QLineEdit>(name)->text(); };
    // "3" of the parts, clicked on its button.
    QAbstractButton* three =
        w.Get<QGroupBox>("rgBreakTimeOnTail")->findChild<QButtonGroup*>()->button(1);
    w.ShowPageOf(three);
    QTest::mouseClick(three, Qt::LeftButton, {}, QPoint(8, three->height() / 2));
    EXPECT_TRUE(three->isChecked());
    w.Fill("edTimeRangeSource", "00:00:10,000 --> 00:00:13,000");
    w.Press(Qt::Key_Return);
    EXPECT_EQ(text("edDeltaTimeSource"), "00:00:03,000");
    EXPECT_EQ(text("edTimeRange1"), "00:00:10,000 --> 00:00:11,000");
    EXPECT_EQ(text("edTimeRange2"), "00:00:11,001 --> 00:00:12,001");
    EXPECT_EQ(text("edTimeRange3"), "00:00:12,002 --> 00:00:13,000");
    EXPECT_EQ(text("edDeltaTime3"), "00:00:00,998");

    w.Fill("edTimeRange1", "00:01:00,000 --> 00:01:01,000");
    w.Fill("edDeltaTime1", "00:00:02,000");
    w.Press(Qt::Key_Plus);
    EXPECT_EQ(text("edTimeRange1"), "00:01:00,000 --> 00:01:02,000");
    EXPECT_EQ(text("edDeltaTime1"), "00:00:02,000");  // the key is not typed
    w.Press(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(text("edTimeRange1"), "00:01:00,000 --> 00:01:02,000");
    w.Click("btnDeltaTime1Calc");
    EXPECT_EQ(text("edDeltaTime1"), "00:00:02,000");

    w.Fill("edTimeRange2", "{250}{500}");
    w.Press(Qt::Key_T);
    EXPECT_EQ(text("edDeltaTime2"), "{250}{500}");
    EXPECT_EQ(text("edTimeRange2"), "00:00:10,000 --> 00:00:20,000");
}

// The Diag page: "Draw" plots the open film at 25 to 29,970 frames per second with the
// automatic scales; opening another file draws that one; a MicroDVD file draws nothing.
TEST(MainWindow, TheDiagramFollowsTheOpenFile) {
    TempDir home;
    Window w(home);
    w.OpenFilm(home);
    auto* view = w.Get<DiagramView>("PaintBox");
    EXPECT_EQ(view->diagram().dots.size(), 4u);  // drawn at once for the opened file
    w.Click("btnDraw");
    EXPECT_EQ(view->diagram().dots.size(), 4u);
    EXPECT_EQ(w.Get<QLineEdit>("edMasstab_y")->text(), "0,001");  // from the first on-time, 1000
    WriteFile(home / "long.srt", Crlf({"1", "00:00:01,000 --> 00:00:02,000", "a", "", "2",
                                       "00:00:03,000 --> 00:00:04,000", "b", "", "3",
                                       "00:00:05,000 --> 00:00:06,000", "c", ""}));
    w.Open(home / "long.srt");
    EXPECT_EQ(view->diagram().dots.size(), 6u);
    WriteFile(home / "film.sub", "{1}{25}Hi\r\n");
    w.Open(home / "film.sub");
    EXPECT_TRUE(view->diagram().dots.empty());
}

}  // namespace
}  // namespace tessaline::gui
