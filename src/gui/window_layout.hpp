#pragma once

// The main window's controls as data: every control with its established name (the widget's
// objectName), kind, caption, items, range and initial value, placed in a group on a page.
// MainWindow builds the widgets from this table; which of them work is decided there.

#include <vector>

namespace tessaline::gui {

enum class Kind {
    Button,
    Check,
    Combo,      // a drop-down list
    EditCombo,  // an editable combo box (the open-file box with its recent list)
    Edit,
    Spin,
    Time,    // a time picker, hh:mm:ss
    Static,  // a static text that shows a value
    Label,
    Radio,  // a radio group: items, the selected index as value
    Memo,
    Shape,  // a round indicator
    Paint,  // a drawing surface
};

struct ControlDef {
    const char* name;  // objectName; "" for an unnamed label
    Kind kind;
    const char* caption = "";
    int row = 0;
    int column = 0;
    int columnSpan = 1;
    int rowSpan = 1;
    const char* items = "";  // combo and radio items, separated by "|"
    int min = 0;
    int max = 0;
    int step = 1;
    const char* value = "";  // the initial text, check state ("1"), number or item index
};

/// Pages of the page control, in order.
enum Page {
    kAbovePages = -1,
    kSubtitlePage,
    kOperationsPage,
    kTimeFramePage,
    kUtilitiesPage,
    kDiagPage
};

struct PageDef {
    const char* name;     // objectName of the page
    const char* caption;  // the tab's caption
};

struct GroupDef {
    int page;
    const char* name;   // objectName; "" for a group of the layout only
    const char* title;  // the frame's caption
    int column;         // the page's column; groups stack top-down in table order
    std::vector<ControlDef> controls;
};

/// The hint a control shows when the pointer rests on it ("\n" between its lines).
struct HintDef {
    const char* name;  // objectName
    const char* hint;
};

[[nodiscard]] const std::vector<PageDef>& Pages();
[[nodiscard]] const std::vector<GroupDef>& Groups();
[[nodiscard]] const std::vector<HintDef>& Hints();

}  // namespace tessaline::gui
