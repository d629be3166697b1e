#include "gui/diagram_view.hpp"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <cmath>
#include <functional>

#include "app/session.hpp"
#include "files/fs.hpp"
#include "files/line_io.hpp"
#include "gui/qt_host.hpp"

namespace tessaline::gui {
namespace {

constexpr int kOrigin = 5;  // pixels from the left and bottom edges

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
    update();
}

void DiagramView::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
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

const QStringList& DiagramControls() {
    static const QStringList names = {"btnDraw", "rgMode", "edMasstab_x", "edMasstab_y",
                                      "cbAutoMasstab"};
    return names;
}

std::function<void()> WireDiagram(QWidget* window, Session& session) {
    const auto draw = [window, &session] {
        auto* view = window->findChild<DiagramView*>("PaintBox");
        if (view == nullptr) return;
        // Only a SubRip file has times to draw.
        if (session.directoryMode || session.currentExt != "srt" ||
            !IsRegularFile(session.openFile)) {
            view->Show({});
            return;
        }
        auto* modes = window->findChild<QGroupBox*>("rgMode")->findChild<QButtonGroup*>();
        auto* x = window->findChild<QLineEdit*>("edMasstab_x");
        auto* y = window->findChild<QLineEdit*>("edMasstab_y");
        const Settings& s = session.settings();
        const DiagramParams params{
            .mode = modes != nullptr && modes->checkedId() == 1 ? 1 : 0,
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
            diagram = DiagramOf(ReadLinesIfExists(session.openFile), params);
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
    return draw;
}

}  // namespace tessaline::gui
