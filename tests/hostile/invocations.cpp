#include "invocations.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <stdexcept>

#include "app/session.hpp"
#include "cli/commands.hpp"
#include "ops/catalogue.hpp"
#include "ops/settings.hpp"
#include "ops/settings_table.hpp"

namespace tessaline::test {
namespace {

// Valid times for the time options of a command, in the order they stand: a window from the
// first to the second (Offset Tail's begin and end), an offset third.
constexpr std::string_view kTimes[] = {"00:00:01,500", "01:00:00,000", "00:00:02,250",
                                       "00:00:03,000"};
// Values tried, in order, for a text option whose check decides what it takes.
constexpr std::string_view kTextCandidates[] = {"i", "25", "out", "1", "x", "srt", "00:00:01,000"};

bool IsValueInOrder(const OptionDef& def) {
    return !def.name.starts_with("-");
}

std::vector<std::string_view> Choices(std::string_view choices) {
    std::vector<std::string_view> items;
    if (choices.empty()) return items;
    for (std::size_t start = 0; start <= choices.size();) {
        const std::size_t bar = std::min(choices.find('|', start), choices.size());
        items.push_back(choices.substr(start, bar - start));
        start = bar + 1;
    }
    return items;
}

struct Builder {
    std::vector<Invocation> invocations;
    std::vector<std::string> problems;

    // The values an option is run with: one for most, each choice for a text with choices.
    std::vector<std::string> ValuesOf(const Operation& op, const OptionDef& def, int timeIndex) {
        switch (def.kind) {
            case OptionKind::Flag:
                return {};
            case OptionKind::Time:
                return {
                    std::string(kTimes[static_cast<std::size_t>(timeIndex) % std::size(kTimes)])};
            case OptionKind::Integer:
                return {"3"};
            case OptionKind::Text: {
                std::vector<std::string> values;
                for (std::string_view choice : Choices(def.choices))
                    values.emplace_back(choice);
                if (!values.empty()) return values;
                if (def.valueName.find("FILE") != std::string_view::npos ||
                    def.valueName.find("PATH") != std::string_view::npos) {
                    return {std::string(kSecondFile)};
                }
                if (def.check == nullptr) return {"x"};
                for (std::string_view candidate : kTextCandidates) {
                    std::string stored;
                    if (!def.check(candidate, stored)) return {std::string(candidate)};
                }
                problems.push_back(std::string(op.command) + " " + std::string(def.name) +
                                   ": its check takes none of the values tried");
                return {};
            }
        }
        return {};
    }

    void Add(const Operation& op, std::vector<std::string> args,
             std::vector<std::pair<std::string, std::string>> sets, bool mask) {
        Invocation inv{.op = &op, .args = std::move(args), .sets = std::move(sets), .mask = mask};
        inv.label = std::string(op.command);
        for (const auto& [key, value] : inv.sets)
            inv.label = "--set " + key + "=" + value + " " + inv.label;
        for (const std::string& arg : inv.args) {
            inv.label += " " + arg;
            inv.secondFile = inv.secondFile || arg == kSecondFile;
        }
        if (mask) inv.label += " (mask)";
        invocations.push_back(std::move(inv));
    }

