# Recording a film (--record): bad arguments are refused before anything is written; a short film
# has the asked streams, size, rate and length; its sound rises at every broadside and hit of the run
# and is silent where the ambient sound files were removed; an excerpt with a fade and a poster is as
# loud as asked, fades over the asked time in picture and sound, has no frame counter and its poster
# is its frame; a picture matches a screenshot of the same frame; the same command gives the same
# pictures, and an excerpt the same as the tail of a film from 0. Faults a user meets (no display, a
# directory as target, no working directory, stop signals in every phase, a closed output, calls that
# fail at the film's end) leave nothing behind, and a failed film leaves the one it would replace.
source "$(dirname "$0")/lib.sh"

passed=0
films="$work_dir/films"
mkdir -p "$films"

# Nothing but $1 (may be empty) may remain in the films directory.
only_left() {
  local left
  left=$(cd "$films" && ls -A | tr '\n' ' ')
  [ "$left" = "${1:+$1 }" ] || fail "$2: left on disk: '$left'"
}

# The film's sound as one 8 kHz sample a line.
pcm() { ffmpeg -v error -i "$1" -ac 1 -ar 8000 -f s16le - | od -An -v -td2 -w2; }

# True when picture $2 of film $1 is picture $3 (a PNG) to at least $4 dB PSNR, compared in the film's
# own format (BT.709 yuv420p): the PNG goes through the same colour conversion.
same_picture() {
  local psnr
  psnr=$(ffmpeg -i "$1" -i "$3" -lavfi "[0:v]select=eq(n\,$2),format=yuv420p[film];[1:v]scale=out_color_matrix=bt709:\
out_range=tv,format=yuv420p[shot];[film][shot]psnr" -f null - 2>&1 | sed -n 's/.*average:\([0-9.]*\).*/\1/p')
  awk -v p="$psnr" -v least="$4" 'BEGIN { exit !(p >= least) }' || { echo "PSNR ${psnr:-none} dB" >&2; return 1; }
}

# --- Bad arguments and faults found before the first frame: message, exit code, no file anywhere --
#  exit  message                    arguments                                    set-up before the run
gone="$work_dir/gone"
mkdir "$work_dir/taken.mp4"
bad_cases=(
  "1|unknown extension|--record $films/film.avi"
  "1|must be even|--record $films/film.mp4 --size 321x240"
  "1|out of range|--record $films/film.mp4 --size 4096x2160"
  "1|not offered|--record $films/film.mp4 --fps 29"
  "1|holds no frame|--record $films/film.mp4 --seconds 0.01"
  "1|cannot write|--record $films/missing/film.mp4"
  "1|taken.mp4: Is a directory|--record $work_dir/taken.mp4 --size 64x48 --seconds 0.5"
  "1|cannot write /sys/film.mp4|--record /sys/film.mp4 --size 64x48 --seconds 0.5"
  "1|failed to open display ':987'|--record $films/film.mp4 --size 64x48 --seconds 0.5|export DISPLAY=:987"
  "1|film.mp4 is a relative path, but the working directory cannot be found|--record film.mp4 --size 64x48 --seconds 0.5|mkdir $gone && cd $gone && rmdir $gone"
  "2|--start 5 is past the end|--record $films/film.mp4 --seconds 4 --start 5"
  "2|--fade needs seconds|--record $films/film.mp4 --fade -1"
  "2|longer than half the film (3 s)|--record $films/film.mp4 --seconds 4 --start 1 --fade 1.6"
  "2|--loudness needs a loudness in LUFS from -40 to -5|--record $films/film.mp4 --loudness -41"
  "2|--poster-at 5 is outside the film|--record $films/film.mp4 --seconds 4 --poster-at 5"
  "1|cannot write $films/missing/poster.png: No such file|--record $films/film.mp4 --poster $films/missing/poster.png"
  "1|cannot write $work_dir/folder.png: Is a directory|--record $films/film.mp4 --poster $work_dir/folder.png"
)
mkdir "$work_dir/folder.png"
for row in "${bad_cases[@]}"; do
  IFS='|' read -r want message args setup <<<"$row"
  code=0
  # shellcheck disable=SC2086
  (cd "$bin_dir" && eval "$setup" && KARVOSTA_NO_DIALOGS=1 "$bin_dir/karvosta" $args) \
    >"$work_dir/out.txt" 2>"$work_dir/err.txt" || code=$?
  [ "$code" = "$want" ] || fail "$args: exit code $code, expected $want"
  grep -q -- "$message" "$work_dir/err.txt" || fail "$args: no '$message' in: $(cat "$work_dir/err.txt")"
  ! grep -q "recording: [0-9]*/[0-9]* frames" "$work_dir/err.txt" || fail "$args: refused only after frames were made"
  only_left "" "$args"
  [ -z "$(ls "$bin_dir" "$work_dir" | grep "\.mp4\.part\|^film\.mp4")" ] || fail "$args: a file was left"
  passed=$((passed + 1))
