#!/usr/bin/env bash
# One part of a video for each task of a Slurm job array, rendered by the
# checkout the job is submitted from; tools/render-farm run afterwards with
# the same options finds the parts, adds the soundtrack and joins them.
#   sbatch --array=1-N tools/render-farm.sbatch CAPTURE-OPTIONS -o FILE.mp4
#   tools/render-farm --parts N CAPTURE-OPTIONS -o FILE.mp4            (the join, once the array is done)
#SBATCH --job-name=swipemix-part
#SBATCH --cpus-per-task=4
#SBATCH --output=swipemix-part-%a.log
set -euo pipefail
: "${SLURM_ARRAY_TASK_ID:?run by sbatch --array=1-N, or with SLURM_ARRAY_TASK_ID and SLURM_ARRAY_TASK_COUNT set}"
cd "${SLURM_SUBMIT_DIR:-$PWD}"
exec tools/render-farm --task "$SLURM_ARRAY_TASK_ID" --parts "${SLURM_ARRAY_TASK_COUNT:?set by an array job}" "$@"
