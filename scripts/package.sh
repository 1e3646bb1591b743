#!/usr/bin/env bash
# Debian package of the installed tree.
#   scripts/package.sh                     a Release build of its own -> build/package/
#   scripts/package.sh BUILD_DIR [OUT_DIR] packages BUILD_DIR as it is built, nothing rebuilt
# The tree is installed under /usr into a staging folder first, and CPack packages that folder,
# so the package holds exactly what `cmake --install` gives.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-}
out=${2:-$root/build/package}

if [[ -z $build ]]; then
  build=$out/release
  # Debian's hardening flags (fortified sources, stack protector, full RELRO, PIE by default),
  # as a Debian build would pass them: from the top of the source tree, which the prefix map names.
  eval "$(cd "$root" && DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
  # Through ccache where it is installed: a fresh clone of sources this machine has built before
  # then compiles nothing. Paths are hashed relative to the tree, so clones share the cache; the
  # objects are the same bytes a plain compile gives.
  launcher=
  if command -v ccache >/dev/null; then
    launcher=ccache
    export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=true
  fi
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTINTEL_WERROR=ON \
    -DBUILD_TESTING=OFF "-DCMAKE_CXX_FLAGS=$CPPFLAGS $CXXFLAGS" "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS" \
    "-DCMAKE_CXX_COMPILER_LAUNCHER=$launcher"
  cmake --build "$build" --target tintel
fi
build=$(cd "$build" && pwd)
[[ -f $build/CPackConfig.cmake ]] || { echo "no CPack configuration in $build" >&2; exit 1; }

for tool in dpkg-shlibdeps dpkg-deb file readelf; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (packages dpkg-dev, file, binutils)" >&2; exit 1; }
done

mkdir -p "$out"
out=$(cd "$out" && pwd)
staging=$out/staging
rm -rf "$staging" "$out/_CPack_Packages"
rm -f "$out"/tintel_*.deb
DESTDIR=$staging cmake --install "$build" --prefix /usr --strip

# The staging folder is the root of the package; no CMake project is installed a second time.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" \
  -D CPACK_INSTALL_CMAKE_PROJECTS= \
  -D "CPACK_INSTALLED_DIRECTORIES=$staging;."

debs=("$out"/tintel_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { echo "CPack made no tintel_*.deb in $out" >&2; exit 1; }
depends=$(dpkg-deb -f "${debs[0]}" Depends)
[[ -n $depends ]] || { echo "${debs[0]} declares no dependencies: dpkg-shlibdeps did not run" >&2; exit 1; }
echo "${debs[0]}"
echo "Depends: $depends"
