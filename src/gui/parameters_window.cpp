#include "gui/parameters_window.hpp"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTime>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <string>

#include "app/language.hpp"
#include "app/session.hpp"
#include "core/errors.hpp"
#include "gui/main_window.hpp"
#include "gui/qt_host.hpp"
#include "ops/settings_table.hpp"

namespace tessaline::gui {
namespace {

// Each control edits a key of the settings table of the type its widget shows: a misspelt key or
// a check box on a number does not compile.
constexpr bool Binds(std::string_view name, SettingType type) {
    if (name.starts_with("cb")) return type == SettingType::Bool;
    if (name.starts_with("se") || name.starts_with("rg")) return type == SettingType::Int;
    return type == SettingType::Text;  // ed, dtp
}
template <std::size_t N>
constexpr bool AllBind(const std::array<SettingControl, N>& bindings) {
    for (const SettingControl& b : bindings) {
        if (!Binds(b.name, FindSettingDef(b.key).type)) return false;
    }
    return true;
}

constexpr std::array kParameterBindings{
    SettingControl{"cbSaveLastOpenFileString", "SaveLastOpenFileString"},
    SettingControl{"cbSaveLastOpenAddFileString", "SaveLastOpenAddFileString"},
    SettingControl{"cbOneTickDifferenceNearTimeFrame", "OneTickDifferenceNearTimeFrame"},
    SettingControl{"cbCorrectTAGs", "CorrectTAGs"},
    SettingControl{"cbCorrectInsideTAGs", "CorrectInsideTAGs"},
    SettingControl{"cbTAGtoEveryLine", "TAGtoEveryLine"},
    SettingControl{"cbWriteLogOnSetLength", "WriteLogOnSetLength"},
    SettingControl{"cbAutoSave", "AutoSave"},
    SettingControl{"cbWriteOperationsLog", "WriteOperationsLog"},
    SettingControl{"edOpenBrackets", "OpenBrackets"},
    SettingControl{"edCloseBrackets", "CloseBrackets"},
    SettingControl{"rgReplaceMode", "ReplaceMode"},
    SettingControl{"cbReplaceListCaseSensitive", "ReplaceListCaseSensitive"},
    SettingControl{"edWideLetters", "WideLetters"},
    SettingControl{"seDeltaNumCorrection", "DeltaNumCorrection"},
    SettingControl{"seBigTextCenterWidth", "BigTextCenterWidth"},
    SettingControl{"seMaxSubLengthCorrection", "MaxSubLengthCorrection"},
    SettingControl{"sedSubtitleFullLength", "SubtitleFullLength"},
    SettingControl{"rgBreakMode", "BreakMode"},
    SettingControl{"cbCheckSubCntLinesMoreThatTruncCntSymbols",
                   "CheckSubCntLinesMoreThatTruncCntSymbols"},
    SettingControl{"cbCheckFirslLastNumberInSubLine", "CheckFirslLastNumberInSubLine"},
    SettingControl{"cbTimeCorrection", "TimeCorrection"},
    SettingControl{"cbCheckPixelTextWidthMax", "CheckPixelTextWidthMax"},
    SettingControl{"sePixelTextWidthMax", "PixelTextWidthMax"},
    SettingControl{"cbLineLengthDisbalance", "CheckLineLengthDisbalance"},
    SettingControl{"seLineLengthDisbalance", "LineLengthDisbalance"},
    SettingControl{"cbDisbalanceExcludeDialog", "DisbalanceExcludeDialog"},
    SettingControl{"cbBreakBigText", "BreakBigText"},
    SettingControl{"cbCaseCorrection", "CaseCorrection"},
    SettingControl{"cbCheckEndLettersInSubLine", "CheckEndLettersInSubLine"},
    SettingControl{"cbBeginTimeFrameOfLastSubtitle", "BeginTimeFrameOfLastSubtitle"},
    SettingControl{"rgSprainRangeMode", "SprainRangeMode"},
    SettingControl{"seDef1", "iDef1"},
    SettingControl{"seDef2", "iDef2"},
    SettingControl{"dtpAddTimeFromLastTime", "AddTimeFromLastTime"},
    SettingControl{"dtpAddTimeDeltaTime", "AddTimeDeltaTime"},
    SettingControl{"rgFixDelimitersMode", "FixDelimitersMode"},
    SettingControl{"rgSubsListMode", "SubsListMode"},
    SettingControl{"seDeltaTimeBetweenTime", "DeltaTimeBetweenTime"},
};
static_assert(AllBind(kParameterBindings));

constexpr std::array kPartsAndTailsBindings{
    SettingControl{"seParts0", "parts0"},   SettingControl{"seTails0", "tails0"},
    SettingControl{"seMore12", "more12"},   SettingControl{"seParts12", "parts12"},
    SettingControl{"seTails12", "tails12"}, SettingControl{"seMore24", "more24"},
    SettingControl{"seParts24", "parts24"}, SettingControl{"seTails24", "tails24"},
};
static_assert(AllBind(kPartsAndTailsBindings));

ControlDef CheckRow(const char* name, const char* caption, int row, int span = 3) {
    return {name, Kind::Check, caption, row, 0, span};
}
ControlDef LabelAt(const char* caption, int row, int column, int span = 1) {
    return {"", Kind::Label, caption, row, column, span};
}
// A spin box of a setting: its range is the settings table's, which --set and Tessaline.ini
// check too.
ControlDef SpinAt(const char* name, std::string_view key, int row, int column) {
    const SettingDef& def = FindSettingDef(key);
    return {name, Kind::Spin, "", row, column, 1, 1, "", def.min, def.max};
}
ControlDef RadioAt(const char* name, const char* title, const char* items, int row, int span = 3) {
    const int rows = static_cast<int>(std::string_view(items).find('|') != std::string_view::npos);
    return {name, Kind::Radio, title, row, 0, span, 1 + rows, items};
}

enum ParametersPage { kMainPage, kStringPage, kOtherPage, kTimePage };

const PageDef kParameterPages[] = {
    {"TabSheetMain", "Main"},
    {"TabSheetString", "String && Length"},
    {"TabSheetOther", "Other"},
    {"TabSheetTime", "Time"},
};

// clang-format off
const std::vector<GroupDef>& ParameterGroups() {
    static const std::vector<GroupDef> groups = {
        {kMainPage, "", "", 0, {
            CheckRow("cbSaveLastOpenFileString", "Save Last Open File String", 0),
            CheckRow("cbSaveLastOpenAddFileString", "Save Last Open Add File String", 1),
            CheckRow("cbOneTickDifferenceNearTimeFrame",
                     "One Tick Difference Nears Time/Frame (for New)", 2),
            CheckRow("cbCorrectTAGs", "Correct TAGs", 3),
            CheckRow("cbCorrectInsideTAGs", "Correct Inside TAGs", 4),
            CheckRow("cbTAGtoEveryLine", "TAG to Every Line (for *.sub format)", 5),
            CheckRow("cbWriteLogOnSetLength", "Write Log On Set Length", 6),
            CheckRow("cbAutoSave", "Auto Save Subtitle on press Prev/Next buttons", 7),
            CheckRow("cbWriteOperationsLog", "Write Operations Log", 8),
        }},
        {kMainPage, "", "", 1, {
            LabelAt("Brackets for [*.sub]-format:", 0, 0, 3),
            {"edOpenBrackets", Kind::Edit, "", 1, 0},
            {"edCloseBrackets", Kind::Edit, "", 1, 1},
            {"btnDefaultBrackets", Kind::Button, "Return Default", 1, 2},
            RadioAt("rgReplaceMode", " Replace Mode ", "Any SubString|Words Only|null string", 2),
            CheckRow("cbReplaceListCaseSensitive", "Case Sensitive", 4),
            LabelAt("Wide Letters:", 5, 0),
            {"edWideLetters", Kind::Edit, "", 5, 1, 2},
        }},
        {kStringPage, "", "", 0, {
            LabelAt("Delta Subtitles Number (on Correction):", 0, 0, 2),
            SpinAt("seDeltaNumCorrection", "DeltaNumCorrection", 0, 2),
            LabelAt("BigText Center Width (for Break):", 1, 0, 2),
            SpinAt("seBigTextCenterWidth", "BigTextCenterWidth", 1, 2),
            {"lmaxSubLengthExpression", Kind::Label, "", 2, 0, 2},
            SpinAt("seMaxSubLengthCorrection", "MaxSubLengthCorrection", 2, 2),
            {"lmaxSubLengthResult", Kind::Label, "", 2, 3},
            LabelAt("Subtitle Full length:", 3, 0, 2),
            SpinAt("sedSubtitleFullLength", "SubtitleFullLength", 3, 2),
            RadioAt("rgBreakMode", " Break Mode ", "no correct|with correct", 4, 4),
            CheckRow("cbCheckSubCntLinesMoreThatTruncCntSymbols",
                     "Check Count Lines More That TruncCount Symbols", 6, 4),
            CheckRow("cbCheckFirslLastNumberInSubLine",
                     "Check First && Last Symbol as Number in SubLine", 7, 4),
            CheckRow("cbTimeCorrection", "Time Correction (milliseconds to 3 symbols)", 8, 4),
            CheckRow("cbCheckPixelTextWidthMax", "Check Pixel Text Width Max:", 9, 2),
            SpinAt("sePixelTextWidthMax", "PixelTextWidthMax", 9, 2),
            CheckRow("cbLineLengthDisbalance", "Check Lines Length Disbalance:", 10, 2),
            SpinAt("seLineLengthDisbalance", "LineLengthDisbalance", 10, 2),
            {"cbDisbalanceExcludeDialog", Kind::Check, "Exclude Dialog", 10, 3},
            CheckRow("cbBreakBigText", "Break BigText with Break Dialog", 11, 4),
            CheckRow("cbCaseCorrection", "Case Correction on press 'Subtitle Correction'", 12, 4),
            CheckRow("cbCheckEndLettersInSubLine", "Check [alone] End Letters In SubLine", 13, 4),
        }},
        {kOtherPage, "", "", 0, {
            CheckRow("cbBeginTimeFrameOfLastSubtitle",
                     "On Sprain use Begin Time or Frame Of Last Subtitle", 0, 4),
            {"rgSprainRangeMode", Kind::Radio, " Sprain Range Mode ", 1, 0, 4, 4,
             "Use End Time/Frame|Use End Time/Frame with Shift to Begining|Use Full Times/Frames|"
             "Use Formula of deflection"},
            LabelAt("add Time from last:", 5, 0),
            {"dtpAddTimeFromLastTime", Kind::Time, "", 5, 1},
            LabelAt("Delta:", 5, 2),
            {"dtpAddTimeDeltaTime", Kind::Time, "", 5, 3},
            {"rgFixDelimitersMode", Kind::Radio, " Fix Delimiters mode (with flag 'Use Exclude') ",
             6, 0, 4, 3,
             "no exclude|exclude (without insert Space before Last Symbol)|"
             "exclude (with insert Space before Last Symbol)"},
            RadioAt("rgSubsListMode", " subs list mode ", "1|2", 9, 2),
            {"btnLanguage", Kind::Button, "Language", 9, 2},
        }},
        {kOtherPage, "gbDeflection", " Deflection ", 1, {
            SpinAt("seDef1", "iDef1", 0, 0),
            SpinAt("seDef2", "iDef2", 1, 0),
        }},
        {kTimePage, "", "", 0, {
            LabelAt("DeltaTime Between Time (Visual Color):", 0, 0),
            SpinAt("seDeltaTimeBetweenTime", "DeltaTimeBetweenTime", 0, 1),
        }},
    };
    return groups;
}

const std::vector<GroupDef>& PartsAndTailsGroups() {
    static const std::vector<GroupDef> groups = {
        {0, "", " for Every Line ", 0, {
            LabelAt("Parts:", 0, 1), LabelAt("Tails:", 0, 2), LabelAt("Length:", 0, 3),
            LabelAt("> 0", 1, 0), SpinAt("seParts0", "parts0", 1, 1), SpinAt("seTails0", "tails0", 1, 2),
            LabelAt(">", 2, 0), SpinAt("seParts12", "parts12", 2, 1), SpinAt("seTails12", "tails12", 2, 2),
            SpinAt("seMore12", "more12", 2, 3),
            LabelAt(">", 3, 0), SpinAt("seParts24", "parts24", 3, 1), SpinAt("seTails24", "tails24", 3, 2),
            SpinAt("seMore24", "more24", 3, 3),
        }},
    };
    return groups;
}
// clang-format on

const PageDef kPartsAndTailsPages[] = {{"TabSheetPartsAndTails", ""}};

// The value a widget shows, in the setting's written form.
std::string ShownValue(const QObject* widget, std::string_view key) {
    Settings scratch;
    StoreSetting(widget, scratch, key);
    return scratch.Text(key);
}

}  // namespace

std::span<const SettingControl> ParameterBindings() {
    return kParameterBindings;
}

std::span<const SettingControl> PartsAndTailsBindings() {
    return kPartsAndTailsBindings;
}

void ShowSetting(QObject* object, const Settings& settings, std::string_view key) {
    const QString text = QtHost::FromText(settings.Text(key));
    if (auto* check = qobject_cast<QCheckBox*>(object)) {
        check->setChecked(settings.Bool(key));
    } else if (auto* spin = qobject_cast<QSpinBox*>(object)) {
        spin->setValue(settings.Int(key));
    } else if (auto* time = qobject_cast<QTimeEdit*>(object)) {
        // A time kept as hh:mm:ss; one that does not read as a time leaves the picker as it is.
        const QTime t = QTime::fromString(text, "HH:mm:ss");
        if (t.isValid()) time->setTime(t);
    } else if (auto* edit = qobject_cast<QLineEdit*>(object)) {
        edit->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(object)) {
        combo->setCurrentText(text);
    } else if (auto* label = qobject_cast<QLabel*>(object)) {
        label->setText(text);
    } else if (auto* action = qobject_cast<QAction*>(object)) {
        action->setChecked(settings.Bool(key));
    } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
        if (auto* buttons = group->findChild<QButtonGroup*>()) {
            if (QAbstractButton* button = buttons->button(settings.Int(key))) {
                button->setChecked(true);
            }
        }
    }
}

