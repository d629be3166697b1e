#include "gui/diagram_view.hpp"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <functional>

#include "app/session.hpp"
#include "core/times.hpp"
#include "files/fs.hpp"
#include "files/line_io.hpp"
#include "gui/qt_host.hpp"
#include "gui/window_texts.hpp"

namespace tessaline::gui {
namespace {

constexpr int kOrigin = 5;       // pixels from the left and bottom edges
constexpr int kTimingsMode = 2;  // the third item of " mode "
constexpr int kSpeechMode = 3;   // the fourth

// A scale box's text: "0,01" and the like; a point is read too.
double ScaleOf(const QString& text) {
    bool ok = false;
    const double value = QString(text).replace(',', '.').toDouble(&ok);
    return ok ? value : 0;
}

// 10^-n as "0," + (n - 1) zeros + "1".
QString ScaleText(double scale) {
    const int n = static_cast<int>(std::lround(-std::log10(scale)));
    return "0," + QString(std::max(n - 1, 0), '0') + "1";
}

// The lines of the open file read in its own encoding (a UTF-16 file too). Throws FileError.
std::vector<std::string> LinesOf(const std::string& path) {
    const FileEncoding encoding = DecideFileEncoding(path);
    const FileEncodingScope scope(encoding);
    LineReader reader(path, encoding);
    std::vector<std::string> lines;
    for (std::string line; reader.ReadLine(line);)
        lines.push_back(std::move(line));
    return lines;
}

}  // namespace

DiagramView::DiagramView(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Box);
    setMinimumHeight(380);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
}

void DiagramView::Show(Diagram diagram) {
    diagram_ = std::move(diagram);
    timings_ = {};
    showsTimings_ = false;
    showsSpeech_ = false;
    update();
}

void DiagramView::Show(TimingsPicture timings) {
    timings_ = std::move(timings);
    diagram_ = {};
    showsTimings_ = true;
    showsSpeech_ = false;
    update();
}

void DiagramView::Show(SyncPicture sync) {
    sync_ = std::move(sync);
    diagram_ = {};
    timings_ = {};
    showsTimings_ = false;
    showsSpeech_ = true;
    update();
}

void DiagramView::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    if (showsSpeech_) {
        PaintSpeech(painter);
        return;
    }
    if (showsTimings_) {
        PaintTimings(painter);
        return;
    }
    const QPoint origin(kOrigin, height() - kOrigin);
    painter.setPen(Qt::black);
    painter.drawLine(origin, QPoint(width() - kOrigin, origin.y()));
    painter.drawLine(origin, QPoint(origin.x(), kOrigin));
    painter.drawText(origin + QPoint(4, -4), "0,0");
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::blue);
    // Dots that fall outside the surface are not drawn: 10,000 subtitles stay fast.
    for (const DiagramDot& dot : diagram_.dots) {
        const std::int64_t x = origin.x() + dot.x;
        const std::int64_t y = origin.y() - dot.y;
        if (x > width() || y < 0) continue;
        painter.drawRect(static_cast<int>(x) - 1, static_cast<int>(y) - 1, 3, 3);
    }
}

