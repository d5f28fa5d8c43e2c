// Confirming and cancelling recipe changes, the diners of a dish saved at once, and what a failed
// save leaves: the changes pending, the message shown, the costs' stale mark as it was.
#include "recipe_edit_fixture.h"
#include "remote/remote_error.h"

namespace screentest {
namespace {

using platform::DataSetState;
using platform::Variant;
using screen::TfrmAnaCustRevRec;
using namespace platform::ui;

const char* const kRecalcular = "Receita alterada com êxito. Custos devem ser recalculados.";

class RecipeSaveTest : public RecipeEditTest {
 public:
  // Types a per capita into the current product and stores the row with Ctrl+Enter; the
  // question that follows is answered `answer`.
  bool changePerCapita(TfrmAnaCustRevRec& f, Driver& d, const std::string& value, int answer) {
    host->dialogs.answer(answer);
    return typeInto(d, *f.recipe.dbgPrato, "QTDERECE", value) &&
           key(d, *f.recipe.dbgPrato, VK_RETURN, ssCtrl);
  }
  // Types the diners of the current dish and stores the row with Ctrl+Enter.
  bool changeDiners(TfrmAnaCustRevRec& f, Driver& d, const std::string& value) {
    return typeInto(d, *f.recipe.dbgCardapio, "COMENSPRATO", value) &&
           key(d, *f.recipe.dbgCardapio, VK_RETURN, ssCtrl);
  }
  double diners(TfrmAnaCustRevRec& f) {
    return f.recipe.cdsCardapio.fieldByName("COMENSPRATO").asFloat();
  }
  int count(const std::vector<std::string>& texts, const std::string& text) {
    return static_cast<int>(std::count(texts.begin(), texts.end(), text));
  }
};

TEST_F(RecipeSaveTest, ConfirmSendsTheDaysProductsWithTheChangeAndShowsTheServersRows) {
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    host->busy.clear();
    ASSERT_TRUE(changePerCapita(f, d, "0,15", platform::mrYes));
    ASSERT_EQ(server.log->count("GravaReceita"), 1);
    const std::vector<Variant>& args = server.log->last("GravaReceita");
    ASSERT_EQ(args.size(), 14u);
    const platform::DataPacket& all = args[0].packet();
    const platform::DataPacket& delta = args[1].packet();
    EXPECT_EQ(all.rows.size(), 3u);  // ARROZ's two products and FEIJAO's
    ASSERT_EQ(delta.changes.size(), 1u);
    EXPECT_EQ(delta.changes[0].kind, platform::ChangeKind::Modify);
    EXPECT_EQ(delta.value(static_cast<size_t>(delta.changes[0].row), "CDARVPROD"),
              Variant("01.01.001.0001"));
    EXPECT_EQ(delta.value(static_cast<size_t>(delta.changes[0].row), "QTDERECE"), Variant(0.15));
    EXPECT_EQ(std::vector<Variant>(args.begin() + 2, args.end()),
              (std::vector<Variant>{Variant("0001"), Variant("00001"), Variant::date(march(4)),
                                    Variant(6), Variant(false), Variant::date(march(4)),
                                    Variant("4"), Variant("P"), Variant("P"), Variant("1001"),
                                    Variant::date(march(1)), Variant("")}));
    // The server's rows, the dish filter applied again.
    EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 0);
    EXPECT_EQ(f.recipe.cdsProduto.filter(), "CDPRATO = '1001' AND CDFILAUXPRAT = 'P'");
    EXPECT_EQ(column(f.recipe.cdsProduto, "QTDERECE"),
              (std::vector<Variant>{Variant(0.15), Variant(0.02)}));
    EXPECT_TRUE(f.ctx.recipeChanged);
    EXPECT_TRUE(f.sbtCalcula->enabled());
    EXPECT_FALSE(f.sbtConfirma->enabled());
    EXPECT_TRUE(f.recipe.dbgCardapio->enabled());
    EXPECT_TRUE(f.tshAnaCusto->enabled());
    EXPECT_EQ(f.cost.lblVrTotPerc->fontColor(), Color::rgb(255, 0, 0));
    EXPECT_EQ(
        host->busy.events(),
        (std::vector<std::string>{"show 1 Gravando alterações na receita...", "hide", "hide"}));
  });
  EXPECT_EQ(dialogsShown(), (std::vector<std::string>{"Confirma operação?", kRecalcular}));
}

