# Read in by render-gallery.sh and render-lods.sh. species_textures NAME fills
# the array `textures` with the command-line options for the built-in bark or
# leaf texture that suits that gallery species (the same ones the window loads
# with it).
species_textures() {
  case $1 in
    birch) textures=(--bark trunc2) ;;
    spruce | pine) textures=(--leaf-texture needles) ;;
    *) textures=() ;;
  esac
}