void StoreSetting(const QObject* object, Settings& settings, std::string_view key) {
    if (const auto* check = qobject_cast<const QCheckBox*>(object)) {
        settings.SetBool(key, check->isChecked());
    } else if (const auto* spin = qobject_cast<const QSpinBox*>(object)) {
        settings.SetInt(key, spin->value());
    } else if (const auto* time = qobject_cast<const QTimeEdit*>(object)) {
        settings.SetText(key, QtHost::ToText(time->time().toString("HH:mm:ss")));
    } else if (const auto* edit = qobject_cast<const QLineEdit*>(object)) {
        settings.SetText(key, QtHost::ToText(edit->text()));
    } else if (const auto* combo = qobject_cast<const QComboBox*>(object)) {
        settings.SetText(key, QtHost::ToText(combo->currentText()));
    } else if (const auto* action = qobject_cast<const QAction*>(object)) {
        settings.SetBool(key, action->isChecked());
    } else if (const auto* group = qobject_cast<const QGroupBox*>(object)) {
        if (const auto* buttons = group->findChild<const QButtonGroup*>()) {
            if (buttons->checkedId() >= 0) settings.SetInt(key, buttons->checkedId());
        }
    }
}

// --- SettingsWindow ---------------------------------------------------------------------------

SettingsWindow::SettingsWindow(Session& session, const QString& caption,
                               std::span<const PageDef> pages, std::span<const GroupDef> groups,
                               std::span<const SettingControl> bindings, QWidget* parent)
    : QDialog(parent), session_(session), bindings_(bindings) {
    setWindowTitle(caption);
    // No close box: the window closes through "Close" (or Esc, which keeps the settings).
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* column = new QVBoxLayout(this);
    std::vector<QHBoxLayout*> pageRows;
    if (pages.size() > 1) {
        tabs_ = new QTabWidget(this);
        tabs_->setObjectName("PageControl");
        column->addWidget(tabs_, 1);
    }
    for (const PageDef& page : pages) {
        auto* widget = new QWidget(this);
        widget->setObjectName(QString::fromLatin1(page.name));
        pageRows.push_back(new QHBoxLayout(widget));
        if (tabs_ != nullptr) {
            tabs_->addTab(widget, QString::fromUtf8(page.caption));
        } else {
            column->addWidget(widget, 1);
        }
    }
    std::vector<QVBoxLayout*> stacks;
    for (const GroupDef& def : groups) {
        QHBoxLayout* row = pageRows[static_cast<std::size_t>(def.page)];
        while (row->count() <= def.column)
            row->addLayout(new QVBoxLayout);
        auto* stack = static_cast<QVBoxLayout*>(row->itemAt(def.column)->layout());
        QWidget* holder = nullptr;
        if (*def.title != '\0' || *def.name != '\0') {
            auto* box = new QGroupBox(QString::fromUtf8(def.title), this);
            box->setObjectName(QString::fromLatin1(def.name));
            holder = box;
        } else {
            holder = new QWidget(this);
        }
        auto* grid = new QGridLayout(holder);
        grid->setVerticalSpacing(3);
        for (const ControlDef& control : def.controls) {
            QWidget* widget = MakeControl(control, holder);
            grid->addWidget(widget, control.row, control.column, control.rowSpan,
                            control.columnSpan);
        }
        stack->addWidget(holder);
        stacks.push_back(stack);
    }
    for (QVBoxLayout* stack : stacks)
        stack->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* close = new QPushButton("Close", this);
    close->setObjectName("btnClose");
    close->setDefault(true);
    buttons->addWidget(close);
    column->addLayout(buttons);
    connect(close, &QPushButton::clicked, this, [this] { CloseClicked(); });
}

