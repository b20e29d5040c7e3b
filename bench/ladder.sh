#!/usr/bin/env bash
# Times zq48enc's default ladder on a 60 s 640x480 30 fps clip with a tone,
# against the ffmpeg command-line tool producing the same rungs (same sizes,
# bit rates and frame rate, MPEG-4 Part 2 through libxvid, mono 8000 Hz MP3
# through libmp3lame): once with one ffmpeg process per rung and once with
# one process for all rungs. The ffmpeg tool is used here only, to make the
# clip and as the yardstick (Debian package "ffmpeg").
#
# Usage: bench/ladder.sh [path/to/zq48enc]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
zq48enc="${1:-$root/build/bin/zq48enc}"
if ! command -v ffmpeg > /dev/null; then
  echo "bench/ladder.sh needs the ffmpeg command-line tool: apt-get install ffmpeg" >&2
  exit 2
fi
[ -x "$zq48enc" ] || { echo "no zq48enc at $zq48enc (run make first)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
clip="$work/clip.avi"
ffmpeg -loglevel error -f lavfi -i testsrc2=size=640x480:rate=30:duration=60 \
  -f lavfi -i sine=frequency=440:sample_rate=44100:duration=60 \
  -c:v mpeg4 -q:v 3 -c:a pcm_s16le -ac 2 "$clip"

now() { date +%s.%N; }
seconds() { echo "$2 - $1" | bc -l; }

# The rungs as zq48enc builds them: width, height, video kbps, audio kbps.
mapfile -t rungs < <("$zq48enc" --ladder "$clip" |
  sed -n 's/^_dr\([0-9]*\)_fr[0-9.]*_w\([0-9]*\)_h\([0-9]*\)_Ch[0-9]*_Sr[0-9]*_Br\([0-9]*\) .*/\2 \3 \1 \4/p')
echo "clip: 60 s 640x480 30 fps, tone; rungs (w h video-kbps audio-kbps): ${rungs[*]/%/;}"

start=$(now)
"$zq48enc" -o "$work/zq48" "$clip" 2> /dev/null
zq48=$(seconds "$start" "$(now)")

rung_args() {  # width height vkbps akbps name
  echo "-vf scale=$1:$2 -r 15 -c:v libxvid -b:v ${3}k -f m4v $work/ff/$5.m4v" \
       "-vn -c:a libmp3lame -ar 8000 -ac 1 -b:a ${4}k -f mp3 $work/ff/$5.mp3"
}

mkdir -p "$work/ff"
start=$(now)
i=0
for rung in "${rungs[@]}"; do
  # shellcheck disable=SC2046
  ffmpeg -loglevel error -y -i "$clip" $(rung_args $rung "r$i") 
  i=$((i + 1))
done
per_rung=$(seconds "$start" "$(now)")

all=()
i=0
for rung in "${rungs[@]}"; do
  # shellcheck disable=SC2206
  all+=($(rung_args $rung "all$i"))
  i=$((i + 1))
done
start=$(now)
ffmpeg -loglevel error -y -i "$clip" "${all[@]}"
one_process=$(seconds "$start" "$(now)")

printf 'zq48enc, whole ladder:          %6.2f s\n' "$zq48"
printf 'ffmpeg, one process per rung:   %6.2f s  (zq48enc takes %.2fx its time)\n' \
  "$per_rung" "$(echo "$zq48 / $per_rung" | bc -l)"
printf 'ffmpeg, one process, all rungs: %6.2f s  (zq48enc takes %.2fx its time)\n' \
  "$one_process" "$(echo "$zq48 / $one_process" | bc -l)"
