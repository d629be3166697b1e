#include "cli/docs.hpp"

#include <set>

#include "cli/commands.hpp"
#include "ops/catalogue.hpp"
#include "ops/settings_table.hpp"

namespace tessaline {
namespace {

// Text for roff: backslashes and minus signs escaped, a control character at a line's start
// kept from being read as a request.
std::string Roff(std::string_view text) {
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
        lineStart = c == '\n';
    }
    return out;
}

bool IsValueInOrder(const OptionDef& def) {
    return !def.name.starts_with("-");
}

bool TakesValue(const OptionDef& def) {
    return !IsValueInOrder(def) && def.kind != OptionKind::Flag;
}

std::string ManCommand(const Operation& op) {
    std::string page = ".SS " + Roff(op.command) + "\n";
    page += ".B tessaline " + Roff(op.command) + "\n" + Roff(UsageOf(op)) + "\n.PP\n";
    page += Roff(op.help) + "\n";
    for (const OptionDef& def : op.options) {
        if (def.help.empty()) continue;
        page += ".TP\n\\fB" + Roff(def.name) + "\\fR";
        if (!def.valueName.empty()) page += " \\fI" + Roff(def.valueName) + "\\fR";
        page += "\n" + Roff(def.help) + "\n";
    }
    if (op.TakesMask()) {
        page +=
            ".PP\nA \\fIPATH\\fR with * or ? runs the command over every matching file of "
            "its folder.\n";
    }
    if (!op.settings.empty()) {
        page += ".PP\nSettings read:";
        for (std::string_view key : op.settings)
            page += " \\fB" + Roff(key) + "\\fR";
        page += ".\n";
    }
    return page;
}

// The words of a bash list, quoted for a double-quoted string.
std::string Words(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        if (!text.empty()) text += ' ';
        text += word;
    }
    return text;
}

}  // namespace

std::string ManPage() {
    std::string page =
        ".TH TESSALINE 1 \"\" \"Tessaline " TESSALINE_VERSION "\" \"User Commands\"\n";
    page += ".SH NAME\ntessaline \\- prepare and repair subtitle files\n";
    page += ".SH SYNOPSIS\n.B tessaline\n";
    for (const ProgramOption& option : ProgramOptions()) {
        page += "[\\fB" + Roff(option.name) + "\\fR";
        if (!option.value.empty()) page += " \\fI" + Roff(option.value) + "\\fR";
        page += "] ";
    }
    page +=
        "\\fICOMMAND\\fR [\\fIOPTIONS\\fR] \\fIPATH\\fR...\n.br\n"
        ".B tessaline\n\\-\\-help | \\-\\-version | \\fICOMMAND\\fR \\-\\-help\n";
    page +=
        ".SH DESCRIPTION\n"
        "Tessaline prepares and repairs subtitle files: SubRip (.srt), MicroDVD (.sub) and "
        "SubStation Alpha (.ssa, .ass), with Russian and English text in Windows\\-1251. Each "
        "command runs one operation of the desktop program \\fBtessaline\\-gui\\fR on a file, or "
        "on every file of a folder that matches a mask, and writes its result beside the input "
        "(film.srt gives film.out) together with a report named after the operation (film.corr, "
        "film.fix, ...). An existing output is never overwritten.\n";
    page += ".SH OPTIONS\n";
    for (const ProgramOption& option : ProgramOptions()) {
        page += ".TP\n\\fB" + Roff(option.name) + "\\fR";
        if (!option.value.empty()) page += " \\fI" + Roff(option.value) + "\\fR";
        std::string help(option.help);
        for (char& c : help) {
            if (c == '\n') c = ' ';
        }
        page += "\n" + Roff(help) + "\n";
    }
    page += ".TP\n\\fB\\-\\-help\\fR\nlist the commands and options\n";
    page += ".TP\n\\fB\\-\\-version\\fR\nprint the program's version\n";
    page += ".SH COMMANDS\n";
    for (const Operation* op : Catalogue())
        page += ManCommand(*op);
    for (const ProgramCommand& command : ProgramCommands()) {
        page += ".SS " + Roff(command.name) + "\n.B tessaline " + Roff(command.name) + "\n.PP\n" +
                Roff(command.help) + "\n";
    }
    page +=
        ".SH EXIT STATUS\n"
        ".TP\n0\nthe operation ran (also when there was nothing to do)\n"
        ".TP\n1\nit refused or stopped with a message\n"
        ".TP\n2\nusage error\n"
        ".TP\n3\na time or number in the file did not convert\n"
        ".PP\nOver several files, the highest status met.\n"
        ".SH ENVIRONMENT\n"
        ".TP\n\\fBTESSALINE_HOME\\fR\nthe program folder, unless \\fB\\-\\-home\\fR names one\n"
        ".TP\n\\fBXDG_CONFIG_HOME\\fR\nthe program folder of an installed program is "
        "\\fI$XDG_CONFIG_HOME/tessaline\\fR (\\fI~/.config/tessaline\\fR)\n"
        ".SH FILES\n"
        ".TP\n\\fITessaline.ini\\fR\nthe settings (the command line reads them, never writes "
        "them)\n"
        ".TP\n\\fIOperations.log\\fR\nthe log of commands, with WriteOperationsLog=1\n"
        ".TP\n\\fIDiaBreak.dat\\fR, \\fIReplace.dat\\fR\nthe dialogue separators and the replace "
        "list\n";
    return page;
}

