#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a user of the installed program meets:
# the programs answer without a display, the desktop entry is valid, the manual page and the
# completion are there and work, the settings go to the user's configuration folder.
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$scratch/usr" >/dev/null
prefix=$scratch/usr
for f in bin/tessaline bin/tessaline-gui share/applications/tessaline.desktop \
         share/icons/hicolor/scalable/apps/tessaline.svg share/icons/hicolor/48x48/apps/tessaline.png \
         share/man/man1/tessaline.1 share/bash-completion/completions/tessaline \
         share/tessaline/DiaBreak.dat share/tessaline/languages/English.lng \
         share/tessaline/languages/Russian.lng lib/tessaline/tessaline-listen.so; do
    [[ -f "$prefix/$f" ]] || fail "$f is not installed"
done

env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/tessaline" --version | grep -q '^tessaline ' \
    || fail "tessaline --version"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/tessaline-gui" --version \
    | grep -q '^tessaline-gui ' || fail "tessaline-gui --version"

# The installed program finds the installed listening module: FFmpeg itself refuses a film that
# is not one.
listened=$(cd "$scratch" && printf '1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n' >film.srt &&
           printf 'no film\n' >film.mkv &&
           env -u TESSALINE_HOME HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" \
               "$prefix/bin/tessaline" sync --to film.mkv film.srt 2>&1 || true)
grep -q 'film.mkv cannot be read' <<<"$listened" || fail "sync --to: $listened"
rm -rf "$scratch/film.srt" "$scratch/film.mkv" "$scratch/home" "$scratch/config"

desktop-file-validate "$prefix/share/applications/tessaline.desktop" || fail "desktop entry"
grep -q '^MimeType=.*application/x-subrip' "$prefix/share/applications/tessaline.desktop" \
    || fail "desktop entry MIME types"
file "$prefix/share/icons/hicolor/48x48/apps/tessaline.png" | grep -q '48 x 48' || fail "48 px icon"

# The manual page renders without a warning and documents every command --help lists.
warnings=$(groff -man -ww -z "$prefix/share/man/man1/tessaline.1" 2>&1)
[[ -z "$warnings" ]] || fail "manual page: $warnings"
page=$(MANWIDTH=200 man -l "$prefix/share/man/man1/tessaline.1" 2>/dev/null)
for command in $("$prefix/bin/tessaline" --help | sed -n '/^Commands:/,/^$/p' | awk 'NF>1 {print $1}'); do
    grep -q "tessaline $command" <<<"$page" || fail "manual page lacks $command"
done

# The completion completes commands and an option's values.
completions=$(bash -c '
    source "$1"
    complete_words() { COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _tessaline; echo "${COMPREPLY[*]}"; }
    complete_words tessaline recou
    complete_words tessaline convert --to ""' _ "$prefix/share/bash-completion/completions/tessaline")
[[ "$completions" == $'recount\nsrt sub' ]] || fail "completion gave: $completions"

# An installed program keeps its settings in the user's configuration folder.
mkdir -p "$scratch/home" "$scratch/work"
printf '1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n' >"$scratch/work/film.srt"
(cd "$scratch/work" && env -u TESSALINE_HOME HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" \
    "$prefix/bin/tessaline" --set WriteOperationsLog=1 recount film.srt)
[[ -f "$scratch/config/tessaline/DiaBreak.dat" ]] || fail "shipped defaults not copied"
[[ -f "$scratch/config/tessaline/languages/Russian.lng" ]] || fail "language files not copied"
[[ -f "$scratch/config/tessaline/Operations.log" ]] || fail "no log in the configuration folder"
[[ ! -e "$prefix/bin/Operations.log" ]] || fail "the install folder was written"
echo "install checks passed"
