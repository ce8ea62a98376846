# The designed path's draws, counted through GL (apitrace): every frame draws the sea as 49 strips of
# 100 indices in one draw each, as quad strips, and as triangle strips after F6; and at run time 11 s
# of seed 1, where the camera sees both ships, a frame calls the sky's list once and each ship's and
# each of the four ducks' lists once in each of the two passes.
source "$(dirname "$0")/lib.sh"
command -v apitrace >/dev/null || fail "apitrace is missing (scripts/setup.sh installs it)"

# Traces a fixed-step run of $2 frames of seed 1 (one step a second) into $1.trace and writes one
# line per frame to $1.txt: the sea's strips drawn as quads and as triangles with 100 indices, all
# strip draws of the sea's index type (GLUT's balls are strips of short indices), and how often the
# display lists 1 to 4 were called. Draws inside a list's compilation are not the frame's. With $3,
# that key goes to the window before its first frames: a fixed-clock run waits while its window is
# off the screen.
traced_run() {
  local link="$work_dir/traced-$1" window
  ln -sf "$bin_dir/karvosta" "$link"
  (cd "$bin_dir" && exec env KARVOSTA_NO_DIALOGS=1 apitrace trace -o "$work_dir/$1.trace" \
    "$link" --frames "$2" --fixed-dt 1 --seed 1 --mute) >"$work_dir/$1.out" 2>&1 &
  local pid=$!
  if [ -n "${3:-}" ]; then
    window=$(find_window "traced-$1" "$pid" 10)
    xdotool windowunmap "$window"
    xdotool key --window "$window" "$3" 2>/dev/null  # without a window manager it warns of the focus
    sleep 0.3
    xdotool windowmap "$window"
  fi
  wait "$pid" || fail "the traced run failed: $(tail -n 3 "$work_dir/$1.out")"
  apitrace dump --color=never "$work_dir/$1.trace" | awk '
    / glNewList\(/ { compiling = 1 }
    / glEndList\(/ { compiling = 0; next }
    compiling { next }
    / glDrawElements\(mode = GL_QUAD_STRIP, count = 100,/ { quads++ }
    / glDrawElements\(mode = GL_TRIANGLE_STRIP, count = 100,/ { triangles++ }
    / glDrawElements\(mode = GL_(QUAD|TRIANGLE)_STRIP, count = [0-9]+, type = GL_UNSIGNED_INT/ { strips++ }
    / glCallList\(list = / { match($0, /list = [0-9]+/); list = substr($0, RSTART + 7, RLENGTH - 7); calls[list]++ }
    / glXSwapBuffers\(/ {
      printf "%d %d %d", quads, triangles, strips
      for (list = 1; list <= 4; list++) printf " %d", calls[list]
      printf "\n"
      quads = triangles = strips = 0; delete calls
    }' >"$work_dir/$1.txt"
  [ "$(wc -l <"$work_dir/$1.txt")" -eq "$2" ] || fail "$(wc -l <"$work_dir/$1.txt") frames traced, not $2"
}

traced_run quads 12
while read -r quads triangles strips _; do
  [ "$quads $triangles $strips" = "49 0 49" ] ||
    fail "a frame drew $quads quad strips and $triangles triangle strips of 100 indices in $strips strip draws, not 49 quad strips"
done <"$work_dir/quads.txt"
# The lists in the order start-up makes them: sky, ship 1, ship 2, duck.
read -r _ _ _ sky ship1 ship2 ducks < <(tail -n 1 "$work_dir/quads.txt")
[ "$sky $ship1 $ship2 $ducks" = "1 2 2 8" ] ||
  fail "the frame at 11 s called the sky's list $sky times, the ships' $ship1 and $ship2, the duck's $ducks, not 1 2 2 8"

traced_run triangles 3 F6
read -r quads triangles strips _ < <(tail -n 1 "$work_dir/triangles.txt")
[ "$quads $triangles $strips" = "0 49 49" ] ||
  fail "after F6 a frame drew $quads quad strips and $triangles triangle strips of 100 indices in $strips strip draws"
echo "49 sea strips a frame, as quads and after F6 as triangles; at 11 s: sky 1, ships 2 and 2, ducks 8"
