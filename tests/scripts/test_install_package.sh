# The Debian package and the options for showings: cpack builds a hardened .deb that lintian passes, with
# shared-library dependencies and valid desktop files; unpacked into a bare root and started through
# its games/ link from an unrelated directory, the program finds its data and shows the sea as the
# build tree does. --size, --fullscreen and --loops give the window and the end they promise (their
# malformed values are the unit tests').
source "$(dirname "$0")/lib.sh"
passed=0
elsewhere="$work_dir/elsewhere"
mkdir -p "$elsewhere"

# --- Options -----------------------------------------------------------------------------------------
"$bin_dir/karvosta" --version | grep -q -x "karvosta [0-9][0-9.]*" || fail "--version: $("$bin_dir/karvosta" --version)"
passed=$((passed + 1))

# A sea picture at run time 1 s: frames, step and seed as one, so that two trees can be compared.
shot_run() { # program, screenshot, extra options...
  local program=$1 shot=$2
  shift 2
  (cd "$elsewhere" && KARVOSTA_NO_DIALOGS=1 "$program" --frames 60 --fixed-dt 0.02 --seed 1 --mute \
    --screenshot "$shot" "$@") >"$work_dir/out.txt" 2>"$work_dir/err.txt" ||
    fail "$program $*: exit code $?: $(cat "$work_dir/err.txt")"
  [ ! -s "$work_dir/err.txt" ] || fail "$program $*: messages: $(cat "$work_dir/err.txt")"
}

# --- Window size and full screen, the build tree's program started from elsewhere --------------------
shot_run "$bin_dir/karvosta" sized.png --size 640x360
[ "$(png_size "$elsewhere/sized.png")" = "640 360" ] || fail "--size 640x360 gave $(png_size "$elsewhere/sized.png")"
screen=$(xdpyinfo | awk '/dimensions:/ { sub(/x/, " ", $2); print $2 }')
shot_run "$bin_dir/karvosta" full.png --fullscreen
[ "$(png_size "$elsewhere/full.png")" = "$screen" ] || fail "--fullscreen gave $(png_size "$elsewhere/full.png"), screen $screen"
passed=$((passed + 1))

# --- Loops: one complete run of the script, then a normal end ----------------------------------------
(cd "$elsewhere" && "$bin_dir/karvosta" --loops 1 --fixed-dt 0.5 --mute --size 160x120 --event-log loops.log) \
  >/dev/null 2>&1 || fail "--loops 1 did not end normally"
[ "$(grep -c ' restart ' "$elsewhere/loops.log")" -eq 1 ] || fail "--loops 1: $(grep -c ' restart ' "$elsewhere/loops.log") restarts"
passed=$((passed + 1))

# --- The package -------------------------------------------------------------------------------------
(cd "$build_dir" && cpack -G DEB -B "$work_dir/package") >"$work_dir/cpack.txt" 2>&1 || fail "cpack: $(cat "$work_dir/cpack.txt")"
deb=$(ls "$work_dir"/package/karvosta_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for library in libepoxy0 libsdl2-mixer libglut libpng16; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
lintian -I --fail-on error,warning "$deb" >"$work_dir/lintian.txt" 2>&1 || fail "lintian: $(cat "$work_dir/lintian.txt")"
! grep -q "hardening-" "$work_dir/lintian.txt" || fail "the program lacks hardening: $(grep hardening- "$work_dir/lintian.txt")"
root="$work_dir/root"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/karvosta.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >/dev/null || fail "metainfo"
for size in 48 128 256; do
  [ "$(png_size "$root/usr/share/icons/hicolor/${size}x$size/apps/karvosta.png")" = "$size $size" ] || fail "icon $size"
done
zcat "$root/usr/share/man/man6/karvosta.6.gz" | grep -q -F '.BI \-\-loops " N"' || fail "man page lacks --loops"
passed=$((passed + 1))

# --- The unpacked program, through its games/ link, against the build tree ---------------------------
shot_run "$bin_dir/karvosta" tree.png
shot_run "$root/usr/games/karvosta" unpacked.png
sea_tree=$(probe "$elsewhere/tree.png" 0 300 800 600 sea)
sea_unpacked=$(probe "$elsewhere/unpacked.png" 0 300 800 600 sea)
[ "$sea_tree" -gt 200000 ] || fail "build tree: lower half is not sea ($sea_tree of 240000 pixels)"
difference=$((sea_unpacked - sea_tree))
[ "${difference#-}" -le $((sea_tree / 100)) ] || fail "unpacked: $sea_unpacked sea pixels, build tree $sea_tree"
passed=$((passed + 1))

echo "$passed passed, 0 failed"
