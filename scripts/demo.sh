#!/usr/bin/env bash
# scripts/demo.sh: builds and installs vexprepro, vexinstr, vexreport and the Target
# Package into a prefix, then runs the whole loop on the banking example (examples/):
# the scripts compiled into a driver, the contracts woven into the class under test, the
# driver built and run, and the report read back in script terms. Expects the packages
# of README.md. The NegativeDeposit test case fails on purpose: deposit(-1) violates
# deposit's REQUIRE (amount > 0) in account.otc.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${VEX_BUILD_DIR:-$root/build-demo}
prefix=${VEX_PREFIX:-$root/install-demo}

echo "== configure, build and install into $prefix"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEX_TESTS=OFF \
      -DVEX_BENCH=OFF -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build "$build" -j2
cmake --install "$build" >/dev/null
(cd "$prefix" && find . -type f | sort)

work=$(mktemp -d /tmp/vexprepro-demo.XXXXXX)
cp "$root"/examples/account* "$work"/
cd "$work"
run() {
    echo
    echo "\$ $*"
    "$@"
}
echo
echo "== in $work"
export TARVELODIR=$prefix
run "$prefix/bin/vexprepro" account.otd account.otc -G C++ -O account_driver.cc \
    -OTI account.oti -TDF account.tdf
run "$prefix/bin/vexinstr" -i account.oti -o woven account_driver.cc account.cc \
    -- -std=c++17 -I. -I"$prefix"
run g++ -std=c++17 -Wall -Wextra -Werror -Wno-unknown-pragmas -Iwoven -I. -I"$prefix" \
    woven/account_driver.cc woven/account.cc "$prefix/lib/libvextp.a" -pthread -o account_test
driver_status=0
run ./account_test || driver_status=$?
echo "(driver exit status $driver_status: non-zero because a check or a contract failed)"
report_status=0
run "$prefix/bin/vexreport" --junit account.junit.xml account.tdf || report_status=$?
echo
echo "== vexreport exit status $report_status; JUnit XML in $work/account.junit.xml"
echo "== NegativeDeposit fails on purpose: deposit(-1) violates REQUIRE (amount > 0)."
# 1 is the expected verdict (the failure above); 0 or 2 would mean the loop is broken.
[ "$report_status" -eq 1 ]
