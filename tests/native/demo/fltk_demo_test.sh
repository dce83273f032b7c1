#!/bin/sh
# The demo on the FLTK backend under a virtual X server: xdotool moves the pointer over the
# button and clicks it, then chooses File/Saluta and answers its message box; the demo must
# report the move and both commands. A screenshot goes to the build directory. Usage: fltk_demo_test.sh DEMO XSHOT OUTDIR
set -u
demo=$1 xshot=$2 outdir=$3
withxvfb=$(dirname "$0")/../../support/with-xvfb.sh
for tool in Xvfb xdotool; do
  command -v $tool >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done
log=$outdir/fltk_demo.log
rm -f "$log" "$outdir/fltk_demo.ppm"
"$withxvfb" -s "-screen 0 1024x768x24" sh -c '
  ARMONIX_NATIVE=fltk "$1" > "$2" 2>&1 &
  pid=$!
  wid=$(timeout 120 xdotool search --sync --name "Armonix demo" | head -n 1)
  [ -n "$wid" ] || { echo "the demo window never appeared"; kill $pid; exit 1; }
  sleep 2
  xdotool mousemove --window "$wid" 250 120 || true
  sleep 2
  xdotool mousemove --window "$wid" 60 49 || true
  sleep 2
  xdotool click 1
  sleep 3
  "$3" "$4/fltk_demo.ppm"
  xdotool mousemove --window "$wid" 15 9 click 1
  sleep 3
  xdotool mousemove --window "$wid" 30 31 click 1
  sleep 4
  # The message box has no window manager to give it the keyboard: press its OK button,
  # the only button, at the bottom right.
  dlg=$(xdotool search --name "^Armonix\$" | head -n 1)
  if [ -n "$dlg" ]; then
    eval "$(xdotool getwindowgeometry --shell "$dlg")"
    xdotool mousemove --window "$dlg" $((WIDTH - 30)) $((HEIGHT - 22)) click 1
  fi
  sleep 3
  xdotool key --window "$wid" ctrl+q 2>/dev/null
  for i in $(seq 60); do kill -0 $pid 2>/dev/null || break; sleep 1; done
  kill $pid 2>/dev/null
  wait $pid
' sh "$demo" "$log" "$xshot" "$outdir"
status=0
grep -q '^mouse ' "$log" || { echo "the demo saw no pointer move"; status=1; }
grep -q '^command 1001$' "$log" || { echo "the demo saw no WM_COMMAND from its button"; status=1; }
grep -q '^command 2001$' "$log" || { echo "the demo saw no WM_COMMAND from its menu"; status=1; }
[ -s "$outdir/fltk_demo.ppm" ] || { echo "no screenshot was taken"; status=1; }
cat "$log"
exit $status
