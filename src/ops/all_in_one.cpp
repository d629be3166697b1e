#include "ops/all_in_one.hpp"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/chars.hpp"
#include "core/errors.hpp"
#include "core/paths.hpp"
#include "files/encoding.hpp"
#include "files/file_commands.hpp"
#include "files/fs.hpp"
#include "files/held_file.hpp"
#include "files/line_io.hpp"
#include "files/ordered_runner.hpp"
#include "files/sub_kind.hpp"
#include "ops/catalogue.hpp"

namespace tessaline {

namespace {

// The bytes of a stream as they pass, in pieces of any size: two streams of the same bytes end
// with the same value however they were cut. Four independent 64-bit lanes over 32-byte
// stripes (the rounds of xxHash64), so that hashing costs a fraction of copying the bytes.
class StreamHash {
  public:
    void Add(std::string_view bytes) {
        size_ += bytes.size();
        if (tailSize_ > 0) {
            const std::size_t take = std::min(bytes.size(), kStripe - tailSize_);
            std::memcpy(tail_ + tailSize_, bytes.data(), take);
            tailSize_ += take;
            bytes.remove_prefix(take);
            if (tailSize_ < kStripe) return;
            Stripe(tail_);
            tailSize_ = 0;
        }
        while (bytes.size() >= kStripe) {
            Stripe(bytes.data());
            bytes.remove_prefix(kStripe);
        }
        std::memcpy(tail_, bytes.data(), bytes.size());
        tailSize_ = bytes.size();
    }
    bool operator==(const StreamHash& other) const {
        return size_ == other.size_ && lanes_ == other.lanes_ &&
               std::string_view(tail_, tailSize_) == std::string_view(other.tail_, other.tailSize_);
    }

  private:
    static constexpr std::size_t kStripe = 32;
    static constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
    static constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
    void Stripe(const char* bytes) {
        for (std::size_t lane = 0; lane < 4; ++lane) {
            std::uint64_t word;
            std::memcpy(&word, bytes + 8 * lane, 8);
            lanes_[lane] = std::rotl(lanes_[lane] + word * kPrime2, 31) * kPrime1;
        }
    }
    std::array<std::uint64_t, 4> lanes_ = {kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1};
    std::uint64_t size_ = 0;
    char tail_[kStripe] = {};
    std::size_t tailSize_ = 0;
};

// The end of a step's input when the step before it did not give the chain's result (it failed,
// or its lines were not what the next step would have read from the file).
class ChainBroken : public std::runtime_error {
  public:
    ChainBroken() : std::runtime_error("the step before failed") {}
};

// The in-memory pipe from one step to the next: a ring of its own, so that the writing step
// goes on with its next lines while the reading step works through the ones before (a step
// waiting for the other to take or give a whole block would run the chain one step at a time).
// One thread writes and one reads: each copies into or out of its part of the ring without the
// lock, which only guards how much of the ring is filled. The end comes only with the writing
// step's verdict, so a step never finishes (and writes its report) on lines that are not the
// chain's.
class ChainPipe final : public ByteChannel {
  public:
    // The bytes are hashed as they pass (for a step that may keep no output, or the one after
    // it). Set before the first byte.
    void HashBytes() { hashed_ = true; }
    [[nodiscard]] bool hashed() const { return hashed_; }

    std::size_t Read(char* data, std::size_t size) override {
        const std::string_view filled = Filled();
        const std::size_t n = std::min(size, filled.size());
        if (n > 0) std::memcpy(data, filled.data(), n);
        Release(n);
        return n;
    }

