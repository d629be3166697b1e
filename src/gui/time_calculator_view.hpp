#pragma once

// The " Calculator " group of the "Time Utilities" page: "Break", "Calc Delta", Enter in its
// range boxes, plus and minus in its duration boxes, T in its range boxes.

#include <QStringList>

class QWidget;

namespace tessaline {
class Session;
}

namespace tessaline::gui {

/// The calculator's controls (they work once WireTimeCalculator has run).
[[nodiscard]] const QStringList& TimeCalculatorControls();

/// Connects the calculator's controls found under `window`; the settings and the source frame
/// rate are read from `session` at each action.
void WireTimeCalculator(QWidget* window, Session& session);

}  // namespace tessaline::gui