done

# A full disk, as a file-size limit: the write error ends the run, the temporary file goes.
code=0
(ulimit -f 100 && trap '' XFSZ && run_demo --record "$films/full.mp4" --size 320x240 --seconds 20 \
  >/dev/null 2>"$work_dir/err.txt") || code=$?
[ "$code" = 1 ] || fail "exit code $code on a full disk, expected 1"
grep -q "File too large; recording stopped" "$work_dir/err.txt" || fail "full disk: $(cat "$work_dir/err.txt")"
only_left "" "a recording on a full disk"
passed=$((passed + 1))

# --- One film of the battle's opening, without the ambient loops -------------------------------
tree="$work_dir/tree"
mkdir -p "$tree"
cp -r "$bin_dir" "$build_dir/data" "$tree/"
rm "$tree"/data/sound/{wind.wav,sails.mp3,ocean.wav,quack1.mp3,quack2.mp3}
film="$films/opening.mp4"
(cd "$tree/bin" && ./karvosta --record "$film" --seconds 14 --size 320x240 --fps 25 \
  --event-log "$work_dir/events.txt" >"$work_dir/out.txt" 2>"$work_dir/err.txt") || fail "recording failed: $(cat "$work_dir/err.txt")"
only_left "opening.mp4" "a finished recording"
grep -q "could not open sails file" "$work_dir/out.txt" || fail "no message for the missing sails file"
for sound in hgsample ocean quack1 quack2; do
  grep -q "could not open $sound file" "$work_dir/err.txt" || fail "no message for the missing $sound file"
done
grep -q "recording: 350/350 frames 100%" "$work_dir/err.txt" || fail "no final progress line"
[ "$(grep -c "recording: " "$work_dir/err.txt")" -eq 10 ] || fail "progress off a terminal is not one line per 10 %"
passed=$((passed + 1))

streams=$(ffprobe -v error -show_entries stream=codec_name,pix_fmt,width,height,r_frame_rate,channels,duration \
  -of compact=p=0:nk=1 "$film" | tr '\n' ' ')
[ "$streams" = "h264|320|240|yuv420p|25/1|14.000000 aac|2|0/0|14.000000 " ] || fail "streams: $streams"
passed=$((passed + 1))

# Loudness of the mono mix at 8 kHz. Before the first broadside only the removed loops would sound:
# every sample is zero, and the first sound starts with that broadside (AAC blurs it by a few ms).
# Then every broadside and hit raises the loudest 10 ms of the next 0.1 s above the level of the
# 0.1 s before it. The generated effects are noise: hits closer than 0.2 s to the one before are
# heard as one onset, so only the first of such a group is checked.
pcm "$film" >"$work_dir/samples.txt"
awk 'NR == FNR { if ($3 ~ /broadside-fired|hit/) times[++n] = $1; next }
     { x[FNR - 1] = $1 }
     END {
       for (j = 0; x[j] == 0 && j < FNR; j++) {}
       if (j / 8000 < times[1] - 0.03 || j / 8000 > times[1] + 0.1) { print "first sound at " j / 8000 " s"; bad = 1 }
       for (i = 1; i <= n; i++) {
         if (i > 1 && times[i] - times[i - 1] < 0.2) continue
         s = int(times[i] * 8000); before = 0; peak = 0
         for (j = s - 800; j < s; j++) before += x[j] * x[j]
         before = sqrt(before / 800)
         for (w = s; w < s + 800; w += 80) {
           e = 0; for (j = w; j < w + 80; j++) e += x[j] * x[j]
           if (sqrt(e / 80) > peak) peak = sqrt(e / 80)
         }
         if (peak < 1.2 * before) { printf "no rise at %s s (%d after, %d before)\n", times[i], peak, before; bad = 1 }
       }
       if (n < 10) { print "only " n " broadsides and hits"; bad = 1 }
       exit bad
     }' "$work_dir/events.txt" "$work_dir/samples.txt" >"$work_dir/loudness.txt" \
  || fail "soundtrack: $(cat "$work_dir/loudness.txt")"
