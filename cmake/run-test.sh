#!/bin/sh
# Runs one test program in a fresh temporary folder that holds its registry hives,
# configuration, runtime folder, "VYKDRV.INI" and its own $TMPDIR; the folder is removed
# afterwards, so nothing a test makes in the temporary folder outlives it.
dir=$(mktemp -d "${TMPDIR:-/tmp}/harlune-test.XXXXXX") || exit 1
mkdir -p "$dir/registry" "$dir/config" "$dir/runtime" "$dir/work" "$dir/tmp"
chmod 700 "$dir/runtime"
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
