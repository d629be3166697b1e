#include "ops/text_walk.hpp"

#include "core/paths.hpp"
#include "files/records.hpp"

namespace tessaline {
namespace {

void WalkSubRip(FrameRun& run, TextRepair& repair, TextOut& out) {
    // The records are found as every command finds them (a timing line without its number, or
    // right after the text before it, still starts one), but the lines the shaper adds for that
    // are not written: a text repair changes text, not the file's shape.
    const SubRipShaper& records = run.ShapeSubRipRecords();
    std::string_view line;
    std::string key;
    bool atRecordStart = true;
    bool lastBlank = true;  // nothing read yet: no closing empty line is owed
    const auto write = [&](std::string_view written) {
        if (!records.AtAddedLine()) out.WriteLine(written);
    };
    while (run.ReadLine(line)) {
        lastBlank = IsBlankLine(line);
        if (!records.AtRecordNumber() && (!atRecordStart || !IsNumberStr(line))) {
            // Text before the first record, or after the blank line that ended one, is no
            // subtitle text: it goes through as it is. Extra blank lines go.
            if (!lastBlank) write(line);
            atRecordStart = atRecordStart || lastBlank;
            continue;
        }
        atRecordStart = false;
        key.assign(line);
        write(line);
        if (!run.ReadLine(line)) {
            lastBlank = false;  // the number was the last line
            break;
        }
        // Blank lines between the number and the timing line go; when the input ends with
        // them, the last one stands in the timing line's place. (A failed read may move the
        // reader's buffer: the blank line is kept as a literal.)
        while (IsBlankLine(line)) {
            const std::string_view blank = line.empty() ? "" : " ";
            if (!run.ReadLine(line)) {
                line = blank;
                break;
            }
        }
        out.WriteLine(line);
        lastBlank = IsBlankLine(line);
        repair.BeginRecord(key);
        bool ended = false;
        while (!lastBlank && run.ReadLine(line)) {
            lastBlank = IsBlankLine(line);
            if (lastBlank) {
                ended = true;
            } else {
                repair.TextLine(line, out, run.report());
            }
        }
        repair.EndRecord(out, run.report());
        if (ended) write(line);
        atRecordStart = lastBlank;
    }
    // The last record gets its closing empty line.
    if (!lastBlank) out.WriteLine("");
}

void WalkMicroDvd(FrameRun& run, TextRepair& repair, TextOut& out, char close) {
    std::string_view line;
    std::string key;
    std::string text;
    std::string written;
    while (run.ReadLine(line)) {
        const std::string_view frames = TextBeforeNthChar(line, close, 2);
        // A blank line, or a line without the two frame fields, is no frame line: it goes
        // through as it is.
        if (IsBlankLine(line) || frames.size() == line.size()) {
            out.WriteLine(line);
            continue;
        }
        key.assign(frames);
        key += close;
        text.assign(line.substr(key.size()));
        if (!repair.FrameText(key, text, run.report())) {
            out.WriteLine(line);
            continue;
        }
        written.assign(key);
        written += text;
        out.WriteLine(written);
    }
}

}  // namespace

void ReportLine(LineList& report, std::string_view key, std::string_view message) {
    std::string& line = report.emplace_back();
    line.reserve(key.size() + message.size());
    line.append(key).append(message);
}

bool FixDisplayLines(std::string& text, const std::function<bool(std::string&)>& fix) {
    // One piece at a time into the joined text: a list of the pieces would cost a string each,
    // 32 bytes for every "|" of a line of millions of them.
    std::string joined;
    std::string piece;
    bool changed = false;
    bool first = true;
    for (const std::string_view display : CharSplit(text, '|')) {
        piece.assign(display);
        if (fix(piece)) changed = true;
        if (!first) joined += '|';
        joined += piece;
        first = false;
    }
    if (changed) text.swap(joined);
    return changed;
}

RunResult RunTextRepair(const std::string& input, const std::string& output,
                        const TextRepairRun& how, TextRepair& repair, Host& host) {
    const FrameRequest request{.input = input,
                               .output = output,
                               .steps = {.interactive = how.interactive,
                                         .checkOutputIsInput = true,
                                         .reportExt = how.reportExt,
                                         .emptyReportMessage = how.emptyReportMessage,
                                         .deleteOutputOnEmptyReport = true,
                                         .summaryText = how.summaryText,
                                         .writesOutput = how.writesOutput},
                               .parameterCheck = how.parameterCheck};
    return RunInFrame(request, host, [&](FrameRun& run) {
        TextOut out(how.writesOutput ? &run.out() : nullptr);
        const std::string ext = LowerExtOf(input);
        if (ext == "srt") {
            WalkSubRip(run, repair, out);
        } else if (ext == "sub") {
            WalkMicroDvd(run, repair, out, how.closeBracket);
        } else if (how.alwaysRefuseKind || run.interactive()) {
            // Nothing is kept: an empty output would wipe the file out if "Rename out-File"
            // put it in the input's place.
            run.host().ShowMessage(std::string(kNotSupportFileExtension) + FileExtOf(input));
            run.Abandon();
        }
        // Otherwise nothing is read: the report stays empty and the output goes with it.
    });
}

}  // namespace tessaline
