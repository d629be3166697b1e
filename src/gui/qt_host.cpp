#include "gui/qt_host.hpp"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>

#include "core/cp1251.hpp"
#include "core/typed_text.hpp"
#include "gui/window_texts.hpp"

namespace tessaline::gui {
namespace {

// Events are processed at most this often while an operation reads its lines.
constexpr qint64 kEventIntervalMs = 40;
// The clock is read once per this many lines.
constexpr unsigned kLinesPerClockRead = 256;

// A field goes back to idle when its run ended well: it says so rather than showing a
// placeholder.
constexpr const char* kStatusDone = "done";

void Paint(QLabel* label, StatusState state) {
    if (label == nullptr) return;
    const std::string_view caption =
        state == StatusState::Idle ? std::string_view(kStatusDone) : StatusCaption(state);
    label->setText(WindowTexts::TranslateFor(
        label, QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size()))));
    switch (state) {
        case StatusState::Running:
            label->setStyleSheet("background-color: #00FF00;");
            break;
        case StatusState::Error:
            label->setStyleSheet("background-color: #FF0000;");
            break;
        case StatusState::Idle:
            label->setStyleSheet("");  // the button face of the window's palette
            break;
    }
    // Only a red field has something to explain (see ExplainStatus).
    label->setToolTip(QString());
    label->repaint();
}

}  // namespace

QtHost::QtHost(Widgets widgets) : widgets_(std::move(widgets)) {
    sinceEvents_.start();
}

QString QtHost::FromText(std::string_view text) {
    const std::string utf8 = Cp1251ToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string QtHost::ToText(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToCp1251(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QString QtHost::FromText(std::string_view text, TextForm form) {
    if (form == TextForm::Cp1251) return FromText(text);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<std::string> QtHost::ToText(const QString& text, TextForm form, QString& refusal) {
    const QByteArray utf8 = text.toUtf8();
    TypedText typed = TypedInForm(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), form);
    if (!typed.missing) return std::move(typed.text);
    const std::string name = CharNameUtf8(*typed.missing);
    refusal = "The character " +
              QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) +
              " has no place in a Windows-1251 file: it is not taken. Convert the file to UTF-8 "
              "to write it.";
    return std::nullopt;
}

std::optional<std::string> QtHost::ToText(const QString& text, TextForm form) {
    QString refusal;
    auto typed = ToText(text, form, refusal);
    if (!typed) Tell(refusal);
    return typed;
}

void QtHost::Tell(const QString& message) {
    if (messageHook) {
        messageHook(message);
        return;
    }
    QMessageBox::information(widgets_.parent, BoxTitle(), message);
}

void QtHost::ShowMessage(std::string_view text) {
    // CR LF breaks the line in a message box.
    Tell(FromText(text).replace("\r\n", "\n"));
}

void QtHost::ShowRefusal(std::string_view text, std::string_view wayOut) {
    // The way out names a file: its name is in the file system's encoding.
    Tell(FromText(text) + "\n" +
         QFile::decodeName(QByteArray(wayOut.data(), static_cast<qsizetype>(wayOut.size()))));
}

QString QtHost::BoxTitle() const {
    // The box says which file it is about: a folder run may show the same text for many.
    if (currentFile_.isEmpty()) return QApplication::applicationName();
    return QApplication::applicationName() + " - " + QFileInfo(currentFile_).fileName();
}

Answer QtHost::Ask(std::string_view text) {
    const QString question = FromText(text).replace("\r\n", "\n");
    if (askHook) return askHook(question);
    switch (QMessageBox::question(widgets_.parent, BoxTitle(), question,
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

void QtHost::SetStatus(StatusField field, StatusState state) {
    (field == StatusField::OffsetTime ? offsetState_ : tailState_) = state;
    Paint(field == StatusField::OffsetTime ? widgets_.statusText : widgets_.statusTextTail, state);
}

void QtHost::RepaintStatusFields() {
    const auto repaint = [](QLabel* label, const std::optional<StatusState>& state) {
        if (label == nullptr) return;
        if (state) {
            // The tooltip of a red field keeps the reason it was given.
            const QString reason = label->toolTip();
            Paint(label, *state);
            label->setToolTip(reason);
        } else {
            label->clear();
        }
    };
    repaint(widgets_.statusText, offsetState_);
    repaint(widgets_.statusTextTail, tailState_);
}

void QtHost::ExplainStatus(StatusField field, std::string_view reason) {
    QLabel* label =
        field == StatusField::OffsetTime ? widgets_.statusText : widgets_.statusTextTail;
    if (label != nullptr) label->setToolTip(WindowTexts::TranslateFor(label, FromText(reason)));
}

void QtHost::SetStatusBar(std::string_view text) {
    if (widgets_.showStatusBar) widgets_.showStatusBar(FromText(text));
}

void QtHost::ShowProgress(std::string_view text) {
    progress_.assign(text);
}

void QtHost::SetBusy(bool on) {
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
        // The last progress text of the run stays in the status bar.
        if (!progress_.empty()) SetStatusBar(progress_);
        progress_.clear();
    }
}

void QtHost::ProcessEvents() {
    if (++calls_ % kLinesPerClockRead != 0) return;
    if (sinceEvents_.elapsed() < kEventIntervalMs) return;
    if (!progress_.empty()) SetStatusBar(progress_);
    QApplication::processEvents();
    sinceEvents_.restart();
}

void QtHost::KeepResponsive() {
    QApplication::processEvents();
}

void QtHost::ShowFolderProgress(std::size_t index, std::size_t count, std::uint64_t,
                                std::uint64_t) {
    // Stop shows while the folder run goes on.
    if (widgets_.stop != nullptr) widgets_.stop->setVisible(index <= count);
    if (index > count) return;  // the run's own texts follow
    SetStatusBar("file " + std::to_string(index) + " of " + std::to_string(count));
    QApplication::processEvents();
}

void QtHost::SelectReportKind(std::string_view mask) {
    if (widgets_.selectReportKind) widgets_.selectReportKind(FromText(mask));
}

void QtHost::ShowDirectoryProgress(std::string_view text) {
    if (widgets_.statusInd == nullptr) return;
    widgets_.statusInd->setText(FromText(text));
    widgets_.statusInd->setVisible(!text.empty());
    widgets_.statusInd->repaint();
}

}  // namespace tessaline::gui
