// The deterministic demo company.
//
// createDemo(db, referenceDay, scale) fills an empty, migrated database with:
//   - 2 x scale branches ("0001", "0002", ...), each with 3 services ("00001" ALMOCO, "00002"
//     JANTAR, "00003" DESJEJUM) and the reference day as processing date (QTDIABLOQCAR 1, so the
//     reference day itself is the last closed day);
//   - a 4-level product tree ("01.02.003.0004") of about 400 products: tree nodes, stock products
//     and purchase products that become them, with optional substitutes;
//   - about 120 dishes: the standard catalogue ("P") with standard recipes, 10 local dishes per
//     branch, local variants of standard dishes and per-service recipes;
//   - menus with estimated diners for the months before, of and after the reference day, drawn
//     so a day's raw material stays near the month's typical cost, richer on about one day in
//     eight, with weekly specials (feijoada at Wednesday's lunch and dinner, tapioca at its
//     breakfast); recipe quantities per diner within the range of their product's kind
//     (kindRange in demo_catalog.h);
//   - quotations of several suppliers with validity periods, lapsing every month for a few days
//     for a handful of products (outdated on those days only); a few products never quoted nor
//     bought, two of them in the weekly specials (their zero costs); average and last purchase
//     cost history, consumption types and items with targets of what a full day costs, indirect
//     costs, holidays, season bands, and standard costs that the richer days exceed;
//   - realized withdrawals and served diners from the previous month's first day up to the
//     reference day.
// Branch "0001" blocks insert/delete in revised local recipes (IDBLOALTRELO "S").
//
// Operators (code / password):
//   analista / analista  every standard-recipe right and the parameter ARRV
//   filial   / filial    no standard-recipe right, ARRV not set
//   consulta / consulta  no right, ARRV denied
//
// scale N multiplies the branches by N and the months of quotation and cost history by N (at
// most 48 months). The data of a branch does not depend on the scale apart from that history,
// and nothing depends on the clock: the same arguments give the same database.
#pragma once

#include "server/db/database.h"

namespace server::demo {

// REQUIRES: a migrated database without branches; scale >= 1. Runs in one transaction.
// Errors: DbError (nothing written); std::invalid_argument for a database that already has
// branches or a scale below 1.
void createDemo(db::Database& db, double referenceDay, int scale = 1);

}  // namespace server::demo