    // The filled part of the ring from where the reader is, up to the ring's end, waiting
    // until some is filled; empty at the end. Only the writer adds to the ring, and only into
    // the part that is not filled: the filled part stays as it is until it is released.
    std::string_view Filled() {
        std::size_t filled = 0;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return filled_ > 0 || ended_; });
            if (filled_ == 0) {
                if (!sound_) throw ChainBroken();
                return {};
            }
            filled = filled_;
        }
        return {ring_.get() + readAt_, std::min(filled, kRingSize - readAt_)};
    }

    // The first `size` bytes of what Filled gave are read: the writer may fill them again.
    void Release(std::size_t size) {
        if (size == 0) return;
        readAt_ = (readAt_ + size) % kRingSize;
        const std::scoped_lock lock(mutex_);
        filled_ -= size;
        changed_.notify_all();
    }

    void Write(std::string_view bytes) override {
        if (bytes.empty()) return;
        // A writer hands over its buffer, or a longer line on its own. Seven steps holding a
        // line longer than 1 MiB at once would take seven times its size: the chain gives up
        // and runs one step after another, holding it once.
        if (bytes.size() > kLongestBlock) throw ChainBroken();
        if (hashed_) hash_.Add(bytes);
        while (!bytes.empty()) {
            std::size_t filled = 0;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return filled_ < kRingSize || abandoned_; });
                if (abandoned_) return;
                filled = filled_;
            }
            if (!ring_) ring_.reset(new char[kRingSize]);
            // The reader takes only from the filled part: the rest is the writer's.
            const std::size_t n =
                std::min({bytes.size(), kRingSize - filled, kRingSize - writeAt_});
            std::memcpy(ring_.get() + writeAt_, bytes.data(), n);
            writeAt_ = (writeAt_ + n) % kRingSize;
            bytes.remove_prefix(n);
            const std::scoped_lock lock(mutex_);
            if (abandoned_) return;
            filled_ += n;
            changed_.notify_all();
        }
    }

    // The free part of the ring from where the writer is, up to the ring's end: the writer
    // fills it in place. Once the reader has abandoned the pipe, the whole ring is free.
    std::span<char> Room() override {
        std::size_t filled = 0;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return filled_ < kRingSize || abandoned_; });
            if (!abandoned_) filled = filled_;
        }
        if (!ring_) ring_.reset(new char[kRingSize]);
        return {ring_.get() + writeAt_, std::min(kRingSize - filled, kRingSize - writeAt_)};
    }

    void Commit(std::size_t size) override {
        if (size == 0) return;
        if (hashed_) hash_.Add(std::string_view(ring_.get() + writeAt_, size));
        writeAt_ = (writeAt_ + size) % kRingSize;
        const std::scoped_lock lock(mutex_);
        if (abandoned_) return;
        filled_ += size;
        changed_.notify_all();
    }

    // No more bytes come; `sound` says whether they are the writing step's result.
    void End(bool sound) {
        const std::scoped_lock lock(mutex_);
        ended_ = true;
        sound_ = sound;
        changed_.notify_all();
    }

    // The reader wants no more bytes: later ones are only hashed.
    void Abandon() {
        const std::scoped_lock lock(mutex_);
        abandoned_ = true;
        filled_ = 0;
        changed_.notify_all();
    }

    // Waits for the end; whether the bytes were sound. The hash is complete from then on.
    bool WaitEnd() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return ended_; });
        return sound_;
    }

    [[nodiscard]] const StreamHash& hash() const { return hash_; }

  private:
    static constexpr std::size_t kLongestBlock = 1 << 20;
    // As large as a writer's buffer: the chain's memory stays that of its buffers whatever
    // the film's length (see the channel buffers of the line reader and writer).
    static constexpr std::size_t kRingSize = 1 << 18;
    std::unique_ptr<char[]> ring_;  // made by the writer with its first bytes
    std::size_t readAt_ = 0;        // the reader's alone
    std::size_t writeAt_ = 0;       // the writer's alone
    std::size_t filled_ = 0;        // guarded by the mutex
    bool ended_ = false;
    bool sound_ = false;
    bool abandoned_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool hashed_ = false;
    StreamHash hash_;  // written by the writer only, read after the end
};

// A channel that keeps nothing: the hash of what a file's lines would be in a pipe.
class HashChannel final : public ByteChannel {
  public:
    std::size_t Read(char*, std::size_t) override { return 0; }
    void Write(std::string_view bytes) override { hash_.Add(bytes); }
    [[nodiscard]] const StreamHash& hash() const { return hash_; }

  private:
    StreamHash hash_;
};

// The file's lines as a step would write them into a pipe.
void CopyFileLines(const std::string& path, const FileEncoding& encoding, ByteChannel& to) {
    LineReader in(path, encoding);
    LineWriter out(to, encoding, encoding.form());
    std::string_view line;
    while (in.ReadLine(line))
        out.WriteLine(line);
    out.Close();
}

// The bytes of a pipe, as they are, to `to` (the next pipe, the result file).
template <typename To>
void PassOn(ChainPipe& from, To&& to) {
    constexpr std::size_t kBlock = 64 * 1024;
    const std::unique_ptr<char[]> block(new char[kBlock]);
    for (;;) {
        const std::size_t n = from.Read(block.get(), kBlock);
        if (n == 0) return;
        to(std::string_view(block.get(), n));
    }
}

