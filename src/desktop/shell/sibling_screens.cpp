#include "desktop/shell/sibling_screens.h"

#include <QApplication>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "desktop/shell/chart_screens.h"
#include "desktop/shell/cost_exceptions_screen.h"
#include "desktop/shell/cost_origin_screen.h"
#include "platform/field.h"
#include "remote/host_services.h"

namespace desktop {
namespace {

struct ChartScreen {
  const char* code;
  const char* title;
};

constexpr ChartScreen kCharts[] = {
    {"RCX00511", "Custo Percapita"},
    {"RCX00512", "Comparação do Percapita"},
    {"RCX00513", "Variação do Custo Acumulado"},
};

void runModal(QDialog* dialog) {
  std::unique_ptr<QDialog> owned(dialog);
  owned->setWindowModality(Qt::ApplicationModal);
  owned->exec();
}

}  // namespace

platform::ClientDataSet* dataSetAtAddress(const platform::Variant& handle) {
  if (!handle.isNumeric()) return nullptr;
  const int64_t address = handle.toInt64();
  if (address == 0) return nullptr;
  return reinterpret_cast<platform::ClientDataSet*>(static_cast<intptr_t>(address));
}

void registerSiblingScreens(host::ScreenRegistry& registry, DataSetResolver resolve,
                            CostServerCall costServer) {
  for (const ChartScreen& chart : kCharts) {
    const std::string code = chart.code;
    const std::string title = chart.title;
    registry.registerScreen(code, [code, title, resolve](const platform::Variant& params) {
      platform::ClientDataSet* dataSet =
          params.isArray() && params.size() >= 1 ? resolve(params[0]) : nullptr;
      if (dataSet == nullptr)
        throw std::invalid_argument("Tela " + code + ": parâmetros inválidos.");
      // RCX00512 also receives the branch and service it compares, named in its title.
      std::string heading = title;
      if (code == "RCX00512" && params.size() >= 3)
        heading += " — Filial " + params[1].toString() + ", Serviço " + params[2].toString();
      runModal(makeChartWindow(title, *dataSet, nullptr, heading));
    });
  }
  registry.registerScreen("RCX00514", [](const platform::Variant& params) {
    if (!params.isArray() || params.size() < 3 || !params[0].isPacket())
      throw std::invalid_argument("Tela RCX00514: parâmetros inválidos.");
    runModal(makeCostOriginScreen(params[0].packet(), params[1].toString(), params[2].toString()));
  });
  registry.registerScreen("RCX00515", [costServer](const platform::Variant& params) {
    const CostExceptionsContext context = costExceptionsContext(params);
    std::vector<CostExceptionRow> rows;
    {
      remote::BusyAnimation& busy = remote::busyAnimation();
      busy.ActiveShowAvi(nullptr, 6, "Buscando custos por modo...");
      try {
        rows = loadCostExceptions(costServer, context);
      } catch (...) {
        busy.DeactiveShowAvi();
        throw;
      }
      busy.DeactiveShowAvi();
    }
    runModal(makeCostExceptionsScreen(context, std::move(rows)));
  });
}

}  // namespace desktop
