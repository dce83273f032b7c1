#!/bin/sh
# with-xvfb.sh [-s "SERVER ARGUMENTS"] COMMAND [ARGUMENT...]: runs COMMAND with DISPLAY set to
# a private Xvfb server that picks a free display number itself (-displayfd), so that tests
# running side by side never race for one display as `xvfb-run -a` does; the server is
# stopped afterwards. Exit status: COMMAND's, or 1 when the server cannot start.
server="-screen 0 1024x768x24"
if [ "${1:-}" = "-s" ]; then server=$2; shift 2; fi
dir=$(mktemp -d) || exit 1
# -noreset: an X server resets when its last client leaves, and a program that opens the
# display once to see whether it can (as the runtime does) and then again would meet the
# reset and fail to connect.
# shellcheck disable=SC2086
Xvfb -displayfd 3 -nolisten tcp -noreset $server 3>"$dir/display" >"$dir/log" 2>&1 &
xvfb=$!
for i in $(seq 300); do
  [ -s "$dir/display" ] && break
  kill -0 $xvfb 2>/dev/null || break
  sleep 0.1
done
number=$(head -n 1 "$dir/display" 2>/dev/null)
if [ -z "$number" ]; then
  echo "with-xvfb: Xvfb did not start:" >&2
  cat "$dir/log" >&2
  kill $xvfb 2>/dev/null
  rm -rf "$dir"
  exit 1
fi
DISPLAY=:$number "$@"
status=$?
kill $xvfb 2>/dev/null
wait $xvfb 2>/dev/null
rm -rf "$dir"
exit $status
