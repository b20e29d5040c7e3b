#!/usr/bin/env bash
# One film per task of a Slurm job array: task N encodes line N+1 of LIST
# into the shared folder DEST. Submit it with as many tasks as LIST has lines:
#
#   sbatch --array=0-$(($(wc -l < films.txt) - 1)) scripts/zq48-slurm-array.sh films.txt /srv/archive
#
# A task whose film is already complete in DEST does nothing and succeeds,
# so failed tasks can be resubmitted (sbatch --array=4,17 ...) or the whole
# array run again. ZQ48_OPTIONS passes further zq48enc options, ZQ48ENC
# names another zq48enc.
#SBATCH --job-name=zq48enc
#SBATCH --cpus-per-task=2
#SBATCH --output=zq48enc-%A_%a.log
set -euo pipefail

list=${1:?usage: zq48-slurm-array.sh LIST DEST}
dest=${2:?usage: zq48-slurm-array.sh LIST DEST}
task=${SLURM_ARRAY_TASK_ID:?run this as a Slurm array task (sbatch --array=...)}

film=$(sed -n "$((task + 1))p" "$list")
if [ -z "$film" ]; then
  echo "zq48-slurm-array: $list has no line $((task + 1))" >&2
  exit 2
fi
# shellcheck disable=SC2086 # the options are meant to be split into words
exec "${ZQ48ENC:-zq48enc}" --skip-complete ${ZQ48_OPTIONS:-} -o "$dest" "$film"
