# Shared by tools/run and the Wine test of the model converter: Engine's
# staged run-time folder copied into a scratch folder with a converted model.

# prepare_model_run SCRATCH BUILD CONVERTER MODEL [IMAGE]
# Makes SCRATCH/bin/Engine.exe beside a copy of BUILD/Engine, converts MODEL
# into its model file, and puts IMAGE in place of its texture file; without
# IMAGE, the texture MODEL names when that file exists, else the shipped one.
# The texture loader goes by the file's content: DDS, PNG, JPEG, BMP, GIF and
# TIFF are copied as they are, anything else ImageMagick reads (models often
# name TGA files) is turned into PNG. Prints the converter's summary and the
# texture used.
prepare_model_run() {
  local scratch=$1 build=$2 converter=$3 model=$4 image=${5:-}
  if [ -n "$image" ] && [ ! -f "$image" ]; then
    echo "no such texture file: $image" >&2
    return 1
  fi
  rm -rf "$scratch" && mkdir -p "$scratch/bin" || return 1
  cp "$build/bin/Engine.exe" "$scratch/bin/" && cp -R "$build/Engine" "$scratch/Engine" || return 1

  local summary named
  summary=$("$converter" "$model" "$scratch/Engine/data/cube.txt") || return 1
  echo "$summary"
  if [ -z "$image" ]; then
    named=${summary##*, texture: }
    [ "$named" != "$summary" ] && [ -f "$named" ] && image=$named
  fi
  if [ -n "$image" ]; then
    copy_texture "$image" "$scratch/Engine/data/seafloor.dds" || return 1
    echo "texture: $image"
  else
    echo "texture: the shipped one"
  fi
}

copy_texture() {
  case $(head -c 4 "$1" | od -An -tx1 | tr -d ' \n') in
    44445320|89504e47|ffd8ff*|424d*|47494638|49492a00|4d4d002a) cp "$1" "$2" ;;
    # TGA and others keep their rows bottom up and say so; PNG's run top down.
    *) convert "$1" -auto-orient "png:$2" ;;
  esac
}
