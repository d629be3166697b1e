#include "ops/recode.hpp"

#include <array>
#include <optional>

#include "core/codepages.hpp"
#include "core/paths.hpp"
#include "core/strings.hpp"
#include "files/fs.hpp"

namespace tessaline {
namespace {

// The existing-output message is shown in every run, also over a folder: nothing else would
// tell that a file was left unconverted.
constexpr FrameSteps kRecodeSteps{.interactive = true};

// Splits decoded text into lines as LineReader does (at LF, one CR before it dropped; a last
// line without an end is still a line) and writes them.
class LineAssembler {
  public:
    explicit LineAssembler(FrameRun& run) : run_(run) {}

    void Add(std::string_view text) {
        for (std::size_t nl; (nl = text.find('\n')) != std::string_view::npos;
             text.remove_prefix(nl + 1)) {
            pending_.append(text.substr(0, nl));
            WritePending();
        }
        pending_.append(text);
    }
    void Finish() {
        if (!pending_.empty()) WritePending();
    }

  private:
    void WritePending() {
        if (!pending_.empty() && pending_.back() == '\r') pending_.pop_back();
        run_.WriteLine(pending_);
        pending_.clear();
    }

    FrameRun& run_;
    std::string pending_;
};

std::size_t ConvertUtf16(FrameRun& run, bool bigEndian) {
    Utf16Decoder decoder(bigEndian);
    LineAssembler lines(run);
    std::string_view block;
    std::string text;
    while (run.in().ReadBlock(block)) {
        text.clear();
        decoder.Decode(block, text);
        lines.Add(text);
    }
    lines.Finish();
    return decoder.lost();
}

// Returns how many characters were left out because Windows-1251 lacks them.
std::size_t ConvertLines(FrameRun& run, int mode) {
    std::string_view line;
    std::string converted;
    bool first = true;
    std::size_t lost = 0;
    while (run.ReadLine(line)) {
        converted.clear();
        lost += AppendConverted(converted, line, mode, first);
        run.WriteLine(converted);
        first = false;
    }
    return lost;
}

// What a conversion to Windows-1251 could not keep ("" when it kept everything): a "♪" or a
// Chinese letter has no Windows-1251 byte, and a user should not find it gone unwarned.
std::string LostNote(std::size_t lost) {
    if (lost == 0) return {};
    return "left out " + std::to_string(lost) + (lost == 1 ? " character" : " characters") +
           " that Windows-1251 lacks";
}

// How an encoding is brought to Windows-1251: the conversion mode (0 for UTF-16, which is
// decoded as a stream).
struct Fix {
    TextEncoding encoding;
    int mode;
};
constexpr Fix kFixes[] = {
    {TextEncoding::Koi8r, 12},
    {TextEncoding::Cp866, 4},
    {TextEncoding::Iso88595, 8},
    {TextEncoding::Mac, 16},
    {TextEncoding::Utf8, kModeUtf8ToWin1251},
    {TextEncoding::Utf16le, 0},
    {TextEncoding::Utf16be, 0},
};

const Fix* FixOf(TextEncoding encoding) {
    for (const Fix& fix : kFixes) {
        if (fix.encoding == encoding) return &fix;
    }
    return nullptr;
}

std::string Describe(const EncodingGuess& guess) {
    return std::string(EncodingName(guess.encoding)) + " (" + guess.reason + ")";
}

}  // namespace

std::string DetectionLine(std::string_view path, const EncodingGuess& guess) {
    return std::string(path) + ": " + Describe(guess);
}

namespace {

// The encoding a conversion from Windows-1251 writes; nothing for the other modes.
std::optional<TextEncoding> TargetOfMode(int mode) {
    if (mode == kModeWin1251ToUtf8) return TextEncoding::Utf8;
    if (mode < 1 || mode > 20) return std::nullopt;
    const ModePages pages = PagesOfMode(mode);
    if (pages.from != CodePage::Win1251) return std::nullopt;
    switch (pages.to) {
        case CodePage::Cp866:
            return TextEncoding::Cp866;
        case CodePage::Iso88595:
            return TextEncoding::Iso88595;
        case CodePage::Koi8r:
            return TextEncoding::Koi8r;
        case CodePage::Mac:
            return TextEncoding::Mac;
        case CodePage::Win1251:
            break;
    }
    return std::nullopt;
}

// The conversions read the file's bytes as they are: the mode says what they are.
const FileEncoding kBytesAsTheyAre{};

}  // namespace

RunResult ConvertFile(const std::string& input, const std::string& output, int mode, Host& host) {
    FrameRequest request{.input = input, .output = output, .steps = kRecodeSteps};
    request.inputEncoding = kBytesAsTheyAre;
    const std::optional<TextEncoding> target = TargetOfMode(mode);
    if (target && !input.empty() && input.find('*') == std::string::npos &&
        IsRegularFile(input)) {
        // A conversion to an encoding starts from the one the file is in, not always from
        // Windows-1251: a UTF-8 file converted to UTF-8 again would be garbled.
        const FileEncoding from = DecideFileEncoding(input);
        if (from.encoding == *target) {
            host.SetStatusBar(input + " is already " + std::string(EncodingName(*target)) +
                              ": nothing to convert");
            return RunResult::Skipped;
        }
        if (from.form() == TextForm::Utf8) {
            request.inputEncoding.reset();
            // A conversion to UTF-8 puts a byte-order mark first, as from Windows-1251.
            request.outputEncoding = FileEncoding{*target, *target == TextEncoding::Utf8};
            return RunInFrame(request, host, [&](FrameRun& run) {
                std::string_view line;
                while (run.ReadLine(line))
                    run.WriteLine(line);
            });
        }
    }
    std::size_t lost = 0;
    const RunResult result =
        RunInFrame(request, host, [&](FrameRun& run) { lost = ConvertLines(run, mode); });
    if (result == RunResult::Done && lost > 0) host.SetStatusBar(input + ": " + LostNote(lost));
    return result;
}

RunResult ConvertDetected(const std::string& input, const std::string& output, Host& host) {
    if (input.find('*') != std::string::npos || !IsRegularFile(input)) return RunResult::Skipped;
    (void)DecideFileEncoding(input);  // a file of no text is refused before anything else
    const EncodingGuess guess = DetectFileEncoding(input);
    const Fix* fix = FixOf(guess.encoding);
    if (fix == nullptr) {
        host.SetStatusBar(DetectionLine(input, guess) + ": nothing to convert");
        return RunResult::Skipped;
    }
    FrameRequest request{.input = input, .output = output, .steps = kRecodeSteps};
    request.inputEncoding = kBytesAsTheyAre;
    std::size_t lost = 0;
    const RunResult result = RunInFrame(request, host, [&](FrameRun& run) {
        lost = fix->mode != 0 ? ConvertLines(run, fix->mode)
                              : ConvertUtf16(run, guess.encoding == TextEncoding::Utf16be);
    });
    if (result == RunResult::Done) {
        const std::string note = LostNote(lost);
        host.SetStatusBar(DetectionLine(input, guess) + ": converted to windows-1251" +
                          (note.empty() ? "" : ", " + note));
    }
    return result;
}

// --- Descriptors -------------------------------------------------------------------------------

namespace {

// The variants: the menu items in menu order, then the detected conversion.
enum RecodeVariant {
    kWinToIso,
    kWinToCp866,
    kWinToKoi8r,
    kWinToMac,
    kWinToUtf8,
    kIsoToWin,
    kCp866ToWin,
    kKoi8rToWin,
    kMacToWin,
    kUtf8ToWin,
    kAutoToWin,
};
constexpr std::array<int, kAutoToWin> kVariantMode = {18, 17, 19, 20, kModeWin1251ToUtf8,
                                                      8,  4,  12, 16, kModeUtf8ToWin1251};

RunResult RunRecode(OperationContext& c, const RunArgs& a) {
    if (a.variant == kAutoToWin) return ConvertDetected(a.input, a.output, c.host);
    if (a.variant < 0 || a.variant >= kAutoToWin) return RunResult::Skipped;
    return ConvertFile(a.input, a.output, kVariantMode[static_cast<std::size_t>(a.variant)],
                       c.host);
}

constexpr std::string_view kEncodings = "cp866|iso-8859-5|koi8-r|mac|utf-8";

std::optional<std::string> CheckRecodeOptions(const OptionValues& values) {
    if (values.contains("--to") == values.contains("--from")) {
        return std::string("give exactly one of --to ENC and --from ENC");
    }
    return std::nullopt;
}

bool ChooseRecode(const OptionValues& values, std::string_view, int& variant) {
    constexpr std::string_view kNames[] = {"iso-8859-5", "cp866", "koi8-r", "mac", "utf-8"};
    const auto to = values.find("--to");
    const std::string& name = to != values.end() ? to->second : values.find("--from")->second;
    if (name == "auto") {
        variant = kAutoToWin;
        return true;
    }
    for (int i = 0; i < 5; ++i) {
        if (kNames[i] != name) continue;
        variant = to != values.end() ? i : i + kIsoToWin;
        return true;
    }
    return false;
}

constexpr OptionDef kRecodeOptions[] = {
    {.name = "--to",
     .kind = OptionKind::Text,
     .valueName = "ENC",
     .choices = kEncodings,
     .help = "from Windows-1251 to ENC"},
    {.name = "--from",
     .kind = OptionKind::Text,
     .valueName = "ENC",
     .choices = "cp866|iso-8859-5|koi8-r|mac|utf-8|auto",
     .help = "from ENC to Windows-1251; auto: the detected code page"},
};

// Only the UTF-8 conversions (and the detected one) write a log line.
constexpr Trigger kRecodeTriggers[] = {
    {"mnWin2ISO", kWinToIso},
    {"mnWin2Alt", kWinToCp866},
    {"mnWin2KOI8R", kWinToKoi8r},
    {"mnWin2Mac", kWinToMac},
    {"mnWin2UTF8", kWinToUtf8, "[win1251 --> UTF8] Click"},
    {"mnISO2Win", kIsoToWin},
    {"mnAlt2Win", kCp866ToWin},
    {"mnKOI8R2Win", kKoi8rToWin},
    {"mnMac2Win", kMacToWin},
    {"mnUTF82Win", kUtf8ToWin, "[UTF8 --> win1251] Click"},
    {"mnAuto2Win", kAutoToWin, "[auto --> win1251] Click"},
};
// Code 43 passes its variant on: the UTF-8 conversion of its menu item, and the detected
// conversion, which has no code of its own and runs over a folder as 43 does (same output, same
// messages).
constexpr VariantCode kRecodeCodes[] = {
    {kWinToIso, 34}, {kWinToCp866, 35}, {kWinToKoi8r, 36}, {kWinToMac, 37}, {kWinToUtf8, 38},
    {kIsoToWin, 39}, {kCp866ToWin, 40}, {kKoi8rToWin, 41}, {kMacToWin, 42}, {kAnyVariant, 43},
};

RunResult RunDetectEncoding(OperationContext& c, const RunArgs& a) {
    if (!IsRegularFile(a.input)) return RunResult::Skipped;
    (void)DecideFileEncoding(a.input);  // a file of no text is refused
    c.host.PrintResult(DetectionLine(a.input, DetectFileEncoding(a.input)));
    return RunResult::Done;
}

}  // namespace

extern const Operation kRecodeOperation{
    .command = "recode",
    .summary = "convert the code page of files to or from Windows-1251",
    .help =
        "Converts PATH into film.out: to ENC from the encoding the file is in (--to; a file\n"
        "already in ENC is left alone), or from ENC to Windows-1251 (--from). ENC is cp866, iso-8859-5, koi8-r, mac (Mac Cyrillic) or utf-8;\n"
        "--from auto detects the code page of each file (UTF-16 with a byte-order mark too) and\n"
        "leaves a file alone that is already Windows-1251 or ASCII. Only letters change: other\n"
        "bytes of the single-byte code pages are kept as they are. From UTF-8 or UTF-16,\n"
        "characters that Windows-1251 lacks are left out, and a line says how many.",
    .options = kRecodeOptions,
    .checkOptions = CheckRecodeOptions,
    .preparePath = ChooseRecode,
    .triggers = kRecodeTriggers,
    .codes = kRecodeCodes,
    .run = RunRecode,
};

extern const Operation kDetectEncodingOperation{
    .command = "detect-encoding",
    .summary = "print the code page of files",
    .help =
        "Prints one line per file: PATH: ENC (reason). ENC is windows-1251, koi8-r, cp866,\n"
        "iso-8859-5, mac, utf-8, utf-16le, utf-16be or ascii; the reason says what it rests on\n"
        "(a byte-order mark, or how many Cyrillic letters the bytes give in that code page).",
    .logText = "[Detect Encoding] Click",
    .outputExt = "",
    .run = RunDetectEncoding,
};

}  // namespace tessaline
