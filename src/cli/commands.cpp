#include "cli/commands.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/errors.hpp"
#include "core/times.hpp"
#include "files/frame.hpp"

namespace tessaline {
namespace {

// --- Reading arguments -------------------------------------------------------------------------

// A negative number is a value, not an option: offset-count -5 film.srt.
bool IsOptionLike(std::string_view arg) {
    return arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9');
}

bool TakeFlag(std::vector<std::string>& args, std::string_view flag) {
    const auto it = std::find(args.begin(), args.end(), flag);
    if (it == args.end()) return false;
    args.erase(it);
    return true;
}

// The value after `option`, removed with it; nothing when the option is absent.
std::optional<std::string> TakeOption(std::vector<std::string>& args, std::string_view option,
                                      std::optional<std::string>& error) {
    const auto it = std::find(args.begin(), args.end(), option);
    if (it == args.end()) return std::nullopt;
    if (it + 1 == args.end()) {
        error = std::string(option) + " needs a value";
        return std::nullopt;
    }
    std::string value = *(it + 1);
    args.erase(it, it + 2);
    return value;
}

// The first argument that is not an option, removed.
std::optional<std::string> TakeValue(std::vector<std::string>& args) {
    const auto it = std::find_if(args.begin(), args.end(),
                                 [](const std::string& a) { return !IsOptionLike(a); });
    if (it == args.end()) return std::nullopt;
    std::string value = *it;
    args.erase(it);
    return value;
}

// An offset or time of the form hh:mm:ss or hh:mm:ss,mmm: the clock part of a time picker and
// the milliseconds of its spin edit.
std::optional<TimeMs> ParseOffset(std::string_view text) {
    const std::size_t comma = text.find(',');
    const std::string_view clock = text.substr(0, comma);
    if (std::count(clock.begin(), clock.end(), ':') != 2) return std::nullopt;
    std::uint32_t ms = 0;
    if (comma != std::string_view::npos) {
        const std::string_view digits = text.substr(comma + 1);
        if (digits.size() != 3 || !std::all_of(digits.begin(), digits.end(),
                                               [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
        std::from_chars(digits.data(), digits.data() + digits.size(), ms);
    }
    try {
        return ClockToMs(ClockFromText(clock), ms);
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
    return value;
}

// Reads OFFSET into `offset`; a usage error when it is missing or malformed.
std::optional<std::string> TakeOffset(std::vector<std::string>& args, TimeMs& offset,
                                      std::string_view what = "OFFSET") {
    const auto text = TakeValue(args);
    if (!text) return std::string(what) + " is missing";
    const auto value = ParseOffset(*text);
    if (!value) return std::string(what) + " must be hh:mm:ss or hh:mm:ss,mmm, not '" + *text + "'";
    offset = *value;
    return std::nullopt;
}

std::optional<std::string> TakeTime(std::vector<std::string>& args, std::string_view option,
                                    TimeMs& time) {
    std::optional<std::string> error;
    const auto text = TakeOption(args, option, error);
    if (error) return error;
    if (!text) return std::string(option) + " is missing";
    const auto value = ParseOffset(*text);
    if (!value) {
        return std::string(option) + " must be hh:mm:ss or hh:mm:ss,mmm, not '" + *text + "'";
    }
    time = *value;
    return std::nullopt;
}

std::optional<std::string> TakeCount(std::vector<std::string>& args, std::int64_t& count) {
    const auto text = TakeValue(args);
    if (!text) return "N is missing";
    const auto value = ParseInteger(*text);
    if (!value) return "N must be an integer, not '" + *text + "'";
    count = *value;
    return std::nullopt;
}

// --- The commands ------------------------------------------------------------------------------

std::optional<std::string> ParseNothing(std::vector<std::string>&, Session&, CliValues&) {
    return std::nullopt;
}

std::optional<std::string> ParseOffsetTime(std::vector<std::string>& args, Session& s, CliValues&) {
    s.offsetTime.minus = TakeFlag(args, "--minus");
    return TakeOffset(args, s.offsetTime.offset);
}

std::optional<std::string> ParseOffsetTail(std::vector<std::string>& args, Session& s, CliValues&) {
    s.offsetTail.minus = TakeFlag(args, "--minus");
    if (auto error = TakeTime(args, "--begin", s.offsetTail.begin)) return error;
    if (auto error = TakeTime(args, "--end", s.offsetTail.end)) return error;
    return TakeOffset(args, s.offsetTail.offset);
}

std::optional<std::string> ParseOffsetCount(std::vector<std::string>& args, Session& s,
                                            CliValues&) {
    return TakeCount(args, s.offsetCount.offset);
}

std::optional<std::string> ParseOffsetFrame(std::vector<std::string>& args, Session& s,
                                            CliValues&) {
    s.offsetFrame.minus = TakeFlag(args, "--minus");
    return TakeCount(args, s.offsetFrame.offset);
}

std::optional<std::string> ParseDeleteFile(std::vector<std::string>& args, Session&,
                                           CliValues& values) {
    std::optional<std::string> error;
    const auto kind = TakeOption(args, "--kind", error);
    if (error) return error;
    if (!kind) return std::string("--kind EXT is missing");
    const std::string mask = "*." + *kind;
    if (std::find(kOutExtItems.begin(), kOutExtItems.end(), mask) == kOutExtItems.end()) {
        std::string kinds;
        for (std::string_view item : kOutExtItems)
            kinds += " " + std::string(item.substr(2));
        return "--kind must be one of the output kinds:" + kinds;
    }
    values.deleteKind = mask;
    return std::nullopt;
}

Outcome RunDeleteFile(Session& s, const CliValues& values) {
    s.outExt = values.deleteKind;
    return s.DeleteFileClick();
}

std::optional<std::string> ParseConvert(std::vector<std::string>& args, Session& s,
                                        CliValues& values) {
    std::optional<std::string> error;
    const auto to = TakeOption(args, "--to", error);
    if (error) return error;
    const auto from = TakeOption(args, "--from", error);
    if (error) return error;
    const auto fps = TakeOption(args, "--fps", error);
    if (error) return error;
    if (to && *to != "srt" && *to != "sub") return "--to takes srt or sub, not '" + *to + "'";
    if (from && *from != "subtime") return "--from takes subtime, not '" + *from + "'";
    if (from && to && *to != "srt") return std::string("--from subtime converts to srt only");
    if (fps) {
        if (!ParseFramesPerSecond(*fps))
            return "--fps takes a rate such as 25 or 23,976, not '" + *fps + "'";
        s.settings().SetText("FramesAtSec", *fps);
    }
    if (from) {
        values.subToSub = 2;  // SubTime --> srt
    } else if (to && *to == "sub") {
        values.subToSub = 1;  // srt --> sub
    } else if (to) {
        values.subToSub = 0;  // to srt: from sub, or from ssa/ass by the extension (below)
    }
    return std::nullopt;
}

// Without --to or --from the direction follows the file's extension, in any letter case.
Outcome RunConvert(Session& s, const CliValues& values) {
    const std::string ext = LowerExtOf(s.openFile);
    const bool ssa = ext == "ssa" || ext == "ass";
    if (values.subToSub >= 0) {
        s.subToSubIndex = values.subToSub == 0 && ssa ? 3 : values.subToSub;
    } else if (ext == "srt") {
        s.subToSubIndex = 1;
    } else if (ext == "sub") {
        s.subToSubIndex = 0;
    } else if (ssa) {
        s.subToSubIndex = 3;
    } else {
        return Outcome::WrongExtension;
    }
    return s.SubToSubClick();
}

Outcome RunSettings(Session& s, const CliValues&) {
    const std::string text = s.settings().ToIniText();
    std::fwrite(text.data(), 1, text.size(), stdout);
    return Outcome::Ok;
}

const std::vector<CliCommand> kCommands = {
    {"offset-time", "[--minus] OFFSET PATH...", "shift every timing of SubRip files",
     "Shifts every timing line by OFFSET (hh:mm:ss or hh:mm:ss,mmm), later, or earlier with\n"
     "--minus. With --minus a subtitle that would start before 00:00:00,000 stops the run:\n"
     "\"error\" is printed, the lines before it are kept in the output, the exit status is 1.\n"
     "Reads the settings TimeCorrection.",
     true, true, ParseOffsetTime, [](Session& s, const CliValues&) { return s.OffsetTimeClick(); }},
    {"offset-tail", "[--minus] --begin TIME --end TIME OFFSET PATH",
     "shift the subtitles that start inside a time window",
     "Shifts only the subtitles whose on-time lies strictly between --begin and --end (both\n"
     "hh:mm:ss or hh:mm:ss,mmm) by OFFSET; every other line is written as it was.\n"
     "Reads the setting TimeCorrection.",
     false, true, ParseOffsetTail,
     [](Session& s, const CliValues&) { return s.OffsetTailClick(); }},
    {"offset-count", "N PATH", "add N to every number line",
     "Adds N (which may be negative) to every line that is a whole number, wherever it stands.",
     false, true, ParseOffsetCount,
     [](Session& s, const CliValues&) { return s.OffsetCountClick(); }},
    {"recount", "PATH...", "number the subtitles 1, 2, 3... afresh",
     "Renumbers the records of SubRip files from 1; digits inside a subtitle's text stay.", true,
     true, ParseNothing, [](Session& s, const CliValues&) { return s.OffsetReCountClick(); }},
    {"offset-frame", "[--minus] N PATH", "shift the frame numbers of a MicroDVD file",
     "Adds N to (or with --minus subtracts N from) both frame numbers of every line of a\n"
     "MicroDVD (.sub) file. Reads the settings OpenBrackets and CloseBrackets.",
     false, true, ParseOffsetFrame,
     [](Session& s, const CliValues&) { return s.OffsetFrameClick(); }},
    {"convert", "[--to srt|sub] [--from subtime] [--fps RATE] PATH...",
     "convert between SubRip, MicroDVD and SubStation Alpha",
     "Converts each file by its extension: film.srt to film.sub, film.sub to film.srt,\n"
     "film.ssa or film.ass to film.srt. --to chooses the target, --from subtime reads the\n"
     "bracketed SubTime format. --fps sets the frame rate of the MicroDVD side for this run\n"
     "(a decimal comma, as the setting FramesAtSec is written: 25, 23,976, 29,970).\n"
     "SubStation Alpha and SubTime conversions report over-long subtitles in film.conv.\n"
     "Reads the settings FramesAtSec, OpenBrackets, CloseBrackets, TimeCorrection and\n"
     "SubtitleFullLength.",
     true, true, ParseConvert, RunConvert},
    {"correct", "PATH...", "clean up a SubRip or MicroDVD file",
     "The general clean-up: stray and missing blank lines, empty subtitles, timing lines with\n"
     "\":\" before the milliseconds, glued capitals (with CaseCorrection=1), bare dialogue\n"
     "hyphens, lines run together with a double space, spaces and NUL characters at the line\n"
     "ends, spaces around the MicroDVD line bar. Writes film.out and lists every repair in\n"
     "film.corr; a file that needs nothing gets no output. Reads the settings TimeCorrection,\n"
     "CaseCorrection, DeltaNumCorrection, SubLineCount and CloseBrackets.",
     true, true, ParseNothing,
     [](Session& s, const CliValues&) { return s.SubtitlesCorrectionClick(); }},
    {"rename-out", "PATH...", "put the .out file in the place of its input",
     "Replaces PATH by the output made from it (film.out takes the place of film.srt).", true, true,
     ParseNothing, [](Session& s, const CliValues&) { return s.RenameOutFileClick(); }},
    {"delete-file", "--kind EXT PATH...", "delete the output or report of a kind",
     "Deletes the file of kind EXT made from PATH (--kind fix deletes film.fix); with a mask,\n"
     "every file of that kind in the folder. EXT is one of the output and report kinds:\n"
     "BigBreak bottom conv corr DiaBreak DiaFix double endA extend fix fixd full len log out\n"
     "remove replace sym tag tagfix time wrong.",
     true, true, ParseDeleteFile, RunDeleteFile},
    {"settings", "", "print the effective settings",
     "Prints every setting as INI text, after Tessaline.ini (or --ini) and --set.", false, false,
     ParseNothing, RunSettings},
};

bool IsMask(std::string_view path) {
    return path.find_first_of("*?") != std::string_view::npos;
}

int UsageError(const CliCommand& command, std::string_view message) {
    std::fprintf(stderr, "tessaline %.*s: %.*s\nusage: tessaline %.*s %.*s\n",
                 static_cast<int>(command.name.size()), command.name.data(),
                 static_cast<int>(message.size()), message.data(),
                 static_cast<int>(command.name.size()), command.name.data(),
                 static_cast<int>(command.usage.size()), command.usage.data());
    return 2;
}

}  // namespace

const std::vector<CliCommand>& CliCommands() {
    return kCommands;
}

const CliCommand* FindCliCommand(std::string_view name) {
    for (const CliCommand& command : kCommands) {
        if (command.name == name) return &command;
    }
    return nullptr;
}

void PrintCommandHelp(const CliCommand& command) {
    std::printf("usage: tessaline %.*s %.*s\n\n%.*s\n", static_cast<int>(command.name.size()),
                command.name.data(), static_cast<int>(command.usage.size()), command.usage.data(),
                static_cast<int>(command.help.size()), command.help.data());
}

int RunCliCommand(const CliCommand& command, std::vector<std::string> args, Session& session) {
    // Everything after "--" is a PATH, even a name that starts with "-".
    std::vector<std::string> pathsAfterDashes;
    if (const auto dashes = std::find(args.begin(), args.end(), "--"); dashes != args.end()) {
        pathsAfterDashes.assign(dashes + 1, args.end());
        args.erase(dashes, args.end());
    }
    CliValues values;
    if (const auto error = command.parse(args, session, values)) {
        return UsageError(command, *error);
    }
    for (const std::string& arg : args) {
        if (IsOptionLike(arg)) return UsageError(command, "unknown option '" + arg + "'");
    }
    args.insert(args.end(), pathsAfterDashes.begin(), pathsAfterDashes.end());
    if (!command.needsPath) {
        if (!args.empty()) return UsageError(command, "takes no PATH");
        return ExitCodeOf(command.run(session, values));
    }
    if (args.empty()) return UsageError(command, "PATH is missing");
    for (const std::string& path : args) {
        if (IsMask(path) && !command.takesMask) {
            return UsageError(command, "works on one file at a time, not on a mask");
        }
    }

    Outcome worst = Outcome::Ok;
    for (const std::string& path : args) {
        if (IsMask(path)) {
            session.OpenMask(path);
        } else {
            session.directoryMode = false;
            const Outcome opened = session.OpenSubtitleFile(path);
            if (opened != Outcome::Ok) {
                worst = Worse(worst, opened);
                continue;
            }
        }
        const Outcome outcome = command.run(session, values);
        if (outcome == Outcome::WrongExtension) {
            session.host().ShowMessage(std::string(kNotSupportFileExtension) + session.currentExt);
        }
        worst = Worse(worst, outcome);
    }
    return ExitCodeOf(worst);
}

}  // namespace tessaline
