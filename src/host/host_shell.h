// The host shell's own settings and services for the screens it opens: the server address, the
// logged-in operator, the module, the branch's processing date, the product-code picture, the
// local table cache, the sibling-screen registry and the operator's rights.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/direct_queries.h"
#include "host/screen_registry.h"
#include "remote/host_services.h"

namespace host {

// A module where the screen is not in a branch (27 and 43 are branch modules, 'Q' (81) the one
// without outdated-quotation marking).
inline constexpr char kDefaultModule = 'C';
// The product-code picture when the database does not define one: four levels.
inline constexpr const char* kDefaultProductPicture = "99.99.999.9999";

struct ShellSettings {
  std::string webUrl = "127.0.0.1";  // host of the application server
  int webPort = 0;
  std::string operatorCode;
  char module = kDefaultModule;
  std::string productPicture;  // empty: the database's, else kDefaultProductPicture
};

// Answers an authorisation question through the authorisation server's connection.
using Authorizer = std::function<bool(remote::TNetConnection& connection, int kind,
                                      const std::string& actionKey, const std::string& extra)>;

class Shell : public remote::HostShell {
 public:
  // `queries` and `screens` must outlive the shell. `authorizer` answers Autoriza; when empty,
  // Autoriza asks the authorisation server (see authorizeOnServer).
  Shell(ShellSettings settings, DirectQueries& queries, ScreenRegistry& screens,
        Authorizer authorizer = {});

  std::string WebURL() const override { return settings_.webUrl; }
  int WebPort() const override { return settings_.webPort; }
  std::string Operador() const override { return settings_.operatorCode; }
  // True in the branch modules (27 and 43).
  bool ModuFili() const override;
  // FILIAL.DTPROCESSO of the branch. Errors: std::runtime_error for an unknown branch or one
  // without a processing date, and for database failures.
  double DataProc(const std::string& branchCode) override;
  // The picture of type 0 (product tree); read from the database once. Errors:
  // std::invalid_argument for another picture type.
  std::string DBPict(int pictureType) const override;
  // Levels of the picture: its groups separated by '.'. Errors: as DBPict.
  int GetTtNiveis(int pictureType) const override;
  char ModuloAtiv() const override { return settings_.module; }
  // Copies each named table (one text, or an array of texts) into the local cache that the direct
  // queries read. Errors: std::runtime_error for an unknown table; std::invalid_argument when
  // `tableNames` is neither text nor an array of texts.
  void AtualizaLocalCache(const platform::Variant& tableNames) override;
  // Opens the sibling screen through the registry; "Tela <code> não disponível." when unknown.
  void LoadBPL(const std::string& screenCode, const platform::Variant& params) override;
  bool Autoriza(remote::TNetConnection& connection, int kind, const std::string& actionKey,
                const std::string& extra) override;

  const ShellSettings& settings() const { return settings_; }
  void setSettings(ShellSettings settings);

 private:
  ShellSettings settings_;
  DirectQueries& queries_;
  ScreenRegistry& screens_;
  Authorizer authorizer_;
  mutable std::optional<std::string> picture_;
};

// The product-code picture the database defines (PARAMGERAL), empty when it defines none.
// Errors: std::runtime_error for database failures other than the parameter being absent.
std::string databaseProductPicture(remote::QueryExecutor& queries);

// Number of levels of a picture such as "99.99.999.9999" (4). An empty picture has none.
int pictureLevels(const std::string& picture);

}  // namespace host
