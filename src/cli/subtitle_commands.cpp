#include "cli/subtitle_commands.hpp"

#include <algorithm>
#include <map>
#include <optional>

#include "app/subtitle_file.hpp"
#include "core/cp1251.hpp"
#include "core/errors.hpp"
#include "core/paths.hpp"
#include "core/strings.hpp"
#include "core/typed_text.hpp"
#include "files/frame.hpp"
#include "ops/settings.hpp"

namespace tessaline {
namespace {

enum class Command { Show, Rewrite, Delete };

struct Arguments {
    std::optional<std::string> number;
    std::optional<std::string> key;
    std::optional<std::string> time;
    std::optional<std::string> text;
    std::string path;
};

// Reads the options and the one PATH; a message for a usage error.
std::optional<std::string> Parse(Command command, const std::vector<std::string>& args,
                                 Arguments& parsed) {
    std::map<std::string_view, std::optional<std::string>*> options = {{"--number", &parsed.number},
                                                                       {"--key", &parsed.key}};
    if (command == Command::Rewrite) {
        options["--time"] = &parsed.time;
        options["--text"] = &parsed.text;
    }
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            paths.insert(paths.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                         args.end());
            break;
        }
        if (const auto option = options.find(arg); option != options.end()) {
            if (i + 1 == args.size()) return arg + " needs a value";
            if (option->second->has_value()) return arg + " is given twice";
            *option->second = args[++i];
        } else if (arg.size() > 1 && arg.front() == '-') {
            return "unknown option " + QuotedText(arg);
        } else {
            paths.push_back(arg);
        }
    }
    if (parsed.number.has_value() == parsed.key.has_value()) {
        return "takes either --number N or --key KEY";
    }
    if (command == Command::Rewrite && !parsed.text) return "--text is missing";
    if (parsed.text) {
        // Refused before anything is read: a text the editor could not load again is never
        // written.
        const LineList lines = LinesForWriting(*parsed.text);
        if (lines.empty()) return "--text has no line to write";
        if (const auto error = CheckEditedText(lines)) return "--text: " + *error;
    }
    if (paths.empty()) return "PATH is missing";
    if (paths.size() > 1) return "works on one file at a time";
    parsed.path = paths.front();
    if (parsed.path.find_first_of("*?") != std::string::npos) {
        return "works on one file at a time, not on a mask";
    }
    const SubtitleFormat format = FormatOfPath(parsed.path);
    if (parsed.number) {
        if (!IsNumberStr(*parsed.number)) {
            return "--number must be a whole number, not " + QuotedText(*parsed.number);
        }
        if (format == SubtitleFormat::MicroDvd) {
            return "--number names a SubRip subtitle; a MicroDVD subtitle is named by --key";
        }
    }
    return std::nullopt;
}

int Run(Command command, std::string_view name, std::string_view usage,
        const std::vector<std::string>& args, Session& session) {
    Arguments a;
    if (const auto error = Parse(command, args, a)) return UsageError(name, usage, *error);
    const SubtitleFormat format = FormatOfPath(a.path);
    const Settings& settings = session.settings();
    if (a.time && !a.time->empty() && format != SubtitleFormat::Other) {
        if (const auto error =
                CheckTiming(format, *a.time, FirstChar(settings.Text("OpenBrackets"), '{'),
                            FirstChar(settings.Text("CloseBrackets"), '}'))) {
            return UsageError(name, usage, "--time: " + *error);
        }
    }
    Host& host = session.host();
    session.directoryMode = false;
    if (session.OpenSubtitleFile(a.path, false) != Outcome::Ok) return 1;
    if (format == SubtitleFormat::Other) {
        const CurrentFile about(host, a.path);
        host.ShowMessage(std::string(kNotSupportFileExtension) + session.currentExt);
        return 1;
    }
    // The editor's own index and commands: what the window would show and write.
    SubtitleEditor& editor = session.editor;
    session.withEditor = true;
    // Only the subtitles asked for are indexed (one pass, no entry for every subtitle).
    SubtitleSelection only;
    if (a.number) {
        only.number = StrToIntSafe(*a.number);
    } else {
        only.key = *a.key;
    }
    editor.Open(&only);
    std::vector<std::size_t> found;
    try {
        found = a.number ? FindByNumber(editor.index(), StrToIntSafe(*a.number))
                         : FindByKey(editor.index(), *a.key, host);
    } catch (const std::exception& e) {
        const CurrentFile about(host, a.path);
        host.ShowMessage(e.what());
        return 1;
    }
    // Nothing matches: nothing is shown, nothing is written.
    if (found.empty()) {
        const CurrentFile about(host, a.path);
        host.ShowMessage(a.number ? "no subtitle numbered " + *a.number
                                  : "no subtitle with the key " + QuotedText(*a.key));
        return 1;
    }
    if (command == Command::Delete) return editor.Delete(found, a.key.has_value()) ? 0 : 1;
    // Of several, a SubRip file shows its last, a MicroDVD file its first.
    editor.Show(format == SubtitleFormat::SubRip ? found.back() : found.front());
    if (editor.tooLong()) return 1;  // said why; its text is neither shown nor written
    if (command == Command::Show) {
        host.PrintResult(editor.timeRange);
        for (const std::string& line : editor.lines())
            host.PrintResult(line);
        return 0;
    }
    // The text goes into the file's form: UTF-8 typed for a Windows-1251 file is converted (a
    // character it lacks is a usage error), Windows-1251 bytes for a UTF-8 file likewise.
    if (editor.form() == TextForm::Cp1251 && IsMultibyteUtf8(*a.text)) {
        TypedText typed = TypedInForm(*a.text, TextForm::Cp1251);
        if (typed.missing) {
            return UsageError(name, usage,
                              "--text: the character " + CharNameUtf8(*typed.missing) +
                                  " has no place in this Windows-1251 file");
        }
        *a.text = std::move(typed.text);
    } else if (editor.form() == TextForm::Utf8 && !IsMultibyteUtf8(*a.text)) {
        *a.text = Cp1251ToUtf8(*a.text);
    }
    // By number the subtitle is rewritten as in "mode2", by key as in "mode1".
    editor.goMode = a.number ? 1 : 0;
    editor.SetText(*a.text);
    if (a.time) editor.SetTimeRange(*a.time);
    return editor.ReWrite() ? 0 : 1;
}

