# Shared by the sound end-to-end scripts: figures of a captured WAV file, read with sox.

# sound_stat FILE FIELD [EFFECT ...]: one figure of sox's stats (the first column, both
# channels together) over the file after the effects.
sound_stat() {
  local file=$1 field=$2; shift 2
  sox --ignore-length "$file" -n "$@" stats 2>&1 |
    awk -v field="$field" 'index($0, field) == 1 {print $(NF - 2)}'
}

# within VALUE LOW HIGH: a decimal figure (sox says -inf for silence) in a range.
within() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN {exit !(v ~ /^-?[0-9.]+$/ && v + 0 >= lo + 0 && v + 0 <= hi + 0)}'; }
# not COMMAND...: succeeds when the command fails.
not() { ! "$@"; }

# tone_peak FILE [START [LENGTH]]: the loudest frequency between 600 and 1100 Hz (where the
# chime sounds and the ambient has only wind), summed over sox's spectra of the stretch, and
# how many times the band's mean it stands: "HERTZ RATIO". A tone stands well above the
# wind (10 and more); the wind alone gives about 2.
tone_peak() {
  local file=$1; shift
  sox --ignore-length "$file" -n ${1:+trim "$@"} remix 1 stat -freq 2>&1 |
    awk '$1 >= 600 && $1 <= 1100 && NF == 2 {sum[$1] += $2}
         END {for (f in sum) {n++; total += sum[f]; if (sum[f] > best) {best = sum[f]; at = f}}
              if (n > 0 && total > 0) printf "%.1f %.1f\n", at, best * n / total}'
}

# is_chime "HERTZ RATIO": the peak is the chime, which sounds on E5 raised by the multiplier
# (x1 659 Hz, x2 824 Hz, x3 989 Hz), and it stands out of the band. sox's spectra are about
# 12 Hz a step.
is_chime() {
  awk -v hz="${1% *}" -v ratio="${1#* }" 'BEGIN {
    split("659.25 824.06 988.88", pitch, " ")
    near = 0
    for (i in pitch) if (hz - pitch[i] < 12 && pitch[i] - hz < 12) near = 1
    exit !(hz != "" && near && ratio >= 6)
  }'
}

# played_at FILE: how far SDL's disk driver has played into FILE (48 kHz, 16-bit stereo), in
# seconds.
played_at() { awk -v bytes="$(stat -c %s "$1")" 'BEGIN {printf "%.2f", bytes / 192000}'; }