std::string_view ByteOrderMark(const FileEncoding& encoding) {
    if (!encoding.bom) return {};
    switch (encoding.encoding) {
        case TextEncoding::Utf8:
            return "\xEF\xBB\xBF";
        case TextEncoding::Utf16le:
            return "\xFF\xFE";
        case TextEncoding::Utf16be:
            return "\xFE\xFF";
        default:
            return {};
    }
}

// The first step's host also passes on how far it has read the file, for the waiting thread
// to show.
class FirstStepHost final : public KeptHost {
  public:
    void ShowReadProgress(std::uint64_t bytesRead, std::uint64_t bytesTotal) override {
        total.store(bytesTotal, std::memory_order_relaxed);
        read.store(bytesRead, std::memory_order_relaxed);
    }
    std::atomic<std::uint64_t> read{0};
    std::atomic<std::uint64_t> total{0};
};

// The steps one after another, each reading the file the step before left: every step's output
// replaces the file.
RunResult RunStepsOneByOne(OperationContext& context, const RunArgs& args, HeldFile& held) {
    Host& host = context.host;
    const std::string& input = args.input;
    const std::string& output = args.output;
    bool trashed = false;
    for (const int code : kAllInOneCodes) {
        const auto step = OperationOfCode(code);
        if (!step || step->operation->run == nullptr) continue;
        const int variant = step->variant == kAnyVariant ? 0 : step->variant;
        // A conversion error goes on to the handler. Nothing of the failed step stays (the frame
        // removes its unfinished output), so the file keeps the steps before it.
        const RunResult result = step->operation->run(
            context, {.input = input, .output = output, .interactive = false, .variant = variant});
        if (!IsRegularFile(output)) continue;  // the step found nothing to change
        if (result != RunResult::Done && result != RunResult::Stopped) {
            // The step was refused for a film.out that someone else made meanwhile: it is not
            // this run's result, and stays as it is.
            host.ShowMessage(std::string(kOutputFileExist) + " (" +
                             std::string(FileNameOf(output)) + ")");
            return RunResult::Refused;
        }
        try {
            // The file as it was before the run goes to the trash once; the steps' own results
            // replace each other directly.
            if (!RenameOutFile(output, held, false, host, !trashed)) {
                host.ShowMessage(std::string(kSourceFileNotPresent));
                return RunResult::Refused;
            }
        } catch (const FileError&) {
            // The step's result stays as film.out only when another program changed the file
            // meanwhile; otherwise (the trash refused, no rename) it would block every later run.
            if (held.Unchanged()) std::remove(output.c_str());
            throw;
        }
        trashed = true;
    }
    return RunResult::Done;
}

// The steps that may read the whole file and keep no output: any-to-dos refuses a file with
// text after its last line end, the delimiters fix, the correction and the digits fix keep none
// when they found nothing. Their lines are compared with the lines they were given; a step not
// named here that keeps no output makes the chain run again one step after another.
constexpr std::array<bool, kAllInOneCodes.size()> kMayKeepNoOutput = {true,  true, true, false,
                                                                      false, true, false};

// The result replaces the file, flushed to the disk first: it goes to the disk while the chain
// runs, so that the flush does not wait for all of it at the end.
constexpr std::size_t kWriteBackEvery = 8 << 20;

// What one step of the chain ended with.
struct StepEnd {
    bool sound = false;  // its output stream is what the file would hold after it
    bool kept = false;   // it kept an output (the file would have been replaced)
};

// One step on its own thread: reads the pipe before it (the file, for the first), writes the
// pipe after it, and ends that pipe with its verdict.
StepEnd RunStreamedStep(std::size_t index, OperationContext& context, const RunArgs& args,
                        const FileEncoding& encoding, ChainPipe* in, ChainPipe& out) {
    const std::string& input = args.input;
    // The encoding decided for the file holds on this thread too.
    const EncodingPin pin(input, encoding);
    const auto step = OperationOfCode(kAllInOneCodes[index]);
    bool ran = false;
    bool opened = false;
    StepEnd end;
    try {
        StreamedRun streamed(input, in, out);
        if (step && step->operation->run != nullptr) {
            const int variant = step->variant == kAnyVariant ? 0 : step->variant;
            (void)step->operation->run(
                context,
                {.input = input, .output = args.output, .interactive = false, .variant = variant});
        }
        ran = true;
        opened = streamed.opened();
        end.kept = streamed.outputKept();
    } catch (...) {
        // Whatever the step met (a conversion error among them) is met again when the chain
        // runs one step after another: see RunStepsAtOnce.
    }
    bool sound = ran;
    try {
        if (ran && !opened) {
            // The step stopped before reading (nothing to do, a refusal): the next step reads
            // what this one was given.
            if (in == nullptr) {
                CopyFileLines(input, encoding, out);
            } else {
                PassOn(*in, [&](std::string_view bytes) { out.Write(bytes); });
            }
        } else if (sound && !end.kept) {
            // A step that keeps no output (a repair that found nothing, a refusal after
            // reading) leaves the file as it was; its lines stand for the file only when they
            // are the ones it was given.
            if (!out.hashed() || (in != nullptr && !in->hashed())) {
                sound = false;  // not compared: the chain runs again one step after another
            } else if (in == nullptr) {
                HashChannel file;
                CopyFileLines(input, encoding, file);
                sound = file.hash() == out.hash();
            } else {
                in->Abandon();
                sound = in->WaitEnd() && in->hash() == out.hash();
            }
        }
        // Whatever the step left unread is let go, and the verdict before it counts.
        if (in != nullptr) {
            in->Abandon();
            sound = in->WaitEnd() && sound;
        }
    } catch (...) {
        sound = false;
    }
    if (in != nullptr && !sound) {
        in->Abandon();
        (void)in->WaitEnd();
    }
    out.End(sound);
    end.sound = sound;
    return end;
}

