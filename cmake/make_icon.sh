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
  # The colour at (x, y) of the drawing shown at the given scale.
  function pixel(x, y, scale) {
    return colour[substr(line[int(y / scale) + 1], int(x / scale) + 1, 1)]
  }
  /^#/ { next }
  /^--$/ { rows = 1; next }
  !rows { colour[$1] = $2; next }
  { line[++height] = $0 }
  END {
    # Image s is the drawing scaled s times: its side, mask row and size in bytes.
    for (s = 1; s <= 3; s++) {
      side[s] = height * s
      mask_row[s] = int((side[s] + 31) / 32) * 4
      size[s] = 40 + side[s] * side[s] * 4 + mask_row[s] * side[s]
    }
    le(0, 2); le(1, 2); le(3, 2)
    offset = 6 + 16 * 3
    for (s = 1; s <= 3; s++) {
      le(side[s], 1); le(side[s], 1); le(0, 1); le(0, 1)
      le(1, 2); le(32, 2); le(size[s], 4); le(offset, 4)
      offset += size[s]
    }
    for (s = 1; s <= 3; s++) {
      n = side[s]
      le(40, 4); le(n, 4); le(n * 2, 4); le(1, 2); le(32, 2)
      le(0, 4); le(size[s] - 40, 4); le(0, 4); le(0, 4); le(0, 4); le(0, 4)
      # Rows go bottom up, each pixel blue, green, red, alpha.
      for (y = n - 1; y >= 0; y--)
        for (x = 0; x < n; x++) {
          c = pixel(x, y, s)
          print hex(substr(c, 5, 2)); print hex(substr(c, 3, 2))
          print hex(substr(c, 1, 2)); print hex(substr(c, 7, 2))
        }
      # The mask: a set bit where the drawing is transparent.
      for (y = n - 1; y >= 0; y--)
        for (b = 0; b < mask_row[s]; b++) {
          value = 0
          for (bit = 0; bit < 8; bit++) {
            x = b * 8 + bit
            value = value * 2 + (x >= n || hex(substr(pixel(x, y, s), 7, 2)) == 0)
          }
          print value
        }
    }
  }
' "$drawing")
# shellcheck disable=SC2059,SC2086  # the escapes are the format, one a byte
printf "$(printf '\\%03o' $bytes)" >"$ico"