// Ctrl+Enter while the cell editor still holds the typing: the typing is what is stored and
// sent; Esc drops it with the row.
TEST_F(RecipeSaveTest, TypingStillInTheEditorIsStoredByTheConfirmAndDroppedByTheCancel) {
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    DBGrid& grid = *f.recipe.dbgPrato;
    ASSERT_TRUE(d.selectCell(grid, "QTDERECE"));
    ASSERT_TRUE(d.type(grid, "0,35"));
    ASSERT_TRUE(grid.editorMode());
    host->dialogs.answer(platform::mrYes);
    ASSERT_TRUE(key(d, grid, VK_RETURN, ssCtrl));
    EXPECT_EQ(server.log->last("GravaReceita")[1].packet().value(0, "QTDERECE"), Variant(0.35));
    EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("QTDERECE").asFloat(), 0.35);

    ASSERT_TRUE(d.type(grid, "0,5"));
    ASSERT_TRUE(key(d, grid, VK_ESCAPE, ssNone, nullptr, 27));
    EXPECT_FALSE(grid.editorMode());
    EXPECT_FALSE(f.recipe.hasPendingRecipeChanges());
    EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("QTDERECE").asFloat(), 0.35);
  });
  EXPECT_TRUE(errorsShown().empty());
}

TEST_F(RecipeSaveTest, AnsweringNoOrHavingNothingPendingSendsNothing) {
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    // The open row is stored before the question; No keeps it pending.
    ASSERT_TRUE(changePerCapita(f, d, "0,15", platform::mrNo));
    EXPECT_EQ(f.recipe.cdsProduto.state(), DataSetState::Browse);
    EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 1);
    EXPECT_TRUE(f.sbtConfirma->enabled());
    ASSERT_TRUE(d.dispatch([&] { f.recipe.discardPendingChanges(); }));

    // Nothing pending: the menu item still runs the action, which only redraws.
    const int repaints = f.repaintCount();
    f.recipe.mnuPost->setEnabled(true);
    ASSERT_TRUE(d.click(*f.recipe.mnuPost));
    EXPECT_GT(f.repaintCount(), repaints);
    EXPECT_FALSE(f.ctx.recipeChanged);
  });
  EXPECT_EQ(server.log->count("GravaReceita"), 0);
  EXPECT_EQ(dialogsShown(), std::vector<std::string>{"Confirma operação?"});
}

TEST_F(RecipeSaveTest, ARefusedSaveKeepsTheChangesWithTheCursorOnTheRefusedProduct) {
  saveRefusal = "Receita alterada por outro usuário.";
  saveRefusedCode = "01.01.001.0002";
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    EXPECT_FALSE(changePerCapita(f, d, "0,15", platform::mrYes));
    EXPECT_EQ(f.recipe.cdsProduto.fieldByName("CDARVPROD").asString(), "01.01.001.0002");
    EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 1);
    EXPECT_TRUE(f.sbtConfirma->enabled());
    EXPECT_FALSE(f.tshAnaCusto->enabled());
    EXPECT_FALSE(f.ctx.recipeChanged);
    EXPECT_FALSE(host->busy.visible());
    // Confirming again sends the same changes.
    const platform::DataPacket first = server.log->last("GravaReceita")[1].packet();
    saveRefusal.clear();
    host->dialogs.answer(platform::mrYes);
    ASSERT_TRUE(d.press(f.sbtConfirma));
    EXPECT_EQ(server.log->count("GravaReceita"), 2);
    EXPECT_EQ(server.log->last("GravaReceita")[1].packet(), first);
    EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 0);
    EXPECT_TRUE(f.ctx.recipeChanged);
  });
  EXPECT_EQ(errorsShown(), std::vector<std::string>{"Receita alterada por outro usuário."});
}

