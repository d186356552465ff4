#!/bin/sh
# Takes a picture of every page of the HTML help, French and English, as
# headless Chromium shows it, into docs/help/ (fr-index.png, en-view.png, ...).
# The pages are laid out as the build installs them: each language's pages
# with style.css beside them. One browser at a time; the empty foot of each
# picture is cut away where ImageMagick's convert is there.
# Usage: sh scripts/help_screenshots.sh
set -eu
cd "$(dirname "$0")/.."

find_browser() {
    command -v chromium || command -v chromium-browser || true
}
BROWSER=$(find_browser)
if [ -z "$BROWSER" ]; then
    # Installs chromium (with the other packages of the screenshots) where it may.
    sh scripts/setup-debian.sh --screenshots || true
    BROWSER=$(find_browser)
fi
if [ -z "$BROWSER" ]; then
    echo "help_screenshots: chromium is missing (sh scripts/setup-debian.sh --screenshots installs it); no screenshots taken"
    exit 0
fi

OUT=$(pwd)/docs/help
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$OUT"

# shot URL FILE: the page in a window 1000 pixels wide and tall enough for it.
shot() {
    for headless in --headless=new --headless; do
        rm -f "$2"
        "$BROWSER" "$headless" --no-sandbox --disable-gpu --hide-scrollbars --no-first-run \
            --disable-background-networking --disable-component-update --disable-sync \
            --force-device-scale-factor=1 --user-data-dir="$WORK/profile" \
            --window-size=1000,4000 --screenshot="$2" "$1" >/dev/null 2>&1 || true
        [ -s "$2" ] && return 0
    done
    return 1
}

taken=0
for lang in fr en; do
    mkdir -p "$WORK/$lang"
    cp data/help/"$lang"/*.html data/help/style.css "$WORK/$lang/"
    for page in "$WORK/$lang"/*.html; do
        name=$(basename "$page" .html)
        if ! shot "file://$page" "$WORK/shot.png"; then
            echo "help_screenshots: the browser took no screenshot of $lang/$name.html"
            continue
        fi
        if command -v convert >/dev/null 2>&1; then
            # A dark first row keeps the top and the sides: only the white foot
            # is trimmed, then the row goes and a margin comes back below. A
            # palette of 64 colours keeps the text sharp and the file small.
            convert "$WORK/shot.png" -background black -gravity north -splice 0x1 \
                -trim +repage -gravity north -chop 0x1 \
                -background white -gravity south -splice 0x24 \
                -dither None -colors 64 -strip -define png:compression-level=9 \
                "PNG8:$OUT/$lang-$name.png"
        else
            cp "$WORK/shot.png" "$OUT/$lang-$name.png"
        fi
        taken=$((taken + 1))
    done
done
echo "help_screenshots: $taken pages in $OUT"
