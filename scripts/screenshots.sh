#!/usr/bin/env bash
# Starts the desktop program under Xvfb with the sample film open and saves a picture of each
# page into docs/ (main.png is the "Subtitle" page, its editor on the first subtitle), of the
# report viewer on the length test's report and of the subtitles lists, then one of the main page
# filling a screen of each size the window is made for (main-1024x600.png, ...). The same pictures
# of the Russian interface go into docs/ru/.
set -euo pipefail
cd "$(dirname "$0")/.."
gui=build/src/gui/tessaline-gui
[[ -x $gui ]] || { echo "build first: make build" >&2; exit 1; }
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# Russian find and replace texts (Windows-1251 in the settings file) show the Cyrillic display.
printf '[Settings]\r\nTextToFind=\xB8\xEB\xEA\xE0\r\nTextToReplace=\xA8\xEB\xEA\xE0\r\n' >"$home/Tessaline.ini"
# A copy of the film, so that the length test's report for the viewer's picture lands beside it.
# The program runs in the temporary folder and is given the film's path from there, so that the
# pictures show a plain path (Films/film.srt) and not the temporary folder's name.
mkdir "$home/Films"
cp examples/film.srt "$home/Films/film.srt"
root=$PWD
(cd "$home" && TESSALINE_HOME=$home xvfb-run -a -s "-screen 0 1280x800x24" \
    "$root/$gui" Films/film.srt --screenshots "$root/docs")
for size in 1024x600 1280x800 1920x1080; do
    (cd "$home" && TESSALINE_HOME=$home xvfb-run -a -s "-screen 0 ${size}x24" \
        "$root/$gui" Films/film.srt --screenshot-full "$root/docs/main-$size.png")
done
# The Russian interface: the language kept in the settings, its file in the program folder.
mkdir -p "$home/languages" docs/ru
cp data/defaults/languages/Russian.lng "$home/languages/"
sed -i '/^Language=/d; s/^\[Parameters\]\r$/[Parameters]\r\nLanguage=Russian\r/' "$home/Tessaline.ini"
rm -f "$home/Films/film.len"
(cd "$home" && TESSALINE_HOME=$home xvfb-run -a -s "-screen 0 1280x800x24" \
    "$root/$gui" Films/film.srt --screenshots "$root/docs/ru")
(cd "$home" && TESSALINE_HOME=$home xvfb-run -a -s "-screen 0 1024x600x24" \
    "$root/$gui" Films/film.srt --screenshot-full "$root/docs/ru/main-1024x600.png")
ls -1 docs/*.png docs/ru/*.png