// The save as the screen calls it fails in each way a server can fail: the changes stay pending,
// the failure is shown, the animation hidden, and nothing claims the recipe was saved.
TEST_F(RecipeSaveTest, AFailingSaveKeepsTheChangesAndShowsWhy) {
  const struct {
    const char* name;
    std::function<Variant(const std::vector<Variant>&)> answer;
    const char* shown;
  } kCases[] = {
      {"catalogue key",
       [](const auto&) {
         return Variant::array({Variant("prod_inativo"), Variant("")});
       },
       "Produto não cadastrado para a filial ou inativo."},
      {"transport",
       [](const auto&) -> Variant {
         throw remote::RemoteError(remote::RemoteError::Kind::Transport, 0, "Conexão recusada");
       },
       "Conexão recusada"},
      {"not an array", [](const auto&) { return Variant(true); },
       "Resposta inesperada do servidor ao gravar a receita."},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    host->errors.clear();
    openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
      (*server.script)["GravaReceita"] = c.answer;
      ASSERT_TRUE(changePerCapita(f, d, "0,15", platform::mrYes) == false);
      EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 1);
      EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("QTDERECE").asFloat(), 0.15);
      EXPECT_TRUE(f.sbtConfirma->enabled());
      EXPECT_FALSE(f.ctx.recipeChanged);
      EXPECT_FALSE(f.sbtCalcula->enabled());
      EXPECT_FALSE(host->busy.visible());
      host->dialogs.answer(platform::mrYes);  // "cancela" when the screen closes
    });
    ASSERT_FALSE(errorsShown().empty());
    EXPECT_EQ(errorsShown()[0].substr(0, std::string(c.shown).size()), c.shown);
    EXPECT_EQ(count(dialogsShown(), kRecalcular), 0);
  }
}

TEST_F(RecipeSaveTest, CancelDropsTheOpenRowFirstThenAllPendingChangesWhenConfirmed) {
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    DBGrid& grid = *f.recipe.dbgPrato;
    ASSERT_TRUE(changePerCapita(f, d, "0,15", platform::mrNo));
    // Esc on a new row removes that row only.
    ASSERT_TRUE(key(d, grid, VK_INSERT));
    ASSERT_EQ(f.recipe.cdsProduto.state(), DataSetState::Insert);
    ASSERT_TRUE(key(d, grid, VK_ESCAPE, ssNone, nullptr, 27));
    EXPECT_EQ(f.recipe.cdsProduto.state(), DataSetState::Browse);
    EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 1);
    EXPECT_EQ(f.recipe.cdsProduto.recordCount(), 2);
    EXPECT_TRUE(f.sbtConfirma->enabled());  // the earlier change still waits
    // The cancel button asks; No keeps everything.
    host->dialogs.answer(platform::mrNo);
    ASSERT_TRUE(d.press(f.sbtCancela));
    EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 1);
    host->dialogs.answer(platform::mrYes);
    ASSERT_TRUE(d.press(f.sbtCancela));
    EXPECT_EQ(f.recipe.cdsProduto.changeCount(), 0);
    EXPECT_DOUBLE_EQ(f.recipe.cdsProduto.fieldByName("QTDERECE").asFloat(), 0.1);
    EXPECT_FALSE(f.sbtConfirma->enabled());
    EXPECT_TRUE(f.recipe.dbgCardapio->enabled());
  });
  EXPECT_EQ(dialogsShown(), (std::vector<std::string>{"Confirma operação?", "Cancela operação?",
                                                      "Cancela operação?"}));
  EXPECT_EQ(server.log->count("GravaReceita"), 0);
}