    void Build(const Operation& op) {
        // Each option's values; a required or in-order option takes its first in the base run.
        struct Option {
            const OptionDef* def;
            std::vector<std::string> values;
            bool inBase;
        };
        std::vector<Option> options;
        int timeIndex = 0;
        for (const OptionDef& def : op.options) {
            std::vector<std::string> values = ValuesOf(op, def, timeIndex);
            if (def.kind == OptionKind::Time) ++timeIndex;
            const bool inBase = def.required || IsValueInOrder(def);
            if (inBase && values.empty()) return;  // reported as a problem
            options.push_back({&def, std::move(values), inBase});
        }
        // The arguments with option `change` given its value `value` (or a flag set), and with
        // `anchor` given its own as well.
        struct Change {
            const Option* option = nullptr;
            const std::string* value = nullptr;
        };
        const auto argsWith = [&](const Option* change, const std::string* value,
                                  Change anchor = {}) {
            std::vector<std::string> named;
            std::vector<std::string> inOrder;
            for (const Option& o : options) {
                const bool anchored = &o == anchor.option;
                const bool changed = &o == change || anchored;
                if (!o.inBase && !changed) continue;
                const std::string* given = anchored ? anchor.value : value;
                const std::string& v = changed && given != nullptr ? *given
                                       : o.values.empty()          ? std::string()
                                                                   : o.values.front();
                if (IsValueInOrder(*o.def)) {
                    inOrder.push_back(v);
                } else {
                    named.emplace_back(o.def->name);
                    if (o.def->kind != OptionKind::Flag) named.push_back(v);
                }
            }
            named.insert(named.end(), inOrder.begin(), inOrder.end());
            return named;
        };
        // Options that go together only in some ways (one of --begin and --end) are tried only
        // in the ways the command's own check accepts.
        const auto accepted = [&](const std::vector<std::string>& args) {
            if (op.checkOptions == nullptr) return true;
            OptionValues values;
            for (std::size_t i = 0; i < args.size(); ++i) {
                if (!args[i].starts_with("--")) continue;
                const bool flag = std::any_of(options.begin(), options.end(), [&](const Option& o) {
                    return o.def->name == args[i] && o.def->kind == OptionKind::Flag;
                });
                values[args[i]] = flag || i + 1 == args.size() ? "" : args[i + 1];
            }
            return !op.checkOptions(values).has_value();
        };
        // Every single change from the base run, on top of `anchor`.
        const auto changes = [&](Change anchor) {
            std::vector<std::vector<std::string>> made;
            for (const Option& o : options) {
                if (&o == anchor.option) continue;
                if (o.def->kind == OptionKind::Flag) {
                    made.push_back(argsWith(&o, nullptr, anchor));
                    continue;
                }
                // The base run has the first value of a required option; the others run one
                // each.
                for (std::size_t i = o.inBase ? 1 : 0; i < o.values.size(); ++i)
                    made.push_back(argsWith(&o, &o.values[i], anchor));
            }
            return made;
        };
        std::vector<std::vector<std::string>> runs{argsWith(nullptr, nullptr)};
        const bool baseAccepted = accepted(runs.front());
        for (std::vector<std::string>& args : changes({}))
            runs.push_back(std::move(args));
        // A command that needs one of several options (sync: a film or a reference) refuses its
        // base run and every change alone but one: the other changes run on top of each of
        // those.
        if (!baseAccepted) {
            std::vector<Change> anchors;
            for (const Option& o : options) {
                if (o.def->kind == OptionKind::Flag) {
                    if (accepted(argsWith(&o, nullptr))) anchors.push_back({&o, nullptr});
                    continue;
                }
                for (const std::string& value : o.values) {
                    if (accepted(argsWith(&o, &value))) anchors.push_back({&o, &value});
                }
            }
            for (const Change& anchor : anchors) {
                for (std::vector<std::string>& args : changes(anchor))
                    runs.push_back(std::move(args));
            }
        }
        std::erase_if(runs, [&](const std::vector<std::string>& args) { return !accepted(args); });
        if (runs.empty()) {
            problems.push_back(std::string(op.command) +
                               ": its check takes none of the runs tried");
            return;
        }
        for (std::vector<std::string>& args : runs)
            Add(op, args, {}, false);
        // The settings and the mask are tried with the first accepted arguments.
        const std::vector<std::string> base = invocations[invocations.size() - runs.size()].args;
        for (std::string_view key : op.settings) {
            const SettingDef* setting = LookupSettingDef(key);
            if (setting == nullptr || setting->type != SettingType::Bool) continue;
            Add(op, base, {{std::string(key), setting->defaultValue == "0" ? "1" : "0"}}, false);
        }
        if (op.TakesMask()) Add(op, base, {}, true);
    }
};

const Builder& Built() {
    static const Builder builder = [] {
        Builder b;
        for (const Operation* op : Catalogue())
            b.Build(*op);
        return b;
    }();
    return builder;
}

}  // namespace

const std::vector<Invocation>& CatalogueInvocations() {
    return Built().invocations;
}

const std::vector<std::string>& InvocationProblems() {
    return Built().problems;
}

std::vector<Invocation> EditorInvocations(std::string_view name, std::string_view bytes) {
    // Descriptors of the commands for the checks: rewrite and delete replace the file they
    // open, by design.
    static const Operation kShow{.command = "show-subtitle"};
    static const Operation kRewrite{.command = "rewrite-subtitle", .replacesFiles = true};
    static const Operation kDelete{.command = "delete-subtitle", .replacesFiles = true};
    const bool microDvd = name.ends_with(".sub");
    std::vector<std::string> subtitle = {"--number", "1"};
    std::string timing = "00:00:01,000 --> 00:00:02,000";
    if (microDvd) {
        // The frames of the first line that has them, as the editor names that subtitle; a
        // key no terminal could pass (a control character) is left for "{1}{2}".
        std::string key = "{1}{2}";
        const std::string_view first = bytes.substr(0, bytes.find('\n'));
        const std::size_t second = first.find('}', first.find('}') + 1);
        if (first.starts_with('{') && second != std::string_view::npos &&
            std::none_of(first.begin(), first.begin() + static_cast<std::ptrdiff_t>(second),
                         [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
            key = first.substr(0, second + 1);
        }
        subtitle = {"--key", key};
        timing = "{1}{2}";
    }
    std::vector<Invocation> invocations;
    const auto add = [&](const Operation& op, std::vector<std::string> more) {
        Invocation inv{.op = &op, .args = subtitle};
        inv.args.insert(inv.args.end(), more.begin(), more.end());
        inv.label = std::string(op.command);
        for (const std::string& arg : inv.args)
            inv.label += " " + arg;
        invocations.push_back(std::move(inv));
    };
    add(kShow, {});
    add(kRewrite, {"--text", "New line"});
    add(kRewrite, {"--time", timing, "--text", "New line"});
    add(kDelete, {});
    return invocations;
}

std::vector<std::string> CommandLine(const Invocation& invocation, const std::string& path,
                                     const std::string& secondFile) {
    std::vector<std::string> line;
    for (const auto& [key, value] : invocation.sets) {
        line.emplace_back("--set");
        line.push_back(key + "=" + value);
    }
    line.emplace_back(invocation.op->command);
    for (const std::string& arg : invocation.args)
        line.push_back(arg == kSecondFile ? secondFile : arg);
    line.emplace_back("--");
    if (invocation.mask) {
        const std::size_t slash = path.rfind('/');
        const std::size_t dot = path.rfind('.');
        const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
        line.push_back(folder + "*" +
                       (dot == std::string::npos || (slash != std::string::npos && dot < slash)
                            ? ""
                            : path.substr(dot)));
    } else {
        line.push_back(path);
    }
    return line;
}

int RunInvocation(const Invocation& invocation, const std::string& path,
                  const std::string& secondFile, const std::string& home, Host& host) {
    Session session(host, home);
    session.Start();
    for (const auto& [key, value] : invocation.sets) {
        if (session.settings().Assign(key, value)) return 2;
    }
    std::vector<std::string> args = CommandLine(invocation, path, secondFile);
    // The --set pairs were applied above; the rest starts at the command.
    args.erase(args.begin(),
               args.begin() + static_cast<std::ptrdiff_t>(2 * invocation.sets.size()));
    const std::string command = args.front();
    args.erase(args.begin());
    return RunCliCommand(command, std::move(args), session);
}

}  // namespace tessaline::test

// --- Checking a run ---------------------------------------------------------------------------

namespace tessaline::test {
namespace {

// A file's bytes as a size and a 64-bit FNV-1a digest, read in blocks: the test process keeps
// no copy of the files it compares. A program run through fork starts with the test process's
// memory counted in its peak, so the test must stay small for that peak to mean anything.
using Snapshot = std::map<std::string, std::string>;

std::string DigestOf(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return "<unreadable>";
    std::uint64_t hash = 14695981039346656037ull;
    std::uint64_t size = 0;
    char block[65536];
    for (ssize_t got; (got = ::read(fd, block, sizeof block)) > 0;) {
        for (ssize_t i = 0; i < got; ++i)
            hash = (hash ^ static_cast<unsigned char>(block[i])) * 1099511628211ull;
        size += static_cast<std::uint64_t>(got);
    }
    ::close(fd);
    return std::to_string(size) + " bytes, digest " + std::to_string(hash);
}

void WriteWhole(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot write " + path);
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put <= 0) break;
        done += static_cast<std::size_t>(put);
    }
    ::close(fd);
}

// Every entry of the folder with its digest ("<folder>" for anything that is no regular file).
Snapshot Take(const std::string& dir) {
    Snapshot snapshot;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        snapshot[name] = entry.is_regular_file() ? DigestOf(entry.path().string()) : "<folder>";
    }
    return snapshot;
}

bool IsTempFileName(std::string_view name) {
    const std::size_t part = name.rfind(".part");
    return part != std::string_view::npos && name.size() - part == 11;
}

std::string StemOf(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

std::vector<std::string> CheckRun(const Invocation& invocation, const std::string& dir,
                                  const std::string& name, std::string_view bytes,
                                  bool outputsExist, const InvocationRunner& runner,
                                  const Promises& promises) {
    const std::string path = dir + "/" + name;
    const std::string ext = name.substr(std::min(name.rfind('.'), name.size()));
    const std::string second = dir + "/second" + ext;
    WriteWhole(path, bytes);
    if (invocation.secondFile) WriteWhole(second, bytes);
    if (outputsExist) {
        // Whatever the command's output is named: film.out, or a conversion's film.srt / .sub.
        for (const char* outExt : {".out", ".srt", ".sub"}) {
            const std::string output = dir + "/" + StemOf(name) + outExt;
            if (output != path) WriteWhole(output, std::string("existing ") + outExt + "\r\n");
        }
    }
    const Snapshot before = Take(dir);
    const RunOutcome outcome = runner(invocation, path, second);
    const Snapshot after = Take(dir);

    std::vector<std::string> broken;
    const auto fail = [&](const std::string& what) { broken.push_back(what); };
    if (outcome.timedOut) fail("did not end in time");
    if (outcome.status < 0 || outcome.status > 3) {
        fail("exit status " + std::to_string(outcome.status));
    } else if (outcome.status == 2) {
        fail("usage error: " + outcome.err);
    }
    for (const char* report : {"runtime error:", "Sanitizer", "terminate called"}) {
        if (outcome.err.find(report) != std::string::npos) fail("reported: " + outcome.err);
    }
    const bool listens = invocation.op->command == "sync" &&
                         std::ranges::find(invocation.args, "--to") != invocation.args.end();
    const long memoryAllowed =
        listens && promises.listeningKb > 0
            ? promises.listeningKb
            : promises.maxRssKb + (invocation.secondFile ? promises.secondInputKb : 0) +
                  (invocation.op != nullptr && invocation.op->handler == HandlerKind::AllInOne
                       ? promises.chainKb
                       : 0);
    if (promises.maxRssKb > 0 && outcome.maxRssKb > memoryAllowed) {
        fail("peak memory " + std::to_string(outcome.maxRssKb) + " kB over " +
             std::to_string(memoryAllowed) + " kB");
    }
    for (const auto& [file, content] : after) {
        if (IsTempFileName(file)) fail("left " + file);
    }
    // A conversion error leaves nothing of its run; other runs leave what existed alone,
    // except the commands that replace files on purpose. (All in One stopped by a conversion
    // error keeps the steps done before it in the file.)
    const bool chain = invocation.op->handler == HandlerKind::AllInOne;
    const bool keepsFiles = (outcome.status == 3 && !chain) || !invocation.op->replacesFiles;
    if (keepsFiles) {
        for (const auto& [file, content] : before) {
            const auto it = after.find(file);
            if (it == after.end()) {
                fail("removed " + file);
            } else if (it->second != content) {
                fail("changed " + file);
            }
        }
    }
    // (The steps All in One finished before the error keep their reports.)
    if (outcome.status == 3 && !chain) {
        for (const auto& [file, content] : after) {
            if (!before.contains(file)) fail("left " + file + " after a conversion error");
        }
    }
    for (const auto& [file, content] : after)
        std::filesystem::remove_all(dir + "/" + file);
    return broken;
}

namespace {

// A host that keeps nothing: the corpus run looks at files and exit statuses only.
class SilentHost : public Host {
  public:
    void ShowMessage(std::string_view) override {}
    void SetCurrentFile(std::string_view) override {}
    Answer Ask(std::string_view) override { return Answer::Cancel; }
    void SetStatus(StatusField, StatusState) override {}
    void SetStatusBar(std::string_view) override {}
    void ShowProgress(std::string_view) override {}
    void SetBusy(bool) override {}
    void ProcessEvents() override {}
    void SelectReportKind(std::string_view) override {}
    void ShowDirectoryProgress(std::string_view) override {}
    void PrintResult(std::string_view) override {}
};

}  // namespace

InvocationRunner InProcessRunner(const std::string& home) {
    return [home](const Invocation& invocation, const std::string& path,
                  const std::string& secondFile) {
        SilentHost host;
        RunOutcome outcome;
        outcome.status = RunInvocation(invocation, path, secondFile, home, host);
        return outcome;
    };
}

}  // namespace tessaline::test
