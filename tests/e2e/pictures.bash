# Checks of screenshots shared by the end-to-end tests of both programs.
# Screenshots are $ARTIFACTS/<name>.png; needs ImageMagick's convert/compare.

# Mean colour of a rectangle of a screenshot as "R G B" in 0..255.
region_colour() {
  convert "$ARTIFACTS/$1.png" -crop "$4x$5+$2+$3" +repage -scale 1x1\! \
    -format '%[fx:int(255*r+0.5)] %[fx:int(255*g+0.5)] %[fx:int(255*b+0.5)]' info:
}

# Is the mean colour of a region brighter than a threshold (sum of R, G, B)?
bright() {
  local r g b
  read -r r g b <<<"$(region_colour "$1" "$2" "$3" "$4" "$5")"
  echo "$1 region $2,$3 ${4}x$5: $r $g $b" >&2
  [ $((r + g + b)) -gt "$6" ]
}

# Mean absolute difference of two screenshots, 0..255.
difference() {
  compare -metric MAE "$ARTIFACTS/$1.png" "$ARTIFACTS/$2.png" null: 2>&1 |
    sed -E 's/.*\(([0-9.e+-]+)\).*/\1/' | awk '{printf "%d", $1 * 255}'
}
