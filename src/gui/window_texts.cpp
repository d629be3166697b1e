#include "gui/window_texts.hpp"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QScrollArea>
#include <QTabWidget>
#include <QVariant>
#include <QWidget>

#include "gui/qt_host.hpp"

namespace tessaline::gui {
namespace {

// Property names under which a control keeps its English text and the text last shown.
QByteArray EnglishKey(const char* key) {
    return QByteArray("tessalineEnglish_") + key;
}
QByteArray ShownKey(const char* key) {
    return QByteArray("tessalineShown_") + key;
}

// The tab's page, or the page a scroll area shows: what a numbered line names.
QString PageName(QTabWidget* tabs, int index) {
    QWidget* page = tabs->widget(index);
    if (auto* scroll = qobject_cast<QScrollArea*>(page); scroll && scroll->widget())
        return scroll->widget()->objectName();
    return page->objectName();
}

// The main window's property that points to its WindowTexts.
constexpr const char* kTextsProperty = "tessalineWindowTexts";

}  // namespace

QString DefaultActionHint(const QString& text) {
    // As QAction makes it: "..." dropped, "&&" read as "&", a single "&" (a mnemonic) dropped.
    QString hint;
    const QString plain = QString(text).remove("...");
    for (qsizetype i = 0; i < plain.size(); ++i) {
        if (plain[i] == '&' && (++i == plain.size())) break;
        hint += plain[i];
    }
    return hint;
}

WindowTexts::WindowTexts(QWidget* mainWindow) : mainWindow_(mainWindow) {
    qApp->installEventFilter(this);
    mainWindow_->setProperty(kTextsProperty, QVariant::fromValue(static_cast<QObject*>(this)));
}

WindowTexts::~WindowTexts() {
    qApp->removeEventFilter(this);
    mainWindow_->setProperty(kTextsProperty, QVariant());
}

QString WindowTexts::TranslateFor(const QObject* object, const QString& english) {
    for (const QObject* o = object; o != nullptr; o = o->parent()) {
        if (auto* texts = qobject_cast<WindowTexts*>(o->property(kTextsProperty).value<QObject*>()))
            return texts->Translate(english);
    }
    return english;
}

void WindowTexts::Use(TextTranslation translation, QSet<QString> fixedControls) {
    translation_ = std::move(translation);
    fixedControls_ = std::move(fixedControls);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && Owns(window)) ApplyAndFit(window);
    }
    Apply(mainWindow_);
}

void WindowTexts::UseQtTexts(const QString& language) {
    qtTexts_.reset();  // a translator takes itself out of the application when it goes
    for (int value = QLocale::C + 1; value <= QLocale::LastLanguage; ++value) {
        const auto named = static_cast<QLocale::Language>(value);
        if (named == QLocale::English ||
            QLocale::languageToString(named).compare(language, Qt::CaseInsensitive) != 0) {
            continue;
        }
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(QLocale(named), "qtbase", "_",
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(translator.get());
            qtTexts_ = std::move(translator);
        }
        break;
    }
    // The windows take Qt's texts now, not at some later turn of the event loop, where they
    // would cover the language file's texts of a box opened in between.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
}

QString WindowTexts::Translate(const QString& english) const {
    // The language files are Windows-1251, as the texts of the library.
    return QtHost::FromText(translation_.Translate(QtHost::ToText(english)));
}

QString WindowTexts::TextFor(QObject* holder, const char* key, const QString& current) const {
    QVariant english = holder->property(EnglishKey(key));
    if (!english.isValid() || holder->property(ShownKey(key)).toString() != current) {
        english = current;
        holder->setProperty(EnglishKey(key), english);
    }
    const QString shown = Translate(english.toString());
    holder->setProperty(ShownKey(key), shown);
    return shown;
}

void WindowTexts::Apply(QWidget* window) const {
    if (window != mainWindow_)
        window->setWindowTitle(TextFor(window, "title", window->windowTitle()));
    const bool fixed = window == mainWindow_ || qobject_cast<QMenu*>(window) != nullptr;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
        if (!w->toolTip().isEmpty()) w->setToolTip(TextFor(w, "hint", w->toolTip()));
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            for (int i = 0; i < tabs->count(); ++i) {
                if (fixed && fixedControls_.contains(PageName(tabs, i))) continue;
                const QByteArray key = "tab" + QByteArray::number(i);
                tabs->setTabText(i, TextFor(tabs, key.constData(), tabs->tabText(i)));
            }
        }
        if (auto* menu = qobject_cast<QMenu*>(w)) {
            for (QAction* action : menu->actions()) {
                if (action->isSeparator() || action->menu() != nullptr) continue;
                // An action without a hint of its own shows its text as one: that follows
                // the text.
                if (action->toolTip() != DefaultActionHint(action->text()))
                    action->setToolTip(TextFor(action, "hint", action->toolTip()));
                if (!fixed || !fixedControls_.contains(action->objectName()))
                    action->setText(TextFor(action, "text", action->text()));
            }
        }
        // The numbered lines name controls of the main window; a dialog may use the same names.
        if (fixed && fixedControls_.contains(w->objectName())) continue;
        if (auto* menu = qobject_cast<QMenu*>(w)) {
            menu->setTitle(TextFor(menu, "text", menu->title()));
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            label->setText(TextFor(label, "text", label->text()));
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            button->setText(TextFor(button, "text", button->text()));
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            group->setTitle(TextFor(group, "text", group->title()));
        } else if (auto* combo = qobject_cast<QComboBox*>(w); combo && !combo->isEditable()) {
            // The items of a drop-down list (an editable box holds the user's paths and
            // numbers). The lists are read by index or hold file masks, which stay as they are.
            for (int i = 0; i < combo->count(); ++i) {
                const QByteArray key = "item" + QByteArray::number(i);
                combo->setItemText(i, TextFor(combo, key.constData(), combo->itemText(i)));
            }
        }
    }
}

void WindowTexts::ApplyAndFit(QWidget* window) const {
    Apply(window);
    // Sized for the texts it had before: longer texts need more room.
    if (window->layout() != nullptr) window->layout()->activate();
    window->resize(window->size().expandedTo(window->minimumSizeHint()));
}

bool WindowTexts::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::LanguageChange) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || !widget->isWindow() || !Owns(widget)) return false;
    if (type == QEvent::Show) {
        ApplyAndFit(widget);
    } else {
        // Qt's own texts come back in Qt's translation (its "OK" for the language file's "ОК")
        // once the window and its children took the event: the language file's texts go on
        // top of them afterwards.
        QMetaObject::invokeMethod(
            widget, [this, widget] { ApplyAndFit(widget); }, Qt::QueuedConnection);
    }
    return false;
}

bool WindowTexts::Owns(const QWidget* window) const {
    // A dialog, a message box or a menu of the main window, not the main window itself.
    for (const QWidget* owner = window->parentWidget(); owner != nullptr;
         owner = owner->parentWidget()) {
        if (owner == mainWindow_) return true;
    }
    return false;
}

}  // namespace tessaline::gui
