#!/usr/bin/env bash
# Shows that a change leaves the encoder's outputs alone: builds zq48enc of
# revision OLD (default: the current build's sources are compared against
# OLD) and encodes the same generated media with both, with the default
# ladder and with a range, crop, volume and explicit variants, then compares
# every output file byte for byte (the player archive entry by entry). Needs the ffmpeg command-line tool to make
# the media (Debian package "ffmpeg").
#
# Usage: scripts/same-outputs.sh OLD [path/to/new/zq48enc]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
old_rev="${1:?usage: scripts/same-outputs.sh OLD [path/to/new/zq48enc]}"
new="${2:-$root/build/bin/zq48enc}"
command -v ffmpeg > /dev/null || { echo "needs the ffmpeg command-line tool: apt-get install ffmpeg" >&2; exit 2; }
[ -x "$new" ] || { echo "no zq48enc at $new (run make first)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "building zq48enc of $old_rev ..."
git -C "$root" worktree add -q --detach "$work/src" "$old_rev"
trap 'git -C "$root" worktree remove --force "$work/src"; rm -rf "$work"' EXIT
cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZQ48_BROWSER_TESTS=OFF > /dev/null
cmake --build "$work/build" -j "$(nproc)" --target zq48enc > /dev/null
old="$work/build/bin/zq48enc"

media="$work/media"
mkdir -p "$media"
source_args=(-f lavfi -i testsrc2=size=320x240:rate=25:duration=4
             -f lavfi -i sine=frequency=440:sample_rate=44100:duration=4)
ffmpeg -loglevel error "${source_args[@]}" -c:v mpeg4 -q:v 3 -c:a pcm_s16le -ac 2 "$media/clip.avi"
ffmpeg -loglevel error "${source_args[@]}" -c:v mpeg1video -q:v 3 -c:a mp2 -f vob "$media/program.mpg"
ffmpeg -loglevel error "${source_args[@]}" -c:v mpeg4 -q:v 3 -bf 2 -c:a aac "$media/film.mp4"
ffmpeg -loglevel error "${source_args[@]}" -c:v mpeg4 -q:v 3 -c:a pcm_s16be "$media/movie.mov"
ffmpeg -loglevel error -f lavfi -i sine=frequency=300:sample_rate=22050:duration=3 "$media/tone.wav"

# Each case: a folder name and zq48enc's options (the files are the same).
cases=(
  "ladder|"
  "range|--range-begin 100 --range-end 600 --quality 80"
  "trimmed|--begin 1 --end 3 --crop 8,8,4,4 --volume 1.3"
  "explicit|--variant w=160,h=120,fps=12.5,video=120,audio=16,rate=22050,channels=2 --variant w=96,h=72,fps=5,video=40,audio=0,rate=8000,channels=1"
  "sequential|--sequential"
)
# Two folders hold the same files with the same bytes; a player archive
# counts as the same when its entries are (the archiver stamps each with the
# time the archive was built).
same_files() {
  python3 - "$1" "$2" <<'PY'
import filecmp, os, sys, zipfile
a, b = sys.argv[1], sys.argv[2]
def names(root):
    return sorted(os.path.relpath(os.path.join(d, f), root) for d, _, fs in os.walk(root) for f in fs)
def entries(path):
    with zipfile.ZipFile(path) as z:
        return [(i.filename, z.read(i)) for i in z.infolist()]
ok = names(a) == names(b)
if not ok: print("different file lists")
for n in names(a) if ok else []:
    x, y = os.path.join(a, n), os.path.join(b, n)
    same = entries(x) == entries(y) if n.endswith(".jar") else filecmp.cmp(x, y, shallow=False)
    if not same:
        print("differs:", n)
        ok = False
sys.exit(0 if ok else 1)
PY
}

status=0
for c in "${cases[@]}"; do
  name="${c%%|*}"
  read -r -a options <<< "${c#*|}"
  for which in old new; do
    binary="$old"; [ "$which" = new ] && binary="$new"
    "$binary" -o "$work/$which/$name" "${options[@]}" "$media"/* 2> /dev/null || echo "$name: exit $?" >> "$work/$which.status"
  done
  if same_files "$work/old/$name" "$work/new/$name"; then
    echo "$name: $(find "$work/new/$name" -type f | wc -l) files, the same bytes"
  else
    echo "$name: DIFFERENT"
    status=1
  fi
done
if ! cmp -s <(cat "$work/old.status" 2> /dev/null) <(cat "$work/new.status" 2> /dev/null); then
  echo "exit statuses differ:"; cat "$work/old.status" "$work/new.status" 2> /dev/null; status=1
fi
exit $status