// The steps all at once, each on its own thread, the lines of one flowing into the next through
// a pipe; the last pipe goes to a temporary file that replaces the file once. Every step keeps
// its report and its messages, given to the host in step order when the chain is done. When the
// streams cannot stand for the files (a step failed, or kept no output after changing lines),
// nothing has been replaced or shown yet, and the chain runs one step after another instead:
// that gives the result, the reports and the error exactly as they are.
RunResult RunStepsAtOnce(OperationContext& context, const RunArgs& args, HeldFile& held,
                         const FileEncoding& encoding) {
    Host& host = context.host;
    const std::string& output = args.output;
    constexpr std::size_t kSteps = kAllInOneCodes.size();
    std::array<ChainPipe, kSteps> pipes;
    for (std::size_t i = 0; i < kSteps; ++i) {
        if (kMayKeepNoOutput[i] || (i + 1 < kSteps && kMayKeepNoOutput[i + 1]))
            pipes[i].HashBytes();
    }
    std::array<StepEnd, kSteps> ends{};
    FirstStepHost firstHost;
    std::array<KeptHost, kSteps - 1> laterHosts;
    std::vector<OperationContext> contexts;
    contexts.reserve(kSteps);
    for (std::size_t i = 0; i < kSteps; ++i) {
        Host& stepHost = i == 0 ? static_cast<Host&>(firstHost) : laterHosts[i - 1];
        contexts.push_back({.settings = context.settings,
                            .controls = context.controls,
                            .host = stepHost,
                            .programFolder = context.programFolder,
                            .diaBreaks = context.diaBreaks,
                            .addFile = context.addFile});
    }

    std::optional<TempFile> result(std::in_place, output);
    bool written = false;
    std::mutex doneMutex;
    std::condition_variable doneChanged;
    std::size_t running = kSteps + 1;
    const auto finished = [&] {
        const std::scoped_lock lock(doneMutex);
        --running;
        doneChanged.notify_all();
    };
    {
        std::vector<std::jthread> threads;
        threads.reserve(kSteps + 1);
        for (std::size_t i = 0; i < kSteps; ++i) {
            threads.emplace_back([&, i] {
                ends[i] = RunStreamedStep(i, contexts[i], args, encoding,
                                          i == 0 ? nullptr : &pipes[i - 1], pipes[i]);
                finished();
            });
        }
        threads.emplace_back([&] {
            ChainPipe& last = pipes[kSteps - 1];
            try {
                LineWriter file(result->path());
                file.WriteBackEvery(kWriteBackEvery);
                file.WriteRaw(ByteOrderMark(encoding));
                // Large pieces go from the ring to the file without a copy on the way.
                for (std::string_view bytes = last.Filled(); !bytes.empty();
                     bytes = last.Filled()) {
                    file.WriteThrough(bytes);
                    last.Release(bytes.size());
                }
                file.Close();
                written = true;
            } catch (...) {
                last.Abandon();
            }
            finished();
        });
        // The window stays alive and shows how far the first step has read.
        std::uint64_t shown = 0;
        std::unique_lock lock(doneMutex);
        while (running > 0) {
            lock.unlock();
            host.KeepResponsive();
            const std::uint64_t read = firstHost.read.load(std::memory_order_relaxed);
            if (read != shown) {
                shown = read;
                host.ShowReadProgress(read, firstHost.total.load(std::memory_order_relaxed));
            }
            lock.lock();
            doneChanged.wait_for(lock, std::chrono::milliseconds(20), [&] { return running == 0; });
        }
    }

    const bool sound =
        written && std::all_of(ends.begin(), ends.end(), [](const StepEnd& e) { return e.sound; });
    if (!sound) {
        result.reset();
#ifdef __GLIBC__
        // The threads' freed buffers (a long line's among them) go back to the system before the
        // steps run again one after another.
        malloc_trim(0);
#endif
        return RunStepsOneByOne(context, args, held);
    }
    firstHost.GiveTo(host);
    for (KeptHost& stepHost : laterHosts)
        stepHost.GiveTo(host);
    if (std::none_of(ends.begin(), ends.end(), [](const StepEnd& e) { return e.kept; })) {
        return RunResult::Done;  // no step changed anything: the file stays
    }
    if (!result->PlaceNoReplace()) {
        // Someone else made film.out meanwhile: it is not this run's result, and stays.
        host.ShowMessage(std::string(kOutputFileExist) + " (" + std::string(FileNameOf(output)) +
                         ")");
        return RunResult::Refused;
    }
    try {
        // The file as it was before the run goes to the trash.
        if (!RenameOutFile(output, held, false, host, true)) {
            host.ShowMessage(std::string(kSourceFileNotPresent));
            return RunResult::Refused;
        }
    } catch (const FileError&) {
        // The result stays as film.out only when another program changed the file meanwhile;
        // otherwise (the trash refused, no rename) it would block every later run.
        if (held.Unchanged()) std::remove(output.c_str());
        throw;
    }
    return RunResult::Done;
}

