#include "gui/replace_list_dialog.hpp"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/errors.hpp"
#include "gui/qt_host.hpp"

namespace tessaline::gui {
namespace {

constexpr int kFindColumn = 0;
constexpr int kReplacementColumn = 1;

const QString kCannotHoldEquals =
    "A text to find cannot hold \"=\": Replace.dat keeps the two texts apart with it.";

// An answer of the Insert command is taken when it is not empty and does not begin with a space.
bool IsInsertable(const QString& text) {
    return !text.isEmpty() && !text.startsWith(' ');
}

}  // namespace

ReplaceListDialog::ReplaceListDialog(std::string path, QWidget* parent)
    : QDialog(parent), path_(std::move(path)), table_(ReplaceTable::Load(path_)) {
    setObjectName("TSynonymsForm");
    setWindowTitle("Replace List");
    resize(520, 420);

    list_ = new QTreeWidget(this);
    list_->setObjectName("lvReplaceList");
    list_->setColumnCount(2);
    list_->setHeaderLabels({"Find Name", "Replace to"});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->header()->resizeSection(kFindColumn, 240);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->installEventFilter(this);

    // The keys are handled where they are released in the list; the menu shows them.
    menu_ = new QMenu(this);
    const auto add = [this](const char* name, const QString& text, auto handler) {
        QAction* action = menu_->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    add("pmnInsert", "Insert\tIns", [this] { Insert(); });
    add("pmnEditName", "Edit Name\tF6", [this] { EditInPlace(Editing::FindText); });
    add("pmnEdit", "Edit\tF4", [this] { EditInPlace(Editing::Replacement); });
    QAction* addCopy = add("pmnAddCopy", "Add/Copy\tF5", [this] { EditInPlace(Editing::NewRow); });
    addCopy->setVisible(false);  // F5 still works
    addCopy->setEnabled(false);
    add("pmnDelete", "Delete\tF8", [this] { Delete(); });
    menu_->addSeparator();
    add("pmnMoveUp", "Move Up\tCtrl+Up", [this] { MoveCurrent(-1); });
    add("pmnMoveDown", "Move Down\tCtrl+Down", [this] { MoveCurrent(+1); });
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { menu_->popup(list_->viewport()->mapToGlobal(at)); });

    editor_ = new QLineEdit(list_->viewport());
    editor_->setObjectName("edInPlace");
    editor_->hide();
    editor_->installEventFilter(this);

    auto* close = new QPushButton("Close", this);
    close->setObjectName("btnClose");
    // Enter belongs to the list and the in-place editor, never to this button; a click leaves
    // the focus where it is, so that an open edit stays open and keeps the window open.
    close->setAutoDefault(false);
    close->setFocusPolicy(Qt::TabFocus);
    connect(close, &QPushButton::clicked, this, &ReplaceListDialog::CloseClicked);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);

    Fill(table_.empty() ? -1 : 0);
    list_->setFocus();
}

void ReplaceListDialog::Fill(int current) {
    list_->clear();
    for (const ReplacePair& pair : table_.pairs()) {
        new QTreeWidgetItem(list_, {QtHost::FromText(pair.find, table_.form()),
                                    QtHost::FromText(pair.replacement, table_.form())});
    }
    if (current >= list_->topLevelItemCount()) current = list_->topLevelItemCount() - 1;
    if (current >= 0) list_->setCurrentItem(list_->topLevelItem(current));
}

int ReplaceListDialog::CurrentRow() const {
    QTreeWidgetItem* item = list_->currentItem();
    return item == nullptr ? -1 : list_->indexOfTopLevelItem(item);
}

void ReplaceListDialog::Tell(const QString& text) {
    if (messageHook) {
        messageHook(text);
        return;
    }
    QMessageBox::information(this, windowTitle(), text);
}

void ReplaceListDialog::Insert() {
    bool ok = false;
    const QString find = QInputDialog::getText(this, "Input Replace Item", "Text for Find",
                                               QLineEdit::Normal, "do noT", &ok);
    QString replacement;
    if (ok) {
        replacement = QInputDialog::getText(this, "Input Replace Item", "Text for Replace to",
                                            QLineEdit::Normal, "don't", &ok);
    }
    // The keys go on to the list, whatever the window system does after a modal box.
    activateWindow();
    list_->setFocus();
    if (!ok || !IsInsertable(find) || !IsInsertable(replacement)) return;
    const auto findText = Typed(find);
    const auto replacementText = findText ? Typed(replacement) : std::nullopt;
    if (!replacementText) return;
    if (!table_.Add({*findText, *replacementText})) return Tell(kCannotHoldEquals);
    Fill(static_cast<int>(table_.size()) - 1);
}

