#pragma once

// The "Subtitles Lists" window: the open file and the add file side by side as tables, over the
// Qt-free lists of the session's files (app/subtitle_lists.hpp).

#include <QDialog>
#include <array>
#include <memory>

#include "app/subtitle_lists.hpp"

class QLabel;
class QLineEdit;
class QTableView;

namespace tessaline {
class Session;
}

namespace tessaline::gui {

class ListsTableModel;

class SubtitleListsWindow : public QDialog {
    Q_OBJECT

  public:
    SubtitleListsWindow(Session& session, QWidget* parent = nullptr);
    ~SubtitleListsWindow() override;

    [[nodiscard]] SubtitleLists& lists() { return lists_; }

  protected:
    void done(int result) override;

  private:
    QWidget* SideGroup(ListSide side);
    /// The table that shows a side (the one table shows both).
    [[nodiscard]] QTableView* TableOf(ListSide side) const;
    /// The row selected in a side's table (0 when none).
    [[nodiscard]] std::size_t SelectedRow(ListSide side) const;
    /// Runs a command of a side on its selected row and shows the lists again.
    void Command(ListSide side, const std::function<void(std::size_t row)>& command);
    void ShowAll();
    void ShowDuration(ListSide side, int row);
    void SelectRow(int row);
    void RestoreGeometry();
    void StoreGeometry();

    Session& session_;
    SubtitleLists lists_;
    std::array<QLineEdit*, 2> paths_{};
    std::array<QWidget*, 2> groups_{};
    std::array<QTableView*, 2> tables_{};  // the same table twice in the one-table display
    std::array<std::unique_ptr<ListsTableModel>, 2> models_;
    QLabel* duration_ = nullptr;
    bool syncing_ = false;
};

}  // namespace tessaline::gui
