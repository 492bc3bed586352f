#!/bin/sh
# Enciphers and deciphers script files with scriptcrypt and checks that they come back whole,
# that the enciphered form is whole blocks and differs from the plain text, and that bad
# arguments and missing files fail cleanly.
set -u
tool="$1"
dir="${HARLUNE_TEST_DIR:-$(mktemp -d)}"
cd "$dir" || exit 1
fail() { echo "scriptcrypt-roundtrip: $*" >&2; exit 1; }

printf '' > empty.bas
printf 'x' > one.bas
printf 'Sub Main\r\n  MsgBox "Grüße ✓"\r\nEnd Sub\r\n' > main.bas
awk 'BEGIN { for (i = 0; i < 500; i++) printf "Print %d\r\n", i }' > long.bas

for name in empty one main long; do
    "$tool" encipher "$name.bas" "${name}_ENCRPT.bas" || fail "encipher $name"
    size=$(wc -c < "${name}_ENCRPT.bas")
    [ $((size % 32)) -eq 0 ] || fail "$name: $size bytes is not whole blocks"
    if [ -s "$name.bas" ] && cmp -s "$name.bas" "${name}_ENCRPT.bas"; then
        fail "$name: enciphered file equals the plain one"
    fi
    "$tool" decipher "${name}_ENCRPT.bas" "$name.out" || fail "decipher $name"
    cmp "$name.bas" "$name.out" || fail "$name: round trip differs"
done

"$tool" encipher missing.bas out.bas 2>/dev/null && fail "a missing input succeeded"
[ -e out.bas ] && fail "a failed run left an output file"
"$tool" rot13 main.bas out.bas 2>/dev/null && fail "an unknown mode succeeded"
"$tool" 2>/dev/null && fail "no arguments succeeded"
exit 0
