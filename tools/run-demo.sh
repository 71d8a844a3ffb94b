#!/usr/bin/env bash
# Runs the focus sequence against the bundled display server: a FIFO pair in a
# temporary directory, fbview reading it, kivdemo2 asking its question here.
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
out_dir=$(cd "$(dirname "$bin")" && pwd)/demo
for prog in kivdemo2 fbview; do
  if [ ! -x "$bin/$prog" ]; then
    echo "The demonstration is not built yet: $bin/$prog does not exist."
    exit 1
  fi
done
mkdir -p "$out_dir"
fifo_dir=$(mktemp -d "${TMPDIR:-/tmp}/kivdemo.XXXXXX")
server_pid=
cleanup() {
  if [ -n "$server_pid" ] && kill -0 "$server_pid" 2>/dev/null; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$fifo_dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkfifo -m 600 "$fifo_dir/imt1i" "$fifo_dir/imt1o"

view=none
[ -t 1 ] && view=terminal
# 96 loads at 50 ms each: about five seconds with no delay.
"$bin/fbview" --in "$fifo_dir/imt1i" --out "$fifo_dir/imt1o" --once --view "$view" --pace 50 \
  --png "$out_dir/last-image.png" --sheet "$out_dir/contact-sheet.png" &
server_pid=$!
# kivdemo2 writes as soon as it has opened the pair: wait until fbview reads it.
for _ in $(seq 500); do
  ls -l "/proc/$server_pid/fd" 2>/dev/null | grep -q "$fifo_dir/imt1o" && break
  kill -0 "$server_pid" 2>/dev/null || { echo "fbview did not start"; exit 1; }
  sleep 0.01
done

status=0
(cd "$out_dir" && INDEV="$fifo_dir/imt1i" OUTDEV="$fifo_dir/imt1o" "$bin/kivdemo2") || status=$?
# The server drains what is left in the FIFO and ends with the stream; one that
# never saw a client (kivdemo2 failed before opening the pair) is stopped.
for _ in $(seq 100); do
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.1
done
kill "$server_pid" 2>/dev/null || true
server_status=0
wait "$server_pid" || server_status=$?
server_pid=
echo
echo "kivdemo2 ended with status $status, fbview with status $server_status."
echo "Last image:    $out_dir/last-image.png"
echo "Contact sheet: $out_dir/contact-sheet.png"
echo "Transcript and save file: $out_dir/fort.7, $out_dir/fort.49"
exit "$status"