constexpr std::string_view kShowUsage = "(--number N | --key KEY) PATH";
constexpr std::string_view kRewriteUsage =
    "(--number N | --key KEY) [--time TIMING] --text TEXT PATH";
constexpr std::string_view kDeleteUsage = "(--number N | --key KEY) PATH";

}  // namespace

extern const ProgramCommand kShowSubtitleCommand{
    .name = "show-subtitle",
    .summary = "print one subtitle",
    .help =
        "Prints the subtitle of PATH that the editor's \"Go to:\" shows: its timing (a SubRip\n"
        "timing line as written, or a MicroDVD frame prefix), then each text line (a MicroDVD\n"
        "text split at \"|\"), bytes as in the file; nothing else, also with --quiet.\n"
        "--number N names the SubRip subtitle whose number line is N (of several, the last);\n"
        "--key KEY the one whose timing line is KEY letter for letter (of several, the last), or\n"
        "the first MicroDVD line whose frame prefix is KEY. Never writes. Exit status 1 when no\n"
        "subtitle matches.",
    .run = [](std::string_view name, const std::vector<std::string>& args,
              Session& session) { return Run(Command::Show, name, kShowUsage, args, session); },
    .usage = kShowUsage,
    .optionNames = "--number --key",
};

extern const ProgramCommand kRewriteSubtitleCommand{
    .name = "rewrite-subtitle",
    .summary = "put a new text (and timing) into one subtitle",
    .help =
        "The editor's ReWrite: the subtitle named as in show-subtitle gets the lines of TEXT\n"
        "(split at line feeds, each trimmed, empty ones dropped) and TIMING (default: its own).\n"
        "When its end joined the next subtitle's start, the next one starts at the new end\n"
        "(one millisecond later with OneTickDifferenceNearTimeFrame=1). The copy is written to\n"
        "film.out, which then takes the place of PATH; everything else stays as it was, with\n"
        "CR LF line ends and one empty line between subtitles. An existing film.out refuses the\n"
        "command (\"Output File Exist!!!\" by --key) and both files stay. Exit status 1 when no\n"
        "subtitle matches; 2 when TEXT has no line or is more than the editor takes (1000 lines,\n"
        "64 KB), or TIMING is malformed, beyond range or ends before it starts.",
    .run =
        [](std::string_view name, const std::vector<std::string>& args, Session& session) {
            return Run(Command::Rewrite, name, kRewriteUsage, args, session);
        },
    .usage = kRewriteUsage,
    .optionNames = "--number --key --time --text",
};

extern const ProgramCommand kDeleteSubtitleCommand{
    .name = "delete-subtitle",
    .summary = "remove one subtitle",
    .help =
        "The editor's Del: every subtitle of PATH numbered N (--number) or of the key KEY (--key,\n"
        "as in show-subtitle) is removed with its number, timing, text and the empty line after\n"
        "it; the others keep their numbers (recount renumbers them). Written through film.out\n"
        "as rewrite-subtitle is. Exit status 1 when no subtitle matches.",
    .run = [](std::string_view name, const std::vector<std::string>& args,
              Session& session) { return Run(Command::Delete, name, kDeleteUsage, args, session); },
    .usage = kDeleteUsage,
    .optionNames = "--number --key",
};

}  // namespace tessaline
