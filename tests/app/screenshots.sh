#!/bin/sh
# The shipped program on the desktop backend under a virtual X server: a screenshot of the
# main window, then "Ear training/Intervalli" chosen with the pointer and a screenshot of the
# exercise window, then Ctrl+Q. The screenshots stay in the build directory (PPM files).
# Usage: screenshots.sh ARMONIX XSHOT OUTDIR
set -u
armonix=$1 xshot=$2 outdir=$3
withxvfb=$(dirname "$0")/../support/with-xvfb.sh
for tool in Xvfb xdotool; do
  command -v $tool >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done
rm -f "$outdir/armonix_main.ppm" "$outdir/armonix_intervalli.ppm" "$outdir/armonix_fltk.log"
"$withxvfb" -s "-screen 0 1024x768x24" sh -c '
  ARMONIX_NATIVE=fltk ARMONIX_MIDI=none "$1" > "$3/armonix_fltk.log" 2>&1 &
  pid=$!
  # The main window is centred: its client area starts at (316, 140), the menu bar above it
  # in two rows (102-121 from "Archivio" to "Cadenze", then "Armonie" and "Accordi").
  # Waits are by what appears on the screen, not by time, so a loaded machine only slows it.
  for i in $(seq 120); do
    [ -n "$(xdotool search --onlyvisible --name "^\$" 2>/dev/null | head -n 1)" ] && break
    sleep 1
  done
  sleep 2
  "$2" "$3/armonix_main.ppm"
  for i in $(seq 10); do
    xdotool mousemove 500 111 click 1   # "Ear training"
    sleep 2
    xdotool mousemove 490 188 click 1   # "Intervalli"
    wid=$(timeout 20 xdotool search --sync --onlyvisible --name "^Intervalli\$" 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
  done
  sleep 2
  "$2" "$3/armonix_intervalli.ppm"
  xdotool key ctrl+q
  for i in $(seq 30); do kill -0 $pid 2>/dev/null || break; sleep 1; done
  kill $pid 2>/dev/null
  wait $pid
  echo "exit status $?" >> "$3/armonix_fltk.log"
' sh "$armonix" "$xshot" "$outdir"
status=0
for shot in armonix_main armonix_intervalli; do
  [ -s "$outdir/$shot.ppm" ] || { echo "no screenshot $shot.ppm was taken"; status=1; }
done
if [ $status -eq 0 ] && cmp -s "$outdir/armonix_main.ppm" "$outdir/armonix_intervalli.ppm"; then
  echo "the exercise window never appeared: both screenshots are the same"; status=1
fi
grep -q '^exit status 0$' "$outdir/armonix_fltk.log" || { echo "the program did not end with status 0"; status=1; }
cat "$outdir/armonix_fltk.log"
exit $status
