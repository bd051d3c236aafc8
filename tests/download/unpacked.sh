#!/usr/bin/env bash
# unpacked.sh unpack|check ZIP FOLDER
# unpack: the Windows download ZIP unpacked as a user unpacks it, into FOLDER
# made anew (the zip's own top folder). check: FOLDER still holds byte for
# byte what ZIP holds, nothing more: what ran in it changed nothing.
set -u
action=$1 zip=$2 folder=$3
if [ ! -f "$zip" ]; then
  echo "$zip is missing: the mingw build makes it (target windows_download), where Assimp for Windows is found"
  exit 1
fi
parent=$(dirname "$folder")
case $action in
  unpack)
    rm -rf "$folder" && mkdir -p "$parent" && (cd "$parent" && cmake -E tar xf "$zip") || exit 1
    [ -d "$folder" ] || { echo "the zip has no top folder $(basename "$folder")"; exit 1; }
    ls -R "$folder" ;;
  check)
    fresh=$(mktemp -d "$parent/fresh.XXXXXX") || exit 1
    trap 'rm -rf "$fresh"' EXIT
    (cd "$fresh" && cmake -E tar xf "$zip") || exit 1
    diff -r "$fresh/$(basename "$folder")" "$folder" && echo "$folder is as unpacked" ;;
  *) echo "usage: unpacked.sh unpack|check ZIP FOLDER"; exit 2 ;;
esac