void DiagramView::PaintTimings(QPainter& painter) {
    const int textHeight = fontMetrics().height();
    const int left = kOrigin;
    const int right = width() - kOrigin;
    const int top = kOrigin + textHeight + 2;
    const int bottom = height() - kOrigin - textHeight - 2;
    const int axis = (top + bottom) / 2;
    painter.setPen(Qt::black);
    painter.drawText(left, kOrigin + fontMetrics().ascent(),
                     QString::fromStdString(TimingsSummary(timings_)));
    painter.drawLine(left, axis, right, axis);
    painter.setPen(Qt::darkGray);
    painter.drawText(left + 4, top + fontMetrics().ascent(), "durations (to 10 s)");
    painter.drawText(left + 4, bottom - fontMetrics().descent(), "gaps to the next (to 10 s)");
    if (timings_.subtitles.empty()) return;

    // Each subtitle is a bar from its on- to its off-time, as tall as it lasts; below the axis
    // a bar fills its gap to the next. Grouped by colour, 10,000 subtitles are a few calls.
    constexpr double kTallest = 10'000;  // milliseconds drawn at full height
    const double xScale = static_cast<double>(right - left) /
                          static_cast<double>(std::max<std::int64_t>(timings_.end, 1));
    const auto x = [&](std::int64_t ms) {
        return left + static_cast<int>(std::lround(static_cast<double>(ms) * xScale));
    };
    const auto scaled = [](std::int64_t ms, int room) {
        const auto clamped = std::clamp<std::int64_t>(ms, 0, static_cast<std::int64_t>(kTallest));
        return std::max(
            1, static_cast<int>(std::lround(static_cast<double>(clamped) / kTallest * room)));
    };
    QList<QRect> durations;
    QList<QRect> gaps;
    QList<QLine> faults;
    for (const SubtitleSpan& span : timings_.subtitles) {
        if (span.wrongPeriod) {
            faults.append(QLine(x(span.on), top, x(span.on), bottom));
            continue;
        }
        const int height = scaled(span.off - span.on, axis - top);
        durations.append(
            QRect(x(span.on), axis - height, std::max(1, x(span.off) - x(span.on)), height));
        if (span.overlaps) {
            faults.append(QLine(x(span.off + span.gap), top, x(span.off + span.gap), bottom));
        } else if (span.gap > 0) {
            gaps.append(QRect(x(span.off), axis + 1,
                              std::max(1, x(span.off + span.gap) - x(span.off)),
                              scaled(span.gap, bottom - axis)));
        }
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 160));
    painter.drawRects(durations);
    painter.setBrush(Qt::lightGray);
    painter.drawRects(gaps);
    painter.setPen(QPen(Qt::red, 2));
    painter.drawLines(faults);
    painter.setPen(Qt::black);
    painter.drawText(left, height() - kOrigin - fontMetrics().descent(), "0");
    const QString end = QString::fromStdString(MsToTimeText(
        static_cast<TimeMs>(std::min<std::int64_t>(timings_.end, 24LL * 3600 * 1000 - 1))));
    painter.drawText(right - fontMetrics().horizontalAdvance(end),
                     height() - kOrigin - fontMetrics().descent(), end);
}

void DiagramView::PaintSpeech(QPainter& painter) {
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height();
    const int left = kOrigin;
    const int right = width() - kOrigin;
    const SpeechPicture picture = SpeechPictureOf(sync_, std::max(right - left, 0));
    const auto translated = [this](const std::string& english) {
        return WindowTexts::TranslateFor(this, QtHost::FromText(english));
    };
    painter.setPen(Qt::black);
    painter.drawText(left, kOrigin + metrics.ascent(), translated(SpeechSummary(sync_, picture)));
    if (picture.columns.empty()) return;

    // Two panels, before and after: in each the subtitles hang down from the top as blue bars
    // and the speech stands up from the bottom in green, so that a subtitle over its speech
    // shows as a bar above a bar.
    const int top = kOrigin + line + 4;
    const int bottom = height() - kOrigin - line - 2;
    const int panel = (bottom - top) / 2;
    const auto paintPanel = [&](int y, bool after, const QString& caption) {
        const int half = (panel - line - 6) / 2;
        const int subtitlesTop = y + line + 2;
        const int speechBottom = subtitlesTop + 2 * half + 2;
        QList<QRect> subtitles;
        QList<QRect> speech;
        for (std::size_t c = 0; c < picture.columns.size(); ++c) {
            const SpeechColumn& column = picture.columns[c];
            const int x = left + static_cast<int>(c);
            const float under = after ? column.after : column.before;
            if (under > 0) {
                subtitles.append(
                    QRect(x, subtitlesTop, 1, std::max(1, static_cast<int>(under * half))));
            }
            if (column.speech > 0) {
                const int tall = std::max(1, static_cast<int>(column.speech * half));
                speech.append(QRect(x, speechBottom - tall, 1, tall));
            }
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 160));
        painter.drawRects(subtitles);
        painter.setBrush(QColor(0, 150, 0));
        painter.drawRects(speech);
        painter.setPen(Qt::black);
        painter.drawText(left, y + metrics.ascent(), caption);
        painter.setPen(Qt::darkGray);
        painter.drawLine(left, speechBottom + 1, right, speechBottom + 1);
        const QString speechCaption = translated("speech");
        painter.drawText(right - metrics.horizontalAdvance(speechCaption),
                         speechBottom - metrics.descent(), speechCaption);
    };
    paintPanel(top, false, translated("subtitles before the sync"));
    paintPanel(top + panel, true, translated("subtitles after the sync"));
    painter.setPen(Qt::black);
    painter.drawText(left, height() - kOrigin - metrics.descent(), "0");
    const QString end = QString::fromStdString(MsToTimeText(
        static_cast<TimeMs>(std::min<std::int64_t>(picture.endMs, 24LL * 3600 * 1000 - 1))));
    painter.drawText(right - metrics.horizontalAdvance(end), height() - kOrigin - metrics.descent(),
                     end);
}

