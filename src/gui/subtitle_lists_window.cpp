#include "gui/subtitle_lists_window.hpp"

#include <QAbstractTableModel>
#include <QFileDialog>
#include <QGroupBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include "app/session.hpp"
#include "gui/file_paths.hpp"
#include "gui/qt_host.hpp"
#include "gui/window_texts.hpp"

namespace tessaline::gui {
namespace {

struct Column {
    ListSide side;
    ListField field;
};

// The one table: the left side's cells, then the right side's mirrored, so that equal
// positions face each other.
constexpr Column kOneTable[] = {
    {ListSide::Left, ListField::N},      {ListSide::Left, ListField::Timing},
    {ListSide::Left, ListField::Text},   {ListSide::Right, ListField::Text},
    {ListSide::Right, ListField::Timing}, {ListSide::Right, ListField::N}};

const char* HeaderOf(ListField field) {
    switch (field) {
        case ListField::N:
            return "N";
        case ListField::Timing:
            return "Timing";
        case ListField::Text:
            break;
    }
    return "Subtitle";
}

const std::string& CellText(const ListRow& row, ListField field) {
    return field == ListField::N ? row.n : field == ListField::Timing ? row.timing : row.text;
}

const char* SideNumber(ListSide side) {
    return side == ListSide::Left ? "1" : "2";
}

}  // namespace

// The rows of one side (or, in the one table, of both) for a table view; an edited cell goes
// to the lists.
class ListsTableModel : public QAbstractTableModel {
  public:
    ListsTableModel(SubtitleLists& lists, QtHost& host, std::optional<ListSide> side,
                    QObject* parent)
        : QAbstractTableModel(parent), lists_(lists), host_(host), side_(side) {}

    [[nodiscard]] Column ColumnAt(int column) const {
        if (!side_) return kOneTable[column];
        return {*side_, static_cast<ListField>(column)};
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        if (parent.isValid()) return 0;
        return static_cast<int>(lists_.RowCount(side_.value_or(ListSide::Left)));
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : side_ ? 3 : 6;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
        const Column column = ColumnAt(index.column());
        return QtHost::FromText(
            CellText(lists_.Cells(column.side, static_cast<std::size_t>(index.row())),
                     column.field),
            lists_.Form(column.side));
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (role != Qt::EditRole) return false;
        const Column column = ColumnAt(index.column());
        // The cell takes the text in its side's form; a character that side's Windows-1251
        // file cannot hold is refused with a message, and the cell keeps its text.
        const auto text = host_.ToText(value.toString(), lists_.Form(column.side));
        if (!text) return false;
        lists_.SetCell(column.side, static_cast<std::size_t>(index.row()), column.field, *text);
        emit dataChanged(index, index);
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
            return QAbstractTableModel::headerData(section, orientation, role);
        }
        return WindowTexts::TranslateFor(this, QString(HeaderOf(ColumnAt(section).field)));
    }
    /// The lists changed: every row is shown anew.
    void Reset() {
        beginResetModel();
        endResetModel();
    }

  private:
    SubtitleLists& lists_;
    QtHost& host_;
    std::optional<ListSide> side_;
};

