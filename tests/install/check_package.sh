#!/usr/bin/env bash
# Builds the Debian package and checks it without installing it on this machine: its contents,
# that every package it depends on exists in Debian, and that its programs run from a scratch
# root it is unpacked into.
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >/dev/null)
deb=$(ls "$scratch"/out/tessaline_*.deb)
contents=$(dpkg-deb --contents "$deb")
for f in ./usr/bin/tessaline ./usr/bin/tessaline-gui ./usr/share/applications/tessaline.desktop \
         ./usr/share/man/man1/tessaline.1 ./usr/share/bash-completion/completions/tessaline \
         ./usr/lib/tessaline/tessaline-listen.so; do
    grep -q " $f\$" <<<"$contents" || fail "package lacks $f"
done

depends=$(dpkg-deb --field "$deb" Depends)
# FFmpeg and WebRTC come from the listening module alone: dpkg-shlibdeps must have seen it.
for needed in fonts-wine libqt6widgets6 libutf8proc2 libavcodec libavformat libwebrtc-audio-processing; do
    grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
# Each dependency is a package Debian has (the versions are the ones dpkg-shlibdeps found here).
for package in $(tr ',' '\n' <<<"$depends" | sed 's/(.*//; s/|.*//' | tr -d ' '); do
    apt-cache show "$package" >/dev/null 2>&1 || fail "no Debian package $package"
done

dpkg-deb -x "$deb" "$scratch/root"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$scratch/root/usr/bin/tessaline" --version \
    | grep -q '^tessaline ' || fail "unpacked tessaline --version"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$scratch/root/usr/bin/tessaline-gui" --version \
    | grep -q '^tessaline-gui ' || fail "unpacked tessaline-gui --version"
listened=$(cd "$scratch" && printf '1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n' >film.srt &&
           printf 'no film\n' >film.mkv &&
           env -u TESSALINE_HOME HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" \
               "$scratch/root/usr/bin/tessaline" sync --to film.mkv film.srt 2>&1 || true)
grep -q 'film.mkv cannot be read' <<<"$listened" || fail "unpacked sync --to: $listened"
echo "package checks passed: $(basename "$deb")"