const QStringList& DiagramControls() {
    static const QStringList names = {"btnDraw", "rgMode", "edMasstab_x", "edMasstab_y",
                                      "cbAutoMasstab"};
    return names;
}

std::function<void()> WireDiagram(QWidget* window, Session& session) {
    const auto draw = [window, &session] {
        auto* view = window->findChild<DiagramView*>("PaintBox");
        if (view == nullptr) return;
        auto* modes = window->findChild<QGroupBox*>("rgMode")->findChild<QButtonGroup*>();
        const int mode = modes != nullptr ? std::max(modes->checkedId(), 0) : 0;
        const Settings& s = session.settings();
        const bool subRip = session.currentExt == "srt";
        const bool fileOpen = !session.directoryMode && IsRegularFile(session.openFile);
        // The last sync's picture needs no file: it is the session's.
        if (mode == kSpeechMode) {
            view->Show(session.lastSync);
            return;
        }
        if (mode == kTimingsMode) {
            if (!fileOpen || (!subRip && session.currentExt != "sub")) {
                view->Show(TimingsPicture{});
                return;
            }
            // A MicroDVD file is placed in time at the source rate.
            std::optional<long double> fps;
            if (!subRip) fps = ParseFramesPerSecond(s.Text("FramesAtSec")).value_or(0);
            try {
                view->Show(TimingsOf(LinesOf(session.openFile), s.Bool("TimeCorrection"),
                                     fps, FirstChar(s.Text("OpenBrackets"), '{'),
                                     FirstChar(s.Text("CloseBrackets"), '}')));
            } catch (const std::exception& e) {
                session.host().ShowMessage(e.what());
                view->Show(TimingsPicture{});
            }
            return;
        }
        // Only a SubRip file has times to move.
        if (!fileOpen || !subRip) {
            view->Show(Diagram{});
            return;
        }
        auto* x = window->findChild<QLineEdit*>("edMasstab_x");
        auto* y = window->findChild<QLineEdit*>("edMasstab_y");
        const DiagramParams params{
            .mode = mode == 1 ? 1 : 0,
            .sourceRate = s.Text("FramesAtSec"),
            .targetRate = s.Text("FramesAtSecTarget"),
            .rememberedFull = session.controls.Number("RememberedFullTime"),
            .newFull = session.controls.Time("dtpNewFullTime", "seNewFullTimeMls"),
            .rangeMode = s.Int("SprainRangeMode"),
            .def1 = s.Int("iDef1"),
            .def2 = s.Int("iDef2"),
            .keepFirst = session.controls.Bool("cbFirstSubtitle"),
            .autoScale = window->findChild<QCheckBox*>("cbAutoMasstab")->isChecked(),
            .xScale = ScaleOf(x->text()),
            .yScale = ScaleOf(y->text()),
            .timeCorrection = s.Bool("TimeCorrection")};
        Diagram diagram;
        try {
            diagram = DiagramOf(LinesOf(session.openFile), params);
        } catch (const std::exception& e) {
            session.host().ShowMessage(e.what());
        }
        if (params.autoScale && !diagram.dots.empty()) {
            x->setText(ScaleText(diagram.xScale));
            y->setText(ScaleText(diagram.yScale));
        }
        view->Show(std::move(diagram));
    };
    QObject::connect(window->findChild<QPushButton*>("btnDraw"), &QPushButton::clicked, window,
                     draw);
    // The scales belong to the displacement modes; the timings fit the surface by themselves.
    if (auto* modes = window->findChild<QGroupBox*>("rgMode")->findChild<QButtonGroup*>()) {
        QObject::connect(modes, &QButtonGroup::idToggled, window, [window](int id, bool on) {
            if (!on) return;
            for (const char* name : {"edMasstab_x", "edMasstab_y", "cbAutoMasstab"})
                window->findChild<QWidget*>(name)->setEnabled(id < kTimingsMode);
        });
        // The picture follows the mode at once: the one drawn before belongs to another mode.
        QObject::connect(modes, &QButtonGroup::idClicked, window, draw);
    }
    return draw;
}

}  // namespace tessaline::gui
