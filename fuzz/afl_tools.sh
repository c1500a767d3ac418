#!/usr/bin/env bash
# Prints a folder to use as AFL_PATH for afl-gcc-fast and afl-g++-fast, setting it up first.
#
# AFL++'s GCC plugin refuses a compiler whose configuration text is not exactly the one it
# was built against; Debian's security update of GCC 12 changed only the package version in
# that text, so the plugin of Debian's afl++ stops every compile although the compilers are
# the same. Where the check fails, the folder holds AFL++'s files with a copy of the plugin
# in which that one check is answered yes; where it passes, it is AFL++'s own folder.
#
#   export AFL_PATH=$(fuzz/afl_tools.sh build/afl-tools)
set -euo pipefail
folder=${1:?usage: fuzz/afl_tools.sh FOLDER}
system=/usr/lib/afl
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'int main(void) { return 0; }' >"$probe/probe.c"
if AFL_QUIET=1 AFL_PATH=$system afl-gcc-fast "$probe/probe.c" -o "$probe/probe" >/dev/null 2>&1; then
  echo "$system"
  exit 0
fi
mkdir -p "$folder"
for file in "$system"/*; do ln -sf "$file" "$folder/"; done
rm -f "$folder/afl-gcc-pass.so"
cp "$system/afl-gcc-pass.so" "$folder/afl-gcc-pass.so"
# The call of plugin_default_version_check in plugin_init becomes "mov $1, %eax".
python3 - "$folder/afl-gcc-pass.so" <<'PY'
import subprocess, sys
path = sys.argv[1]
listing = subprocess.run(["objdump", "-d", path], check=True, capture_output=True, text=True).stdout
calls = [line for line in listing.splitlines()
         if "call" in line and "<plugin_default_version_check@plt>" in line]
if len(calls) != 1:
    sys.exit("afl_tools.sh: the version check of the plugin was not found")
address = int(calls[0].split(":")[0], 16)
data = bytearray(open(path, "rb").read())
if data[address] != 0xE8:
    sys.exit("afl_tools.sh: unexpected code at the version check")
data[address:address + 5] = bytes([0xB8, 1, 0, 0, 0])
open(path, "wb").write(data)
PY
# The compilers run in the build folder, so the answer is an absolute path.
folder=$(realpath "$folder")
AFL_QUIET=1 AFL_PATH=$folder afl-gcc-fast "$probe/probe.c" -o "$probe/probe" >/dev/null
echo "$folder"
