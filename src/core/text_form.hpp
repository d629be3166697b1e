#pragma once

// The two forms text takes inside the program: Windows-1251 bytes (one byte one character, the
// program's home encoding) and UTF-8. Every file is worked on in its own encoding; UTF-16 and the
// other Cyrillic code pages are turned into UTF-8 when read and back when written, so the
// character rules only ever meet these two forms.
//
// The form is chosen once per file: the frame of a run (and the editor, the lists window, the
// report viewer for the file they show) sets it for the thread that works on the file. The
// character rules (case, letter classes, counting and cutting by characters) read it; rules that
// only look at ASCII structure (timings, numbers, tags, delimiters) are the same in both forms.
// A folder run works on one file per thread, so each thread carries its own form.

namespace tessaline {

enum class TextForm {
    Cp1251,  // one byte one character
    Utf8,    // characters of one to four bytes; a byte that begins no character stands alone
};

namespace detail {
inline thread_local TextForm g_textForm = TextForm::Cp1251;
}  // namespace detail

/// The form of the text this thread works on: Windows-1251 unless a TextFormScope says otherwise.
[[nodiscard]] inline TextForm CurrentTextForm() {
    return detail::g_textForm;
}

/// Sets the form of this thread's text for as long as it lives, then puts back the one before.
class TextFormScope {
  public:
    explicit TextFormScope(TextForm form) : previous_(detail::g_textForm) {
        detail::g_textForm = form;
    }
    ~TextFormScope() { detail::g_textForm = previous_; }
    TextFormScope(const TextFormScope&) = delete;
    TextFormScope& operator=(const TextFormScope&) = delete;

  private:
    TextForm previous_;
};

}  // namespace tessaline
