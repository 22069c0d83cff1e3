#!/usr/bin/env bash
# Builds the help pages that the tag's help icons open, as static files:
# OUT/training/pulsor/<page>/index.html (OUT: docs/ by default), so that a
# static server rooted at OUT serves them at /training/pulsor/<page>.
#
# Each page is the template <page>.html here, where a line
#   <!-- plot NAME -->     becomes the SVG that pulsorhost draws for scenes/NAME.json
#   <!-- include NAME -->  becomes the fragment NAME.part
# so every plot comes from the module itself.
#
#   tools/helppages/make.sh [OUT]     (PULSORHOST: the program; default build/host/cli/pulsorhost)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
host=${PULSORHOST:-$root/build/host/cli/pulsorhost}
out=${1:-$root/docs}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expand() {
  local line
  while IFS= read -r line || [ -n "$line" ]; do
    if [[ $line =~ ^[[:space:]]*\<!--\ plot\ ([a-z_]+)\ --\>$ ]]; then
      "$host" run -q "$here/scenes/${BASH_REMATCH[1]}.json" --svg "$work/plot.svg"
      cat "$work/plot.svg"
    elif [[ $line =~ ^[[:space:]]*\<!--\ include\ ([a-z_]+)\ --\>$ ]]; then
      expand < "$here/${BASH_REMATCH[1]}.part"
    else
      printf '%s\n' "$line"
    fi
  done
}

mkdir -p "$out/training/pulsor"
cp "$here/style.css" "$out/training/pulsor/style.css"
for template in "$here"/*.html; do
  page=$(basename "$template" .html)
  target="$out/training/pulsor/$page/index.html"
  [ "$page" = index ] && target="$out/training/pulsor/index.html"
  mkdir -p "$(dirname "$target")"
  expand < "$template" > "$work/page.html"
  mv "$work/page.html" "$target"
done
