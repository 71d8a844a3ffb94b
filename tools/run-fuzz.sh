#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz_*) with clang in build-fuzz/ and runs
# each one for a bounded time in a scratch directory (the targets may write
# the transcript fort.7 and the save file fort.49 there).
#
#   FUZZ_SECONDS  time per target (default 20)
#   FUZZ_JOBS     build parallelism (default: number of processors)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
seconds="${FUZZ_SECONDS:-20}"
jobs="${FUZZ_JOBS:-$(nproc)}"

# libFuzzer comes with clang and its runtime; install them where they are missing.
if ! command -v clang++ >/dev/null 2>&1 || ! dpkg -s libclang-rt-14-dev >/dev/null 2>&1; then
  if [ "$(id -u)" = 0 ]; then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang libclang-rt-14-dev || true
  fi
fi
cc="$(command -v clang || command -v clang-14 || true)"
cxx="$(command -v clang++ || command -v clang++-14 || true)"
if [ -z "$cc" ] || [ -z "$cxx" ]; then
  echo "run-fuzz: clang is needed for libFuzzer" >&2
  exit 2
fi

instrument="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer"
CC="$cc" CXX="$cxx" cmake -S "$root" -B "$build" -DKIV_FUZZ=ON -DKIV_BENCH=OFF -DKIV_SANITIZE=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_FLAGS="$instrument" -DCMAKE_CXX_FLAGS="$instrument" >/dev/null

targets=$(cmake --build "$build" --target help | sed -n 's/^\.\.\. \(fuzz_[A-Za-z0-9_]*\).*/\1/p' | sort -u)
if [ -z "$targets" ]; then
  echo "run-fuzz: no fuzz targets" >&2
  exit 2
fi

status=0
for t in $targets; do
  cmake --build "$build" -j "$jobs" --target "$t"
  exe="$build/bin/$t"
  scratch="$(mktemp -d)"
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  seeds=()
  name="${t#fuzz_}"
  for d in "$root"/tests/*/fuzz_corpus; do
    case "$d" in */tests/"$name"/fuzz_corpus) seeds+=("$d") ;; esac
  done
  echo "== $t for ${seconds}s"
  # The target's own output (reports on units 6 and 7) goes to the scratch dir.
  if ! (cd "$scratch" && "$exe" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
        -artifact_prefix="$build/$t-" "$corpus" "${seeds[@]}" >/dev/null 2>"$scratch/fuzz.log"); then
    echo "run-fuzz: $t FAILED; log follows (artifacts in $build)" >&2
    tail -n 60 "$scratch/fuzz.log" >&2
    status=1
  else
    grep -E '^(stat::number_of_executed_units|stat::new_units_added|Done )' "$scratch/fuzz.log" || true
  fi
  rm -rf "$scratch"
done
exit $status
