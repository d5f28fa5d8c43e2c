// The recipe products of a day's dishes as the screen's cdsProduto holds them; shared by
// GetProduto and by the answer of a recipe save.
#pragma once

#include <string>

#include "platform/data_packet.h"
#include "server/db/database.h"

namespace server::objects {

// One row per product of the recipe in force of each dish on the branch's service menu of
// `day`, dishes in menu order and products by tree code. CUSTOPROD is the cost on `costDate`,
// CUSTOPRODANT the cost on the day before `monthStart`, both from `costBranch` in `costMode`.
// REQUIRES: a known cost mode. Errors: DbError.
platform::DataPacket dayProducts(db::Database& db, const std::string& branch,
                                 const std::string& service, double day, int costMode,
                                 double costDate, double monthStart, const std::string& costBranch);

}  // namespace server::objects