std::string BashCompletion() {
    std::vector<std::string> commands;
    for (const Operation* op : Catalogue())
        commands.emplace_back(op->command);
    for (const ProgramCommand& command : ProgramCommands())
        commands.emplace_back(command.name);
    std::vector<std::string> programOptions = {"--help", "--version"};
    for (const ProgramOption& option : ProgramOptions())
        programOptions.emplace_back(option.name);
    std::vector<std::string> keys;
    for (const SettingDef& def : kSettingTable)
        keys.push_back(std::string(def.key) + "=");

    std::string script =
        "# bash completion for tessaline, generated from its commands\n"
        "_tessaline() {\n"
        "    local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n"
        "    local i command=\"\"\n"
        "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
        "        case \"${COMP_WORDS[i]}\" in\n"
        "            --home|--ini|--set|--jobs) ((i++)) ;;\n"
        "            -*) ;;\n"
        "            *) command=\"${COMP_WORDS[i]}\"; break ;;\n"
        "        esac\n"
        "    done\n"
        "    case \"$prev\" in\n"
        "        --home) COMPREPLY=($(compgen -d -- \"$cur\")); return ;;\n"
        "        --ini) COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n"
        "        --set)\n"
        "            COMPREPLY=($(compgen -W \"" +
        Words(keys) +
        "\" -- \"$cur\"))\n"
        "            compopt -o nospace 2>/dev/null\n"
        "            return ;;\n"
        "    esac\n"
        "    if [[ -z \"$command\" ]]; then\n"
        "        COMPREPLY=($(compgen -W \"" +
        Words(programOptions) + " " + Words(commands) +
        "\" -- \"$cur\"))\n"
        "        return\n"
        "    fi\n"
        "    local options=\"\" values=\"\"\n"
        "    case \"$command\" in\n";
    for (const Operation* op : Catalogue()) {
        std::vector<std::string> names = {"--help"};
        std::string valueCases;
        for (const OptionDef& def : op->options) {
            if (IsValueInOrder(def)) continue;
            names.emplace_back(def.name);
            if (!TakesValue(def)) continue;
            std::string choices(def.choices);
            for (char& c : choices) {
                if (c == '|') c = ' ';
            }
            valueCases += "                " + std::string(def.name) + ") ";
            valueCases += choices.empty() ? "values=\"-\" ;;\n" : "values=\"" + choices + "\" ;;\n";
        }
        script += "        " + std::string(op->command) + ")\n";
        script += "            options=\"" + Words(names) + "\"\n";
        if (!valueCases.empty()) {
            script += "            case \"$prev\" in\n" + valueCases + "            esac ;;\n";
        } else {
            script += "            ;;\n";
        }
    }
    script +=
        "    esac\n"
        "    if [[ \"$values\" == \"-\" ]]; then\n"
        "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
        "    elif [[ -n \"$values\" ]]; then\n"
        "        COMPREPLY=($(compgen -W \"$values\" -- \"$cur\"))\n"
        "    elif [[ \"$cur\" == -* ]]; then\n"
        "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
        "    else\n"
        "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
        "    fi\n"
        "}\n"
        "complete -o filenames -F _tessaline tessaline\n";
    return script;
}

}  // namespace tessaline
