# Shared by tools/run and the Wine test of the model converter: Engine's
# staged run-time folder copied into a scratch folder with a converted model.

# prepare_model_run SCRATCH BUILD CONVERTER MODEL [IMAGE [CONVERTER_OPTION...]]
# Makes SCRATCH/bin/Engine.exe beside a copy of BUILD/Engine and converts MODEL
# into its model file; the texture the converter bakes beside it becomes
# Engine's texture file, unless IMAGE names another: then nothing is baked and
# the model keeps its own texture coordinates (--keep-coordinates), so that the
# image is mapped as the model's author mapped it. The texture loader goes by
# the file's content: DDS, PNG, JPEG, BMP, GIF and TIFF are copied as they are,
# anything else ImageMagick reads (models often name TGA files) is turned into
# PNG. Prints the converter's summary and the texture used.
prepare_model_run() {
  local scratch=$1 build=$2 converter=$3 model=$4 image=${5:-}
  shift $(($# < 5 ? $# : 5))
  if [ -n "$image" ] && [ ! -f "$image" ]; then
    echo "no such texture file: $image" >&2
    return 1
  fi
  rm -rf "$scratch" && mkdir -p "$scratch/bin" || return 1
  cp "$build/bin/Engine.exe" "$scratch/bin/" && cp -R "$build/Engine" "$scratch/Engine" || return 1

  local data=$scratch/Engine/data summary
  summary=$("$converter" ${image:+--keep-coordinates} "$@" "$model" "$data/cube.txt") || return 1
  echo "$summary"
  if [ -n "$image" ]; then
    copy_texture "$image" "$data/seafloor.dds" || return 1
    echo "texture: $image"
  else
    mv "$data/cube.dds" "$data/seafloor.dds" || return 1
    echo "texture: the one baked from the model"
  fi
}

copy_texture() {
  case $(head -c 4 "$1" | od -An -tx1 | tr -d ' \n') in
    44445320|89504e47|ffd8ff*|424d*|47494638|49492a00|4d4d002a) cp "$1" "$2" ;;
    # TGA and others keep their rows bottom up and say so; PNG's run top down.
    *) convert "$1" -auto-orient "png:$2" ;;
  esac
}
