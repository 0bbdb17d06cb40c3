#!/usr/bin/env bash
# Makes the default ring tone assets/alarm.mp3: a two-note chime, four notes
# then a short rest, repeated for 15 seconds, loud from its very first
# milliseconds so that an alarm is heard the moment it starts.
#
# Usage: tools/make_alarm_tone.sh [output.mp3]      (needs sox and lame)
#
# Why the encoding is unusual: an MP3 encoder delays the audio. LAME puts
# 576 samples of its own in front, and a decoder adds 529 more, so a plain
# decoder plays about 25 ms of silence first (51 ms with LAME's Info frame,
# which such a decoder plays as one more silent frame). Gapless decoders read
# the delay from that Info frame and cut it, but the players an alarm clock
# meets do not all do so. So we encode without the Info frame and without the
# bit reservoir (every frame then decodes on its own), and drop the first
# frame, which holds nothing but the delay. Every decoder then starts within
# a few milliseconds of the first note.
set -euo pipefail
# The same file on every run (sox dithers with random numbers otherwise).
export SOX_OPTS="-R"

here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/assets/alarm.mp3}
rate=44100
kbps=96

for tool in sox lame od; do
    command -v "$tool" >/dev/null || { echo "make_alarm_tone: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One chime note: fundamental plus the octave below, 2 ms attack, a long
# quarter-sine decay; normalised to -1 dBFS.
note() {  # name frequency
    sox -n -r $rate -c 1 -b 16 "$work/$1.wav" \
        synth 0.15 sine "$2" sine mix "$(awk -v f="$2" 'BEGIN { print f / 2 }')" \
        fade q 0.002 0.15 0.11 gain -n -1
}
note hi 1568      # G6
note lo 1318.5    # E6
sox -n -r $rate -c 1 -b 16 "$work/rest.wav" trim 0 0.4
sox "$work/hi.wav" "$work/lo.wav" "$work/hi.wav" "$work/lo.wav" "$work/rest.wav" "$work/bar.wav"
# One bar is 1 s; 14 repeats after the first make 15 s.
sox "$work/bar.wav" "$work/tone.wav" repeat 14

lame --quiet -b $kbps -m m -t --nores "$work/tone.wav" "$work/full.mp3"

# Frame length of an MPEG-1 Layer III frame from its 4-byte header.
read -r b0 b1 b2 _ < <(od -An -tu1 -N4 "$work/full.mp3")
if (( b0 != 255 || (b1 & 0xFE) != 0xFA )); then
    echo "make_alarm_tone: lame's output does not start with an MPEG-1 Layer III frame" >&2
    exit 1
fi
bitrates=(0 32 40 48 56 64 80 96 112 128 160 192 224 256 320)
bitrate=${bitrates[$(( b2 >> 4 ))]}
padding=$(( (b2 >> 1) & 1 ))
first=$(( 144 * bitrate * 1000 / rate + padding ))
tail -c +$(( first + 1 )) "$work/full.mp3" > "$work/alarm.mp3"

# Checks: decoded back, it lasts 10-20 s and is loud within its first 20 ms,
# both for a gapless decoder (lame) and, where sox can read MP3, a plain one.
rms20() { sox "$1" -n trim 0 0.02 stat 2>&1 | awk '/RMS +amplitude/ {print $3}'; }
lame --quiet --decode "$work/alarm.mp3" "$work/back.wav"
decoded=("$work/back.wav")
if sox "$work/alarm.mp3" "$work/plain.wav" 2>/dev/null; then
    decoded+=("$work/plain.wav")
fi
length=$(soxi -D "$work/back.wav")
if ! awk -v s="$length" 'BEGIN { exit !(s >= 10 && s <= 20) }'; then
    echo "make_alarm_tone: decoded length $length s is outside 10-20 s" >&2
    exit 1
fi
for wav in "${decoded[@]}"; do
    r=$(rms20 "$wav")
    echo "$(basename "$wav" .wav): first 20 ms RMS $r (full scale 1.0)"
    if ! awk -v r="$r" 'BEGIN { exit !(r >= 0.1) }'; then
        echo "make_alarm_tone: the tone is not loud in its first 20 ms" >&2
        exit 1
    fi
done

mkdir -p "$(dirname "$out")"
cp "$work/alarm.mp3" "$out"
echo "$out: $(stat -c %s "$out") bytes, $length s, $kbps kbit/s mono, $rate Hz"
