# Command line: --help lists the options and exits 0; a bad option or value, or options that cannot
# apply together (each pair the program refuses has its row), print the reason and the usage and
# exit 2, before anything is written.
source "$(dirname "$0")/lib.sh"

(cd "$bin_dir" && ./karvosta --help) | grep -q -- "--frames" || fail "--help does not list --frames"
#  message                                 arguments
usage_errors=(
  "--frames needs|--frames 0"
  "--record films off-screen|--record $work_dir/film.mp4 --screenshot $work_dir/shot.png"
  "--record films off-screen|--record $work_dir/film.mp4 --loops 1"
  "--record films off-screen|--record $work_dir/film.mp4 --fullscreen"
  "--headless draws nothing|--headless --screenshot $work_dir/shot.png"
  "--headless draws nothing|--headless --fps 30"
  "--headless draws nothing|--headless --size 64x48"
  "--headless draws nothing|--headless --text atlas"
  "--text needs atlas or bitmap|--text vector"
  "--headless draws nothing|--headless --gl es2"
  "--gl needs designed or es2|--gl gles"
  "--fps sets the frame rate of a recording|--fps 30 --frames 1"
  "--fixed-dt needs a step in seconds (1e-6 to 1)|--fixed-dt 1e-300 --frames 1"
  "--record films off-screen|--record $work_dir/film.mp4 --frame-stats"
  "--headless draws nothing|--headless --frames 5"
  "--headless draws nothing|--headless --loops 1"
  "--headless draws nothing|--headless --fullscreen"
  "--headless draws nothing|--headless --frame-stats"
  "--record runs on its own clock|--record $work_dir/film.mp4 --headless"
  "--record runs on its own clock|--record $work_dir/film.mp4 --frames 5"
  "--seconds sets the length of a --headless run or a --record film|--seconds 5 --frames 1"
  "--poster-at sets the time of the picture --poster FILE.png writes|--record $work_dir/film.mp4 --poster-at 1"
  "--loudness levels the film's sound; --mute makes a film without sound|--record $work_dir/f.mp4 --mute --loudness -20"
  "a film lasts at most 600 s (--seconds 611 after --start 10 is 601 s)|--record $work_dir/f.mp4 --start 10 --seconds 611"
  "--start applies to a recording only|--start 1"
  "--poster applies to a recording only|--poster $work_dir/poster.png"
  "--poster-at applies to a recording only|--poster-at 1"
  "--counter applies to a recording only|--counter"
  "--loudness applies to a recording only|--loudness -20"
)
for row in "${usage_errors[@]}"; do
  IFS='|' read -r message args <<<"$row"
  status=0
  # shellcheck disable=SC2086
  (cd "$bin_dir" && ./karvosta $args) >/dev/null 2>"$work_dir/err.txt" || status=$?
  [ "$status" -eq 2 ] && grep -q "usage: karvosta" "$work_dir/err.txt" || fail "$args: exit $status, $(cat "$work_dir/err.txt")"
  grep -q -F -- "$message" "$work_dir/err.txt" || fail "$args: no '$message' in $(head -1 "$work_dir/err.txt")"
  [ -z "$(ls "$work_dir" | grep -v err.txt)" ] || fail "$args: left $(ls "$work_dir")"
done
echo "${#usage_errors[@]} passed, 0 failed"