passed=$((passed + 1))

# --- An excerpt, demo time 8 to 16 s (broadsides and hits), faded, for broadcast, with a poster at
# 12 s; and the same span unfaded at the default loudness, on the smallest picture a film takes --------
excerpt="$films/excerpt.mp4" plain="$films/plain.mp4"
run_demo --record "$excerpt" --size 320x240 --start 8 --seconds 16 --fade 1 --loudness -23 --poster "$films/poster.png" \
  --poster-at 12 >/dev/null 2>"$work_dir/err.txt" || fail "excerpt failed: $(cat "$work_dir/err.txt")"
run_demo --record "$plain" --size 16x16 --start 8 --seconds 16 >/dev/null 2>"$work_dir/err.txt" \
  || fail "unfaded excerpt failed: $(cat "$work_dir/err.txt")"
for film in "$excerpt:-23" "$plain:-16"; do
  meter=$(ffmpeg -nostats -i "${film%:*}" -vn -af ebur128=peak=true -f null - 2>&1 | sed -n '/Summary/,$p')
  awk -v want="${film##*:}" '$1 == "I:" { i = $2 } $1 == "Peak:" { p = $2 }
    END { exit !(i >= want - 0.5 && i <= want + 0.5 && p <= -1.0) }' <<<"$meter" \
    || fail "${film##*/}'s sound, as ebur128 hears it: $meter"
done
# The fade in the sound: the excerpt's level over the unfaded one's, in 0.1 s steps, rises from 0 to
# its usual value (the median) over the first second, and falls back over the last.
paste <(pcm "$excerpt") <(pcm "$plain") | awk '{ a[NR - 1] = $1; b[NR - 1] = $2 }
  END {
    for (w = 0; w < 80; w++) {
      ea = eb = 0
      for (j = 800 * w; j < 800 * w + 800; j++) { ea += a[j] ^ 2; eb += b[j] ^ 2 }
      r[w] = sqrt(ea / (eb + 1))
    }
    most = -1
    for (w = 0; w < 80; w++) {
      below = 0
      for (v = 0; v < 80; v++) below += r[v] < r[w]
      if (below <= 40 && below > most) { most = below; usual = r[w] }
    }
    for (w = 0; w < 80; w += w == 9 ? 61 : 1) {
      gain = w < 10 ? w / 10 + 0.05 : 7.95 - w / 10  # the fade in the middle of the step
      d = r[w] / usual - gain
      if (d > 0.06 || d < -0.06) { printf "%.1f s: %.2f, fade %.2f; ", w / 10, r[w] / usual, gain; bad = 1 }
    }
    exit bad
  }' >"$work_dir/fade.txt" || fail "the sound's fade: $(cat "$work_dir/fade.txt")"
passed=$((passed + 1))
# The fade in the picture: black at both ends (studio range: black is 16); frames 15 and 224 are
# halfway to frames 30 and 209, where the fade ends and begins: frames 45 and 194 are as bright.
ffmpeg -i "$excerpt" -vf "signalstats,metadata=print:key=lavfi.signalstats.YAVG,metadata=print:key=lavfi.signalstats.YMAX" \
  -f null - 2>&1 | awk -F= '/YAVG=/ { y[n++] = $2 - 16 } /YMAX=/ { top[m++] = $2 }
  END {
    if (top[0] != 16 || top[239] != 16) { printf "brightest at the ends: %s %s; ", top[0], top[239]; bad = 1 }
    if (y[15] / y[30] < 0.4 || y[15] / y[30] > 0.6 || y[224] / y[209] < 0.4 || y[224] / y[209] > 0.6) {
      printf "halfway: %.2f and %.2f of full; ", y[15] / y[30], y[224] / y[209]; bad = 1
    }
    if (y[45] / y[30] > 1.1 || y[45] / y[30] < 0.9 || y[194] / y[209] > 1.1 || y[194] / y[209] < 0.9) {
      printf "after and before the fade: %.2f and %.2f of full", y[45] / y[30], y[194] / y[209]; bad = 1
    }
    exit bad
  }' >"$work_dir/fade.txt" || fail "the picture's fade: $(cat "$work_dir/fade.txt")"
