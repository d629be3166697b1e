#pragma once

// The "Replace List" window: the pairs of Replace.dat in a two-column list, edited with the keys
// and the pop-up menu of the list, written back (Windows-1251) when "Close" is clicked.

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "ops/replace_table.hpp"

class QLineEdit;
class QMenu;
class QTreeWidget;

namespace tessaline::gui {

class ReplaceListDialog : public QDialog {
    Q_OBJECT

  public:
    /// Shows the pairs of the replace list at `path` (none when the file is absent).
    explicit ReplaceListDialog(std::string path, QWidget* parent = nullptr);

    [[nodiscard]] const ReplaceTable& table() const { return table_; }

    /// Tests record the window's messages with this instead of showing boxes.
    std::function<void(const QString&)> messageHook;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // What the in-place editor is editing.
    enum class Editing { FindText, Replacement, NewRow };

    void Fill(int current);
    [[nodiscard]] int CurrentRow() const;

    void Insert();
    void EditInPlace(Editing what);
    void Commit();
    void HideEditor();
    void Delete();
    void MoveCurrent(int direction);
    void CloseClicked();
    void Tell(const QString& text);
    /// Typed text in the list's form; nothing, after saying why, for a character its
    /// Windows-1251 cannot hold.
    std::optional<std::string> Typed(const QString& text);

    std::string path_;
    ReplaceTable table_;
    QTreeWidget* list_ = nullptr;
    QLineEdit* editor_ = nullptr;
    QMenu* menu_ = nullptr;
    Editing editing_ = Editing::Replacement;
    int editingRow_ = -1;
};

}  // namespace tessaline::gui
