#!/bin/sh
# endbysignal.sh SIGNAL LOG [FILE PATTERN COUNT]... -- COMMAND [ARGS...]
# Runs COMMAND with its output in LOG, waits until each FILE has COUNT lines matching PATTERN (the
# program is ready; a minute at most), sends it SIGNAL, passes LOG on to standard error and ends
# with the command's exit status.
signal=$1
log=$2
shift 2
waits=
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  waits="$waits
$1|$2|$3"
  shift 3
done
shift

ready() {
  echo "$waits" | while IFS='|' read -r file pattern count; do
    [ -z "$file" ] && continue
    n=$(grep -c -e "$pattern" "$file" 2>/dev/null)
    [ "${n:-0}" -ge "$count" ] || exit 1
  done
}

"$@" >"$log" 2>&1 &
child=$!
tries=0
until ready; do
  tries=$((tries + 1))
  if [ $tries -gt 600 ] || ! kill -0 $child 2>/dev/null; then
    cat "$log" >&2
    echo "endbysignal: the command did not get ready" >&2
    kill -s KILL $child 2>/dev/null
    exit 125
  fi
  sleep 0.1
done
kill -s "$signal" $child
wait $child
status=$?
cat "$log" >&2
exit $status
