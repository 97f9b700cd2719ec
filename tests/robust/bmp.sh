# BMP writers for the shell tests, sourced. Bytes are written with printf so
# the tests need nothing beyond bash and coreutils.
# shellcheck shell=bash

# Little-endian 16- and 32-bit integers.
bmp_le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
bmp_le32() { bmp_le16 $(($1 & 65535)); bmp_le16 $((($1 >> 16) & 65535)); }

# bmp_header WIDTH HEIGHT BITS DATA_SIZE: file header and BITMAPINFOHEADER.
bmp_header() {
  printf 'BM'
  bmp_le32 $((54 + $4)); bmp_le32 0; bmp_le32 54
  bmp_le32 40; bmp_le32 "$1"; bmp_le32 "$2"; bmp_le16 1; bmp_le16 "$3"
  bmp_le32 0; bmp_le32 "$4"; bmp_le32 2835; bmp_le32 2835; bmp_le32 0; bmp_le32 0
}

# bmp_absurd PATH: claims 100000 x 100000 pixels but carries a few bytes.
bmp_absurd() {
  { bmp_header 100000 100000 24 30000000000; head -c 64 /dev/zero; } >"$1"
}

# bmp_random PATH SEED: 4096 bytes from bash's generator, reproducible.
bmp_random() {
  local i b s=""
  RANDOM=$2
  for ((i = 0; i < 4096; i++)); do
    printf -v b '\\x%02x' $((RANDOM & 255))
    s+=$b
  done
  printf "$s" >"$1"
}
