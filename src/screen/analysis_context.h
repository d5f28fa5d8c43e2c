// The screen's one record of shared values: the eight opening values, what is derived from them
// and the state the handlers pass to each other. One per screen, owned by the form.
#pragma once

#include <cstdint>
#include <string>

namespace screen {

struct AnalysisContext {
  // True until the first load; set again before an explicit reload so activation reloads.
  bool firstActivation = true;
  // The shell runs a branch module (27 or 43): zero costs are marked in the grids.
  bool isBranchModule = false;
  // A recipe, swap or diners change was saved since the last recalculation: the costs are stale.
  bool recipeChanged = false;
  // Key of the server's work table of this screen's planned consumption; 10 characters when set.
  std::string workTableId;
  std::string costBranch;
  std::string branchCode;
  std::string serviceCode;
  // Kind of the current dish's recipe: "P" standard, "L" local, "S" per service.
  std::string recipeKind;
  int32_t costMode = 0;
  int32_t calcMode = 0;
  // Days before it are closed (they have realized costs); set by the first load.
  double blockDate = 0;
  double referenceDate = 0;
  double monthStart = 0;
  double fixedCostDate = 0;
  // Weighted season indicators of the selected day's dishes.
  double seasonSum1 = 0;
  double seasonSum2 = 0;
  double seasonSum3 = 0;
  bool useFixedCostDate = false;
};

// costMode values whose zero unit costs are marked red in a branch module.
bool isZeroCostAlertMode(int32_t costMode);
// costMode values whose costs come from purchase quotations.
bool isQuotationCostMode(int32_t costMode);

}  // namespace screen
