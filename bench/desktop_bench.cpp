// The Qt search list as the user feels it: opening it over the demo catalogue, and one keystroke
// of type-to-filter in a long list. Runs on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <array>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "desktop/search_dialog.h"
#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "screen_bench_host.h"

namespace {

using namespace screen_bench;
using Clock = std::chrono::steady_clock;

QApplication& app() {
  static int argc = 1;
  static char name[] = "desktop_bench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Never destroyed: Qt's objects must not be torn down among the process's static ones.
  static QApplication* const instance = new QApplication(argc, argv);
  return *instance;
}

double since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Times `open` until the dialog it opens has shown and painted, then closes the dialog.
void timeOpening(desktop::QtSearchList& list, benchmark::State& state,
                 const std::function<void()>& open) {
  Clock::time_point start;
  double seconds = -1;
  list.onOpened = [&](desktop::SearchDialog& dialog) {
    QTimer::singleShot(0, &dialog, [&] {
      QApplication::processEvents();  // the first paint
      seconds = since(start);
      dialog.reject();
    });
  };
  start = Clock::now();
  open();
  if (seconds < 0) throw std::runtime_error("the search list did not open");
  state.SetIterationTime(seconds);
}

// The whole gesture: the search button of a new row's code cell asks the server for the
// catalogue and opens the list over it.
void BM_OpenProductSearch(benchmark::State& state) {
  app();
  desktop::QtSearchList list;
  bench().open([&](TfrmAnaCustRevRec& f) {
    remote::HostServices services = remote::hostServices();
    services.search = &list;
    remote::ScopedHostServices qt(services);
    openDishWith(f, 1);
    platform::ui::DBGrid& grid = *f.recipe.dbgPrato;
    press(grid, platform::ui::VK_INSERT);
    selectCell(grid, "CDARVPROD");
    for (auto _ : state)
      timeOpening(list, state, [&] { user([&] { grid.pressEditButton(); }); });
    state.counters["products"] = f.recipe.cdsPesqProd.recordCount();
    user([&] { f.sbtCancela->press(); });
  });
}
BENCHMARK(BM_OpenProductSearch)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The dialog alone over the catalogue the server sent: snapshot, widgets, first paint.
void BM_OpenSearchDialogOverTheDemoCatalogue(benchmark::State& state) {
  app();
  desktop::QtSearchList list;
  bench().open([&](TfrmAnaCustRevRec& f) {
    openDishWith(f, 1);
    platform::ui::DBGrid& grid = *f.recipe.dbgPrato;
    press(grid, platform::ui::VK_INSERT);
    selectCell(grid, "CDARVPROD");
    {
      // Loads cdsPesqProd the way the screen does; the console's list closes at once.
      user([&] { grid.pressEditButton(); });
    }
    if (f.recipe.cdsPesqProd.recordCount() == 0) throw std::runtime_error("an empty catalogue");
    for (auto _ : state)
      timeOpening(list, state, [&] {
        list.Pesquisar(f.recipe.dtsPesqProduto, "Produto|Nenhum produto", false, true);
      });
    state.counters["products"] = f.recipe.cdsPesqProd.recordCount();
    user([&] { f.sbtCancela->press(); });
  });
}
BENCHMARK(BM_OpenSearchDialogOverTheDemoCatalogue)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// 20,000 products with names of the catalogue's kind.
void fillProducts(platform::ClientDataSet& ds, int count) {
  using platform::FieldType;
  ds.addField("CDARVPROD", FieldType::Text, 14).setDisplayLabel("Código");
  ds.addField("CDPRODUTO", FieldType::Text, 20).setVisible(false);
  ds.addField("NMPRODUTO", FieldType::Text, 40).setDisplayLabel("Produto");
  ds.addField("SGUNIDADE", FieldType::Text, 3).setDisplayLabel("Un");
  ds.createDataSet();
  const std::array<const char*, 12> kinds = {"Arroz",  "Feijão", "Carne",  "Frango",
                                             "Batata", "Cebola", "Tomate", "Alface",
                                             "Leite",  "Queijo", "Óleo",   "Açúcar"};
  const std::array<const char*, 8> qualities = {"Tipo 1",   "Branco",   "Moída",  "Congelado",
                                                "Orgânico", "Integral", "Fresco", "Refinado"};
  const std::array<const char*, 4> units = {"KG", "UN", "LT", "CX"};
  for (int i = 0; i < count; ++i) {
    char code[16];
    std::snprintf(code, sizeof code, "%02d.%02d.%03d.%04d", i % 12 + 1, i % 7 + 1, i % 300 + 1, i);
    const std::string name = std::string(kinds[static_cast<size_t>(i) % kinds.size()]) + " " +
                             qualities[static_cast<size_t>(i / 12) % qualities.size()] + " " +
                             std::to_string(i);
    ds.append();
    ds.fieldByName("CDARVPROD").setAsString(code);
    ds.fieldByName("CDPRODUTO").setAsString(std::to_string(i));
    ds.fieldByName("NMPRODUTO").setAsString(name);
    ds.fieldByName("SGUNIDADE").setAsString(units[static_cast<size_t>(i) % units.size()]);
    ds.post();
  }
  ds.first();
}

void sendKey(QWidget& target, int key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(&target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(&target, &release);
}

// One keystroke, the list filtered and painted: the user types "carne moida" and takes it back
// with Backspace, one key per iteration.
void BM_TypeToFilterIn20000Products(benchmark::State& state) {
  app();
  platform::ClientDataSet ds;
  fillProducts(ds, 20000);
  desktop::SearchDialog dialog("Produto", "Nenhum produto", true);
  dialog.rows().load(ds);
  dialog.showRows(1);
  dialog.show();
  QApplication::processEvents();
  QLineEdit& edit = dialog.filterEdit();
  const QString words = QStringLiteral("carne moida");
  int at = 0;
  bool typing = true;
  for (auto _ : state) {
    const auto start = Clock::now();
    if (typing) {
      const QChar c = words[at];
      sendKey(edit, c == ' ' ? Qt::Key_Space : Qt::Key_A + (c.unicode() - 'a'), QString(c));
    } else {
      sendKey(edit, Qt::Key_Backspace, QString());
    }
    QApplication::processEvents();
    state.SetIterationTime(since(start));
    at += typing ? 1 : -1;
    if (at == words.size()) typing = false;
    if (at == 0) typing = true;
  }
  if (!edit.text().isEmpty() && !words.startsWith(edit.text()))
    state.SkipWithError("the keys did not reach the filter");
  state.counters["shown"] = dialog.filtered().rowCount();
  dialog.reject();
}
BENCHMARK(BM_TypeToFilterIn20000Products)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(220)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
