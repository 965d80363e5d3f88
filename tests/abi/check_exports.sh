#!/usr/bin/env bash
# Checks the shipped plugin binary from the outside, as a host's loader sees it:
#   - plugMain is the only exported symbol;
#   - a DLL imports nothing a host might lack (KERNEL32, msvcrt, OPENGL32);
#   - on 32-bit x86 every return in plugMain pops the 12 bytes of its three
#     arguments (stdcall), and on x86-64 none pops anything.
#
# usage: check_exports.sh PLUGIN OBJDUMP NM
set -uo pipefail

plugin=$1 objdump=$2 nm=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

format=$("$objdump" -f "$plugin" | sed -n 's/.*file format \(.*\)$/\1/p')
echo "$plugin: $format"

case "$format" in
    elf32-i386 | elf64-x86-64)
        exports=$("$nm" -D --defined-only "$plugin" | awk '{print $NF}' | sort)
        # Start and length of plugMain, from the dynamic symbol table.
        read -r start size < <("$nm" -D -S --defined-only "$plugin" | awk '$4 == "plugMain" {print $1, $2}')
        ;;
    pei-i386 | pei-x86-64)
        exports=$("$objdump" -p "$plugin" |
            awk '/\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && NF == 0 {on = 0} on {print $NF}' | sort)
        imports=$("$objdump" -p "$plugin" | awk '/DLL Name:/ {print toupper($3)}' | sort -u)
        for dll in $imports; do
            case "$dll" in
                KERNEL32.DLL | MSVCRT.DLL | OPENGL32.DLL) ;;
                *) fail "imports $dll, which a host need not have (link statically)" ;;
            esac
        done
        echo "imports: $(echo $imports)"
        # COFF symbols carry no size: plugMain ends where the next function starts.
        symbol=plugMain
        [ "$format" = pei-i386 ] && symbol=_plugMain@12
        read -r start next < <("$nm" -n "$plugin" | awk -v s="$symbol" '
            found && $2 ~ /^[Tt]$/ && $3 !~ /^\.L/ {print from, $1; exit}
            $3 == s {found = 1; from = $1}')
        [ -z "${next:-}" ] || size=$(printf '%x' $((0x$next - 0x$start)))
        ;;
    *)
        echo "FAIL: unexpected file format '$format'"
        exit 1
        ;;
esac

echo "exports: $(echo $exports)"
[ "$exports" = plugMain ] || fail "the export table must hold exactly plugMain"

if [ -z "${start:-}" ] || [ -z "${size:-}" ]; then
    fail "cannot find plugMain's code"
else
    stop=$(printf '0x%x' $((0x$start + 0x$size)))
    rets=$("$objdump" -d --no-show-raw-insn --start-address="0x$start" --stop-address="$stop" "$plugin" |
        awk '$2 ~ /^ret/ {$1 = ""; sub(/^ +/, ""); print}')
    echo "returns in plugMain: $(echo "$rets" | sort | uniq -c | tr -s ' \n' ' ')"
    [ -n "$rets" ] || fail "no return instruction found in plugMain"
    case "$format" in
        elf32-i386 | pei-i386) expected='ret $0xc' ;;
        *) expected='ret' ;;
    esac
    while IFS= read -r r; do
        [ -z "$r" ] || [ "$r" = "$expected" ] || fail "plugMain returns with '$r', expected '$expected'"
    done <<<"$rets"
fi

[ "$failures" -eq 0 ] && echo "OK"
exit $((failures > 0))
