#pragma once

// The drawing surface of the "Diag" page (PaintBox): two axes from an origin 5 pixels from the
// left and bottom edges, and a 3 x 3 dot for every on- and off-time of the diagram; or, in the
// "Timings" mode, the file's subtitles along a time axis: durations above it, gaps below it,
// overlaps and wrong periods in red across the whole height.

#include <QFrame>
#include <QStringList>

#include "app/diagram.hpp"

class QPainter;

namespace tessaline {
class Session;
}

namespace tessaline::gui {

class DiagramView : public QFrame {
    Q_OBJECT

  public:
    explicit DiagramView(QWidget* parent = nullptr);

    void Show(Diagram diagram);
    void Show(TimingsPicture timings);
    [[nodiscard]] const Diagram& diagram() const { return diagram_; }
    [[nodiscard]] const TimingsPicture& timings() const { return timings_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void PaintTimings(QPainter& painter);

    Diagram diagram_;
    TimingsPicture timings_;
    bool showsTimings_ = false;
};

/// The Diag page's controls (they work once WireDiagram has run).
[[nodiscard]] const QStringList& DiagramControls();

/// Connects "Draw" under `window`. Returns the function that draws the open file's diagram
/// (the window calls it when the open file changes).
std::function<void()> WireDiagram(QWidget* window, Session& session);

}  // namespace tessaline::gui
