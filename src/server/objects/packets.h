// The data packets the remote objects answer with: one empty packet per client dataset, carrying
// the dataset's data fields in its order, types and sizes (calculated fields are never sent).
#pragma once

#include <string>

#include "platform/data_packet.h"
#include "platform/variant.h"

namespace server::objects::packets {

platform::DataPacket paramFilial();    // cdsParamFilial
platform::DataPacket paramPlaneja();   // cdsParamPlaneja
platform::DataPacket custoPadrao();    // cdsCustoPadrao
platform::DataPacket paramGeral();     // cdsParamGeral
platform::DataPacket trabCusto();      // cdsTrabCusto
platform::DataPacket preCotDesatu();   // cdsPreCotDesatu
platform::DataPacket cardapio();       // cdsCardapio
platform::DataPacket produto();        // cdsProduto
platform::DataPacket consumo();        // cdsConsumo
platform::DataPacket consServ();       // cdsConsServ
platform::DataPacket comens();         // cdsComens
platform::DataPacket realizado();      // cdsRealizado
platform::DataPacket itemReti();       // cdsItemReti
platform::DataPacket prodCustZero();   // cdsProdCustZero
platform::DataPacket prodCotDesatu();  // cdsProdCotDesatu
platform::DataPacket origemCusto();    // cdsOrigemCusto
platform::DataPacket pesqProd();       // cdsPesqProd
platform::DataPacket vdProduto();      // cdsVdProduto
platform::DataPacket pesqProdOpc();    // cdsPesqProdOpc
// GetCustoModos: CDARVPROD, NMPRODUTO, VRCUSTO6, VRCUSTO44, VRCUSTO48, VRCUSTO10, VRCUSTO30,
// VRCUSTO7.
platform::DataPacket custoModos();
// GetPesoExcecao: CDPRODUTO, CDARVPROD, NMPRODUTO, QTPLANMES, VRCUSTOMES, PCPESO, IDPESOESTIM.
platform::DataPacket pesoExcecao();

// Values of the packet's field types.
inline platform::Variant text(std::string value) {
  return platform::Variant(std::move(value));
}
inline platform::Variant num(double value) {
  return platform::Variant(value);
}
inline platform::Variant day(double value) {
  return platform::Variant::date(value);
}
inline platform::Variant flag(bool set) {
  return platform::Variant(set ? "S" : "N");
}

}  // namespace server::objects::packets
