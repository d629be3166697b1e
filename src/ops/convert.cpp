#include "ops/convert.hpp"

#include <charconv>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/chars.hpp"
#include "core/paths.hpp"
#include "core/times.hpp"
#include "files/fs.hpp"
#include "files/records.hpp"
#include "ops/controls.hpp"
#include "ops/settings.hpp"
#include "ops/style_codes.hpp"

namespace tessaline {
namespace {

constexpr std::size_t npos = std::string_view::npos;

bool Contains(std::string_view text, std::string_view sub) {
    return text.find(sub) != npos;
}

// Appends the decimal text of a number without a temporary string.
void AppendNumber(std::string& out, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void WriteNumberLine(FrameRun& run, long number) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    run.WriteLine(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

// The rate of the MicroDVD conversions; nothing for an empty text, one that begins with a
// blank, one that is not a number, and a negative rate, which would turn times into negative
// frame numbers.
std::optional<long double> ReadRate(std::string_view text) {
    if (text.empty() || text.front() == ' ') return std::nullopt;
    const auto fps = ParseFramesPerSecond(text);
    if (!fps || *fps < 0) return std::nullopt;
    return fps;
}

// The frame's own stops before it opens anything: no output path, an existing output, output
// equal to input, a mask, a missing input.
bool FrameWouldOpen(const std::string& input, const std::string& output) {
    return !output.empty() && !PathExists(output) && output != input && input.find('*') == npos &&
           IsRegularFile(input);
}

// The MicroDVD conversions check the rate after the frame's checks: an existing output is
// reported as such even with a bad rate. The frame's parameter check runs before the
// existing-output test, so the order is kept here: a bad rate speaks only when the frame would
// go on; a rate of 0 is the frame's silent nothing-to-do stop.
// Their report says what styles did not carry over; a film without any has nothing to say, and
// says nothing.
RunResult RunWithRate(const std::string& input, const std::string& output,
                      const ConvertParams& params, Host& host,
                      const std::function<void(FrameRun&, long double)>& body) {
    const auto fps = ReadRate(params.framesPerSecond);
    if (!fps && FrameWouldOpen(input, output)) {
        if (params.interactive) host.ShowMessage(kCheckFramesAtSec);
        return RunResult::Refused;
    }
    const FrameRequest request{.input = input,
                               .output = output,
                               .steps = {.interactive = params.interactive, .reportExt = "conv"},
                               .nothingToDo = !fps || *fps == 0};
    return RunInFrame(request, host, [&](FrameRun& run) { body(run, *fps); });
}

// The frame steps of the conversions with a report.
FrameSteps ReportingSteps(bool interactive) {
    return {.interactive = interactive,
            .reportExt = "conv",
            .emptyReportMessage = kNullConvLengthFile,
            .deleteOutputOnEmptyReport = false};
}

void CheckFullLength(FrameRun& run, long counter, std::size_t length, int fullLength) {
    if (static_cast<long long>(length) <= fullLength) return;
    run.report().push_back(std::to_string(counter) + " = Subtitle Full Length is " +
                           std::to_string(length) + " > " + std::to_string(fullLength));
}

// A text line without its leading blanks: written as it came, a SubRip line that begins with a
// blank could be taken for the blank line that ends a record. A line of nothing but blanks is
// padding and stays as it is.
std::string_view WithoutLeadingBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == npos ? text : text.substr(first);
}

// Writes the pieces of a split text line that are not blank; returns their total length.
std::size_t WritePieces(FrameRun& run, const LineList& pieces) {
    std::size_t length = 0;
    for (const std::string& piece : pieces) {
        if (IsBlankLine(piece)) continue;
        const std::string_view text = WithoutLeadingBlanks(piece);
        run.WriteLine(text);
        length += text.size();
    }
    return length;
}

void ConvertSubToSrt(FrameRun& run, const ConvertParams& params, long double fps) {
    const char open = params.openBracket;
    const char close = params.closeBracket;
    std::string_view line;
    long counter = 0;
    char timing[kTimingLineLength];
    MicroDvdStyles styles;
    while (run.ReadLine(line)) {
        if (line.find(open) == npos) {
            run.WriteLine(line);
            continue;
        }
        // A line with the bracket must start with two bracketed integers; anything else (a
        // line opening with a style tag) is a conversion error, as in Offset Frame.
        const std::string_view onText = TextBetweenChars(line, open, close);
        const std::string_view offText = TextBetweenChars(line, open, close, 2, NthOf::Opening);
        const TimeMs on = CheckedTime(FrameToMs(IntegerField(onText), fps), onText);
        const TimeMs off = CheckedTime(FrameToMs(IntegerField(offText), fps), offText);
        WriteNumberLine(run, ++counter);
        WriteTimingLine(timing, on, off);
        run.WriteLine(std::string_view(timing, sizeof timing));
        // One display line per "|"-separated part, empty parts included; the style codes become
        // tags.
        const std::size_t dropped =
            styles.Convert(TextAfterNthChar(line, close, 2),
                           [&](std::string_view display) { run.WriteLine(display); });
        run.WriteLine("");
        if (dropped != 0) {
            run.report().push_back(std::to_string(counter) +
                                   " = Control codes dropped: " + std::to_string(dropped));
        }
    }
}

// Streams a million-record file: each frame line is written piece by piece as its record is
// read (the frames, then each display line), so neither a long text nor a record of many lines
// is ever held in memory, and the loop makes no heap allocation once its buffers have grown.
void ConvertSrtToSub(FrameRun& run, const ConvertParams& params, long double fps) {
    LineWriter& out = run.out();
    std::string_view line;
    std::string frames;   // the frame part of a frame line
    bool inText = false;  // a frame line is being written: its record has not ended yet
    // The first display line follows the frames directly, the others a "|". Kept as a flag:
    // a look at the last character would misread other brackets and a text ending in "}".
    bool hasText = false;
    // A number line inside a record is either text ("1984") or the number of a record that
    // follows without an empty line; the next line decides.
    std::string heldNumber;
    bool holding = false;
    bool lastLineBlank = true;
    long counter = 0;         // frame lines written
    std::size_t dropped = 0;  // tags of the current record MicroDVD cannot say
    SubRipStyles styles;
    std::string styled;

    // A text line's leading blanks go (a line of blanks is padding and adds nothing); its tags
    // become MicroDVD codes.
    const auto append = [&](std::string_view text) {
        if (text.find('<') != npos) {
            styled.clear();
            dropped += styles.Convert(text, styled);
            text = styled;
        } else {
            while (!text.empty() && text.front() == ' ')
                text.remove_prefix(1);
        }
        if (text.empty()) return;
        if (hasText) out.WriteRaw("|");
        out.WriteRaw(text);
        hasText = true;
    };
    const auto endLine = [&] {
        if (holding) append(heldNumber);
        holding = false;
        out.WriteRaw("\r\n");
        inText = false;
        if (dropped != 0) {
            run.report().push_back(std::to_string(counter) +
                                   " = Tags dropped: " + std::to_string(dropped));
        }
        dropped = 0;
    };

    while (run.ReadLine(line)) {
        lastLineBlank = IsBlankLine(line);
        if (Contains(line, "-->")) {
            // A line quoting an arrow that is no timing line is text.
            if (const auto timing = ParseTimingLine(line, params.timeCorrection)) {
                holding = false;  // it was the number of this record
                // A record not ended by an empty line is written, not replaced.
                if (inText) endLine();
                frames.clear();
                frames += params.openBracket;
                AppendNumber(frames, MsToFrame(timing->on, fps));
                frames += params.closeBracket;
                frames += params.openBracket;
                AppendNumber(frames, MsToFrame(timing->off, fps));
                frames += params.closeBracket;
                out.WriteRaw(frames);
                inText = true;
                hasText = false;
                ++counter;
                styles.StartRecord();
                continue;
            }
        }
        if (!inText) continue;
        if (lastLineBlank) {
            endLine();
            continue;
        }
        if (holding) {
            append(heldNumber);
            holding = false;
        }
        if (IsNumberStr(line)) {
            heldNumber.assign(line);
            holding = true;
            continue;
        }
        append(line);
    }
    if (inText) endLine();
    if (!lastLineBlank) run.WriteLine("");
}

void ConvertSubTimeToSrt(FrameRun& run, const ConvertParams& params) {
    std::string line;
    bool more = run.ReadLine(line);
    // The header: the bracketed lines at the top of the file.
    while (more && line.starts_with('[')) {
        more = run.ReadLine(line);
    }
    long counter = 0;
    std::string timing;
    LineList pieces;
    for (; more; more = run.ReadLine(line)) {
        // A line that begins with hh:mm:ss but holds no "," is copied like any other line.
        if (!IsTimeText(line) || !Contains(line, ",")) {
            run.WriteLine(line);
            continue;
        }
        // hh:mm:ss.cc,hh:mm:ss.cc, rewritten as text: the fractions (hundredths) are filled on
        // the right to milliseconds; the times are not validated.
        const std::string_view onText = TextBeforeChar(line, ',');
        const std::string_view offText = TextAfterLastChar(line, ',');
        std::string_view offClock = TextBeforeChar(offText, '.');
        if (offClock.starts_with(' ')) offClock.remove_prefix(1);
        timing.assign(TextBeforeChar(onText, '.'));
        timing += ',';
        timing += PadMilliseconds(TextAfterChar(onText, '.'), true);
        timing += " --> ";
        timing += offClock;
        timing += ',';
        timing += PadMilliseconds(TextAfterChar(offText, '.'), true);
        WriteNumberLine(run, ++counter);
        run.WriteLine(timing);

        std::size_t length = 0;
        bool ended = false;
        while ((more = run.ReadLine(line))) {
            if (IsBlankLine(line)) {
                ended = true;
                break;
            }
            if (PosNoCase("[br]", line) == 0) {
                const std::string_view text = WithoutLeadingBlanks(line);
                run.WriteLine(text);
                length += text.size();
                continue;
            }
            pieces.clear();
            SplitByStr(line, "[br]", pieces, true);
            length += WritePieces(run, pieces);
        }
        CheckFullLength(run, counter, length, params.subtitleFullLength);
        // The empty line that ended the text; at the end of the file there is none.
        if (ended) run.WriteLine(line);
        if (!more) break;
    }
}

// One SubStation time field "h:mm:ss.cc" as a SubRip time text "hh:mm:ss,ccc". A negative time
// (some tools write the lead-in of a film as "-0:00:06.84") is no SubRip time: it becomes
// 00:00:00,000 and the result is false.
bool AppendSsaTime(std::string& out, std::string_view field, bool dropBlank) {
    std::string_view clock = TextBeforeChar(field, '.');
    if (dropBlank && clock.starts_with(' ')) clock.remove_prefix(1);
    if (clock.starts_with('-')) {
        out += "00:00:00,000";
        return false;
    }
    if (clock.find(':') == 1) out += '0';
    out += clock;
    out += ',';
    out += PadMilliseconds(TextAfterChar(field, '.'), true);
    return true;
}

// The invisible-text marker that stands between display lines in some SubStation files.
constexpr std::string_view kAlphaBreak = "{\\alpha&HFF&}";

bool IsAsciiDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Builds the SubRip display lines of one SubStation text, in a single pass over it: a text of
// 800,000 override blocks takes no longer than its length says.
//
// The styles that SubRip has (bold, italics, underline, the primary colour) are carried over as
// tag pairs, from every override block, the one that opens the text too. SubStation
// switches each on and off independently, so the pairs may cross ({\b1}a{\i1}b{\b0}c); SubRip
// tags must nest, so a tag closed under another is closed with it and the other opened again.
// Tags open lazily, before the next visible character, and a style still on at the end of the
// text is closed there; a line of nothing but switches therefore writes nothing. Leading blanks of
// a display line go: a SubRip line of one blank would end the record.
class SsaTextConverter {
  public:
    explicit SsaTextConverter(LineList& lines) : lines_(lines) {}

    void Convert(std::string_view text) {
        lines_.clear();
        current_.clear();
        currentHasText_ = broke_ = false;
        skippedBlanks_ = 0;
        wanted_.clear();
        written_.clear();
        for (std::size_t i = 0; i < text.size();) {
            const char c = text[i];
            if (c == '{' && i + 1 < text.size() && text[i + 1] == '\\') {
                const std::size_t close = text.find('}', i);
                if (close != npos) {
                    const std::string_view block = text.substr(i, close - i + 1);
                    if (block == kAlphaBreak) {
                        Break();
                    } else {
                        Block(block.substr(2, block.size() - 3));
                    }
                    i = close + 1;
                    continue;
                }
                // An override block that is never closed is text.
            }
            if (c == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 'N')) {
                Break();
                i += 2;
                continue;
            }
            if (c == ' ' && !currentHasText_) {
                ++i;  // a leading blank of the display line
                ++skippedBlanks_;
                continue;
            }
            if (c != ' ') Sync();
            current_ += c;
            currentHasText_ = currentHasText_ || c != ' ';
            ++i;
        }
        // Every style still open is closed with the text.
        std::string& last = currentHasText_ || lines_.empty() ? current_ : lines_.back();
        CloseDownTo(0, last);
        // A text without a break is one line, blank or not (a blank one as it came); pieces
        // between breaks that are blank are left out.
        if (!broke_ && current_.empty()) current_.assign(skippedBlanks_, ' ');
        if (!broke_ || !IsBlankLine(current_)) lines_.push_back(current_);
    }

  private:
    // The tags of one override block, "\b1\fs20\i0" without its braces.
    void Block(std::string_view tags) {
        for (std::size_t start = 0; start <= tags.size();) {
            const std::size_t end = std::min(tags.find('\\', start), tags.size());
            Tag(tags.substr(start, end - start));
            start = end + 1;
        }
    }

    void Tag(std::string_view tag) {
        if (tag.empty()) return;
        // \c&HBBGGRR& and \1c&HBBGGRR&: the primary colour; \c alone goes back to the style's.
        if (LowerAscii(tag[0]) == 'c' && (tag.size() == 1 || tag[1] == '&')) {
            Colour(tag.substr(1));
            return;
        }
        if (tag.size() >= 2 && tag[0] == '1' && LowerAscii(tag[1]) == 'c' &&
            (tag.size() == 2 || tag[2] == '&')) {
            Colour(tag.substr(2));
            return;
        }
        const char name = LowerAscii(tag[0]);
        if (name == 'r') {  // \r, \rStyle: back to the style, every switch off
            wanted_.clear();
            CloseUnwanted();
            return;
        }
        if ((name != 'b' && name != 'i' && name != 'u') || !IsAsciiDigits(tag.substr(1))) return;
        // \b may give a weight instead of 0 or 1: bold is a weight above the normal 400.
        const std::string_view digits = tag.substr(1);
        bool on = false;
        if (digits.size() == 1) {
            on = digits[0] != '0';
        } else if (!digits.empty()) {
            on = digits.size() > 3 || (digits.size() == 3 && digits > "400");
        }
        const std::size_t at = wanted_.find(name);
        if (on && at == npos) wanted_ += name;
        if (!on && at != npos) {
            wanted_.erase(at, 1);
            CloseUnwanted();
        }
    }

    void Colour(std::string_view value) {
        const std::size_t at = wanted_.find('c');
        if (at != npos) {
            // A colour that changes closes the font tag (with those opened after it) first.
            wanted_.erase(at, 1);
            CloseUnwanted();
        }
        if (value.empty()) return;
        // "&HBBGGRR&": blue, green, red; leading zeros may be left out ("&HFF&" is red).
        if (value.size() < 3 || value[0] != '&' || LowerAscii(value[1]) != 'h') return;
        value.remove_prefix(2);
        if (value.ends_with('&')) value.remove_suffix(1);
        if (value.empty() || value.size() > 6 ||
            !std::all_of(value.begin(), value.end(), [](char c) {
                const char l = LowerAscii(c);
                return (l >= '0' && l <= '9') || (l >= 'a' && l <= 'f');
            })) {
            return;
        }
        std::string bgr(6 - value.size(), '0');
        bgr += value;
        wantedColour_ = "#" + bgr.substr(4, 2) + bgr.substr(2, 2) + bgr.substr(0, 2);
        wanted_ += 'c';
    }

    // Closes, where it was written, every tag that is no longer wanted, with the tags opened
    // after it; the wanted ones among those open again before the next visible character.
    void CloseUnwanted() {
        std::size_t keep = 0;
        while (keep < written_.size() && wanted_.find(written_[keep]) != npos)
            ++keep;
        std::string& target = currentHasText_ || lines_.empty() ? current_ : lines_.back();
        CloseDownTo(keep, target);
    }

    void CloseDownTo(std::size_t keep, std::string& target) {
        while (written_.size() > keep) {
            if (written_.back() == 'c') {
                target += "</font>";
            } else {
                target += "</";
                target += written_.back();
                target += '>';
            }
            written_.pop_back();
        }
    }

    // Opens the wanted tags not open yet, in the order they were switched on.
    void Sync() {
        if (written_.size() == wanted_.size()) return;
        for (const char tag : wanted_) {
            if (written_.find(tag) != npos) continue;
            if (tag == 'c') {
                current_ += "<font color=\"";
                current_ += wantedColour_;
                current_ += "\">";
            } else {
                current_ += '<';
                current_ += tag;
                current_ += '>';
            }
            written_ += tag;
        }
    }

    void Break() {
        broke_ = true;
        if (!IsBlankLine(current_)) lines_.push_back(current_);
        current_.clear();
        currentHasText_ = false;
        skippedBlanks_ = 0;
    }

    LineList& lines_;
    std::string current_;
    bool currentHasText_ = false;
    std::size_t skippedBlanks_ = 0;  // leading blanks passed over in the current line
    bool broke_ = false;
    std::string wanted_;        // the styles switched on, in order ("c": the colour)
    std::string written_;       // the tags open in the written text, innermost last
    std::string wantedColour_;  // "#RRGGBB" of the wanted colour
};

void ConvertSsaToSrt(FrameRun& run, const ConvertParams& params) {
    std::string_view line;
    bool started = false;
    long counter = 0;
    std::string timing;
    LineList pieces;
    while (run.ReadLine(line)) {
        if (!started) {
            if (!Contains(line, "[Events]") && !Contains(line, "Dialogue:")) continue;
            started = true;
        }
        if (!Contains(line, "Dialogue:")) continue;
        if (!Contains(line, ",")) {
            run.WriteLine("");
            continue;
        }
        timing.clear();
        bool inRange = AppendSsaTime(timing, TextBetweenChars(line, ',', ','), false);
        timing += " --> ";
        inRange =
            AppendSsaTime(timing, TextBetweenChars(line, ',', ',', 2, NthOf::Opening), true) &&
            inRange;
        WriteNumberLine(run, ++counter);
        run.WriteLine(timing);
        if (!inRange) {
            run.report().push_back(std::to_string(counter) +
                                   " = Negative time set to 00:00:00,000");
        }

        SsaTextToSubRip(TextAfterNthChar(line, ',', 9), pieces);
        std::size_t length = 0;
        for (const std::string& piece : pieces) {
            run.WriteLine(piece);
            length += piece.size();
        }
        run.WriteLine("");
        CheckFullLength(run, counter, length, params.subtitleFullLength);
    }
}

}  // namespace

void SsaTextToSubRip(std::string_view text, LineList& lines) {
    // A leading block of braces without overrides ("{note}") is a comment and goes; override
    // blocks, the leading one too, carry their styles.
    if (text.starts_with('{') && !text.starts_with("{\\")) {
        const std::size_t close = text.find('}');
        if (close != npos) text.remove_prefix(close + 1);
    }
    SsaTextConverter(lines).Convert(text);
}

RunResult SubToSrt(const std::string& input, const std::string& output, const ConvertParams& params,
                   Host& host) {
    return RunWithRate(input, output, params, host,
                       [&](FrameRun& run, long double fps) { ConvertSubToSrt(run, params, fps); });
}

RunResult SrtToSub(const std::string& input, const std::string& output, const ConvertParams& params,
                   Host& host) {
    return RunWithRate(input, output, params, host,
                       [&](FrameRun& run, long double fps) { ConvertSrtToSub(run, params, fps); });
}

RunResult SubTimeToSrt(const std::string& input, const std::string& output,
                       const ConvertParams& params, Host& host) {
    // Its ".sub" files are SubViewer files, which every MicroDVD command refuses.
    const FrameRequest request{.input = input,
                               .output = output,
                               .steps = ReportingSteps(params.interactive),
                               .subOfAnyFormat = true};
    return RunInFrame(request, host, [&](FrameRun& run) { ConvertSubTimeToSrt(run, params); });
}

RunResult SsaToSrt(const std::string& input, const std::string& output, const ConvertParams& params,
                   Host& host) {
    const FrameRequest request{
        .input = input, .output = output, .steps = ReportingSteps(params.interactive)};
    return RunInFrame(request, host, [&](FrameRun& run) { ConvertSsaToSrt(run, params); });
}

// --- Descriptor --------------------------------------------------------------------------------

namespace {

// The items of cbSubToSub.
enum ConvertVariant { kSubToSrt, kSrtToSub, kSubTimeToSrt, kSsaToSrt };

RunResult RunConversion(OperationContext& c, const RunArgs& a) {
    const Settings& s = c.settings;
    const ConvertParams params{.framesPerSecond = s.Text("FramesAtSec"),
                               .openBracket = FirstChar(s.Text("OpenBrackets"), '{'),
                               .closeBracket = FirstChar(s.Text("CloseBrackets"), '}'),
                               .timeCorrection = s.Bool("TimeCorrection"),
                               .subtitleFullLength = s.Int("SubtitleFullLength"),
                               .interactive = a.interactive};
    switch (a.variant) {
        case kSubToSrt:
            return SubToSrt(a.input, a.output, params, c.host);
        case kSrtToSub:
            return SrtToSub(a.input, a.output, params, c.host);
        case kSubTimeToSrt:
            return SubTimeToSrt(a.input, a.output, params, c.host);
        case kSsaToSrt:
            return SsaToSrt(a.input, a.output, params, c.host);
    }
    return RunResult::Skipped;
}

// Sub --> Sub has no indicator of its own: the status bar says what it wrote.
RunResult RunConvert(OperationContext& c, const RunArgs& a) {
    const RunResult result = RunConversion(c, a);
    if (result == RunResult::Done) {
        c.host.SetStatusBar(std::string(FileNameOf(a.output)) + " written (" +
                            std::string(kSubToSubItems[static_cast<std::size_t>(a.variant)]) + ")");
    }
    return result;
}

std::optional<std::string> CheckFramesAtSec(std::string_view value, std::string& stored) {
    if (!ParseFramesPerSecond(value)) {
        return "--fps takes a rate such as 25 or 23,976, not '" + std::string(value) + "'";
    }
    stored = value;
    return std::nullopt;
}

std::optional<std::string> CheckConvertOptions(const OptionValues& values) {
    const auto to = values.find("--to");
    if (values.contains("--from") && to != values.end() && to->second != "srt") {
        return std::string("--from subtime converts to srt only");
    }
    return std::nullopt;
}

// Without --to or --from the direction follows the file's extension, in any letter case.
bool ChooseConversion(const OptionValues& values, std::string_view path, int& variant) {
    const std::string ext = LowerExtOf(path);
    const bool ssa = ext == "ssa" || ext == "ass";
    const auto to = values.find("--to");
    if (values.contains("--from")) {
        variant = kSubTimeToSrt;
    } else if (to != values.end()) {
        variant = to->second == "sub" ? kSrtToSub : ssa ? kSsaToSrt : kSubToSrt;
    } else if (ext == "srt") {
        variant = kSrtToSub;
    } else if (ext == "sub") {
        variant = kSubToSrt;
    } else if (ssa) {
        variant = kSsaToSrt;
    } else {
        return false;
    }
    return true;
}

constexpr OptionDef kConvertOptions[] = {
    {.name = "--to",
     .kind = OptionKind::Text,
     .valueName = "srt|sub",
     .choices = "srt|sub",
     .help = "the target format"},
    {.name = "--from",
     .kind = OptionKind::Text,
     .valueName = "subtime",
     .choices = "subtime",
     .help = "read the bracketed SubTime format"},
    {.name = "--fps",
     .kind = OptionKind::Text,
     .valueName = "RATE",
     .control = "FramesAtSec",
     .setting = true,
     .check = CheckFramesAtSec,
     .help = "the frame rate of the MicroDVD side for this run (25, 23,976, 29,970)"},
};
constexpr std::string_view kConvertSettings[] = {"FramesAtSec", "OpenBrackets", "CloseBrackets",
                                                 "TimeCorrection", "SubtitleFullLength"};
constexpr std::string_view kConvertControls[] = {"cbSubToSub"};
constexpr Trigger kConvertTriggers[] = {{"btnSubToSub", kVariantFromControl}};
// The converted file is named after the target format: film.sub gives film.srt.
constexpr VariantCode kConvertCodes[] = {
    {kSubToSrt, 2}, {kSrtToSub, 3}, {kSubTimeToSrt, 15}, {kSsaToSrt, 27}};

}  // namespace

extern const Operation kConvertOperation{
    .command = "convert",
    .summary = "convert between SubRip, MicroDVD and SubStation Alpha",
    .help =
        "Converts each file by its extension: film.srt to film.sub, film.sub to film.srt,\n"
        "film.ssa or film.ass to film.srt. Styles go across (MicroDVD {y:i} and {c:$BBGGRR},\n"
        "SubStation override blocks, SubRip <i>, <b>, <u>, <font color>); what the target\n"
        "cannot say is dropped and counted in film.conv, which also lists over-long\n"
        "subtitles (SubStation Alpha, SubTime) and negative SubStation times. A .sub\n"
        "file that is not MicroDVD is refused; --from subtime reads SubViewer files.",
    .options = kConvertOptions,
    .checkOptions = CheckConvertOptions,
    .preparePath = ChooseConversion,
    .triggers = kConvertTriggers,
    .variantControl = "cbSubToSub",
    .logText = "[Sub --> Sub] Click",
    .codes = kConvertCodes,
    .settings = kConvertSettings,
    .controls = kConvertControls,
    .run = RunConvert,
};

}  // namespace tessaline
