#!/usr/bin/env bash
# Times zq48enc's default ladder on a 60 s 640x480 30 fps clip with a tone,
# against the ffmpeg command-line tool producing the same rungs (same sizes,
# bit rates and frame rate, MPEG-4 Part 2 through libxvid, mono 8000 Hz MP3
# through libmp3lame): once with one ffmpeg process per rung and once with
# one process for all rungs, with LAME's default quality; and once more in
# one process with LAME at the quality zq48enc's sound stage uses (-q 0,
# ffmpeg's -compression_level 0), the like-for-like yardstick. The ffmpeg
# tool is used here only, to make the clip and as the yardstick (Debian
# package "ffmpeg").
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

# Runs a command and prints "WALL CPU PEAK_MB": wall and CPU seconds (user +
# system, of the command and its children) and the peak resident memory.
measure() {
  python3 - "$@" <<'PY'
import resource, subprocess, sys, time
start = time.monotonic()
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
wall = time.monotonic() - start
use = resource.getrusage(resource.RUSAGE_CHILDREN)
print(f"{wall:.2f} {use.ru_utime + use.ru_stime:.2f} {use.ru_maxrss / 1024:.0f}")
PY
}

# The rungs as zq48enc builds them: width, height, video kbps, audio kbps.
mapfile -t rungs < <("$zq48enc" --ladder "$clip" |
  sed -n 's/^_dr\([0-9]*\)_fr[0-9.]*_w\([0-9]*\)_h\([0-9]*\)_Ch[0-9]*_Sr[0-9]*_Br\([0-9]*\) .*/\2 \3 \1 \4/p')
echo "clip: 60 s 640x480 30 fps, tone; rungs (w h video-kbps audio-kbps): ${rungs[*]/%/;}"

read -r zq48 zq48_cpu zq48_mb < <(measure "$zq48enc" -o "$work/zq48" "$clip")
read -r seq seq_cpu seq_mb < <(measure "$zq48enc" --sequential -o "$work/zq48seq" "$clip")

lame_quality=()  # extra libmp3lame options, for the like-for-like run
rung_args() {  # width height vkbps akbps name
  echo "-vf scale=$1:$2 -r 15 -c:v libxvid -b:v ${3}k -f m4v $work/ff/$5.m4v" \
       "-vn -c:a libmp3lame ${lame_quality[*]} -ar 8000 -ac 1 -b:a ${4}k -f mp3 $work/ff/$5.mp3"
}

mkdir -p "$work/ff"
per_rung_script="$work/per_rung.sh"
{
  echo "set -e"
  i=0
  for rung in "${rungs[@]}"; do
    echo "ffmpeg -loglevel error -y -i '$clip' $(rung_args $rung "r$i")"
    i=$((i + 1))
  done
} > "$per_rung_script"
read -r per_rung per_rung_cpu per_rung_mb < <(measure bash "$per_rung_script")

# Every rung's arguments for one ffmpeg process, its outputs named PREFIX0, PREFIX1 ...
all_rungs() {  # prefix
  all=()
  local i=0
  for rung in "${rungs[@]}"; do
    # shellcheck disable=SC2206
    all+=($(rung_args $rung "$1$i"))
    i=$((i + 1))
  done
}

all_rungs all
read -r one_process one_cpu one_mb < <(measure ffmpeg -loglevel error -y -i "$clip" "${all[@]}")

lame_quality=(-compression_level 0)
all_rungs q0_
read -r q0 q0_cpu q0_mb < <(measure ffmpeg -loglevel error -y -i "$clip" "${all[@]}")

ratio() { echo "$1 / $2" | bc -l; }
printf '%-34s %7s %7s %8s\n' "" "wall s" "CPU s" "peak MB"
printf '%-34s %7.2f %7.2f %8d\n' "zq48enc, whole ladder" "$zq48" "$zq48_cpu" "$zq48_mb"
printf '%-34s %7.2f %7.2f %8d\n' "zq48enc --sequential" "$seq" "$seq_cpu" "$seq_mb"
printf '%-34s %7.2f %7.2f %8d\n' "ffmpeg, one process, all rungs" "$one_process" "$one_cpu" "$one_mb"
printf '%-34s %7.2f %7.2f %8d\n' "ffmpeg, one process per rung" "$per_rung" "$per_rung_cpu" "$per_rung_mb"
printf '%-34s %7.2f %7.2f %8d\n' "ffmpeg, one process, LAME -q 0" "$q0" "$q0_cpu" "$q0_mb"
printf 'zq48enc / ffmpeg one process:    %.2f (wall)\n' "$(ratio "$zq48" "$one_process")"
printf 'zq48enc / ffmpeg per rung:       %.2f (wall)\n' "$(ratio "$zq48" "$per_rung")"
printf 'zq48enc / ffmpeg LAME -q 0:      %.2f (wall)\n' "$(ratio "$zq48" "$q0")"
