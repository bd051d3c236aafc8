#!/usr/bin/env bash
# converter.sh UNPACKED NATIVE MODELS FIXTURES END_CONVERTER
# vexelo-model.exe of the unpacked Windows download (folder UNPACKED) under
# Wine, next to the NATIVE build of the same converter:
# - it imports no DLL but Windows' own;
# - each model of the table (files of Debian's assimp-testmodels, folder
#   MODELS) gives the native converter's model file and texture, byte for byte;
# - each damaged file of the table (folder FIXTURES) ends in one line naming
#   the cause, exit status 1, and nothing is left beside the output;
# - ending the converter with TerminateProcess (END_CONVERTER) ends its
#   worker; Ctrl-Break removes the temporaries too.
set -u
unpacked=$1 native=$2 models=$3 fixtures=$4 end_converter=$5
. "$(dirname "$0")/../../tools/lib/common.sh"

if [ ! -x "$native" ]; then
  echo "$native is missing: the host preset builds it (tools/test does so first)"
  exit 77
fi
converter=$unpacked/bin/vexelo-model.exe
scratch=$(mktemp -d "$(dirname "$unpacked")/converter.XXXXXX") || exit 1
trap 'rm -rf "$scratch"' EXIT
wine_environment
ensure_prefix
start_wine_services

status=0
fail() { echo "FAILED: $1"; status=1; }

# Windows' own DLLs; MinGW's runtime, zlib or Assimp as DLLs would be missing
# on a user's machine.
imports=$(x86_64-w64-mingw32-objdump -p "$converter" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports:" $imports
for dll in $imports; do
  case $dll in
    kernel32.dll|msvcrt.dll|user32.dll|advapi32.dll|shell32.dll|ole32.dll|api-ms-win-*) ;;
    *) fail "vexelo-model.exe imports $dll" ;;
  esac
done

# The models: an OBJ with images beside it, a binary glTF with its image
# inside, an FBX, a Collada file with its image, a PLY with vertex colours.
rows=(OBJ/spider.obj glTF2/BoxTextured-glTF-Binary/BoxTextured.glb FBX/spider.fbx Collada/duck.dae
      PLY/float-color.ply)
for row in "${rows[@]}"; do
  name=${row//\//-}
  name=${name%.*}
  "$native" "$models/$row" "$scratch/$name-native.txt" >/dev/null || { fail "the native converter failed on $row"; continue; }
  summary=$(cd "$scratch" && wine "$converter" "$(windows_path "$models/$row")" "$name.txt" 2>&1) ||
    { fail "vexelo-model.exe failed on $row: $summary"; continue; }
  echo "$summary"
  for kind in txt dds; do
    cmp "$scratch/$name-native.$kind" "$scratch/$name.$kind" || fail "$row: the .$kind differs from the native one"
  done
done

# The damaged files: the input, the converter's options, the line it must end
# with ("@" the input as given).
damaged=(
  "piece-lost.ply||@: cannot import: the import library crashed on this file (access violation); it may be damaged"
  "cut-short.ply|--time-limit 1|@: cannot import: no result after 1 s; the file may be damaged (--time-limit to allow longer)"
)
for row in "${damaged[@]}"; do
  IFS='|' read -r input options expected <<<"$row"
  folder=$scratch/${input%.*}
  mkdir "$folder" && cp "$fixtures/$input" "$folder/" || exit 1
  (cd "$folder" && wine "$converter" $options "$input" out.txt) >"$scratch/said" 2>&1
  code=$?
  # Wine reports an unhandled exception on the Unix standard error the
  # worker shares, where Windows says nothing.
  said=$(grep -v '^wine: Unhandled' "$scratch/said" | tr -d '\r')
  echo "$input: exit status $code: $said"
  [ "$code" -eq 1 ] || fail "$input: exit status $code, not 1"
  [ "$said" = "vexelo-model: ${expected//@/$input}" ] || fail "$input: not the one line expected"
  left=$(ls -A "$folder")
  [ "$left" = "$input" ] || fail "$input: left beside it: $(echo $left)"
done

# Ended from outside while the worker imports: TerminateProcess leaves no
# worker; Ctrl-C on the converter's terminal neither, nor any temporary.
mkdir "$scratch/terminated" && cp "$fixtures/cut-short.ply" "$scratch/terminated/" || exit 1
wine "$end_converter" "$(windows_path "$converter")" "$(windows_path "$scratch/terminated/cut-short.ply")" \
  "$(windows_path "$scratch/terminated/out.txt")" || fail "the worker outlived its converter"
folder=$scratch/interrupted
mkdir "$folder" && cp "$fixtures/cut-short.ply" "$folder/" || exit 1
worker() { pgrep -f -- "--vexelo-worker.*$folder"; }
# Past its start: it holds the input open.
reading() { local pid; pid=$(worker) && ls -l "/proc/$pid/fd" 2>/dev/null | grep -q cut-short.ply; }
{
  for _ in $(seq 300); do reading && break; sleep 0.1; done
  printf '\003'
} | (cd "$folder" && script -qfec "wine '$converter' --time-limit 60 'Z:$folder/cut-short.ply' out.txt" /dev/null >/dev/null)
code=$?
left=$(ls -A "$folder")
echo "Ctrl-C: exit status $code, left beside the input:" $left
[ $code -ne 0 ] && [ $code -ne 1 ] || fail "Ctrl-C did not end the converter"
[ "$left" = cut-short.ply ] || fail "Ctrl-C left files beside the input"
! worker >/dev/null || fail "Ctrl-C left the worker running"
exit $status