TEST_F(RecipeSaveTest, DinersEditStartsOnlyOnAnOpenDay) {
  enum Way { F3, Backspace, Menu, Typing };
  for (Way way : {F3, Backspace, Menu, Typing}) {
    for (int day : {4, 3}) {
      SCOPED_TRACE(std::to_string(way) + " on " + std::to_string(day));
      openOn(march(day), [&](TfrmAnaCustRevRec& f, Driver& d) {
        DBGrid& grid = *f.recipe.dbgCardapio;
        ASSERT_TRUE(d.focus(grid));
        switch (way) {
          case F3:
            key(d, grid, VK_F3);
            key(d, grid, VK_F3);  // already editing: the edit is not started again
            break;
          case Backspace:
            key(d, grid, VK_BACK, ssNone, nullptr, 8);
            break;
          case Menu:
            f.recipe.mnuComens->setEnabled(true);
            d.click(*f.recipe.mnuComens);
            break;
          case Typing:
            d.typeIntoCell(grid, "COMENSPRATO", "55");
            break;
        }
        EXPECT_EQ(f.recipe.cdsCardapio.state(),
                  day == 4 ? DataSetState::Edit : DataSetState::Browse);
        if (day == 4) {
          EXPECT_FALSE(f.recipe.dbgPrato->enabled());  // the products wait for the dish
          EXPECT_TRUE(f.sbtConfirma->enabled());
          if (way == Menu) {
            EXPECT_EQ(grid.selectedColumn()->fieldName(), "COMENSPRATO");
            EXPECT_TRUE(grid.focused());
          }
          if (way == Typing) {
            EXPECT_DOUBLE_EQ(diners(f), 55);
          }
          d.dispatch([&] { f.recipe.discardPendingChanges(); });
          EXPECT_TRUE(f.recipe.dbgPrato->enabled());
        }
      });
    }
  }
  EXPECT_TRUE(errorsShown().empty());
  EXPECT_EQ(server.log->count("AltComensais"), 0);
}

TEST_F(RecipeSaveTest, StoredDinersAreSavedAtOnceAndMarkTheCostsStale) {
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(changeDiners(f, d, "55,5"));
    EXPECT_EQ(server.log->count("AltComensais"), 1);
    EXPECT_EQ(server.log->last("AltComensais"),
              (std::vector<Variant>{Variant("0001"), Variant("00001"), Variant::date(march(4)),
                                    Variant("1001"), Variant("P"), Variant(55.5)}));
    EXPECT_EQ(f.recipe.cdsCardapio.changeCount(), 0);  // Escape can no longer undo it
    EXPECT_DOUBLE_EQ(diners(f), 55.5);
    EXPECT_TRUE(f.ctx.recipeChanged);
    EXPECT_TRUE(f.sbtCalcula->enabled());
    EXPECT_FALSE(f.sbtConfirma->enabled());
    EXPECT_TRUE(f.recipe.dbgPrato->enabled());
    EXPECT_EQ(f.cost.lblVrCustoMedio->fontColor(), Color::rgb(255, 0, 0));
    // Leaving the edited row stores it too.
    ASSERT_TRUE(typeInto(d, *f.recipe.dbgCardapio, "COMENSPRATO", "41"));
    ASSERT_TRUE(d.selectRow(*f.recipe.dbgCardapio, 1));
    EXPECT_EQ(server.log->count("AltComensais"), 2);
    EXPECT_EQ(server.log->last("AltComensais")[3], Variant("1001"));
    EXPECT_EQ(f.recipe.cdsCardapio.fieldByName("NMPRATO").asString(), "FEIJAO");
  });
  EXPECT_EQ(server.dishes[0].diners, 41);
  EXPECT_EQ(count(dialogsShown(), kRecalcular), 2);
  EXPECT_FALSE(host->busy.visible());
}

TEST_F(RecipeSaveTest, CancellingADinersEditFindsTheSameDishAgain) {
  openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(gotoDish(d, f, "FEIJAO"));
    ASSERT_TRUE(typeInto(d, *f.recipe.dbgCardapio, "COMENSPRATO", "12"));
    ASSERT_TRUE(d.press(f.sbtCancela));
    EXPECT_EQ(f.recipe.cdsCardapio.state(), DataSetState::Browse);
    EXPECT_EQ(f.recipe.cdsCardapio.fieldByName("NMPRATO").asString(), "FEIJAO");
    EXPECT_DOUBLE_EQ(diners(f), 40);
    EXPECT_EQ(f.recipe.cdsCardapio.filter(), "DTCARDAPIO = '04/03/2026'");
    EXPECT_FALSE(f.sbtConfirma->enabled());
  });
  EXPECT_EQ(server.log->count("AltComensais"), 0);
}

