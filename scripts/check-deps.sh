#!/usr/bin/env bash
# Fails when the build or the commands use something that scripts/deps.sh does not install.
#
# Every CMake package a configure found under /usr (the *_DIR entries of its cache, plus the
# libraries it found by path) and every program named must come from a Debian package that
# scripts/deps.sh names, or from a hard dependency of one (recommended packages do not count: a
# fresh machine installs without them), or from an essential or required package.
#
#   scripts/check-deps.sh --cache build/ci/CMakeCache.txt [--cache ...] [--program cmake ...]
#                         [--packages "pkg pkg ..."]   (instead of the list of scripts/deps.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

caches=()
programs=()
listed=""
while [ $# -gt 0 ]; do
  case "$1" in
    --cache) caches+=("$2"); shift 2 ;;
    --program) programs+=("$2"); shift 2 ;;
    --packages) listed="$2"; shift 2 ;;
    *) echo "check-deps: unknown argument '$1'" >&2; exit 2 ;;
  esac
done
[ -n "$listed" ] || listed=$("$here/deps.sh" --list | tr '\n' ' ')

# The packages a fresh machine ends up with: the named ones, their hard dependencies, recursively,
# and the essential and required packages every Debian system has.
declare -A allowed=()
# shellcheck disable=SC2086
while read -r name; do
  allowed[${name%%:*}]=1
done < <(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances $listed 2>/dev/null | grep -v '^ ' | tr -d '<>')
for name in $listed; do allowed[$name]=1; done
while read -r essential priority name; do
  if [ "$essential" = yes ] || [ "$priority" = required ]; then allowed[$name]=1; fi
done < <(dpkg-query -W -f='${Essential} ${Priority} ${Package}\n')

# The packages owning `path`, one a line, without architecture; nothing when dpkg knows no owner.
owners() {
  local path=$1 candidates=("$1") real
  real=$(readlink -f "$path" 2>/dev/null || true)
  [ -n "$real" ] && [ "$real" != "$path" ] && candidates+=("$real")
  # Merged /usr: dpkg may have recorded /lib/... for /usr/lib/... and the other way round.
  for p in "${candidates[@]}"; do
    case "$p" in
      /usr/*) candidates+=("${p#/usr}") ;;
      /*) candidates+=("/usr$p") ;;
    esac
  done
  for p in "${candidates[@]}"; do
    local found
    found=$(dpkg -S "$p" 2>/dev/null | grep -v '^diversion by' | head -n1 || true)
    if [ -n "$found" ]; then
      echo "${found%%: *}" | tr ',' '\n' | sed 's/^ *//; s/:.*$//'
      return 0
    fi
  done
}

failures=0
# Checks that `path` (what `what` was found at) comes from an allowed package.
check() {
  local what=$1 path=$2 pkgs ok=0
  pkgs=$(owners "$path")
  if [ -z "$pkgs" ]; then
    echo "check-deps: $what ($path) belongs to no Debian package; install it from scripts/deps.sh" >&2
    failures=$((failures + 1))
    return
  fi
  while read -r p; do
    [ -n "${allowed[$p]:-}" ] && ok=1
  done <<<"$pkgs"
  if [ "$ok" = 0 ]; then
    local first
    first=$(head -n1 <<<"$pkgs")
    echo "check-deps: $what ($path) comes from the Debian package '$first', which" \
      "scripts/deps.sh does not install; add '$first' to scripts/deps.sh" >&2
    failures=$((failures + 1))
  fi
}

# The config file of a CMake package directory.
configFile() {
  local dir=$1 name=$2 f
  for f in "$dir/${name}Config.cmake" "$dir/$(tr '[:upper:]' '[:lower:]' <<<"$name")-config.cmake" \
    "$dir"/*Config.cmake "$dir"/*-config.cmake; do
    [ -f "$f" ] && { echo "$f"; return 0; }
  done
}

for cache in "${caches[@]}"; do
  [ -f "$cache" ] || { echo "check-deps: no CMake cache at $cache" >&2; exit 2; }
  while IFS= read -r line; do
    key=${line%%:*}
    value=${line#*=}
    case "$value" in /usr/*) ;; *) continue ;; esac
    case "$line" in
      *_DIR:PATH=*)
        case "$key" in *_INCLUDE_DIR) continue ;; esac
        name=${key%_DIR}
        file=$(configFile "$value" "$name")
        [ -n "$file" ] && check "CMake package $name" "$file"
        ;;
      *_LIBRARY:FILEPATH=* | *_LIBRARY_RELEASE:FILEPATH=* | pkgcfg_lib_*:FILEPATH=*)
        [ -e "$value" ] && check "library $key" "$value"
        ;;
    esac
  done <"$cache"
done

for program in "${programs[@]}"; do
  path=$(command -v "$program" || true)
  if [ -z "$path" ]; then
    echo "check-deps: the program '$program' is not installed; install it from scripts/deps.sh" >&2
    failures=$((failures + 1))
    continue
  fi
  check "program $program" "$path"
done

if [ "$failures" -gt 0 ]; then
  echo "check-deps: $failures dependency problem(s)" >&2
  exit 1
fi
echo "check-deps: every package and program used comes from scripts/deps.sh"
