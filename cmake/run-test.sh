#!/bin/sh
# Runs one test program in a fresh temporary folder that holds its registry hives,
# configuration, runtime folder, "VYKDRV.INI", its own $TMPDIR and $HOME; the folder is removed
# afterwards, so nothing a test makes in the temporary folder outlives it. A run that was
# killed (a test past its time limit) cannot remove its folder: each folder names the process
# that made it, and the next run removes the folders whose process is gone.
base="${TMPDIR:-/tmp}"
for old in "$base"/harlune-test.*; do
    [ -f "$old/owner" ] || continue
    owner=$(cat "$old/owner" 2>/dev/null)
    case "$owner" in '' | *[!0-9]*) continue ;; esac
    kill -0 "$owner" 2>/dev/null || rm -rf "$old"
done
dir=$(mktemp -d "$base/harlune-test.XXXXXX") || exit 1
echo $$ >"$dir/owner"
mkdir -p "$dir/registry" "$dir/config" "$dir/runtime" "$dir/work" "$dir/tmp" "$dir/home"
chmod 700 "$dir/runtime"
export HOME="$dir/home"
export HARLUNE_REGISTRY_DIR="$dir/registry"
export XDG_CONFIG_HOME="$dir/config"
export XDG_RUNTIME_DIR="$dir/runtime"
export VYKDRV_INI="$dir/VYKDRV.INI"
export HARLUNE_TEST_DIR="$dir/work"
export TMPDIR="$dir/tmp"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
"$@"
rc=$?
rm -rf "$dir"
exit $rc
