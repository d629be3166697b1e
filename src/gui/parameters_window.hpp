#pragma once

// The two settings windows, "Parameters" and "Parts & Tails". Each shows the kept settings in its
// controls when it opens; "Close" copies the controls back into the settings and writes
// Tessaline.ini; any other way out (Esc) leaves the settings as they were.
//
// A window is its layout (the same control rows as the main window's pages) and, for each control
// that edits a setting, the key it edits: the defaults and types stay those of the one settings
// table, checked at compile time.

#include <QDialog>
#include <QString>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gui/window_layout.hpp"

class QObject;
class QTabWidget;

namespace tessaline {
class Settings;
class Session;
}  // namespace tessaline

namespace tessaline::gui {

/// A control of a settings window and the setting it edits.
struct SettingControl {
    std::string_view name;  // the widget's objectName
    std::string_view key;   // a key of the settings table
};

/// Shows a setting's value in a widget: a check box, spin box, edit box, editable list, label,
/// checkable menu item, radio group or time picker.
void ShowSetting(QObject* widget, const Settings& settings, std::string_view key);
/// Takes a setting's value from a widget shown by ShowSetting.
void StoreSetting(const QObject* widget, Settings& settings, std::string_view key);

class SettingsWindow : public QDialog {
    Q_OBJECT

  public:
    /// Shows the settings of `session` in the controls of `groups` (each group's `page` is an
    /// index into `pages`; one page shows no tabs) bound by `bindings`.
    SettingsWindow(Session& session, const QString& caption, std::span<const PageDef> pages,
                   std::span<const GroupDef> groups, std::span<const SettingControl> bindings,
                   QWidget* parent = nullptr);

    /// The widget or action of a control, by its established name.
    template <typename T>
    T* Control(const char* name) const {
        return findChild<T*>(QString::fromLatin1(name));
    }

  protected:
    /// Copies the settings into the controls.
    void Load();
    /// Copies the controls into the settings.
    void Store();
    /// "Close": stores, writes Tessaline.ini and closes.
    virtual void CloseClicked();

    Session& session_;
    QTabWidget* tabs_ = nullptr;  // null for a window of one page

    [[nodiscard]] QObject* Widget(std::string_view name) const;

  private:
    std::span<const SettingControl> bindings_;
    std::vector<std::string> loaded_;  // what each control showed when the window opened
};

/// The "Parameters" window: four pages of stored parameters, the expression of the allowed
/// subtitle length, and the language button.
class ParametersWindow : public SettingsWindow {
    Q_OBJECT

  public:
    explicit ParametersWindow(Session& session, QWidget* parent = nullptr);

    /// Tests replace the language dialog with this (it returns the chosen path or "").
    std::function<QString(const QString& folder)> languageDialogHook;
    /// Called with the path of a chosen language file, after it became the kept language.
    std::function<void(const QString& path)> onLanguageChosen;

  private:
    void ShowLengthResult();
    void ShowDependentStates();
    void ChooseLanguage();
};

/// The "Parts & Tails" window: the parts and tails counts of the three line-length rows.
class PartsAndTailsWindow : public SettingsWindow {
    Q_OBJECT

  public:
    explicit PartsAndTailsWindow(Session& session, QWidget* parent = nullptr);
};

/// The controls of the two windows and the keys they edit (tests walk them).
[[nodiscard]] std::span<const SettingControl> ParameterBindings();
[[nodiscard]] std::span<const SettingControl> PartsAndTailsBindings();

}  // namespace tessaline::gui
