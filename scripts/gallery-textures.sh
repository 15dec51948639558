# Read in by render-gallery.sh and render-lods.sh. gallery_textures NAME fills
# the array `textures` with the command-line options for the built-in bark or
# leaf texture that suits that example tree (the same ones the window loads
# with it).
gallery_textures() {
  case $1 in
    birch) textures=(--bark trunc2) ;;
    spruce | pine) textures=(--leaf-texture needles) ;;
    *) textures=() ;;
  esac
}
