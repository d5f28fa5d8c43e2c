// Vd_CdProduto: a typed product code must name a stock product of the catalogue (of the
// configured product group, when there is one), once per recipe; a new row takes its unit and
// costs from the server.
#include "platform/consiste.h"
#include "recipe/recipe.h"
#include "remote/host_services.h"
#include "screen/dataset_helpers.h"

namespace recipe {

using platform::DataSetState;
using platform::Variant;
using screen::fieldText;
using screen::isEditing;

namespace {

struct ProductSource {
  std::string code;
  std::string name;
  std::string unit;
};

}  // namespace

void Recipe::Vd_CdProduto() {
  if (!isEditing(cdsProduto)) return;
  const int help = screen_.form().helpContext();
  const auto fail = [&](const std::string& key) {
    Consiste::MensErro(msgPadrao.Msg(key), true, help);
  };
  try {
    std::string code = cdsProdutoCDARVPROD->asString();
    if (Consiste::EmptyString(code)) fail("prod_inf");
    remote::ValidEx(0, code, {remote::ValidExOption::Reformat}, "", true);
    // The code is stored as the picture writes it, whatever form it was typed in.
    if (code != cdsProdutoCDARVPROD->asString()) cdsProdutoCDARVPROD->setAsString(code);

    const std::string levels = treeLevels();
    const std::string group = fieldText(screen_.paramGeral(), "CDGRUPPROD");
    ProductSource source;
    if (Consiste::EmptyString(group)) {
      qryVdProduto.Close();
      qryVdProduto.ParamByName("P_CDARVPROD").setAsString(code);
      qryVdProduto.ParamByName("P_CDNVPRODUTO").setAsString(levels);
      qryVdProduto.Open();
      if (qryVdProduto.IsEmpty()) fail("prod_inv");
      source = {qryVdProduto.FieldByName("CDPRODUTO").asString(),
                qryVdProduto.FieldByName("NMPRODUTO").asString(),
                qryVdProduto.FieldByName("SGUNIDADE").asString()};
    } else {
      cdsVdProduto.setData(Consiste::CheckResultServ(
          screen_.costServer().call("getVdProduto", code, levels, group), true, 0));
      if (cdsVdProduto.isEmpty()) fail("prod_inv_grup_prod");
      cdsVdProduto.first();
      source = {cdsVdProduto.fieldByName("CDPRODUTO").asString(),
                cdsVdProduto.fieldByName("NMPRODUTO").asString(),
                cdsVdProduto.fieldByName("SGUNIDADE").asString()};
    }

    if (cdsProduto.state() == DataSetState::Insert) {
      // The snapshot was taken when the insert began: the dish's rows then, pending ones too.
      cdsProdutoAux.setFilter(cdsProduto.filter());
      cdsProdutoAux.setFiltered(true);
      if (cdsProdutoAux.locate("CDARVPROD", Variant(code))) fail("prod_ja_cad");

      const Variant check = screen_.costServer().call(
          "VerifProd", ctx.branchCode, ctx.serviceCode, levels, code, ctx.costMode,
          Variant::date(screen_.costDate()), Variant::date(Consiste::PriDiaMes(ctx.referenceDate)),
          Variant::date(screen_.selectedDay()), ctx.costBranch);
      if (!(check[0].isText() && check[0].toString().empty())) fail(check[0].toString());
      cdsProduto.fieldByName("SGUNIDRECE").setAsString(source.unit);
      cdsProduto.fieldByName("CUSTOPROD").setAsFloat(check[2].toDouble());
      cdsProduto.fieldByName("CUSTOPRODANT").setAsFloat(check[3].toDouble());
    }
    cdsProduto.fieldByName("CDPRODUTO").setAsString(source.code);
    cdsProduto.fieldByName("NMPRODUTO").setAsString(source.name);
    cdsProduto.fieldByName("SGUNIDPROD").setAsString(source.unit);
  } catch (...) {
    if (isEditing(cdsProduto)) {
      for (const char* field : {"NMPRODUTO", "QTDERECE", "CUSTOPROD", "SGUNIDRECE"})
        cdsProduto.fieldByName(field).clear();
    }
    focusProductCell("CDARVPROD");
    throw;
  }
}

}  // namespace recipe
