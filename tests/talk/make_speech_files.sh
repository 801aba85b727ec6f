#!/usr/bin/env bash
# Makes the spoken test files in the given folder: "hello world" said by espeak-ng (voice
# en-us+m1, 150 words a minute) with 0.3 s of silence before and 0.5 s after, as 16 kHz mono
# 16-bit and as 48 kHz stereo float, and the same words said twice 1.2 s apart. Repeatable: the
# same bytes every time (sox would otherwise dither with a new seed each run).
set -euo pipefail
out=${1:?folder}
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
espeak-ng -v en-us+m1 -s 150 -w "$tmp/said.wav" "hello world"
sox -R "$tmp/said.wav" -r 16000 -c 1 -b 16 -e signed-integer "$out/hello16k.wav" pad 0.3 0.5
sox -R "$tmp/said.wav" -r 48000 -c 2 -b 32 -e floating-point "$out/hello48k.wav" pad 0.3 0.5
sox -R "$tmp/said.wav" -r 16000 -c 1 -b 16 -e signed-integer "$tmp/first.wav" pad 0.3 1.2
sox -R "$tmp/said.wav" -r 16000 -c 1 -b 16 -e signed-integer "$tmp/second.wav" pad 0 0.5
sox -R "$tmp/first.wav" "$tmp/second.wav" "$out/twice16k.wav"
