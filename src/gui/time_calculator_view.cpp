#include "gui/time_calculator_view.hpp"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "app/session.hpp"
#include "app/time_calculator.hpp"
#include "core/times.hpp"
#include "gui/qt_host.hpp"
#include "ops/settings_table.hpp"

namespace tessaline::gui {
namespace {

// A row of the calculator: its range box, its duration box and its "Calc Delta" button. The
// "Subtitle" page's timing and duration boxes take the same keys.
struct Row {
    const char* range;
    const char* duration;
    const char* calc;
};
constexpr Row kRows[] = {{"edTimeRange1", "edDeltaTime1", "btnDeltaTime1Calc"},
                         {"edTimeRange2", "edDeltaTime2", "btnDeltaTime2Calc"},
                         {"edTimeRange", "edDeltaTimeRange", nullptr}};

CalculatorRules RulesOf(const Session& session) {
    const Settings& s = session.settings();
    return {.oneTickApart = s.Bool("OneTickDifferenceNearTimeFrame"),
            .timeCorrection = s.Bool("TimeCorrection"),
            .open = FirstChar(s.Text("OpenBrackets"), '{'),
            .close = FirstChar(s.Text("CloseBrackets"), '}')};
}

class Calculator : public QObject {
  public:
    Calculator(QWidget* window, Session& session)
        : QObject(window), window_(window), session_(session) {
        connect(Edit("edTimeRangeSource"), &QLineEdit::returnPressed, this, [this] { Break(); });
        connect(window_->findChild<QPushButton*>("btnBreak"), &QPushButton::clicked, this,
                [this] { Break(); });
        for (const Row& row : kRows) {
            const auto calc = [this, row] { ShowDuration(row); };
            if (row.calc != nullptr) {
                connect(window_->findChild<QPushButton*>(row.calc), &QPushButton::clicked, this,
                        calc);
            }
            connect(Edit(row.range), &QLineEdit::returnPressed, this, calc);
            Edit(row.range)->installEventFilter(this);
            Edit(row.duration)->installEventFilter(this);
        }
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        for (const Row& row : kRows) {
            QLineEdit* range = Edit(row.range);
            QLineEdit* duration = Edit(row.duration);
            if (watched == range && key == Qt::Key_T) {
                // The frame line becomes a timing line at the source rate; its text stays in the
                // duration box.
                const std::string text = QtHost::ToText(range->text());
                duration->setText(range->text());
                const auto timing =
                    FrameLineToTimingLine(text, session_.settings().Text("FramesAtSec"),
                                          RulesOf(session_).open, RulesOf(session_).close);
                if (timing) range->setText(QtHost::FromText(*timing));
                return true;
            }
            if (watched != duration || (key != Qt::Key_Plus && key != Qt::Key_Minus)) continue;
            // Without both a line and a duration there is nothing to add or take away; the key
            // is not typed either way. (Other keys type, so that a duration can be typed into
            // an empty box.)
            if (!range->text().isEmpty() && !duration->text().isEmpty()) {
                const std::string line = QtHost::ToText(range->text());
                const std::string by = QtHost::ToText(duration->text());
                const std::string moved = key == Qt::Key_Plus ? SetOffTimeByDuration(line, by)
                                                              : SetOnTimeByDuration(line, by);
                if (!moved.empty()) range->setText(QtHost::FromText(moved));
            }
            return true;
        }
        return false;
    }

  private:
    QLineEdit* Edit(const char* name) const { return window_->findChild<QLineEdit*>(name); }

    void ShowDuration(const Row& row) {
        Edit(row.duration)
            ->setText(QtHost::FromText(
                RangeDuration(QtHost::ToText(Edit(row.range)->text()), RulesOf(session_))));
    }

    void Break() {
        auto* parts =
            window_->findChild<QGroupBox*>("rgBreakTimeOnTail")->findChild<QButtonGroup*>();
        const int count = parts != nullptr && parts->checkedId() == 1 ? 3 : 2;
        const auto broken =
            BreakRange(QtHost::ToText(Edit("edTimeRangeSource")->text()), count, RulesOf(session_));
        if (!broken) return;
        Edit("edDeltaTimeSource")->setText(QtHost::FromText(broken->sourceDuration));
        const char* ranges[] = {"edTimeRange1", "edTimeRange2", "edTimeRange3"};
        const char* durations[] = {"edDeltaTime1", "edDeltaTime2", "edDeltaTime3"};
        for (std::size_t i = 0; i < 3; ++i) {
            Edit(ranges[i])->setText(QtHost::FromText(broken->ranges[i]));
            Edit(durations[i])->setText(QtHost::FromText(broken->durations[i]));
        }
    }

    QWidget* window_;
    Session& session_;
};

}  // namespace

const QStringList& TimeCalculatorControls() {
    static const QStringList names = {"edTimeRangeSource", "edDeltaTimeSource", "rgBreakTimeOnTail",
                                      "btnBreak",          "edTimeRange1",      "edDeltaTime1",
                                      "btnDeltaTime1Calc", "edTimeRange2",      "edDeltaTime2",
                                      "btnDeltaTime2Calc", "edTimeRange3",      "edDeltaTime3"};
    return names;
}

void WireTimeCalculator(QWidget* window, Session& session) {
    new Calculator(window, session);
}

}  // namespace tessaline::gui