// A diners save that fails keeps the change pending and says why; the costs are not marked.
TEST_F(RecipeSaveTest, AFailingDinersSaveKeepsTheChange) {
  const struct {
    const char* name;
    std::function<Variant(const std::vector<Variant>&)> answer;
    const char* shown;
  } kCases[] = {
      {"refusal", [](const auto&) { return Variant("Dia fechado para alterações."); },
       "Dia fechado para alterações."},
      {"transport",
       [](const auto&) -> Variant {
         throw remote::RemoteError(remote::RemoteError::Kind::Transport, 0, "Tempo esgotado");
       },
       "Tempo esgotado"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    host->errors.clear();
    openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
      (*server.script)["AltComensais"] = c.answer;
      EXPECT_FALSE(changeDiners(f, d, "60"));
      EXPECT_EQ(f.recipe.cdsCardapio.changeCount(), 1);
      EXPECT_DOUBLE_EQ(diners(f), 60);
      EXPECT_FALSE(f.ctx.recipeChanged);
      EXPECT_TRUE(f.sbtConfirma->enabled());
      EXPECT_FALSE(host->busy.visible());
      host->dialogs.answer(platform::mrYes);  // "cancela" when the screen closes
    });
    EXPECT_EQ(errorsShown(), std::vector<std::string>{c.shown});
    EXPECT_EQ(count(dialogsShown(), kRecalcular), 0);
  }
}

// Every dish row whose diners wait is sent, not only the current one; only what the server took
// becomes saved.
TEST_F(RecipeSaveTest, EveryPendingDinersChangeIsSentAndOnlyTheAcceptedOnesAreMerged) {
  const struct {
    const char* refusedAtFirst;  // ARROZ's first save
    const char* refusedLater;    // when FEIJAO's diners are stored
    std::vector<double> serverDiners;
    int pendingAfter;
    std::vector<double> afterCancel;  // the dish rows once the log is undone
  } kCases[] = {
      {"1001", "", {60, 70}, 0, {60, 70}},
      {"1001", "2002", {60, 40}, 1, {60, 40}},
      {"1001", "1001", {40, 70}, 1, {40, 70}},  // FEIJAO is sent although ARROZ is refused
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.refusedAtFirst) + "/" + c.refusedLater);
    dinersRefusal.clear();
    dinersRefusal[c.refusedAtFirst] = "Recusado";
    server.dishes[0].diners = 40;
    server.dishes[1].diners = 40;
    openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
      EXPECT_FALSE(changeDiners(f, d, "60"));
      ASSERT_EQ(f.recipe.cdsCardapio.changeCount(), 1);
      dinersRefusal.clear();
      if (*c.refusedLater) dinersRefusal[c.refusedLater] = "Recusado";
      ASSERT_TRUE(gotoDish(d, f, "FEIJAO"));
      changeDiners(f, d, "70");
      EXPECT_EQ(f.recipe.cdsCardapio.changeCount(), c.pendingAfter);
      EXPECT_EQ(f.recipe.cdsCardapio.fieldByName("NMPRATO").asString(), "FEIJAO");
      // The product list still follows the dish.
      EXPECT_EQ(f.recipe.cdsProduto.filter(), "CDPRATO = '2002' AND CDFILAUXPRAT = '0001'");
      EXPECT_TRUE(f.recipe.cdsProduto.filtered());
      EXPECT_EQ(f.recipe.cdsProduto.recordCount(), 1);
      EXPECT_EQ(f.ctx.recipeChanged, c.pendingAfter == 0);
      ASSERT_TRUE(d.dispatch([&] { f.recipe.discardPendingChanges(); }));
      EXPECT_EQ(column(f.recipe.cdsCardapio, "COMENSPRATO"),
                (std::vector<Variant>{Variant(c.afterCancel[0]), Variant(c.afterCancel[1])}));
    });
    EXPECT_EQ(server.dishes[0].diners, c.serverDiners[0]);
    EXPECT_EQ(server.dishes[1].diners, c.serverDiners[1]);
  }
}

