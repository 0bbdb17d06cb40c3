#!/usr/bin/env bash
# Makes the MP3 and WAV files the sound tests play, into DIR: each kind of file a user
# may pick, each a sine of its own frequency, so that a recording tells which
# one was heard. Prints "name frequency" for each file (0: holds no sound).
#
#   make_tones.sh DIR [--long]    (--long adds the 10-minute file)
set -euo pipefail
out=${1:?usage: make_tones.sh DIR [--long]}
mkdir -p "$out"
export SOX_OPTS="-R"  # the same files on every run

tone() {  # name frequency seconds lame-options...
    local name=$1 f=$2 s=$3
    shift 3
    sox -n -r 44100 -c 2 -b 16 "$out/$name.wav" synth "$s" sine "$f" gain -3
    lame --quiet "$@" "$out/$name.wav" "$out/$name.mp3"
    rm -f "$out/$name.wav"
    echo "$name $f"
}

tone cbr44 2000 4 -b 128                          # MPEG-1, 44.1 kHz stereo, CBR
tone mono22 2400 4 -m m --resample 22.05 -b 64     # MPEG-2, 22.05 kHz mono
tone low8 1000 4 -m m --resample 8 -b 16            # MPEG-2.5, 8 kHz
tone vbr 2800 4 -V 4                               # VBR, with a Xing frame
tone tagged 3200 4 -b 128
# An ID3v2.3 tag with a 200 KB picture in front; the picture's bytes hold
# many stray frame syncs.
python3 - "$out/tagged.mp3" <<'EOF'
import random, struct, sys
path = sys.argv[1]
rng = random.Random(8)
picture = b"\xff\xd8\xff\xe0" + bytes(rng.getrandbits(8) for _ in range(200 * 1024))
body = b"\x00image/jpeg\x00\x03cover\x00" + picture
frame = b"APIC" + struct.pack(">I", len(body)) + b"\x00\x00" + body
size = len(frame)
synchsafe = bytes([(size >> 21) & 0x7F, (size >> 14) & 0x7F, (size >> 7) & 0x7F, size & 0x7F])
audio = open(path, "rb").read()
open(path, "wb").write(b"ID3\x03\x00\x00" + synchsafe + frame + audio)
EOF
tone truncated 3600 4 -b 128
# Cut in the middle of a frame, a little over a second in.
head -c 20100 "$out/truncated.mp3" >"$out/cut.mp3" && mv "$out/cut.mp3" "$out/truncated.mp3"
: >"$out/empty.mp3" && echo "empty 0"
printf 'This is a text file, not music.\r\n' >"$out/text.mp3" && echo "text 0"
# WAV files of each coding the program plays: plain PCM of 16 and 8 bits,
# and the kinds the system's codecs decode (µ-law, A-law, IMA ADPCM).
wav() {  # name frequency rate channels sox-encoding-options...
    local name=$1 f=$2 r=$3 c=$4
    shift 4
    sox -n -r "$r" -c "$c" "$@" "$out/$name.wav" synth 4 sine "$f" gain -3
    echo "$name $f"
}
wav wav16 1500 44100 2 -b 16 -e signed-integer
wav wav8 1800 22050 1 -b 8 -e unsigned-integer
wav wavulaw 1300 8000 1 -e mu-law
wav wavalaw 1700 8000 1 -e a-law
wav wavima 2200 22050 1 -e ima-adpcm
if [ "${2:-}" = --long ]; then
    # Ten minutes, for memory; mono at a low rate keeps making it quick.
    sox -n -r 22050 -c 1 -b 16 "$out/long.wav" synth 600 sine 4000 gain -3
    lame --quiet -b 32 "$out/long.wav" "$out/long.mp3"
    rm -f "$out/long.wav"
    echo "long 4000"
fi