void ReplaceListDialog::EditInPlace(Editing what) {
    const int row = CurrentRow();
    if (what != Editing::NewRow && row < 0) return;
    editing_ = what;
    editingRow_ = row;
    QRect cell;
    QString text;
    if (what == Editing::NewRow) {
        // Under the last row, prefilled with the last row's replacement.
        const int last = list_->topLevelItemCount() - 1;
        if (last >= 0) {
            cell = list_->visualItemRect(list_->topLevelItem(last));
            cell.translate(0, cell.height());
            text = list_->topLevelItem(last)->text(kReplacementColumn);
        } else {
            cell = QRect(0, 0, list_->viewport()->width(), list_->fontMetrics().height() + 6);
        }
    } else {
        QTreeWidgetItem* item = list_->topLevelItem(row);
        cell = list_->visualItemRect(item);
        text = item->text(what == Editing::FindText ? kFindColumn : kReplacementColumn);
    }
    const int column = what == Editing::FindText ? kFindColumn : kReplacementColumn;
    cell.setLeft(list_->header()->sectionViewportPosition(column));
    cell.setWidth(list_->header()->sectionSize(column));
    editor_->setGeometry(cell);
    editor_->setText(text);
    editor_->selectAll();
    editor_->show();
    editor_->setFocus();
}

std::optional<std::string> ReplaceListDialog::Typed(const QString& text) {
    QString refusal;
    auto typed = QtHost::ToText(text, table_.form(), refusal);
    if (!typed) Tell(refusal);
    return typed;
}

void ReplaceListDialog::Commit() {
    const QString entered = editor_->text();
    const Editing what = editing_;
    const int row = editingRow_;
    HideEditor();
    const auto typed = Typed(entered);
    // A character the list's Windows-1251 cannot hold leaves the row as it was.
    if (!typed) return;
    const std::string& text = *typed;
    switch (what) {
        case Editing::FindText:
            if (!table_.SetFind(static_cast<std::size_t>(row), text))
                return Tell(kCannotHoldEquals);
            break;
        case Editing::Replacement:
            table_.SetReplacement(static_cast<std::size_t>(row), text);
            break;
        case Editing::NewRow:
            table_.Add({"Name" + std::to_string(table_.size()), text});
            Fill(static_cast<int>(table_.size()) - 1);
            return;
    }
    Fill(row);
}

void ReplaceListDialog::HideEditor() {
    if (!editor_->isVisible()) return;
    editor_->hide();
    list_->setFocus();
}

void ReplaceListDialog::Delete() {
    const int row = CurrentRow();
    if (row < 0) return;
    table_.Remove(static_cast<std::size_t>(row));
    Fill(row);
}

void ReplaceListDialog::MoveCurrent(int direction) {
    const int row = CurrentRow();
    if (row < 0 || !table_.Move(static_cast<std::size_t>(row), direction)) return;
    Fill(row + direction);
}

void ReplaceListDialog::CloseClicked() {
    // An edit still open keeps the window open: it is committed or dropped first.
    if (editor_->isVisible()) return;
    try {
        table_.Save(path_);
    } catch (const FileError& e) {
        return Tell(QString::fromLocal8Bit(e.what()));
    }
    accept();
}

bool ReplaceListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F2) {
                Commit();
                return true;
            }
            if (key == Qt::Key_Escape) {
                HideEditor();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            HideEditor();
        }
        return QDialog::eventFilter(watched, event);
    }
    if (watched == list_ &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        const bool ctrl = keyEvent->modifiers().testFlag(Qt::ControlModifier);
        const int key = keyEvent->key();
        // Ctrl+Up and Ctrl+Down move the row; the list would otherwise move only its cursor.
        if (ctrl && (key == Qt::Key_Up || key == Qt::Key_Down)) {
            if (event->type() == QEvent::KeyPress) MoveCurrent(key == Qt::Key_Up ? -1 : +1);
            return true;
        }
        if (event->type() != QEvent::KeyRelease || keyEvent->isAutoRepeat()) {
            return QDialog::eventFilter(watched, event);
        }
        switch (key) {
            case Qt::Key_Insert:
                Insert();
                return true;
            case Qt::Key_F4:
                EditInPlace(ctrl ? Editing::FindText : Editing::Replacement);
                return true;
            case Qt::Key_F6:
                EditInPlace(Editing::FindText);
                return true;
            case Qt::Key_F5:
                EditInPlace(Editing::NewRow);
                return true;
            case Qt::Key_F8:
                Delete();
                return true;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tessaline::gui
