#pragma once

// The drawing surface of the "Diag" page (PaintBox): two axes from an origin 5 pixels from the
// left and bottom edges, and a 3 x 3 dot for every on- and off-time of the diagram.

#include <QFrame>
#include <QStringList>

#include "app/diagram.hpp"

namespace tessaline {
class Session;
}

namespace tessaline::gui {

class DiagramView : public QFrame {
    Q_OBJECT

  public:
    explicit DiagramView(QWidget* parent = nullptr);

    void Show(Diagram diagram);
    [[nodiscard]] const Diagram& diagram() const { return diagram_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Diagram diagram_;
};

/// The Diag page's controls (they work once WireDiagram has run).
[[nodiscard]] const QStringList& DiagramControls();

/// Connects "Draw" under `window`. Returns the function that draws the open file's diagram
/// (the window calls it when the open file changes).
std::function<void()> WireDiagram(QWidget* window, Session& session);

}  // namespace tessaline::gui
