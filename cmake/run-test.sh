#!/bin/sh
# Runs one test program in a fresh temporary folder that holds its registry hives,
# configuration, runtime folder and "VYKDRV.INI"; the folder is removed afterwards.
dir=$(mktemp -d "${TMPDIR:-/tmp}/harlune-test.XXXXXX") || exit 1
mkdir -p "$dir/registry" "$dir/config" "$dir/runtime" "$dir/work"
chmod 700 "$dir/runtime"
export HARLUNE_REGISTRY_DIR="$dir/registry"
export XDG_CONFIG_HOME="$dir/config"
export XDG_RUNTIME_DIR="$dir/runtime"
export VYKDRV_INI="$dir/VYKDRV.INI"
export HARLUNE_TEST_DIR="$dir/work"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
"$@"
rc=$?
rm -rf "$dir"
exit $rc