RunResult RunChain(OperationContext& context, const RunArgs& args, bool oneByOne) {
    Host& host = context.host;
    const std::string ext = LowerFoldStr(FileExtOf(args.input));
    // Checked before any step: a step refused silently would leave the file as it is, but the
    // rename after it would put a stale output, or another step's empty one, over the file.
    if (ext != "srt" && ext != "sub") {
        if (args.interactive) {
            host.ShowMessage(std::string(kNotSupportFileExtension) + FileExtOf(args.input));
        }
        return RunResult::Refused;
    }
    // The file is held for the whole chain: another run on it waits until this one has put its
    // last result in place. A link is followed: the outputs and reports are made beside the
    // name given, as every command makes them, and the result replaces the file it names.
    HeldFile held(args.input);
    const std::string& input = args.input;
    const std::string& output = args.output;
    if (args.output.empty() || PathExists(output)) {
        if (args.interactive) host.ShowRefusal(kOutputFileExist, ExistingOutputWayOut(output));
        return RunResult::Refused;
    }
    // The encoding is decided once for the whole chain; a file of no text (an image subtitle
    // shares the extension) is refused here, not by each step.
    if (!held.exists()) return RunStepsOneByOne(context, args, held);
    const FileEncoding encoding = DecideFileEncoding(input);
    // A .sub of another format is refused once for the chain, not by every step.
    if (RefuseSubOfOtherFormat(input, encoding, host)) return RunResult::Refused;
    const EncodingPin pin(input, encoding);
    if (oneByOne) return RunStepsOneByOne(context, args, held);
    return RunStepsAtOnce(context, args, held, encoding);
}

}  // namespace

RunResult RunAllInOne(OperationContext& context, const RunArgs& args) {
    return RunChain(context, args, false);
}

RunResult RunAllInOneStepByStep(OperationContext& context, const RunArgs& args) {
    return RunChain(context, args, true);
}

namespace {
constexpr Trigger kAllInOneTriggers[] = {{"btnAllInOne"}};
}  // namespace

extern const Operation kAllInOneOperation{
    .command = "all-in-one",
    .summary = "run the whole cleaning chain; the file takes the result",
    .help =
        "Runs seven operations one after another, each on the result of the one before:\n"
        "any-to-dos, fix-delimiters, correct, recount, to-one-line, fix-digits and\n"
        "set-length. The file itself ends holding the result (the file as it was goes to\n"
        "the trash); each step's report stays beside it. Refused when film.out exists\n"
        "or the file is neither srt nor sub; a conversion error stops the chain with the\n"
        "steps before it done. With a mask, every matching file in turn.",
    .triggers = kAllInOneTriggers,
    .logText = "[All In One] Click",
    .outputExt = "out",
    .handler = HandlerKind::AllInOne,
    .replacesFiles = true,
    .run = RunAllInOne,
};

}  // namespace tessaline
