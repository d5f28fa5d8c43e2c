// The set-up the screen benchmarks share: the demo company on loopback, a headless host around
// the screen, and the user's gestures through the form's own entry points.
#pragma once

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/console_services.h"
#include "host/host_shell.h"
#include "host/screen_registry.h"
#include "host/sqlite_query_executor.h"
#include "platform/messages.h"
#include "platform/ui/user_event.h"
#include "remote/session.h"
#include "screen/ana_cust_rev_rec.h"
#include "screen/entry.h"
#include "server/app/server_app.h"
#include "server/rpc/rpc_http_server.h"

namespace screen_bench {

using platform::Variant;
using screen::TfrmAnaCustRevRec;

constexpr double kDemoDay = 46127;         // 15/04/2026, the demo's processing date
constexpr double kOpenDay = kDemoDay + 2;  // after the processing date: recipes can be edited

// The demo company on loopback and a headless host around the screen, made once.
class Bench {
 public:
  Bench() {
    std::random_device random;
    dir_ = std::filesystem::temp_directory_path() /
           ("menucost-bench-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(dir_);
    const std::string path = (dir_ / "demo.db").string();
    server::ServerOptions options;
    options.databasePath = path;
    options.demo = true;
    options.demoDate = kDemoDay;
    instance_ = server::openServer(options);
    http_ =
        std::make_unique<server::RpcHttpServer>(*instance_.dispatcher, *instance_.authenticator);
    const int port = http_->start();
    remote::TNetConnection::setDefaultSession(
        remote::Session::login("127.0.0.1", port, "analista", "analista"));
    queries_ = std::make_unique<host::SqliteQueryExecutor>(path);
    host::ShellSettings settings;
    settings.webUrl = "127.0.0.1";
    settings.webPort = port;
    settings.operatorCode = "analista";
    shell_ = std::make_unique<host::Shell>(settings, *queries_, registry_);
    console_ = std::make_unique<host::ConsoleHost>(*shell_, *queries_, messages_, false);
  }
  ~Bench() {
    console_.reset();
    http_->stop();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  host::SqliteQueryExecutor& queries() { return *queries_; }
  std::string databasePath() const { return (dir_ / "demo.db").string(); }

  // Opens April 2026 of branch 0001's lunch and runs `script` once the first activation is done.
  void open(const std::function<void(TfrmAnaCustRevRec&)>& script) {
    console_->modal.setScript(
        [&](platform::ui::Form& form) { script(dynamic_cast<TfrmAnaCustRevRec&>(form)); });
    IniProc(Variant::array({Variant(""), Variant("0001"), Variant("00001"), Variant(6), Variant(1),
                            Variant::date(kDemoDay), Variant::date(0), Variant(false)}));
  }

 private:
  std::filesystem::path dir_;
  server::ServerInstance instance_;
  std::unique_ptr<server::RpcHttpServer> http_;
  std::unique_ptr<host::SqliteQueryExecutor> queries_;
  host::ScreenRegistry registry_;
  std::unique_ptr<host::Shell> shell_;
  std::ostringstream messages_;
  std::unique_ptr<host::ConsoleHost> console_;
};

inline Bench& bench() {
  static Bench instance;
  return instance;
}

// Answers Yes where it may, else OK: the user who confirms what the screen asks.
class ConfirmingDialogs : public platform::MessageDialogs {
 public:
  int show(const platform::MessageRequest& request) override {
    texts.push_back(request.text);
    return request.buttons.contains(platform::DialogButton::Yes) ? platform::mrYes : platform::mrOk;
  }
  std::vector<std::string> texts;  // in the order shown
};

// One gesture of the user, as the desktop and the console deliver it; a refusal is a broken
// benchmark.
inline void user(const std::function<void()>& gesture) {
  if (!platform::ui::runUserEvent(gesture)) throw std::runtime_error("a gesture failed");
}

inline void focus(platform::ui::Control& control) {
  user([&] {
    if (!control.focused() && !control.owner().setActiveControl(&control))
      throw std::logic_error(control.name() + " refused the focus");
  });
}

inline void press(platform::ui::Control& control, platform::ui::Key key,
                  platform::ui::ShiftState shift = {}, char32_t typed = 0) {
  focus(control);
  user([&] { control.owner().pressKey(key, shift, typed); });
}

inline void selectCell(platform::ui::DBGrid& grid, std::string_view field) {
  focus(grid);
  user([&] {
    const int index = grid.columnIndexOf(field);
    if (index < 0 || !grid.selectColumn(index))
      throw std::logic_error(grid.name() + " refused a column");
  });
}

inline void typeText(platform::ui::DBGrid& grid, std::string_view text) {
  for (const char c : text)
    press(grid, platform::ui::kNoKey, {}, static_cast<char32_t>(c));
}

// The materials page on the open day, at its first dish with at least `products` products.
inline void openDishWith(TfrmAnaCustRevRec& f, int products) {
  user([&] {
    f.pgcPlanejado->selectPage(*f.tshMatPrima);
    f.cost.cdsTrabCusto.locate("DTDATA", Variant::date(kOpenDay));
  });
  auto& dishes = f.recipe.cdsCardapio;
  for (int row = 0; row < dishes.recordCount(); ++row) {
    focus(*f.recipe.dbgCardapio);
    user([&] { f.recipe.dbgCardapio->selectRow(row); });
    if (f.recipe.cdsProduto.recordCount() >= products) return;
  }
  throw std::runtime_error("no dish with enough products on the open day");
}

// A decimal with the comma the user types.
inline std::string typed(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  std::string result = text;
  for (char& c : result)
    if (c == '.') c = ',';
  return result;
}

}  // namespace screen_bench
