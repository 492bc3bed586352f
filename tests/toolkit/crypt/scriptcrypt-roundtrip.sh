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

# A read-only output is refused (also for root) and keeps its bytes and mode; a linked
# output is written through its link; no temporary file stays behind.
printf 'old' > locked.bas
chmod 0444 locked.bas
"$tool" encipher main.bas locked.bas 2>/dev/null && fail "a read-only output was replaced"
[ "$(cat locked.bas)" = old ] || fail "a read-only output changed"
[ "$(stat -c %a locked.bas)" = 444 ] || fail "a read-only output lost its mode"
mkdir -p real
printf 'old' > real/linked.bas
chmod 0600 real/linked.bas
ln -sf real/linked.bas linked.bas
"$tool" encipher main.bas linked.bas || fail "encipher through a link"
[ -L linked.bas ] || fail "the link was replaced by a file"
[ "$(stat -c %a real/linked.bas)" = 600 ] || fail "the linked file lost its mode"
"$tool" decipher linked.bas linked.out || fail "decipher through a link"
cmp main.bas linked.out || fail "linked: round trip differs"
ls -a . real | grep -q '\.tmp$' && fail "a temporary file was left"

"$tool" encipher missing.bas out.bas 2>/dev/null && fail "a missing input succeeded"
[ -e out.bas ] && fail "a failed run left an output file"
"$tool" rot13 main.bas out.bas 2>/dev/null && fail "an unknown mode succeeded"
"$tool" 2>/dev/null && fail "no arguments succeeded"
exit 0
