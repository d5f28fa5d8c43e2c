#!/usr/bin/env bash
# Fails when a file of the screen module includes what the screen module may not see: Qt, SQL,
# HTTP or JSON library headers, a header of a layer above it (host, desktop, server), or a
# private header of another subsystem. A subsystem's public header is the one named below; every
# other header in its folder is its own business. What screen/ lends the subsystems is the
# services the form implements, the context and the shared helpers; the form itself, its
# connections, entry points and catalogue are screen/'s own.
#
#   scripts/check-layers.sh [SOURCE_ROOT]     (default: the src/ folder beside this script)
set -euo pipefail
root=${1:-"$(cd "$(dirname "$0")/.." && pwd)/src"}

declare -A public=(
  [screen]="screen/screen_services.h screen/analysis_context.h screen/scope_guard.h screen/dataset_helpers.h screen/grid_paint.h screen/field_defs.h"
  [cost]="cost/cost_analysis.h"
  [recipe]="recipe/recipe.h"
  [consumption]="consumption/consumption.h"
  [realized]="realized/realized.h"
  [charts]="charts/charts.h"
  [exceptions]="exceptions/exception_lists.h"
)
subsystems=(screen cost recipe consumption realized charts exceptions)
# Library headers the screen module never includes: it is written against the platform alone.
forbidden='^(Q[A-Za-z]+|Qt[A-Za-z]*/.*|sqlite3\.h|libpq-fe\.h|postgresql/.*|httplib\.h|nlohmann/.*|curl/.*|openssl/.*)$'
# Layers above the screen module, and the server and the export library beside it.
above='^(host|desktop|server|wire|export)/'

failures=0
for sub in "${subsystems[@]}"; do
  [ -d "$root/$sub" ] || continue
  while IFS= read -r file; do
    while IFS= read -r line; do
      inc=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]+)[>"].*/\1/' <<<"$line")
      where="${file#"$root"/}"
      if [[ "$inc" =~ $forbidden ]]; then
        echo "check-layers: $where includes <$inc>; the screen module uses the platform's own types"
        failures=$((failures + 1))
        continue
      fi
      if [[ "$inc" =~ $above ]]; then
        echo "check-layers: $where includes \"$inc\", a layer the screen module may not depend on"
        failures=$((failures + 1))
        continue
      fi
      other=${inc%%/*}
      [ "$other" = "$inc" ] && continue
      [ -n "${public[$other]:-}" ] || continue
      [ "$other" = "$sub" ] && continue
      allowed=0
      for p in ${public[$other]}; do [ "$p" = "$inc" ] && allowed=1; done
      if [ "$allowed" = 0 ]; then
        echo "check-layers: $where includes \"$inc\", a private header of $other/;" \
          "use ${public[$other]%% *}"
        failures=$((failures + 1))
      fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include' "$file" || true)
  done < <(find "$root/$sub" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
done

if [ "$failures" -gt 0 ]; then
  echo "check-layers: $failures include(s) break the layers" >&2
  exit 1
fi
echo "check-layers: the screen module includes only what its layers allow"
