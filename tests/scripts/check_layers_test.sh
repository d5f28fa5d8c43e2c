#!/usr/bin/env bash
# The layer check of the screen module: each include below, put in a file of the cost
# subsystem, either passes or fails the check, and a failure names the file and the include.
set -uo pipefail
check="$(cd "$(dirname "$0")/../.." && pwd)/scripts/check-layers.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# include line | expected exit
cases=(
  '#include <vector>|0'
  '#include "platform/client_dataset.h"|0'
  '#include "remote/net_connection.h"|0'
  '#include "screen/scope_guard.h"|0'
  '#include "screen/screen_services.h"|0'
  '#include "screen/ana_cust_rev_rec.h"|1'
  '#include "screen/connections.h"|1'
  '#include "recipe/recipe.h"|0'
  '#include "cost/day_selection_steps.h"|0'
  '#include "recipe/dish_costs_steps.h"|1'
  '#include "realized/realized_rows.h"|1'
  '#include <QWidget>|1'
  '#include <QtCore/QString>|1'
  '#include <sqlite3.h>|1'
  '#include <libpq-fe.h>|1'
  '#include <httplib.h>|1'
  '#include <nlohmann/json.hpp>|1'
  '#include "host/host_shell.h"|1'
  '#include "desktop/form_window.h"|1'
  '#include "server/db/database.h"|1'
  '  #  include "recipe/dish_costs_steps.h"|1'
)
for c in "${cases[@]}"; do
  line=${c%|*}
  expected=${c##*|}
  rm -rf "$work/src"
  mkdir -p "$work/src/cost" "$work/src/recipe" "$work/src/screen"
  printf '#pragma once\n' >"$work/src/recipe/recipe.h"
  printf '%s\nint f();\n' "$line" >"$work/src/cost/daily_cost_table.cpp"
  out=$("$check" "$work/src" 2>&1)
  rc=$?
  if [ "$rc" != "$expected" ]; then
    echo "FAIL: '$line': exit $rc (want $expected): $out"
    failed=$((failed + 1))
  elif [ "$rc" = 1 ] && ! grep -q "cost/daily_cost_table.cpp" <<<"$out"; then
    echo "FAIL: '$line': the failure does not name the file: $out"
    failed=$((failed + 1))
  fi
done
echo "$((${#cases[@]} - failed)) passed, $failed failed"
[ "$failed" = 0 ]
