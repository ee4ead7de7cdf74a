# Shared by the sound end-to-end scripts: figures of a captured WAV file, read with sox.

# sound_stat FILE FIELD [EFFECT ...]: one figure of sox's stats (the first column, both
# channels together) over the file after the effects, with a 50 ms window for the "RMS Pk"
# (loudest stretch) and "RMS Tr" (quietest stretch) figures.
sound_stat() {
  local file=$1 field=$2; shift 2
  sox --ignore-length "$file" -n "$@" stats -w 0.05 2>&1 |
    awk -v field="$field" 'index($0, field) == 1 {print $(NF - 2)}'
}

# within VALUE LOW HIGH: a decimal figure (sox says -inf for silence) in a range.
within() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN {exit !(v ~ /^-?[0-9.]+$/ && v + 0 >= lo + 0 && v + 0 <= hi + 0)}'; }
# above VALUE LIMIT
above() { awk -v v="$1" -v lo="$2" 'BEGIN {exit !(v ~ /^-?[0-9.]+$/ && v + 0 > lo + 0)}'; }

# The chime sounds on E5 raised by the multiplier: x2 (leaving the centre zone to the right)
# is a major third up, 824 Hz. A narrow band around it holds little of the ambient.
CHIME_BAND=(sinc 800-850)
