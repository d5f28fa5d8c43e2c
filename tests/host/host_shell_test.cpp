#include "host/host_shell.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/temp_database.h"
#include "platform/date.h"

namespace host {
namespace {

using platform::Variant;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

class ShellTest : public ::testing::Test {
 protected:
  ShellTest() { createSuiteTables(db); }
  Shell& shell(ShellSettings settings = {}) {
    queries = openDirectQueries(db.path());
    instance = std::make_unique<Shell>(std::move(settings), *queries, screens);
    return *instance;
  }

  testing::TempDatabase db;
  ScreenRegistry screens;
  std::unique_ptr<DirectQueries> queries;
  std::unique_ptr<Shell> instance;
};

TEST_F(ShellTest, SettingsAnswerAsGiven) {
  Shell& s = shell({"srv.local", 8400, "ANA", 'Q', ""});
  EXPECT_EQ(s.WebURL(), "srv.local");
  EXPECT_EQ(s.WebPort(), 8400);
  EXPECT_EQ(s.Operador(), "ANA");
  EXPECT_EQ(s.ModuloAtiv(), 'Q');
}

TEST_F(ShellTest, BranchModulesAre27And43) {
  struct Case {
    char module;
    bool branch;
  } cases[] = {{27, true}, {43, true}, {'Q', false}, {kDefaultModule, false}, {26, false}};
  for (const Case& c : cases) {
    ShellSettings settings;
    settings.module = c.module;
    EXPECT_EQ(shell(settings).ModuFili(), c.branch) << int(c.module);
  }
  EXPECT_NE(kDefaultModule, 27);
  EXPECT_NE(kDefaultModule, 43);
  EXPECT_NE(kDefaultModule, 'Q');
}

TEST_F(ShellTest, ProcessingDateComesFromTheBranch) {
  Shell& s = shell();
  EXPECT_EQ(s.DataProc("0001"), 46090);
  EXPECT_EQ(s.DataProc("0002"), 46085);
  // The database is read at every call, not once.
  db.exec("UPDATE FILIAL SET DTPROCESSO = 46100 WHERE CDFILIAL = '0001'");
  EXPECT_EQ(s.DataProc("0001"), 46100);
  EXPECT_THAT([&] { s.DataProc("0009"); },
              ThrowsMessage<std::runtime_error>(HasSubstr("Filial 0009 não cadastrada")));
  EXPECT_THAT([&] { s.DataProc("0003"); },
              ThrowsMessage<std::runtime_error>(HasSubstr("sem data de processamento")));
}

TEST_F(ShellTest, ProductPictureFromSettingsDatabaseOrDefault) {
  EXPECT_EQ(shell().DBPict(0), kDefaultProductPicture);
  EXPECT_EQ(shell().GetTtNiveis(0), 4);

  ShellSettings settings;
  settings.productPicture = "99.999";
  EXPECT_EQ(shell(settings).DBPict(0), "99.999");
  EXPECT_EQ(shell(settings).GetTtNiveis(0), 2);

  db.exec(
      "ALTER TABLE PARAMGERAL ADD COLUMN DSMASCARVPROD VARCHAR(30);"
      "UPDATE PARAMGERAL SET DSMASCARVPROD = ' 9.99.999.9999.99 '");
  EXPECT_EQ(shell().DBPict(0), "9.99.999.9999.99");
  EXPECT_EQ(shell().GetTtNiveis(0), 5);
  db.exec("UPDATE PARAMGERAL SET DSMASCARVPROD = '  '");
  EXPECT_EQ(shell().DBPict(0), kDefaultProductPicture);

  EXPECT_THROW(shell().DBPict(1), std::invalid_argument);
  EXPECT_THROW(shell().GetTtNiveis(2), std::invalid_argument);
}

TEST(PictureLevels, CountsTheGroups) {
  struct Case {
    const char* picture;
    int levels;
  } cases[] = {{"", 0}, {"9999", 1}, {"99.99", 2}, {"99.99.999.9999", 4}};
  for (const Case& c : cases)
    EXPECT_EQ(pictureLevels(c.picture), c.levels) << c.picture;
}

TEST_F(ShellTest, LocalCacheTakesOneNameOrAnArrayOfNames) {
  Shell& s = shell();
  s.AtualizaLocalCache(Variant::array({Variant("SINASAFRA")}));
  EXPECT_TRUE(queries->isCached("SINASAFRA"));
  s.AtualizaLocalCache(Variant("FERIFILI"));
  EXPECT_TRUE(queries->isCached("FERIFILI"));
  s.AtualizaLocalCache(Variant::array({}));

  struct Case {
    Variant names;
    const char* message;
  } cases[] = {
      {Variant::array({Variant("SINASAFRA"), Variant("NAOEXISTE")}), "NAOEXISTE"},
      {Variant::array({Variant("FILIAL"), Variant(3)}), "table names"},
      {Variant(7), "table names"},
      {Variant::null(), "table names"},
  };
  for (const Case& c : cases) {
    try {
      s.AtualizaLocalCache(c.names);
      ADD_FAILURE() << c.names.debugString();
    } catch (const std::exception& e) {
      EXPECT_THAT(e.what(), HasSubstr(c.message));
    }
  }
  // A bad entry is found before anything is copied.
  EXPECT_FALSE(queries->isCached("FILIAL"));
}

TEST_F(ShellTest, SiblingScreensOpenThroughTheRegistry) {
  Variant received;
  screens.registerScreen("RCX00511", [&](const Variant& params) { received = params; });
  Shell& s = shell();
  s.LoadBPL("RCX00511", Variant::array({Variant("0001"), Variant::date(46082)}));
  EXPECT_EQ(received, Variant::array({Variant("0001"), Variant::date(46082)}));
  EXPECT_THAT([&] { s.LoadBPL("RCX00514", Variant::null()); },
              ThrowsMessage<std::runtime_error>(::testing::StrEq("Tela RCX00514 não disponível.")));
}

}  // namespace
}  // namespace host
