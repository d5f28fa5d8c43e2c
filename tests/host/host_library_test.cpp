// The host library's services without a UI: the product-code check (ValidEx), the rights
// question (Autoriza), and the headless search list and clipboard.
#include <gtest/gtest.h>

#include <sstream>

#include "host/console_services.h"
#include "platform/abort.h"
#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "remote/host_services.h"
#include "remote/net_connection.h"

namespace host {
namespace {

using platform::Variant;
using remote::ValidExOption;

class PictureShell : public remote::HostShell {
 public:
  std::string picture = "99.99.999.9999";
  bool answer = true;
  bool connectedWhenAsked = false;
  std::string WebURL() const override { return ""; }
  int WebPort() const override { return 0; }
  std::string Operador() const override { return "analista"; }
  bool ModuFili() const override { return false; }
  double DataProc(const std::string&) override { return 0; }
  std::string DBPict(int) const override { return picture; }
  int GetTtNiveis(int) const override { return 4; }
  char ModuloAtiv() const override { return 'C'; }
  void AtualizaLocalCache(const Variant&) override {}
  void LoadBPL(const std::string&, const Variant&) override {}
  bool Autoriza(remote::TNetConnection& connection, int, const std::string&,
                const std::string&) override {
    connectedWhenAsked = connection.Connected();
    return answer;
  }
};

// A connection that needs no server.
class OfflineConnection : public remote::TNetConnection {
 public:
  using TNetConnection::TNetConnection;
  int connects = 0;

 protected:
  void connect() override { ++connects; }
  void disconnect() noexcept override {}
};

class HostLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { console = std::make_unique<ConsoleHost>(shell, queries, out, false); }
  struct NoQueries : remote::QueryExecutor {
    remote::SqlDialect dialect() const override { return remote::SqlDialect::Default; }
    platform::DataPacket execute(const std::string&,
                                 const std::vector<std::pair<std::string, Variant>>&) override {
      return {};
    }
  } queries;
  PictureShell shell;
  std::ostringstream out;
  std::unique_ptr<ConsoleHost> console;
};

TEST_F(HostLibraryTest, ValidExGivesTheCodeInThePicturesFormOrRefusesIt) {
  const struct {
    const char* typed;
    remote::ValidExOptions options;
    bool abort;
    bool valid;
    const char* left;     // the code after the call
    const char* message;  // shown; "" none
  } kCases[] = {
      {"01020030004", {ValidExOption::Reformat}, true, true, "01.02.003.0004", ""},
      {"01020030004", {}, true, true, "01020030004", ""},  // checked only
      {" 01.02.003.0004 ", {ValidExOption::Reformat}, true, true, "01.02.003.0004", ""},
      {"0102003004", {ValidExOption::Reformat}, false, false, "0102003004", ""},
      {"0102003004",
       {ValidExOption::Reformat},
       true,
       false,
       "0102003004",
       "Código \"0102003004\" não corresponde à máscara de produto 99.99.999.9999."},
      {"",
       {ValidExOption::Reformat},
       true,
       false,
       "",
       "Código \"\" não corresponde à máscara de produto 99.99.999.9999."},
      {"  ", {ValidExOption::AllowEmpty, ValidExOption::Reformat}, true, true, "  ", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.typed);
    const size_t shown = console->errors.texts().size();
    std::string code = c.typed;
    bool valid = false;
    bool aborted = false;
    try {
      valid = remote::ValidEx(0, code, c.options, "", c.abort);
    } catch (const platform::Abort&) {
      aborted = true;
    }
    EXPECT_EQ(valid, c.valid);
    EXPECT_EQ(aborted, !c.valid && c.abort);
    EXPECT_EQ(code, c.left);
    if (*c.message) {
      ASSERT_EQ(console->errors.texts().size(), shown + 1);
      EXPECT_EQ(console->errors.texts().back(), c.message);
    } else {
      EXPECT_EQ(console->errors.texts().size(), shown);
    }
  }
  // The label names the value; the picture is the shell's.
  shell.picture = "AA-99";
  std::string code = "A1-22";
  EXPECT_THROW(remote::ValidEx(0, code, {}, "Produto", true), platform::Abort);
  EXPECT_EQ(console->errors.texts().back(),
            "Produto \"A1-22\" não corresponde à máscara de produto AA-99.");
}

TEST_F(HostLibraryTest, AutorizaConnectsFirstAndGivesTheShellsAnswer) {
  OfflineConnection connection("Inv.rdmAutoriza");
  for (bool answer : {true, false}) {
    shell.answer = answer;
    EXPECT_EQ(remote::Autoriza(connection, 4, "INCLUSAO_PRODUTO_RECEITA_PADRAO", ""), answer);
    EXPECT_TRUE(shell.connectedWhenAsked);
  }
  EXPECT_EQ(connection.connects, 1);  // connected once, on first use
}

TEST_F(HostLibraryTest, TheHeadlessSearchChoosesNothingAndTheClipboardKeepsItsText) {
  platform::ClientDataSet list;
  list.addField("CDARVPROD", platform::FieldType::Text, 20);
  list.createDataSet();
  for (const char* code : {"01.01.001.0001", "01.01.001.0002"}) {
    list.append();
    list.fieldByName("CDARVPROD").setAsString(code);
    list.post();
  }
  list.first();
  platform::DataSource source(&list);
  EXPECT_EQ(&remote::searchList(), &console->search);
  EXPECT_FALSE(
      remote::searchList().Pesquisar(source, "Produto|Não há produto cadastrado.", false, true));
  EXPECT_EQ(list.recNo(), 1);
  EXPECT_EQ(console->search.searches(), 1);

  std::ostringstream log;
  ConsoleSearchList verbose(&log);
  EXPECT_FALSE(verbose.Pesquisar(source, "Produto|Não há produto cadastrado.", false, true));
  EXPECT_EQ(log.str(), "Pesquisa: Produto (2 linhas)\n");

  EXPECT_EQ(remote::clipboard().text(), "");
  remote::clipboard().setText("01.02.003.0004");
  EXPECT_EQ(console->clipboard.text(), "01.02.003.0004");
}

}  // namespace
}  // namespace host
