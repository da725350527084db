#!/usr/bin/env bash
# scripts/demo.sh: configures, builds and installs vexprepro into a prefix, then runs the
# installed tool on the bundled example examples/suite.otd and shows what it wrote.
# Expects the packages of README.md to be installed. Run from anywhere in the clone.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${VEX_BUILD_DIR:-$root/build-demo}
prefix=${VEX_PREFIX:-$root/install-demo}

echo "== configure and build ($build)"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEX_TESTS=OFF \
      -DVEX_BENCH=OFF -DCMAKE_INSTALL_PREFIX="$prefix"
cmake --build "$build" -j2

echo "== install into $prefix"
cmake --install "$build"
find "$prefix" -type f | sort

work=$(mktemp -d /tmp/vexprepro-demo.XXXXXX)
cp "$root"/examples/* "$work"/
cd "$work"
echo "== run in $work: vexprepro suite.otd -G C++ -O suite_driver.cc -OTI suite.oti -TDF suite.tdf -VELDOR_LOG vexprepro.log"
status=0
TARVELODIR="$prefix" "$prefix/bin/vexprepro" suite.otd -G C++ -O suite_driver.cc -OTI suite.oti \
    -TDF suite.tdf -VELDOR_LOG vexprepro.log || status=$?
echo "== exit status: $status"
echo "== files written:"
ls -l -- *.ots *.tsf suite_driver.cc suite.oti 2>/dev/null || true
if [ -f vexprepro.log ]; then
    echo "== log (one line per file created):"
    cat vexprepro.log
fi
for f in *.ots; do
    [ -e "$f" ] || continue
    echo "== first lines of $f:"
    head -n 8 -- "$f"
done
exit "$status"
