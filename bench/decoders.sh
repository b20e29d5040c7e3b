#!/usr/bin/env bash
# Pictures per second of the two players' video decoders (the web player's
# under Node.js, the Java archive's under the JDK) at the ladder's picture
# sizes: a generated 8 s clip (a textured background sliding by fractions of
# a pixel, a disc crossing it) is encoded by zq48enc into one stream per size,
# and each decoder plays every stream, decoding alone and with its colour
# conversion.
#
# Usage: bench/decoders.sh [zq48enc [WEB_DIR [zqmPlayer.jar]]]
# (defaults: this checkout's build and resources; give another checkout's
# resources/web and jar, or a folder of its compiled player classes, to
# compare revisions)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
zq48enc="${1:-$root/build/bin/zq48enc}"
web="${2:-$root/resources/web}"
jar="${3:-$root/build/resources/zqmPlayer.jar}"
for tool in node java javac; do
  command -v "$tool" > /dev/null || { echo "bench/decoders.sh needs $tool" >&2; exit 2; }
done
[ -x "$zq48enc" ] || { echo "no zq48enc at $zq48enc (run make first)" >&2; exit 2; }
[ -e "$jar" ] || { echo "no player archive at $jar (run make first)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

node - "$work/clip.y4m" <<'JS'
const fs = require('fs');
const [w, h, frames] = [640, 480, 120];
const out = fs.openSync(process.argv[2], 'w');
fs.writeSync(out, `YUV4MPEG2 W${w} H${h} F15:1 Ip A1:1 C420jpeg\n`);
const picture = Buffer.alloc(w * h * 3 / 2);
for (let t = 0; t < frames; t++) {
  const cx = 60 + 4.5 * t, cy = 300 - 1.5 * t;
  for (let y = 0; y < h; y++) {
    for (let x = 0; x < w; x++) {
      const bx = x + 2.5 * t, by = y + 1.5 * t;
      let luma = 60 + ((Math.floor(bx / 24) + Math.floor(by / 20)) & 1) * 70 + 40 * Math.sin(bx * 0.11) * Math.cos(by * 0.09);
      if ((x - cx) ** 2 + (y - cy) ** 2 < 50 ** 2) luma = 220 - ((x + y) & 7) * 6;
      picture[y * w + x] = Math.max(16, Math.min(235, luma | 0));
    }
  }
  for (let y = 0; y < h / 2; y++) {
    for (let x = 0; x < w / 2; x++) {
      picture[w * h + y * w / 2 + x] = 128 + (50 * Math.sin((2 * x + 2.5 * t) * 0.03)) | 0;
      picture[w * h * 5 / 4 + y * w / 2 + x] = 128 + (50 * Math.cos((2 * y + 1.5 * t) * 0.04)) | 0;
    }
  }
  fs.writeSync(out, 'FRAME\n');
  fs.writeSync(out, picture);
}
fs.closeSync(out);
JS

mkdir "$work/out"
"$zq48enc" -o "$work/out" \
  --variant w=128,h=96,fps=15,video=60,audio=0,rate=8000,channels=1 \
  --variant w=240,h=176,fps=15,video=150,audio=0,rate=8000,channels=1 \
  --variant w=320,h=240,fps=15,video=300,audio=0,rate=8000,channels=1 \
  --variant w=640,h=480,fps=15,video=900,audio=0,rate=8000,channels=1 \
  "$work/clip.y4m" > /dev/null 2> "$work/zq48enc.log" || { cat "$work/zq48enc.log" >&2; exit 1; }
streams=$(ls -S -r "$work"/out/*.video.zq48)

echo "web player (node $(node --version)):"
node "$root/bench/decode_speed.mjs" "$web" $streams
mkdir "$work/classes"
javac -nowarn -cp "$jar" -d "$work/classes" "$root/bench/DecodeSpeed.java"
echo "Java player ($(java -version 2>&1 | head -1)):"
java -cp "$jar:$work/classes" DecodeSpeed $streams
