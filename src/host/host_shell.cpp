#include "host/host_shell.h"

#include <stdexcept>

#include "host/authorization.h"

namespace host {
namespace {

// The general parameter that holds the product-code picture, where a site defines one.
constexpr const char* kPictureParameter = "DSMASCARVPROD";

void requireProductTree(int pictureType) {
  if (pictureType != 0)
    throw std::invalid_argument("Picture type " + std::to_string(pictureType) +
                                " is not defined; only 0 (product tree) is.");
}

}  // namespace

int pictureLevels(const std::string& picture) {
  if (picture.empty()) return 0;
  int levels = 1;
  for (char c : picture)
    if (c == '.') ++levels;
  return levels;
}

std::string databaseProductPicture(remote::QueryExecutor& queries) {
  // Every column is asked for so that a schema without the parameter answers rather than fails.
  platform::DataPacket rows = queries.execute("SELECT * FROM PARAMGERAL", {});
  int column = rows.fieldIndex(kPictureParameter);
  if (column < 0 || rows.rows.empty()) return {};
  const platform::Variant& value = rows.rows.front()[static_cast<size_t>(column)];
  if (value.isNull()) return {};
  std::string picture = value.toString();
  size_t first = picture.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return picture.substr(first, picture.find_last_not_of(' ') - first + 1);
}

Shell::Shell(ShellSettings settings, DirectQueries& queries, ScreenRegistry& screens,
             Authorizer authorizer)
    : settings_(std::move(settings)),
      queries_(queries),
      screens_(screens),
      authorizer_(std::move(authorizer)) {}

void Shell::setSettings(ShellSettings settings) {
  settings_ = std::move(settings);
  picture_.reset();
}

bool Shell::ModuFili() const {
  return settings_.module == 27 || settings_.module == 43;
}

double Shell::DataProc(const std::string& branchCode) {
  platform::DataPacket rows =
      queries_.execute("SELECT DTPROCESSO FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL",
                       {{"P_CDFILIAL", platform::Variant(branchCode)}});
  if (rows.rows.empty()) throw std::runtime_error("Filial " + branchCode + " não cadastrada.");
  const platform::Variant& date = rows.rows.front().front();
  if (date.isNull())
    throw std::runtime_error("Filial " + branchCode + " sem data de processamento.");
  return date.toDouble();
}

std::string Shell::DBPict(int pictureType) const {
  requireProductTree(pictureType);
  if (!picture_) {
    std::string picture = settings_.productPicture;
    if (picture.empty()) picture = databaseProductPicture(queries_);
    picture_ = picture.empty() ? std::string(kDefaultProductPicture) : picture;
  }
  return *picture_;
}

int Shell::GetTtNiveis(int pictureType) const {
  return pictureLevels(DBPict(pictureType));
}

void Shell::AtualizaLocalCache(const platform::Variant& tableNames) {
  if (tableNames.isText()) {
    queries_.cacheTable(tableNames.toString());
    return;
  }
  if (!tableNames.isArray())
    throw std::invalid_argument("AtualizaLocalCache takes table names, not " +
                                tableNames.debugString());
  for (const platform::Variant& name : tableNames.items()) {
    if (!name.isText())
      throw std::invalid_argument("AtualizaLocalCache takes table names, not " +
                                  name.debugString());
  }
  for (const platform::Variant& name : tableNames.items())
    queries_.cacheTable(name.toString());
}

void Shell::LoadBPL(const std::string& screenCode, const platform::Variant& params) {
  screens_.open(screenCode, params);
}

bool Shell::Autoriza(remote::TNetConnection& connection, int kind, const std::string& actionKey,
                     const std::string& extra) {
  if (authorizer_) return authorizer_(connection, kind, actionKey, extra);
  return authorizeOnServer(connection, kind, actionKey, extra);
}

}  // namespace host
