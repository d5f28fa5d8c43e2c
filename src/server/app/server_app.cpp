#include "server/app/server_app.h"

#include <chrono>
#include <ctime>
#include <iostream>
#include <stdexcept>

#include "platform/date.h"
#include "server/auth/password.h"
#include "server/db/open_database.h"
#include "server/demo/demo_data.h"
#include "server/dispatch/server_dispatcher.h"
#include "server/objects/remote_object.h"
#include "server/schema/migrations.h"

namespace server {

double today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return platform::encodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

ServerInstance openServer(const ServerOptions& options) {
  if (options.scale < 1) throw std::invalid_argument("scale must be at least 1");
  auto env = objects::systemEnvironment();
  ServerInstance instance;
  {
    auto db = db::openDatabase(options.databasePath, db::OpenMode::Create);
    schema::migrate(*db, env.nowSeconds());
    if (options.demo) {
      auto st = db->prepare("SELECT COUNT(*) FROM FILIAL");
      if (st->step() && st->integer(0) == 0) {
        st.reset();
        demo::createDemo(*db, options.demoDate.value_or(today()), options.scale);
        instance.demoCreated = true;
      }
    }
  }
  std::string path = options.databasePath;
  instance.pool = std::make_shared<db::ConnectionPool>(
      [path] { return db::openDatabase(path, db::OpenMode::ReadWrite); }, options.maxConnections);
  auto dispatcher = std::make_unique<ServerDispatcher>(instance.pool, std::move(env));
  ServerDispatcher* sweeper = dispatcher.get();
  instance.dispatcher = std::move(dispatcher);
  instance.authenticator =
      std::make_unique<auth::DbAuthenticator>(instance.pool, options.passwordPolicy);
  instance.sessions = std::make_shared<DbSessionStore>(instance.pool, options.sessionIdleTimeout);
  instance.answers = std::make_shared<DbAnswerStore>(instance.pool, options.answerRetention,
                                                     options.abandonedClaimAge);
  WorkTableSweep::FailureSink onFailure = options.onSweepFailure;
  if (!onFailure) {
    onFailure = [](const std::string& reason) {
      std::cerr << "sweeping work tables failed: " << reason << std::endl;
    };
  }
  auto sessions = instance.sessions;
  auto answers = instance.answers;
  instance.sweep = std::make_unique<WorkTableSweep>(
      [sweeper, sessions, answers] {
        sweeper->sweep();
        sessions->sweep();
        answers->sweep();
      },
      options.sweepInterval, std::move(onFailure));
  return instance;
}

std::unique_ptr<db::Database> openReadOnly(const std::string& path) {
  return db::openDatabase(path, db::OpenMode::ReadOnly);
}

}  // namespace server
