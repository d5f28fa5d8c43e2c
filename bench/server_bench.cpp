// Application-server figures on the demo company: the month's daily costs for the largest
// service-month (also on a scale-50 database, which must cost about the same), one day's
// products, a recipe save of five changes, and the costs of every cost mode for 200 products.
// Through the server as `menucost-server` assembles it: eight clients loading months at once
// (median and p99 of a load), the database's growth over 1,000 abandoned month loads, and a login
// at the shipped work factor for a known operator, a wrong password, an unknown operator and a
// 4 MB password.
//
// The scale-50 database takes a while to create; it is kept in the temporary directory and
// reused by later runs (MENUCOST_BENCH_DIR overrides the directory).
//
// The *_PostgreSQL benchmarks run the same calls on the PostgreSQL database that
// MENUCOST_BENCH_PG names (a URL; the demo company is created there when it holds none), for a
// comparison on the same machine; without it they are skipped.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <barrier>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/data_packet.h"
#include "platform/date.h"
#include "server/app/server_app.h"
#include "server/auth/password.h"
#include "server/db/postgres_database.h"
#include "server/db/sqlite_database.h"
#include "server/demo/demo_data.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server/schema/migrations.h"

namespace {

using platform::Variant;
using server::db::OpenMode;
using server::db::SqliteDatabase;

const double kReference = platform::encodeDate(2026, 3, 18);
const double kFirst = platform::encodeDate(2026, 3, 1);
const double kLast = platform::encodeDate(2026, 3, 31);

std::string benchPath(int scale) {
  const char* dir = std::getenv("MENUCOST_BENCH_DIR");
  std::filesystem::path base = dir != nullptr ? dir : std::filesystem::temp_directory_path();
  return (base / ("menucost-bench-scale" + std::to_string(scale) + "-v2.db")).string();
}

int64_t scalar(server::db::Database& db, const std::string& sql) {
  auto st = db.prepare(sql);
  return st->step() ? st->integer(0) : -1;
}

// The scale-1 demo on the PostgreSQL database of MENUCOST_BENCH_PG, null without one.
std::unique_ptr<server::db::Database> postgresDemo() {
  const char* url = std::getenv("MENUCOST_BENCH_PG");
  if (url == nullptr || *url == 0) return nullptr;
  auto db = server::db::PostgresDatabase::open(url, OpenMode::ReadWrite);
  server::schema::migrate(*db, 0);
  if (scalar(*db, "SELECT COUNT(*) FROM FILIAL") == 0) {
    server::demo::createDemo(*db, kReference, 1);
    db->exec("ANALYZE");
  }
  return db;
}

// Opens the demo database of `scale`, creating it when it is missing or incomplete.
std::unique_ptr<server::db::Database> demoDatabase(int scale) {
  std::string path = benchPath(scale);
  if (std::filesystem::exists(path)) {
    auto db = SqliteDatabase::open(path, OpenMode::ReadWrite);
    if (server::schema::currentVersion(*db) == server::schema::latestVersion() &&
        scalar(*db, "SELECT COUNT(*) FROM FILIAL") == 2 * scale) {
      return db;
    }
  }
  std::filesystem::remove(path);
  std::filesystem::remove(path + "-wal");
  std::filesystem::remove(path + "-shm");
  auto start = std::chrono::steady_clock::now();
  std::unique_ptr<server::db::Database> db = SqliteDatabase::open(path, OpenMode::Create);
  server::schema::migrate(*db, 0);
  server::demo::createDemo(*db, kReference, scale);
  db->exec("ANALYZE");
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::fprintf(stderr, "created %s in %.1f s\n", path.c_str(), seconds);
  return db;
}

struct ServiceMonth {
  std::string branch;
  std::string service;
};

// The branch and service with the most dishes on the reference month's menus.
ServiceMonth largestServiceMonth(server::db::Database& db) {
  auto st = db.prepare(
      "SELECT CDFILIAL, CDSERVFILI FROM CARDAPIO WHERE DTCARDAPIO >= ?1 AND DTCARDAPIO <= ?2"
      " GROUP BY CDFILIAL, CDSERVFILI ORDER BY COUNT(*) DESC, CDFILIAL, CDSERVFILI LIMIT 1");
  st->bindReal(1, kFirst);
  st->bindReal(2, kLast);
  st->step();
  return {st->text(0), st->text(1)};
}

struct Fixture {
  explicit Fixture(std::unique_ptr<server::db::Database> database)
      : db(std::move(database)), month(largestServiceMonth(*db)) {
    env.nowSeconds = [] { return int64_t{1'773'000'000}; };
    env.newKey = [this] {
      std::string n = std::to_string(++keys);
      return "B" + std::string(9 - n.size(), '0') + n;
    };
    object = std::make_unique<server::objects::AnaCustRevRec>(env);
  }
  Variant call(const std::string& method, std::vector<Variant> params) {
    return object->call(*db, server::CallContext{"analista"}, method, params);
  }
  Variant trabCusto() {
    return call("GetTrabCusto",
                {month.branch, month.service, Variant::date(kFirst), Variant::date(kLast), 6,
                 "analista", false, Variant::date(0.0), "", false});
  }
  Variant produto(double day) {
    return call("GetProduto", {month.branch, month.service, Variant::date(day), 6, false,
                               Variant::date(day), Variant::date(kFirst), ""});
  }

  std::unique_ptr<server::db::Database> db;
  ServiceMonth month;
  server::objects::Environment env;
  int keys = 0;
  std::unique_ptr<server::objects::AnaCustRevRec> object;
};

Fixture& fixture(int scale) {
  static std::unique_ptr<Fixture> demo, large;
  auto& f = scale == 1 ? demo : large;
  if (!f) f = std::make_unique<Fixture>(demoDatabase(scale));
  return *f;
}

// The scale-1 demo on PostgreSQL; null without MENUCOST_BENCH_PG.
Fixture* postgresFixture() {
  static std::unique_ptr<Fixture> f = [] {
    auto db = postgresDemo();
    return db ? std::make_unique<Fixture>(std::move(db)) : nullptr;
  }();
  return f.get();
}

void runTrabCusto(benchmark::State& state, Fixture& f) {
  for (auto _ : state) {
    Variant result = f.trabCusto();
    if (!result.isArray()) {
      state.SkipWithError(result.debugString().c_str());
      return;
    }
    state.PauseTiming();
    f.call("DelConsplan", {result[0], f.month.branch});
    state.ResumeTiming();
  }
}

void BM_GetTrabCusto_Demo(benchmark::State& state) {
  runTrabCusto(state, fixture(1));
}
void BM_GetTrabCusto_Scale50(benchmark::State& state) {
  runTrabCusto(state, fixture(50));
}

// The open day of the month with the most recipe products.
double busiestOpenDay(Fixture& f, size_t* products) {
  double best = kReference + 1;
  size_t most = 0;
  for (double d = kReference + 1; d <= kLast; d += 1) {
    size_t n = f.produto(d).packet().rows.size();
    if (n > most) {
      most = n;
      best = d;
    }
  }
  *products = most;
  return best;
}

void runProduto(benchmark::State& state, Fixture& f) {
  size_t products = 0;
  double day = busiestOpenDay(f, &products);
  for (auto _ : state)
    benchmark::DoNotOptimize(f.produto(day));
  state.counters["products"] = static_cast<double>(products);
}

void BM_GetProduto(benchmark::State& state) {
  runProduto(state, fixture(1));
}

void BM_GetTrabCusto_Demo_PostgreSQL(benchmark::State& state) {
  if (Fixture* f = postgresFixture()) {
    runTrabCusto(state, *f);
  } else {
    state.SkipWithError("MENUCOST_BENCH_PG names no database");
  }
}
void BM_GetProduto_PostgreSQL(benchmark::State& state) {
  if (Fixture* f = postgresFixture()) {
    runProduto(state, *f);
  } else {
    state.SkipWithError("MENUCOST_BENCH_PG names no database");
  }
}

void BM_GravaReceita5(benchmark::State& state) {
  Fixture& f = fixture(1);
  size_t products = 0;
  double day = busiestOpenDay(f, &products);
  int round = 0;
  double statements = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Variant loaded = f.produto(day);
    const platform::DataPacket& full = loaded.packet();
    platform::DataPacket delta;
    delta.fields = full.fields;
    size_t qty = static_cast<size_t>(full.fieldIndex("QTDERECE"));
    // Five quantities, alternately raised and lowered, so every round changes them.
    for (size_t i = 0; i < 5 && i < full.rows.size(); ++i) {
      platform::Row now = full.rows[i];
      double q = now[qty].toDouble();
      now[qty] = Variant(round % 2 == 0 ? q + 0.001 : q - 0.001);
      delta.rows.push_back(now);
      delta.changes.push_back({platform::ChangeKind::Modify, static_cast<int>(i), full.rows[i]});
    }
    ++round;
    int64_t before = f.db->statementsExecuted();
    state.ResumeTiming();
    Variant r =
        f.call("GravaReceita",
               {Variant(full), Variant(delta), f.month.branch, f.month.service, Variant::date(day),
                6, false, Variant::date(day), "4", "P", "P", "", Variant::date(kFirst), ""});
    statements = static_cast<double>(f.db->statementsExecuted() - before);
    if (!r.isArray() || !r[0].toString().empty()) {
      state.SkipWithError(r.debugString().c_str());
      return;
    }
  }
  // Statements one save runs, the answer's reads included.
  state.counters["statements"] = statements;
}

// The costs of every cost mode for 200 stock products of the branch at the reference date.
void BM_GetCustoModos200(benchmark::State& state) {
  Fixture& f = fixture(1);
  std::vector<Variant> codes;
  auto st = f.db->prepare(
      "SELECT CDPRODUTO FROM PRODUTO WHERE CDPRODESTO = CDPRODUTO ORDER BY CDPRODUTO LIMIT 200");
  while (st->step())
    codes.push_back(Variant(st->text(0)));
  st.reset();
  for (auto _ : state) {
    Variant r =
        f.call("GetCustoModos", {Variant::array(codes), f.month.branch, Variant::date(kReference)});
    if (!r.isPacket()) {
      state.SkipWithError(r.debugString().c_str());
      return;
    }
    benchmark::DoNotOptimize(r);
  }
  state.counters["products"] = static_cast<double>(codes.size());
}

// The weights of the outdated-quotation products of the demo's largest service-month, planned
// from the work table of its month load.
void BM_GetPesoExcecao_Outdated(benchmark::State& state) {
  Fixture& f = fixture(1);
  const Variant load = f.trabCusto();
  if (!load.isArray()) {
    state.SkipWithError(load.debugString().c_str());
    return;
  }
  const Variant key = load[0];
  size_t products = 0;
  for (auto _ : state) {
    Variant r = f.call("GetPesoExcecao", {"1", key, f.month.branch, "", f.month.service, 6,
                                          Variant::date(kFirst), Variant::date(kLast),
                                          Variant::date(kFirst), false, Variant::date(kReference)});
    if (!r.isPacket()) {
      state.SkipWithError(r.debugString().c_str());
      break;
    }
    products = r.packet().rows.size();
    benchmark::DoNotOptimize(r);
  }
  f.call("DelConsplan", {key, f.month.branch});
  state.counters["products"] = static_cast<double>(products);
}

// The zero-cost list of the demo's largest service-month, planned again, with its estimates.
void BM_GetPesoExcecao_ZeroCost(benchmark::State& state) {
  Fixture& f = fixture(1);
  size_t products = 0;
  for (auto _ : state) {
    Variant r = f.call("GetPesoExcecao", {"0", "", f.month.branch, "", f.month.service, 10,
                                          Variant::date(kFirst), Variant::date(kLast),
                                          Variant::date(kFirst), false, Variant::date(kReference)});
    if (!r.isPacket()) {
      state.SkipWithError(r.debugString().c_str());
      break;
    }
    products = r.packet().rows.size();
    benchmark::DoNotOptimize(r);
  }
  state.counters["products"] = static_cast<double>(products);
}

// A copy of the demo database served as `menucost-server` serves it, so what a benchmark writes
// stays out of the cached one.
struct Served {
  Served() {
    {
      auto source = demoDatabase(1);
      source->exec("PRAGMA wal_checkpoint(TRUNCATE)");
      month = largestServiceMonth(*source);
    }
    const char* dir = std::getenv("MENUCOST_BENCH_DIR");
    path = ((dir != nullptr ? std::filesystem::path(dir) : std::filesystem::temp_directory_path()) /
            ("menucost-bench-served-" + std::to_string(::getpid()) + ".db"))
               .string();
    std::filesystem::copy_file(benchPath(1), path,
                               std::filesystem::copy_options::overwrite_existing);
    server::ServerOptions options;
    options.databasePath = path;
    instance = server::openServer(options);
  }
  ~Served() {
    instance = {};
    for (const char* suffix : {"", "-wal", "-shm"})
      std::filesystem::remove(path + suffix);
  }
  Variant load(const std::string& operatorCode) {
    return instance.dispatcher->call(
        server::CallContext{operatorCode}, server::objects::AnaCustRevRec::kName, "GetTrabCusto",
        {month.branch, month.service, Variant::date(kFirst), Variant::date(kLast), 6, operatorCode,
         false, Variant::date(0.0), "", false});
  }
  void release(const Variant& key) {
    instance.dispatcher->call(server::CallContext{"analista"},
                              server::objects::AnaCustRevRec::kName, "DelConsplan",
                              {key, month.branch});
  }
  // The database file and its log, after folding the log in.
  uintmax_t bytes() {
    instance.pool->acquire()->exec("PRAGMA wal_checkpoint(TRUNCATE)");
    uintmax_t total = 0;
    for (const char* suffix : {"", "-wal"}) {
      std::error_code ignored;
      const uintmax_t size = std::filesystem::file_size(path + suffix, ignored);
      if (!ignored) total += size;
    }
    return total;
  }

