#pragma once

// The texts of a language file in every window of the program: the main window, the dialogs it
// opens and the message boxes. Each window is translated when it is shown, from the English text
// each control was built with, so a second language file (or English.lng) replaces the first.

#include <QObject>
#include <QSet>
#include <QString>
#include <QTranslator>
#include <memory>

#include "app/language.hpp"

class QWidget;

namespace tessaline::gui {

/// The hint Qt shows for an action that has none of its own: its text without mnemonics.
[[nodiscard]] QString DefaultActionHint(const QString& text);

class WindowTexts : public QObject {
    Q_OBJECT

  public:
    /// Watches the windows of `mainWindow`: the window itself and every window it owns.
    explicit WindowTexts(QWidget* mainWindow);
    ~WindowTexts() override;
    WindowTexts(const WindowTexts&) = delete;
    WindowTexts& operator=(const WindowTexts&) = delete;

    /// Takes the text lines of a language file and shows them in the windows open now.
    /// `fixedControls` are the controls whose caption a numbered control line sets: their
    /// captions are left to that line.
    void Use(TextTranslation translation, QSet<QString> fixedControls);

    /// Qt's own texts (the file dialogs, the standard buttons of the boxes, the edit boxes'
    /// menus) in the language a language file is named after ("Russian"), from the translations
    /// Qt ships for it (Debian: qt6-translations-l10n); Qt's English for English, for a name Qt
    /// does not know and when those translations are not installed.
    void UseQtTexts(const QString& language);

    /// The language's text for a built-in English text (unchanged when it has none).
    [[nodiscard]] QString Translate(const QString& english) const;

    /// The language's text for an English text shown by `object` (a model, say), which belongs
    /// to a window of the main window: what the widgets cannot be asked for.
    [[nodiscard]] static QString TranslateFor(const QObject* object, const QString& english);

    /// Translates every caption, hint and title of `window` and its children.
    void Apply(QWidget* window) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Whether `window` is one the main window opened (directly or through another).
    [[nodiscard]] bool Owns(const QWidget* window) const;
    // Applies the texts to a dialog or box and widens it to what its texts need.
    void ApplyAndFit(QWidget* window) const;
    // The translated text for what `holder` shows under `key` now; remembers the English text
    // the first time, and again whenever the program changed the text since the last call.
    QString TextFor(QObject* holder, const char* key, const QString& current) const;

    QWidget* mainWindow_;
    std::unique_ptr<QTranslator> qtTexts_;  // installed in the application while it lives
    TextTranslation translation_;
    QSet<QString> fixedControls_;
};

}  // namespace tessaline::gui