# The poster is picture (12 - 8) x 30.
same_picture "$excerpt" 120 "$films/poster.png" 40 || fail "the poster is not picture 120"
[ "$(probe "$films/poster.png" 0 0 160 30 green)" = 0 ] || fail "a frame counter in the film's corner"
passed=$((passed + 1))

# --- The screenshot's window size, twice the same command, and its last second as an excerpt -------
record_800() {
  run_demo --record "$films/$1.mp4" --seconds 2 --size 800x600 --counter --poster "$films/$1.png" --poster-at 1.5 \
    "${@:2}" >"$work_dir/$1.out" 2>&1 || fail "recording $1 failed"
}
record_800 first
record_800 second
record_800 tail --start 1
record_800 designed --gl designed
for name in first second; do
  ffmpeg -v error -i "$films/$name.mp4" -f framemd5 "$work_dir/$name.md5"
done
cmp -s <(grep -v '^#' "$work_dir/first.md5") <(grep -v '^#' "$work_dir/second.md5") \
  || fail "two recordings with the same arguments decode to different pictures"
cmp -s "$films/first.png" "$films/tail.png" || fail "a film from 1 s shows another picture at 1.5 s than a film from 0"
[ "$(probe "$films/tail.png" 0 0 160 30 green)" -gt 50 ] || fail "no frame counter in a film with --counter"
passed=$((passed + 1))

# A film is drawn on the GL ES path unless --gl says otherwise, and looks as the designed path's film.
grep -q "drawn on the GL ES 2.0 path" "$work_dir/first.out" || fail "the film's path: $(cat "$work_dir/first.out")"
grep -q "drawn on the designed path" "$work_dir/designed.out" || fail "--gl designed: $(cat "$work_dir/designed.out")"
same_picture "$films/first.mp4" 45 "$films/designed.png" 40 || fail "the GL ES film's picture 45 is not the designed one's"
passed=$((passed + 1))

# Picture 45 (1.5 s) against the 46th frame a window draws on the same clock step.
run_demo --frames 46 --fixed-dt 0.0333333333 --seed 1 --mute --screenshot "$work_dir/shot.png" >/dev/null 2>&1 \
  || fail "screenshot run failed"
same_picture "$films/first.mp4" 45 "$work_dir/shot.png" 35 || fail "picture 45 differs from the screenshot"
passed=$((passed + 1))

