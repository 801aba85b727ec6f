#!/usr/bin/env bash
# Makes the spoken test files in the given folder: "hello world" said by espeak-ng with 0.3 s of
# silence before and 0.5 s after, as 16 kHz mono 16-bit and as 48 kHz stereo float, and the same
# words said twice 1.2 s apart (16 kHz). The recognizer is not sure of synthetic speech this short:
# the voices and paces are those it hears as "hello world" on each path (en-us+m3 at 110 words a
# minute at 16 kHz, en-us+m1 at 140 through the 48 kHz conversion). And each sentence
# of sentences.txt (voice|words) the same way at 16 kHz as sentenceN.wav, listed with its words
# in sentences.txt of the folder. Repeatable: the same bytes every time (sox would otherwise
# dither with a new seed each run).
set -euo pipefail
out=${1:?folder}
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
espeak-ng -v en-us+m3 -s 110 -w "$tmp/said.wav" "hello world"
espeak-ng -v en-us+m1 -s 140 -w "$tmp/said48.wav" "hello world"
sox -R "$tmp/said.wav" -r 16000 -c 1 -b 16 -e signed-integer "$out/hello16k.wav" pad 0.3 0.5
sox -R "$tmp/said48.wav" -r 48000 -c 2 -b 32 -e floating-point "$out/hello48k.wav" pad 0.3 0.5
sox -R "$tmp/said.wav" -r 16000 -c 1 -b 16 -e signed-integer "$tmp/first.wav" pad 0.3 1.2
sox -R "$tmp/said.wav" -r 16000 -c 1 -b 16 -e signed-integer "$tmp/second.wav" pad 0 0.5
sox -R "$tmp/first.wav" "$tmp/second.wav" "$out/twice16k.wav"

n=0
: > "$out/sentences.txt"
while IFS='|' read -r voice words; do
  n=$((n + 1))
  espeak-ng -v "$voice" -s 150 -w "$tmp/sentence.wav" "$words"
  sox -R "$tmp/sentence.wav" -r 16000 -c 1 -b 16 -e signed-integer "$out/sentence$n.wav" pad 0.3 0.5
  echo "sentence$n.wav|$words" >> "$out/sentences.txt"
done < "$(dirname "$0")/sentences.txt"
