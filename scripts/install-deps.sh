#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the benchmark need.
# Does nothing when everything is present; runs `apt-get update` only when
# something is missing. With --fuzz: also clang and its libFuzzer (make fuzz).
set -euo pipefail

packages=(
    g++ cmake ninja-build make pkg-config python3 time
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev libqt6svg6 libgl-dev fonts-dejavu-core xvfb xauth
    qt6-translations-l10n
    libglib2.0-dev
    ffmpeg
    libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
    libwebrtc-audio-processing-dev libkissfft-dev espeak-ng
    libfreetype-dev fonts-wine
    libuchardet-dev
    libutf8proc-dev
    desktop-file-utils dpkg-dev file groff-base man-db
)
if [[ "${1:-}" == "--fuzz" ]]; then
    packages+=(clang-14 libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if [[ ${#missing[@]} -eq 0 ]]; then
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=""
if [[ $(id -u) -ne 0 ]]; then
    sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