SubtitleListsWindow::SubtitleListsWindow(Session& session, QWidget* parent)
    : QDialog(parent), session_(session), lists_(session) {
    setObjectName("TSubtitlesListsForm");
    setWindowTitle("Subtitles Lists");
    auto* layout = new QVBoxLayout(this);
    auto* sides = new QHBoxLayout;
    for (ListSide side : {ListSide::Left, ListSide::Right})
        sides->addWidget(SideGroup(side));
    layout->addLayout(sides);

    auto* tables = new QHBoxLayout;
    const auto makeTable = [this, tables](const char* name, std::optional<ListSide> side) {
        auto* table = new QTableView(this);
        table->setObjectName(name);
        // The session's host is the window's.
        auto model = std::make_unique<ListsTableModel>(
            lists_, static_cast<QtHost&>(session_.host()), side, table);
        table->setModel(model.get());
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setSelectionMode(QAbstractItemView::SingleSelection);
        table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::AnyKeyPressed);
        table->verticalHeader()->setVisible(false);
        table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
        table->horizontalHeader()->setSectionsClickable(true);
        table->horizontalHeader()->setStretchLastSection(false);
        tables->addWidget(table);
        return std::pair{table, std::move(model)};
    };
    if (lists_.oneTable()) {
        auto [table, model] = makeTable("lvSubtitleList", std::nullopt);
        tables_ = {table, table};
        models_[0] = std::move(model);
    } else {
        for (ListSide side : {ListSide::Left, ListSide::Right}) {
            auto [table, model] = makeTable(
                side == ListSide::Left ? "lvSubtitleList1" : "lvSubtitleList2", side);
            tables_[static_cast<std::size_t>(side)] = table;
            models_[static_cast<std::size_t>(side)] = std::move(model);
        }
    }
    layout->addLayout(tables, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel("Duration:", this));
    duration_ = new QLabel(this);
    duration_->setObjectName("stDeltaTimeRange");
    duration_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    duration_->setMinimumWidth(duration_->fontMetrics().horizontalAdvance("00:00:00,000") + 8);
    bottom->addWidget(duration_);
    bottom->addStretch(1);
    auto* close = new QPushButton("Close", this);
    close->setObjectName("btnClose");
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, [this] {
        session_.LogOperation("[Close] Click", 0);
        accept();
    });
    bottom->addWidget(close);
    layout->addLayout(bottom);

    // A click on a row shows its duration; in two tables the other table selects the same row
    // and both scroll together.
    for (std::size_t i = 0; i < 2; ++i) {
        QTableView* table = tables_[i];
        connect(table->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this, table](const QModelIndex& current) {
                    if (!current.isValid()) return;
                    const ListSide clicked = lists_.oneTable() && current.column() >= 3
                                                 ? ListSide::Right
                                                 : TableOf(ListSide::Left) == table
                                                       ? ListSide::Left
                                                       : ListSide::Right;
                    ShowDuration(clicked, current.row());
                    SelectRow(current.row());
                });
        if (lists_.oneTable() && i == 1) continue;
        connect(table->horizontalHeader(), &QHeaderView::sectionClicked, this,
                [this, table](int section) {
                    const Column column =
                        static_cast<ListsTableModel*>(table->model())->ColumnAt(section);
                    lists_.Sort(column.side, column.field);
                    ShowAll();
                });
        if (!lists_.oneTable()) {
            QTableView* other = tables_[1 - i];
            connect(table->verticalScrollBar(), &QScrollBar::valueChanged, other->verticalScrollBar(),
                    &QScrollBar::setValue);
        }
    }
    RestoreGeometry();
    ShowAll();
    // The row of the subtitle the editor shows.
    const std::size_t position = session_.editor.Position();
    if (position > 0) SelectRow(static_cast<int>(position) - 1);
}

SubtitleListsWindow::~SubtitleListsWindow() = default;

QWidget* SubtitleListsWindow::SideGroup(ListSide side) {
    const std::size_t i = static_cast<std::size_t>(side);
    const QString number = SideNumber(side);
    auto* group = new QGroupBox(this);
    group->setObjectName("gbSubtitleList" + number);
    groups_[i] = group;
    auto* layout = new QVBoxLayout(group);
    auto* pathRow = new QHBoxLayout;
    auto* path = new QLineEdit(group);
    path->setObjectName("edOpenFile" + number);
    paths_[i] = path;
    auto* browse = new QPushButton("...", group);
    browse->setObjectName("sbOpenFile" + number);
    browse->setAutoDefault(false);
    pathRow->addWidget(path, 1);
    pathRow->addWidget(browse);
    layout->addLayout(pathRow);
    const auto load = [this, side, path](const QString& text) {
        if (!lists_.Load(side, PathFromQString(text))) path->clear();
        ShowAll();
    };
    connect(path, &QLineEdit::returnPressed, this, [load, path] { load(path->text()); });
    connect(browse, &QPushButton::clicked, this, [this, load] {
        const QString chosen = QFileDialog::getOpenFileName(
            this, "Open", PathToQString(session_.settings().Text("LastDir")),
            "Subtitles (*.srt *.sub);;All files (*)");
        if (!chosen.isEmpty()) load(chosen);
    });

    // Two rows of buttons: side by side, both lists fit a screen of 1024 pixels in any language.
    constexpr int kButtonsPerRow = 4;
    auto* buttons = new QGridLayout;
    const auto add = [&](const char* name, const char* caption,
                         std::function<void(std::size_t)> command) {
        auto* button = new QPushButton(caption, group);
        button->setObjectName(QString(name) + number);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this,
                [this, side, command = std::move(command)] { Command(side, command); });
        const int index = buttons->count();
        buttons->addWidget(button, index / kButtonsPerRow, index % kButtonsPerRow);
    };
    add("btnSave", "Save", [this, side](std::size_t) { lists_.Save(side); });
    add("btnDelLine", "Del Line", [this, side](std::size_t row) { lists_.DeleteRow(side, row); });
    add("btnReCount", "ReCount", [this, side](std::size_t) { lists_.ReCount(side); });
    add("btnBreak", "Break", [this, side](std::size_t row) { lists_.Break(side, row); });
    add("btnJoin", "Join", [this, side](std::size_t row) { lists_.Join(side, row); });
    add("btnIns", side == ListSide::Left ? "<< Ins" : "Ins >>",
        [this, side](std::size_t row) { lists_.Insert(side, row); });
    add("btnTime", "<Time>", [this, side](std::size_t row) { lists_.MarkTime(side, row); });
    layout->addLayout(buttons);
    return group;
}

