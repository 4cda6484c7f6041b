#!/bin/sh
# Draws the program's icon from its text drawing: a Windows .ico holding it
# at 16, 32 and 48 pixels, each pixel a square of 1, 2 or 3, in 32-bit colour
# with its transparency mask.
#   make_icon.sh DRAWING ICO
set -eu
drawing=$1 ico=$2

# One decimal byte value a line, in the file's order.
bytes=$(LC_ALL=C awk '
  function hex(text,   i, value) {
    value = 0
    for (i = 1; i <= length(text); i++)
      value = value * 16 + index("0123456789abcdef", tolower(substr(text, i, 1))) - 1
    return value
  }
  function le(value, count,   i) {
    for (i = 0; i < count; i++) { print value % 256; value = int(value / 256) }
  }
  /^#/ { next }
  /^--$/ { rows = 1; next }
  !rows { colour[$1] = $2; next }
  { line[++height] = $0 }
  END {
    size = height
    scales[1] = 1; scales[2] = 2; scales[3] = 3
    offset = 6 + 16 * 3
    le(0, 2); le(1, 2); le(3, 2)
    for (s = 1; s <= 3; s++) {
      side = size * scales[s]
      mask_row = int((side + 31) / 32) * 4
      image = 40 + side * side * 4 + mask_row * side
      le(side % 256, 1); le(side % 256, 1); le(0, 1); le(0, 1)
      le(1, 2); le(32, 2); le(image, 4); le(offset, 4)
      offset += image
    }
    for (s = 1; s <= 3; s++) {
      scale = scales[s]; side = size * scale
      mask_row = int((side + 31) / 32) * 4
      le(40, 4); le(side, 4); le(side * 2, 4); le(1, 2); le(32, 2)
      le(0, 4); le(side * side * 4 + mask_row * side, 4); le(0, 4); le(0, 4); le(0, 4); le(0, 4)
      # Rows go bottom up, each pixel blue, green, red, alpha.
      for (y = side - 1; y >= 0; y--)
        for (x = 0; x < side; x++) {
          c = colour[substr(line[int(y / scale) + 1], int(x / scale) + 1, 1)]
          print hex(substr(c, 5, 2)); print hex(substr(c, 3, 2))
          print hex(substr(c, 1, 2)); print hex(substr(c, 7, 2))
        }
      # The mask: a set bit where the drawing is transparent.
      for (y = side - 1; y >= 0; y--)
        for (b = 0; b < mask_row; b++) {
          value = 0
          for (bit = 0; bit < 8; bit++) {
            x = b * 8 + bit
            transparent = x >= side ||
              hex(substr(colour[substr(line[int(y / scale) + 1], int(x / scale) + 1, 1)], 7, 2)) == 0
            value = value * 2 + (transparent ? 1 : 0)
          }
          print value
        }
    }
  }
' "$drawing")
# shellcheck disable=SC2059,SC2086  # the escapes are the format, one a byte
printf "$(printf '\\%03o' $bytes)" >"$ico"
