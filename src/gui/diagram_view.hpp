#pragma once

// The drawing surface of the "Diag" page (PaintBox): two axes from an origin 5 pixels from the
// left and bottom edges, and a 3 x 3 dot for every on- and off-time of the diagram; or, in the
// "Timings" mode, the file's subtitles along a time axis: durations above it, gaps below it,
// overlaps and wrong periods in red across the whole height; or, in the "Speech" mode, the speech
// of the last synced film under the subtitles, before the sync and after it.

#include <QFrame>
#include <QStringList>

#include "app/diagram.hpp"
#include "app/film_sync.hpp"

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
    void Show(SyncPicture sync);
    [[nodiscard]] const Diagram& diagram() const { return diagram_; }
    [[nodiscard]] const TimingsPicture& timings() const { return timings_; }
    [[nodiscard]] const SyncPicture& sync() const { return sync_; }
    [[nodiscard]] bool showsSpeech() const { return showsSpeech_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void PaintTimings(QPainter& painter);
    void PaintSpeech(QPainter& painter);

    Diagram diagram_;
    TimingsPicture timings_;
    bool showsTimings_ = false;
    SyncPicture sync_;
    bool showsSpeech_ = false;
};

/// The Diag page's controls (they work once WireDiagram has run).
[[nodiscard]] const QStringList& DiagramControls();

/// Connects "Draw" under `window`. Returns the function that draws the open file's diagram
/// (the window calls it when the open file changes).
std::function<void()> WireDiagram(QWidget* window, Session& session);

}  // namespace tessaline::gui
