#include "desktop/screen/desktop_screen_fixture.h"

#include <QApplication>
#include <filesystem>
#include <random>

#include "desktop/qt_host.h"
#include "host/embedded_server.h"
#include "host/host_shell.h"
#include "host/operator_session.h"
#include "host/screen_registry.h"
#include "host/sqlite_query_executor.h"
#include "platform/ui/user_event.h"
#include "screen/entry.h"

namespace desktop::testing {

class DemoCompany {
 public:
  DemoCompany() {
    std::random_device random;
    dir = std::filesystem::temp_directory_path() /
          ("menucost-desktop-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(dir);
    host::EmbeddedServerOptions options;
    options.databasePath = (dir / "demo.db").string();
    options.demoDate = kDemoDay;
    server = std::make_unique<host::EmbeddedServer>(options);
    session = std::make_unique<host::OperatorSession>(server->host(), server->port(),
                                                      host::kDemoOperator, host::kDemoPassword);
    queries = std::make_unique<host::SqliteQueryExecutor>(options.databasePath);
    host::ShellSettings settings;
    settings.webUrl = server->host();
    settings.webPort = server->port();
    settings.operatorCode = session->operatorCode();
    shell = std::make_unique<host::Shell>(settings, *queries, screens);
  }
  ~DemoCompany() {
    shell.reset();
    queries.reset();
    session.reset();
    server.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  std::filesystem::path dir;
  std::unique_ptr<host::EmbeddedServer> server;
  std::unique_ptr<host::OperatorSession> session;
  std::unique_ptr<host::SqliteQueryExecutor> queries;
  host::ScreenRegistry screens;
  std::unique_ptr<host::Shell> shell;
};

DemoCompany* DesktopScreenTest::demo_ = nullptr;

void DesktopScreenTest::SetUpTestSuite() {
  if (demo_ == nullptr) demo_ = new DemoCompany();
}

void DesktopScreenTest::TearDownTestSuite() {
  delete demo_;
  demo_ = nullptr;
}

std::vector<std::string> DesktopScreenTest::open(const Steps& steps, int costMode) {
  platform::RecordingErrorDisplay errors;
  QtHost host(*demo_->shell, *demo_->queries, nullptr, &errors);
  bool ran = false;
  host.modal.onShown = [&](FormWindow& window) {
    ran = true;
    auto* form = dynamic_cast<screen::TfrmAnaCustRevRec*>(&window.form());
    if (form == nullptr) {
      ADD_FAILURE() << "the window shows another form";
    } else {
      steps(window, *form);
    }
    if (window.form().visible()) platform::ui::runUserEvent([&window] { window.form().close(); });
    if (window.form().visible()) window.form().setVisible(false);
  };
  IniProc(aprilValues(costMode));
  EXPECT_TRUE(ran) << "the screen was not shown";
  return errors.texts();
}

platform::Variant DesktopScreenTest::aprilValues(int costMode) {
  const double april = 46113;
  return platform::Variant::array(
      {platform::Variant(""), platform::Variant("0001"), platform::Variant("00001"),
       platform::Variant(static_cast<int32_t>(costMode)), platform::Variant(int32_t{1}),
       platform::Variant::date(april), platform::Variant::date(april), platform::Variant(false)});
}

host::SqliteQueryExecutor& DesktopScreenTest::queries() {
  return *demo_->queries;
}

host::ScreenRegistry& DesktopScreenTest::screens() {
  return demo_->screens;
}

}  // namespace desktop::testing
