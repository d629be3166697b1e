#pragma once

// The replace list: the user's own pairs of a text to find and its replacement, applied in
// order by the "Replace List" command and edited in the "Replace List" window. It is kept in
// Replace.dat in the program folder, Windows-1251, one pair a line: the find text, "=", the
// replacement. A Replace.dat that begins with the UTF-8 byte-order mark is UTF-8 instead, so that
// pairs can hold characters Windows-1251 lacks; it is written back the same way. A find text
// therefore cannot hold "=" (the first "=" of a line ends it), while a replacement can.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/text_form.hpp"

namespace tessaline {

inline constexpr std::string_view kReplaceListFile = "Replace.dat";

struct ReplacePair {
    std::string find;
    std::string replacement;

    bool operator==(const ReplacePair&) const = default;
};

class ReplaceTable {
  public:
    ReplaceTable() = default;
    explicit ReplaceTable(std::vector<ReplacePair> pairs) : pairs_(std::move(pairs)) {}

    /// Reads a replace list; an absent file gives an empty table, empty lines are no pairs.
    /// A UTF-8 byte-order mark makes the table's form UTF-8. Throws FileError when the file
    /// exists but cannot be read.
    [[nodiscard]] static ReplaceTable Load(const std::string& path);

    /// One line of the file as a pair: the text before the first "=", and the rest.
    [[nodiscard]] static ReplacePair ParseLine(std::string_view line);

    /// Writes every pair, replacing the file as a whole (a failure leaves the old file), in the
    /// table's form (UTF-8 with its byte-order mark). Throws FileError.
    void Save(const std::string& path) const;

    /// The form of the pairs' text: Windows-1251 unless the file was UTF-8.
    [[nodiscard]] TextForm form() const { return form_; }
    void SetForm(TextForm form) { form_ = form; }

    /// The pairs as a run uses them, in the form of the file it works on (the current form).
    /// From a UTF-8 table in a Windows-1251 run, a pair with a character the code page lacks is
    /// left out and its 1-based row goes to `skipped` with that character.
    [[nodiscard]] std::vector<ReplacePair> PairsInCurrentForm(
        std::vector<std::pair<std::size_t, char32_t>>* skipped = nullptr) const;

    [[nodiscard]] const std::vector<ReplacePair>& pairs() const { return pairs_; }
    [[nodiscard]] std::size_t size() const { return pairs_.size(); }
    [[nodiscard]] bool empty() const { return pairs_.empty(); }
    [[nodiscard]] const ReplacePair& operator[](std::size_t row) const { return pairs_[row]; }

    /// A find text can be stored: it holds no "=" and no line end (either would change the pairs
    /// when the file is read again).
    [[nodiscard]] static bool IsStorableFind(std::string_view find);
    /// A replacement can be stored: it holds no line end.
    [[nodiscard]] static bool IsStorableReplacement(std::string_view replacement);

    /// Adds a pair after the last; false, and nothing added, when it cannot be stored.
    bool Add(ReplacePair pair);
    /// Changes a row's find text or replacement; false, and nothing changed, when the text
    /// cannot be stored or the row does not exist.
    bool SetFind(std::size_t row, std::string find);
    bool SetReplacement(std::size_t row, std::string replacement);
    /// Deletes a row; nothing happens for a row that does not exist.
    void Remove(std::size_t row);
    /// Moves a row one place up (-1) or down (+1); false when it is already at that end.
    bool Move(std::size_t row, int direction);

  private:
    std::vector<ReplacePair> pairs_;
    TextForm form_ = TextForm::Cp1251;
};

}  // namespace tessaline
