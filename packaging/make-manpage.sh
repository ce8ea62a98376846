#!/bin/sh
# Man page of the program (section 6, games), made from its own usage text so that the two cannot
# drift apart: the option lines become the OPTIONS list, the keys line the KEYS section.
# Usage: make-manpage.sh PROGRAM VERSION OUTPUT.6.gz   (compressed reproducibly: no name, no time)
set -eu
program=$1
version=$2
output=$3

"$program" --help | LC_ALL=C awk -v version="$version" '
  # Roff: a backslash is written twice, a minus sign as \-.
  function roff(text) { gsub(/\\/, "\\e", text); gsub(/-/, "\\-", text); return text }
  BEGIN {
    print ".TH KARVOSTA 6 \"\" \"karvosta " version "\" \"Games\""
    print ".SH NAME"
    print "karvosta \\- self\\-running naval battle teaser"
    print ".SH SYNOPSIS"
    print ".B karvosta"
    print ".RI [ options ]"
    print ".SH DESCRIPTION"
    print "Two sailing ships and four ducks float on an animated, reflective sea under a sky dome."
    print "The ships trade broadsides until one sinks, four title lines rise over the screen, and"
    print "after 71 seconds the scenario starts anew, until ESC is pressed."
    print ".PP"
    print "Without options the demo opens an 800 by 600 window and runs with sound until it is ended."
    print ".SH OPTIONS"
  }
  /^  -/ {
    line = substr($0, 3)
    split_at = index(line, "  ")
    name = split_at ? substr(line, 1, split_at - 1) : line
    text = split_at ? substr(line, split_at) : ""
    sub(/^ +/, "", text)
    space = index(name, " ")
    print ".TP"
    if (space) print ".BI " roff(substr(name, 1, space - 1)) " \" " roff(substr(name, space + 1)) "\""
    else print ".B " roff(name)
    print roff(text)
    next
  }
  /^Keys: / { keys = substr($0, 7) }
  END {
    print ".SH KEYS"
    print roff(keys)
    print ".SH FILES"
    print "Every file is opened through a path relative to the program'"'"'s own directory:"
    print ".TP"
    print ".I ../bin/wave.cg"
    print "the sea'"'"'s shader source, beside the program"
    print ".TP"
    print ".I ../data/objects/"
    print "the models schiff1.ase, schiff2.ase and ente.ase"
    print ".TP"
    print ".I ../data/textures/"
    print "the sky, the sea'"'"'s bump map and the models'"'"' textures (Windows BMP)"
    print ".TP"
    print ".I ../data/sound/"
    print "wind, sails, ocean, quacks, cannon shots, explosion and splash (WAV, MP3)"
    print ".PP"
    print "When these do not resolve from the working directory, the program first changes to the"
    print "directory of its executable."
  }' | gzip -9n >"$output"