  std::string path;
  ServiceMonth month;
  server::ServerInstance instance;
};

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t index = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

// Eight screens opening the month at the same moment, each releasing its work table afterwards
// as a screen does when it reloads; every round starts them together.
void BM_MonthLoads8Clients(benchmark::State& state) {
  constexpr int kClients = 8;
  constexpr int kLoadsPerRound = 3;
  Served served;
  std::vector<double> latencies;
  for (auto _ : state) {
    std::vector<std::vector<double>> perClient(kClients);
    std::barrier start(kClients);
    std::vector<std::thread> clients;
    const auto began = std::chrono::steady_clock::now();
    for (int c = 0; c < kClients; ++c) {
      clients.emplace_back([&, c] {
        const std::string op = "op" + std::to_string(c);
        start.arrive_and_wait();
        for (int i = 0; i < kLoadsPerRound; ++i) {
          const auto t0 = std::chrono::steady_clock::now();
          Variant result = served.load(op);
          perClient[c].push_back(
              std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                  .count());
          if (result.isArray()) served.release(result[0]);
        }
      });
    }
    for (auto& t : clients)
      t.join();
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
    for (const auto& l : perClient)
      latencies.insert(latencies.end(), l.begin(), l.end());
  }
  state.counters["load_p50_ms"] = percentile(latencies, 0.50);
  state.counters["load_p99_ms"] = percentile(latencies, 0.99);
  state.counters["loads"] = static_cast<double>(latencies.size());
}

// Screens that never release their month: what 1,000 loads by ten operators leave behind.
void BM_DatabaseGrowth1000Loads(benchmark::State& state) {
  Served served;
  const uintmax_t before = served.bytes();
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) {
      Variant result = served.load("op" + std::to_string(i % 10));
      if (!result.isArray()) {
        state.SkipWithError(result.debugString().c_str());
        return;
      }
    }
  }
  state.counters["growth_KB"] = static_cast<double>(served.bytes() - before) / 1024.0;
  state.counters["work_tables"] = static_cast<double>(
      scalar(*served.instance.pool->acquire(), "SELECT COUNT(*) FROM CONSPLANCHAVE"));
}

