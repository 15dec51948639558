# Sourced by the gallery scripts: species_textures NAME sets the array `textures`
# to the command-line options of the built-in textures that suit the species
# (as File > Examples chooses them).
species_textures() {
  case $1 in
    birch) textures=(--bark trunc2) ;;
    spruce | pine) textures=(--leaf-texture needles) ;;
    *) textures=() ;;
  esac
}