QObject* SettingsWindow::Widget(std::string_view name) const {
    return findChild<QObject*>(
        QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

void SettingsWindow::Load() {
    loaded_.clear();
    for (const SettingControl& b : bindings_) {
        ShowSetting(Widget(b.name), session_.settings(), b.key);
        loaded_.push_back(ShownValue(Widget(b.name), b.key));
    }
    if (tabs_ != nullptr) tabs_->setCurrentIndex(0);
}

// Only the controls the user changed are copied back: a kept value that its control cannot show
// (a number beyond the control's range, a time that does not read as one) stays as it was.
void SettingsWindow::Store() {
    for (std::size_t i = 0; i < bindings_.size(); ++i) {
        const SettingControl& b = bindings_[i];
        const std::string now = ShownValue(Widget(b.name), b.key);
        if (now != loaded_[i]) session_.settings().SetText(b.key, now);
    }
}

void SettingsWindow::CloseClicked() {
    Store();
    try {
        session_.SaveSettings();
    } catch (const std::exception& e) {
        session_.host().ShowMessage(e.what());
    }
    accept();
}

// --- ParametersWindow -------------------------------------------------------------------------

constexpr const char* kLengthExpression = "Subtitle length: %1 lines * %2 letters -";
constexpr const char* kLengthCorrectionHint = "Letters taken off the subtitle length";

ParametersWindow::ParametersWindow(Session& session, QWidget* parent)
    : SettingsWindow(session, "Parameters", kParameterPages, ParameterGroups(), kParameterBindings,
                     parent) {
    setObjectName("TParametersForm");
    Load();
    auto* expression = Control<QLabel>("lmaxSubLengthExpression");
    const Settings& settings = session_.settings();
    // The line length and count are set on the main window; here they are named, so that the
    // allowed length of a subtitle can be read in one line.
    expression->setText(QString(kLengthExpression)
                            .arg(settings.Int("SubLineCount"))
                            .arg(settings.Int("SubLineLength")));
    Control<QSpinBox>("seMaxSubLengthCorrection")->setToolTip(kLengthCorrectionHint);
    ShowLengthResult();
    const QString language = QtHost::FromText(settings.Text("Language"));
    if (!language.isEmpty()) Control<QPushButton>("btnLanguage")->setText(language);

    connect(Control<QSpinBox>("seMaxSubLengthCorrection"), &QSpinBox::valueChanged, this,
            [this] { ShowLengthResult(); });
    connect(Control<QCheckBox>("cbLineLengthDisbalance"), &QCheckBox::toggled, this,
            [this] { ShowDependentStates(); });
    if (auto* modes = Control<QGroupBox>("rgSprainRangeMode")->findChild<QButtonGroup*>()) {
        connect(modes, &QButtonGroup::idToggled, this, [this] { ShowDependentStates(); });
    }
    ShowDependentStates();
    connect(Control<QPushButton>("btnDefaultBrackets"), &QPushButton::clicked, this, [this] {
        Control<QLineEdit>("edOpenBrackets")
            ->setText(QtHost::FromText(std::string(DefaultText("OpenBrackets"))));
        Control<QLineEdit>("edCloseBrackets")
            ->setText(QtHost::FromText(std::string(DefaultText("CloseBrackets"))));
    });
    connect(Control<QPushButton>("btnLanguage"), &QPushButton::clicked, this,
            [this] { ChooseLanguage(); });
}

// "= " and the allowed total of a subtitle: line count times line length less the correction.
void ParametersWindow::ShowLengthResult() {
    const Settings& settings = session_.settings();
    const int total = settings.Int("SubLineCount") * settings.Int("SubLineLength") -
                      Control<QSpinBox>("seMaxSubLengthCorrection")->value();
    Control<QLabel>("lmaxSubLengthResult")->setText("= " + QString::number(total));
}

// Exclude Dialog means something only while the disbalance is checked; the deflection only for
// the formula mode.
void ParametersWindow::ShowDependentStates() {
    Control<QCheckBox>("cbDisbalanceExcludeDialog")
        ->setEnabled(Control<QCheckBox>("cbLineLengthDisbalance")->isChecked());
    auto* modes = Control<QGroupBox>("rgSprainRangeMode")->findChild<QButtonGroup*>();
    const bool formula = modes != nullptr && modes->checkedId() == 3;
    for (const char* name : {"gbDeflection", "seDef1", "seDef2"})
        Control<QWidget>(name)->setEnabled(formula);
}

void ParametersWindow::ChooseLanguage() {
    const QString folder = PathToQString(session_.programFolder()) + "/languages";
    const QString path =
        languageDialogHook
            ? languageDialogHook(folder)
            : QFileDialog::getOpenFileName(this, "Open Language File", folder, "Language (*.lng)");
    if (path.isEmpty()) return;
    // A file from outside the languages folder is copied into it: the next start looks there.
    try {
        (void)KeepLanguageFile(session_.programFolder(), PathFromQString(path));
    } catch (const FileError& e) {
        session_.host().ShowMessage(e.what());
    }
    const QString name = QFileInfo(path).completeBaseName();
    session_.settings().SetText("Language", QtHost::ToText(name));
    Control<QPushButton>("btnLanguage")->setText(name);
    if (onLanguageChosen) onLanguageChosen(path);
}

// --- PartsAndTailsWindow ----------------------------------------------------------------------

PartsAndTailsWindow::PartsAndTailsWindow(Session& session, QWidget* parent)
    : SettingsWindow(session, "Parts & Tails", kPartsAndTailsPages, PartsAndTailsGroups(),
                     kPartsAndTailsBindings, parent) {
    setObjectName("TPartsAndTailsForm");
    Load();
}

}  // namespace tessaline::gui
