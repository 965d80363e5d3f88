#!/usr/bin/env bash
# The first command to run: installs what is missing, builds the plugin and
# frayline-render, and draws pictures of the effect into out/demo/: the
# built-in test card at the default parameters, and a contact sheet for each
# main parameter (the card under five values of it, the others at their
# defaults). The pictures in README.md are copies of these (docs/).
set -euo pipefail
cd "$(dirname "$0")/.."

# The native toolchain is all the demo needs; scripts/test.sh adds the
# cross-build ones.
scripts/deps.sh --native
cmake --preset linux-x64 >/dev/null
cmake --build --preset linux-x64 --target frayline-render

render=build/linux-x64/frayline-render
out=out/demo
mkdir -p "$out"

pictures=()
still() {
    "$render" "${@:2}" -o "$out/$1.png"
    pictures+=("$out/$1.png")
}
sheet() {
    "$render" --sweep "$2" "${@:3}" -o "$out/sweep-$1.png"
    pictures+=("$out/sweep-$1.png")
}

still testcard
sheet x-distortion "X Distortion=0:1:5"
sheet y-distortion "Y Distortion=0:1:5"
sheet strength-x "Strength X=0:1:5"
sheet frequence "Frequence=0:1:5"
sheet random-strength "Random Strength=0:1:5"
# Offset mode moves by 2 * strength - 1: nothing at the default strength.
sheet strength-x-offset-mode "Strength X=0:1:5" --set "Random Mode=1"

echo
echo "Pictures:"
printf '  %s\n' "${pictures[@]}"
