// The context line: its text for each kind of context, and the screen showing it in the status
// line and the window title, with the header's notices.
#include "platform/date.h"
#include "screen/context_text.h"
#include "screen/message_catalogue.h"
#include "screen_fixture.h"

namespace screentest {
namespace {

using screen::AnalysisContext;
using screen::ContextNames;
using screen::TfrmAnaCustRevRec;

platform::TMessages catalogue() {
  platform::TMessages messages;
  for (const screen::CatalogueEntry& entry : screen::messageCatalogue())
    messages.add(std::string(entry.key), std::string(entry.text));
  return messages;
}

TEST(ContextTextTest, NamesEachPartOfTheContext) {
  const ContextNames all{"RESTAURANTE 0001", "ALMOCO", "MEDIA DAS COTACOES", "analista",
                         "ANALISTA DE CUSTOS"};
  const struct {
    const char* name;
    std::string costBranch;
    int costMode;
    bool fixed;
    ContextNames names;
    std::string expected;
  } cases[] = {
      {"menu date", "", 44, false, all,
       "Filial 0001 - RESTAURANTE 0001 | Serviço 00001 - ALMOCO | Março de 2026 | Custo 44 - "
       "MEDIA DAS COTACOES | (Custo) Data do Cardápio | Operador analista - ANALISTA DE CUSTOS"},
      {"fixed date",
       "",
       6,
       true,
       {"RESTAURANTE 0001", "ALMOCO", "MENOR COTACAO", "analista", ""},
       "Filial 0001 - RESTAURANTE 0001 | Serviço 00001 - ALMOCO | Março de 2026 | Custo 6 - "
       "MENOR COTACAO | (Custo) Referência: 10/03/2026 | Operador analista"},
      {"other cost branch",
       "0002",
       10,
       false,
       {"RESTAURANTE 0001", "  ALMOCO  ", "CUSTO MEDIO", "filial", "OPERADOR DE FILIAL"},
       "Filial 0001 - RESTAURANTE 0001 | Serviço 00001 - ALMOCO | Março de 2026 | Custo 10 - "
       "CUSTO MEDIO | (Custo) Data do Cardápio | Custos da filial 0002 | Operador filial - "
       "OPERADOR DE FILIAL"},
      {"own branch as cost branch",
       "0001",
       30,
       false,
       {"", "", "", "analista", ""},
       "Filial 0001 | Serviço 00001 | Março de 2026 | Custo 30 | (Custo) Data do Cardápio | "
       "Operador analista"},
      {"unnamed mode",
       "",
       7,
       false,
       {"", "", "", "", ""},
       "Filial 0001 | Serviço 00001 | Março de 2026 | Custo 7 | (Custo) Data do Cardápio"},
  };
  const platform::TMessages messages = catalogue();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    AnalysisContext ctx;
    ctx.branchCode = "0001";
    ctx.serviceCode = "00001";
    ctx.costBranch = c.costBranch;
    ctx.costMode = c.costMode;
    ctx.referenceDate = march(15);
    ctx.useFixedCostDate = c.fixed;
    ctx.fixedCostDate = march(10);
    EXPECT_EQ(screen::contextText(ctx, c.names, messages), c.expected);
  }
}

TEST(ContextTextTest, NamesEveryMonth) {
  const char* months[] = {"Janeiro", "Fevereiro", "Março",    "Abril",   "Maio",     "Junho",
                          "Julho",   "Agosto",    "Setembro", "Outubro", "Novembro", "Dezembro"};
  const platform::TMessages messages = catalogue();
  for (int m = 1; m <= 12; ++m) {
    AnalysisContext ctx;
    ctx.referenceDate = platform::encodeDate(2025, m, 28);
    EXPECT_EQ(screen::contextText(ctx, {}, messages),
              std::string(months[m - 1]) + " de 2025 | (Custo) Data do Cardápio");
  }
}

TEST_F(ScreenTest, TheContextLineShowsInTheStatusLineAndTheTitle) {
  shell.operatorCode = "analista";
  queries.branchName = "RESTAURANTE CENTRO";
  queries.costModeName = "MEDIA DAS COTACOES";
  queries.operatorName = "ANALISTA DE CUSTOS";
  open(
      [](TfrmAnaCustRevRec& f, Driver&) {
        const std::string line =
            "Filial 0001 - RESTAURANTE CENTRO | Serviço 00001 - ALMOCO | Março de 2026 | Custo 44 "
            "- "
            "MEDIA DAS COTACOES | (Custo) Data do Cardápio | Operador analista - ANALISTA DE "
            "CUSTOS";
        EXPECT_EQ(f.panContexto->caption(), line);
        EXPECT_TRUE(f.panContexto->showing());
        EXPECT_EQ(f.contextText(), line);
        EXPECT_EQ(f.windowTitle(), "Análise de Custos - ALMOCO | " + line);
      },
      44);
}

TEST_F(ScreenTest, AFailedNameLookupShowsTheCodesAlone) {
  shell.operatorCode = "analista";
  queries.failing = {"FROM FILIAL", "FROM TIPOCUSTO", "FROM OPERADOR"};
  const auto errors = open([](TfrmAnaCustRevRec& f, Driver&) {
    EXPECT_EQ(f.panContexto->caption(),
              "Filial 0001 | Serviço 00001 - ALMOCO | Março de 2026 | Custo 6 | (Custo) Data do "
              "Cardápio | Operador analista");
  });
  EXPECT_TRUE(errors.empty());
}

TEST_F(ScreenTest, TheHeaderShowsOnlyWhatTheContextHas) {
  const struct {
    const char* name;
    std::string costBranch;
    bool emptyMonth;
    bool branchShown;
    bool noticeShown;
  } cases[] = {
      {"own costs, a month with menus", "", false, false, false},
      {"another branch's costs", "0002", false, true, false},
      {"a month without menus", "", true, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.emptyMonth) {
      for (DayRow& day : server.days)
        day = {day.day, 0, day.consumption, day.indirect, 0, 0};
    }
    const auto errors = open(
        [&](TfrmAnaCustRevRec& f, Driver&) {
          EXPECT_EQ(f.panFiliCusto->visible(), c.branchShown);
          EXPECT_EQ(f.lblSemCardapio->visible(), c.noticeShown);
          EXPECT_EQ(f.lblSemCardapio->caption(), "Não há cardápio para este mês.");
          // Shown notices follow one another from the left without overlapping.
          int right = 0;
          for (platform::ui::Control* shown :
               {static_cast<platform::ui::Control*>(f.panFiliCusto),
                static_cast<platform::ui::Control*>(f.lblDtRefeCust),
                static_cast<platform::ui::Control*>(f.lblSemCardapio)}) {
            if (!shown->visible()) continue;
            EXPECT_GT(shown->left(), right) << shown->name();
            right = shown->left() + shown->width();
          }
        },
        6, c.costBranch);
    EXPECT_TRUE(errors.empty());
  }
}

}  // namespace
}  // namespace screentest