// One login at the shipped work factor. Arguments: 0 the right password, 1 a wrong one, 2 an
// unknown operator, 3 a 4 MB password.
void BM_Login(benchmark::State& state) {
  static const std::string path = [] {
    std::string p = (std::filesystem::temp_directory_path() /
                     ("menucost-bench-login-" + std::to_string(::getpid()) + ".db"))
                        .string();
    auto db = SqliteDatabase::open(p, OpenMode::Create);
    server::schema::migrate(*db, 0);
    auto st = db->prepare("INSERT INTO OPERADOR VALUES ('analista', 'ANALISTA', 'S', ?1)");
    st->bindText(1, server::auth::newPasswordHash("analista"));
    st->run();
    return p;
  }();
  auto pool = std::make_shared<server::db::ConnectionPool>(
      [] { return SqliteDatabase::open(path, OpenMode::ReadWrite); }, 1);
  server::auth::DbAuthenticator auth(pool);
  const std::string huge(4 << 20, 'a');
  const struct {
    const char* op;
    std::string_view password;
    bool ok;
  } cases[] = {{"analista", "analista", true},
               {"analista", "errada", false},
               {"ninguem", "analista", false},
               {"analista", huge, false}};
  const auto& c = cases[state.range(0)];
  for (auto _ : state) {
    if (auth.authenticate(c.op, c.password).has_value() != c.ok) {
      state.SkipWithError("unexpected login answer");
      return;
    }
  }
  state.counters["iterations_per_hash"] = server::auth::kPasswordIterations;
}

}  // namespace

BENCHMARK(BM_MonthLoads8Clients)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->UseManualTime();
BENCHMARK(BM_DatabaseGrowth1000Loads)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Login)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();
BENCHMARK(BM_GetTrabCusto_Demo)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();
BENCHMARK(BM_GetTrabCusto_Scale50)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();
BENCHMARK(BM_GetTrabCusto_Demo_PostgreSQL)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();
BENCHMARK(BM_GetProduto)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();
BENCHMARK(BM_GetProduto_PostgreSQL)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();
BENCHMARK(BM_GravaReceita5)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();
BENCHMARK(BM_GetCustoModos200)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();
BENCHMARK(BM_GetPesoExcecao_Outdated)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();
BENCHMARK(BM_GetPesoExcecao_ZeroCost)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();