# --- Stop signals in every phase, a closed output, calls that fail -----------------------------------
# Records with the given options from bin/; sends SIGNAL to the program when a line of its output
# matches WHEN (WHEN+Ns: N seconds later; PIPE: closes the pipe instead, before it writes). Prints that
# output and how the program ended: "signal N", "exit N", or "hung" after a minute. Perl, since only a
# parent sees a death by signal.
signal_run() { # signal, when, command...
  (cd "$bin_dir" && perl -e '
    my ($signal, $when, @command) = @ARGV;
    my ($pattern, $delay) = $when =~ /^(.*?)(?:\+(\d+)s)?$/;
    pipe(my $reader, my $writer) or die "pipe: $!";
    my $pid = fork() // die "fork: $!";
    if ($pid == 0) {
      $SIG{$_} = "DEFAULT" for qw(INT TERM HUP PIPE);  # as an interactive shell starts a command
      open(STDERR, ">&", $writer) && open(STDOUT, ">&", $writer) or die;
      close($reader);
      exec(@command) or die "exec: $!";
    }
    close($writer);
    close($reader) if $signal eq "PIPE";
    $SIG{ALRM} = sub { kill("KILL", $pid); waitpid($pid, 0); print "hung\n"; exit; };
    alarm(60);
    while ($signal ne "PIPE" && defined(my $line = <$reader>)) {
      print $line;
      if ($pattern ne "" && $line =~ /\Q$pattern\E/) { sleep($delay // 0); kill($signal, $pid); $pattern = ""; }
    }
    waitpid($pid, 0);
    print(($? & 127) ? "signal " . ($? & 127) . "\n" : "exit " . ($? >> 8) . "\n");' "$@")
}
# A 3 s film with a poster in its last half frame. During start-up, while the soundtrack is made (or
# hangs) and during the frames, a stop signal abandons it; after the last frame it is completed. A
# caught signal then ends the program by itself, so a shell loop of recordings stops. A signal the
# parent set to be ignored (nohup) stays ignored; a reader of the output that has gone costs no film.
# The soundtrack's process is forked while the program has one thread; when it dies, the reason is
# given. A failure at the film's end leaves the film and poster it would have replaced (old).
shim="env LD_PRELOAD=$build_dir/tests/libfault_shim.so SHIM_FAULT="
#  signal  sent when output has  ends  left  message                                run under, options
signal_cases=(
  "INT|recording: |signal 2|-|recording stopped by signal 2 (Interrupt); $films/film.mp4 was not written"
  "HUP|recording: |signal 1|-|recording stopped by signal 1 (Hangup)"
  "TERM|recording: |signal 15|-|recording stopped by signal 15 (Terminated)"
  "INT|100%|signal 2|film|poster written to $films/film.png"
  "HUP|recording: |exit 0|film|100%|nohup"
  "PIPE|-|exit 0|film|"
  "INT|forking|signal 2|-|recording stopped by signal 2 (Interrupt)|$shim"
  "TERM|forking+2s|signal 15|-|recording stopped by signal 15 (Terminated)|${shim}soundtrack-hang"
  "-|-|exit 1|old|its process was ended by signal 9 (Killed); nothing recorded|${shim}soundtrack-killed"
  "-|-|exit 1|old|the encoder's thread cannot start: Resource temporarily unavailable|${shim}thread"
  "-|-|exit 1|old|out of memory; nothing recorded|${shim}memory"
  "-|-|exit 1|old|cannot write $films/film.mp4.part: Input/output error; recording stopped|${shim}trailer"
  "-|-|exit 1|old|cannot write $films/film.mp4.part: Input/output error; recording stopped|${shim}close"
  "-|-|exit 1|old|cannot rename $films/film.mp4.part to $films/film.mp4: Input/output error|${shim}rename"
  "-|-|exit 0|film|sound: none (--mute)||--mute"
  "-|-|exit 0|film|sound: unmeasured||--seconds 0.3 --poster-at 0.29"
)
for row in "${signal_cases[@]}"; do
  IFS='|' read -r signal when ends left message under options <<<"$row"
  rm -f "$films"/*
  [ "$left" = old ] && echo "earlier film" >"$films/film.mp4" && echo "earlier poster" >"$films/film.png"
  # shellcheck disable=SC2086
  signal_run "$signal" "$when" $under ./karvosta --record "$films/film.mp4" --size 160x120 --seconds 3 \
    --poster "$films/film.png" --poster-at 2.99 $options >"$work_dir/err.txt" || fail "signal_run failed"
  case="SIG$signal at '$when' ${under##*=} $options"
  [ "$(tail -1 "$work_dir/err.txt")" = "$ends" ] || fail "$case: ended by $(tail -1 "$work_dir/err.txt")"
  grep -q -F -- "$message" "$work_dir/err.txt" || fail "$case: no '$message' in: $(cat "$work_dir/err.txt")"
  ! grep "forking, threads:" "$work_dir/err.txt" | grep -v -q "threads: 1$" || fail "$case: forked beside other threads"
  case $left in
    -) only_left "" "$case" ;;
    old) only_left "film.mp4 film.png" "$case"
      [ "$(cat "$films/film.mp4" "$films/film.png")" = "earlier film"$'\n'"earlier poster" ] || fail "$case: replaced" ;;
    film) only_left "film.mp4 film.png" "$case"
      kinds=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$films/film.mp4" | paste -sd' ')
      want="video audio"
      [[ $options == *--mute* ]] && want=video
      [ "$kinds" = "$want" ] || fail "$case: streams $kinds, expected $want"
      frames=$(ffprobe -v error -select_streams v -show_entries stream=nb_frames -of csv=p=0 "$films/film.mp4")
      same_picture "$films/film.mp4" $((frames - 1)) "$films/film.png" 35 || fail "$case: the poster is not the last picture" ;;
  esac
  passed=$((passed + 1))
done

echo "$passed passed, 0 failed"
