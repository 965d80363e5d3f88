#!/usr/bin/env bash
# Builds the shipped plugin for every platform and lays out dist/:
# one binary per platform and width, SHA256SUMS, and README.txt saying which
# binary a host takes. Uses the presets' build directories, so after
# scripts/test.sh it only copies.
set -euo pipefail
cd "$(dirname "$0")/.."

# preset  binary in the build tree  name in dist/  strip tool
builds=(
    "linux-x64   frayline.so  frayline-linux-x86_64.so  strip"
    "linux-x86   frayline.so  frayline-linux-i386.so    strip"
    "windows-x64 frayline.dll frayline-windows-x64.dll  x86_64-w64-mingw32-strip"
    "windows-x86 frayline.dll frayline-windows-x86.dll  i686-w64-mingw32-strip"
)

rm -rf dist
mkdir -p dist
for row in "${builds[@]}"; do
    read -r preset built shipped strip <<<"$row"
    [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target frayline >/dev/null
    # Hosts need only the export; the symbol table would only show internals.
    "$strip" --strip-unneeded -o "dist/$shipped" "build/$preset/$built"
    echo "package: dist/$shipped"
done

cat >dist/README.txt <<'TEXT'
Frayline 1.0: a video effect plugin for FFGL 1.5 hosts (OpenGL).

Take the file that matches the HOST PROGRAM's width, not the system's: a
32-bit host on 64-bit Windows loads the 32-bit DLL.

  frayline-linux-x86_64.so   Linux, 64-bit hosts (x86-64)
  frayline-linux-i386.so     Linux, 32-bit hosts (i386; needs a CPU with SSE2)
  frayline-windows-x64.dll   Windows, 64-bit hosts
  frayline-windows-x86.dll   Windows, 32-bit hosts (SSE2)

Each binary exports one function, plugMain (stdcall in the 32-bit builds,
as 32-bit hosts call it). The Windows DLLs need no runtime DLLs besides
Windows' own (KERNEL32, msvcrt); they find OpenGL through opengl32.dll.
Copy the file into the host's plugin folder; it may be renamed.

The host must give the plugin an OpenGL 2.0 or later compatibility-profile
context, current while it calls plugMain.

SHA256SUMS holds the checksum of each file: sha256sum -c SHA256SUMS
TEXT

(cd dist && sha256sum frayline-* README.txt >SHA256SUMS)
echo "package: dist/SHA256SUMS, dist/README.txt"
