// The main window's wiring of the text tools beyond their catalogued commands: the character
// mode of "Find and Replace", the caption of the brackets option, and the "Replace List" window.

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>

#include "files/directory.hpp"
#include "gui/main_window.hpp"
#include "gui/replace_list_dialog.hpp"
#include "gui/window_texts.hpp"

namespace tessaline::gui {

void MainWindow::WireTextTools() {
    // Ticking "#" turns the find text into a character code: 133 is "…" in Windows-1251.
    connect(Control<QCheckBox>("cbFindChar"), &QCheckBox::clicked, this, [this](bool on) {
        if (on) Control<QLineEdit>("edFindText")->setText("133");
    });

    // The option's caption shows its state.
    auto* upBrackets = Control<QAction>("mnUpCaseTextInBrackets");
    connect(upBrackets, &QAction::toggled, this, [upBrackets](bool on) {
        upBrackets->setText(WindowTexts::TranslateFor(
            upBrackets, on ? "Up &Case (TEXT IN BRACKETS)" : "Up &Case (Text In Brackets)"));
    });

    connect(Control<QAction>("mnReplaceList"), &QAction::triggered, this, [this] {
        ReplaceListDialog dialog(JoinInFolder(session_->programFolder(), kReplaceListFile), this);
        dialog.exec();
    });
}

}  // namespace tessaline::gui
