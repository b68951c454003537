#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds, starting from the seeds in fuzz/corpus/.
#   fuzz/run-all.sh <build-dir> <seconds>
# New inputs collect in <build-dir>/fuzz-corpus/<target>, crashes in <build-dir>/fuzz-artifacts/<target>/.
# Exits non-zero when any target finds a crash, a leak or a timeout.
set -uo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 <build-dir> <seconds>" >&2
  exit 2
fi
build_dir=$(cd "$1" && pwd) || exit 2
seconds=$2
seeds=$(cd "$(dirname "$0")/corpus" && pwd)
targets=(fuzz_chunk fuzz_preset_file fuzz_resource_store fuzz_service_reply fuzz_settings fuzz_state_block)

failed=()
for target in "${targets[@]}"; do
  binary="$build_dir/fuzz/$target"
  if [ ! -x "$binary" ]; then
    echo "$target: not built (configure with -DKAVREN_FUZZ=ON and clang)" >&2
    failed+=("$target")
    continue
  fi
  corpus="$build_dir/fuzz-corpus/$target"
  artifacts="$build_dir/fuzz-artifacts/$target/"
  mkdir -p "$corpus" "$artifacts"
  echo "== $target for ${seconds}s"
  if ! "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -artifact_prefix="$artifacts" -print_final_stats=1 "$corpus" "$seeds/$target"; then
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing failed: ${failed[*]}" >&2
  exit 1
fi
echo "all fuzz targets ran clean"