QTableView* SubtitleListsWindow::TableOf(ListSide side) const {
    return tables_[static_cast<std::size_t>(side)];
}

std::size_t SubtitleListsWindow::SelectedRow(ListSide side) const {
    const QModelIndex current = TableOf(side)->currentIndex();
    return current.isValid() ? static_cast<std::size_t>(current.row()) : 0;
}

void SubtitleListsWindow::Command(ListSide side,
                                  const std::function<void(std::size_t row)>& command) {
    const int row = static_cast<int>(SelectedRow(side));
    command(static_cast<std::size_t>(row));
    ShowAll();
    SelectRow(std::min(row, TableOf(side)->model()->rowCount() - 1));
}

void SubtitleListsWindow::ShowAll() {
    for (ListSide side : {ListSide::Left, ListSide::Right}) {
        const std::size_t i = static_cast<std::size_t>(side);
        static_cast<QGroupBox*>(groups_[i])->setTitle(QtHost::FromText(lists_.Caption(side)));
        if (paths_[i]->text() != PathToQString(lists_.Path(side)) &&
            !lists_.Path(side).empty()) {
            paths_[i]->setText(PathToQString(lists_.Path(side)));
        }
        if (models_[i]) models_[i]->Reset();
    }
}

void SubtitleListsWindow::ShowDuration(ListSide side, int row) {
    duration_->setText(QtHost::FromText(lists_.Duration(side, static_cast<std::size_t>(row))));
}

void SubtitleListsWindow::SelectRow(int row) {
    if (syncing_ || row < 0) return;
    syncing_ = true;
    for (QTableView* table : tables_) {
        if (row >= table->model()->rowCount()) continue;
        const int column = std::max(table->currentIndex().column(), 0);
        if (table->currentIndex().row() != row) {
            table->setCurrentIndex(table->model()->index(row, column));
        }
        table->scrollTo(table->model()->index(row, column));
    }
    syncing_ = false;
}

void SubtitleListsWindow::RestoreGeometry() {
    const Settings& settings = session_.settings();
    resize(settings.Int("Width"), settings.Int("Height"));
    const int tableHeight = settings.Int("HeightLW");
    for (QTableView* table : tables_)
        table->setMinimumHeight(std::min(tableHeight, 200));
    for (int column = 0; column < 6; ++column) {
        const int width = settings.Int("col" + std::to_string(column + 1));
        if (lists_.oneTable()) {
            tables_[0]->setColumnWidth(column, width);
        } else if (column < 3) {
            tables_[0]->setColumnWidth(column, width);
        } else {
            tables_[1]->setColumnWidth(5 - column, width);
        }
    }
    // A timing is never cut, whatever width was stored; the subtitles' columns share the rest
    // of the window's width.
    const int timingWidth =
        tables_[0]->fontMetrics().horizontalAdvance("00:00:00,000 --> 00:00:00,000") + 16;
    for (QTableView* table : tables_) {
        const auto* model = static_cast<const ListsTableModel*>(table->model());
        for (int column = 0; column < model->columnCount(); ++column) {
            const ListField field = model->ColumnAt(column).field;
            if (field == ListField::Timing) {
                table->setColumnWidth(column, std::max(table->columnWidth(column), timingWidth));
            } else if (field == ListField::Text) {
                table->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Stretch);
            }
        }
    }
}

void SubtitleListsWindow::StoreGeometry() {
    Settings& settings = session_.settings();
    settings.SetInt("Width", width());
    settings.SetInt("Height", height());
    settings.SetInt("HeightLW", tables_[0]->height());
    for (int column = 0; column < 6; ++column) {
        const int width = lists_.oneTable() || column < 3
                              ? tables_[0]->columnWidth(column)
                              : tables_[1]->columnWidth(5 - column);
        settings.SetInt("col" + std::to_string(column + 1), width);
    }
}

void SubtitleListsWindow::done(int result) {
    StoreGeometry();
    QDialog::done(result);
}

}  // namespace tessaline::gui
