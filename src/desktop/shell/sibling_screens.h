// The sibling screens the desktop shell offers to the screens it opens, by code:
//   RCX00511, RCX00512, RCX00513  the cost charts: a line per number field of the chart dataset
//                                 the screen hands over, one point per day (chart_screens.h);
//   RCX00514                      the origin of a product's cost: the supplier quotations of the
//                                 packet given (cost_origin_screen.h);
//   RCX00515                      the cost exceptions of the month: the zero-cost or outdated-
//                                 quotation products ranked by weight, with the cost of every
//                                 cost mode, asked of the cost-analysis server
//                                 (cost_exceptions_screen.h).
// Each opens as a modal window and returns when the user closes it. Other codes stay unknown to
// the registry, which refuses them with a clear message.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "desktop/shell/cost_exceptions_screen.h"
#include "host/screen_registry.h"
#include "platform/client_dataset.h"
#include "platform/variant.h"

namespace desktop {

// Finds the dataset a chart screen's first parameter refers to. The cost screen passes the
// address of its chart dataset as an integer; the dataset lives as long as that screen.
using DataSetResolver = std::function<platform::ClientDataSet*(const platform::Variant& handle)>;
platform::ClientDataSet* dataSetAtAddress(const platform::Variant& handle);

// Registers the screens above. `resolve` turns a chart screen's first parameter into its dataset;
// `costServer` carries RCX00515's calls. The openers raise std::invalid_argument with a clear
// text for parameters they cannot use, and pass on what the server calls raise.
void registerSiblingScreens(host::ScreenRegistry& registry,
                            DataSetResolver resolve = dataSetAtAddress,
                            CostServerCall costServer = callCostServer);

}  // namespace desktop
