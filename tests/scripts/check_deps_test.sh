#!/usr/bin/env bash
# The dependency guard: a package the configure found but scripts/deps.sh does not install (nor
# any of its hard dependencies) fails the check and is named; one that is installed passes.
set -uo pipefail
guard="$(cd "$(dirname "$0")/../.." && pwd)/scripts/check-deps.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

qt_dir=$(dirname "$(dpkg -L qt6-base-dev | grep -m1 '/cmake/Qt6Core/Qt6CoreConfig.cmake$')")
cat >"$work/CMakeCache.txt" <<CACHE
Qt6Core_DIR:PATH=$qt_dir
Qt6Core_INCLUDE_DIR:PATH=/usr/include
Unrelated_DIR:PATH=Unrelated_DIR-NOTFOUND
CACHE

# case: packages given | programs | expected exit | text the output must hold
cases=(
  "cmake||1|'qt6-base-dev'"
  "qt6-base-dev||0|every package and program used"
  "qt6-charts-dev||0|every package and program used"
  "qt6-base-dev|cmake|1|'cmake'"
  "qt6-base-dev cmake|cmake|0|every package and program used"
  "qt6-base-dev|no-such-program-here|1|'no-such-program-here' is not installed"
)
for c in "${cases[@]}"; do
  IFS='|' read -r packages programs expected text <<<"$c"
  args=(--cache "$work/CMakeCache.txt" --packages "$packages")
  for p in $programs; do args+=(--program "$p"); done
  out=$("$guard" "${args[@]}" 2>&1)
  rc=$?
  if [ "$rc" != "$expected" ] || ! grep -qF -- "$text" <<<"$out"; then
    echo "FAIL: packages '$packages' programs '$programs': exit $rc (want $expected), output:"
    echo "$out"
    failed=$((failed + 1))
  fi
done

# A cache that does not exist is a usage error, not a pass.
"$guard" --cache "$work/none.txt" --packages cmake >/dev/null 2>&1
[ $? = 2 ] || { echo "FAIL: a missing cache must exit 2"; failed=$((failed + 1)); }

total=$((${#cases[@]} + 1))
echo "$((total - failed)) passed, $failed failed"
[ "$failed" = 0 ]