// recipeChanged says that saved changes wait for a recalculation: a confirm answered No, or a
// save that fails, must leave it as it was.
TEST_F(RecipeSaveTest, OnlyASaveSetsTheStaleMarkAndOnlyARecalculationClearsIt) {
  enum Outcome { No, Refused, Thrown, Saved };
  const struct {
    bool staleBefore;
    Outcome outcome;
    bool staleAfter;
  } kCases[] = {
      {true, No, true},        {true, Refused, true},  {true, Thrown, true}, {false, No, false},
      {false, Refused, false}, {false, Thrown, false}, {false, Saved, true}, {true, Saved, true},
  };
  const auto save = (*server.script)["GravaReceita"];
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::to_string(c.staleBefore) + " " + std::to_string(c.outcome));
    (*server.script)["GravaReceita"] = save;
    server.dishes[0].diners = 40;
    saveRefusal = c.outcome == Refused ? "Receita alterada por outro usuário." : "";
    saveRefusedCode = "01.01.001.0001";
    openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
      if (c.staleBefore) {
        ASSERT_TRUE(changeDiners(f, d, "45"));
      }
      ASSERT_EQ(f.ctx.recipeChanged, c.staleBefore);
      if (c.outcome == Thrown) {
        (*server.script)["GravaReceita"] = [](const auto&) -> Variant {
          throw remote::RemoteError(remote::RemoteError::Kind::Transport, 0, "Tempo esgotado");
        };
      }
      changePerCapita(f, d, "0,3", c.outcome == No ? platform::mrNo : platform::mrYes);
      EXPECT_EQ(f.ctx.recipeChanged, c.staleAfter);
      if (c.outcome != Saved) {
        host->dialogs.answer(platform::mrYes);
        ASSERT_TRUE(d.press(f.sbtCancela));
      }
      EXPECT_EQ(f.sbtCalcula->enabled(), c.staleAfter);
      if (c.staleAfter) {
        ASSERT_TRUE(d.press(f.sbtCalcula));
        EXPECT_FALSE(f.ctx.recipeChanged);
        EXPECT_FALSE(f.sbtCalcula->enabled());
      }
    });
  }
}

// Closing the screen never drops pending changes silently, whichever way it is closed.
TEST_F(RecipeSaveTest, ClosingWithPendingChangesAsksFirst) {
  enum Way { ExitButton, Escape, WindowClose };
  for (Way way : {ExitButton, Escape, WindowClose}) {
    for (bool dishes : {false, true}) {
      for (int answer : {platform::mrNo, platform::mrYes}) {
        SCOPED_TRACE(std::to_string(way) + (dishes ? " diners " : " products ") +
                     std::to_string(answer));
        const size_t asked = dialogsShown().size();
        bool stillOpen = false;
        int pending = 0;
        host->modal.closeAtEnd = false;
        openOn(march(4), [&](TfrmAnaCustRevRec& f, Driver& d) {
          if (dishes) {
            dinersRefusal["1001"] = "Recusado";
            changeDiners(f, d, "60");
            dinersRefusal.clear();
          } else {
            ASSERT_TRUE(changePerCapita(f, d, "0,15", platform::mrNo));
          }
          if (way == Escape) {
            // Esc on "Matéria Prima" cancels; on a page left open it closes the screen.
            ASSERT_TRUE(d.selectPage(f.tshProdCustZero));
          }
          host->dialogs.answer(answer);
          switch (way) {
            case ExitButton:
              d.press(f.sbtSair);
              break;
            case Escape:
              d.pressKey(*f.pgcPadrao, VK_ESCAPE, ssNone, 27);
              break;
            case WindowClose:
              d.dispatch([&] { f.close(); });
              break;
          }
          stillOpen = f.visible();
          pending = f.recipe.cdsProduto.changeCount() + f.recipe.cdsCardapio.changeCount();
          if (stillOpen) {
            host->dialogs.answer(platform::mrYes);
            d.dispatch([&] { f.close(); });
          }
        });
        host->modal.closeAtEnd = true;
        EXPECT_EQ(stillOpen, answer == platform::mrNo);
        EXPECT_EQ(pending, answer == platform::mrNo ? 1 : 0);
        ASSERT_GT(dialogsShown().size(), asked);
        // The products' change was stored after "Confirma operação?" answered No.
        ASSERT_GT(dialogsShown().size(), asked + (dishes ? 0 : 1));
        EXPECT_EQ(dialogsShown()[asked + (dishes ? 0 : 1)], "Cancela operação?");
        EXPECT_TRUE(host->modal.closed);
      }
    }
  }
  EXPECT_EQ(server.log->count("GravaReceita"), 0);
}

}  // namespace
}  // namespace screentest
