#include "server/objects/packets.h"

#include <initializer_list>

namespace server::objects::packets {
namespace {

using platform::DataPacket;
using platform::FieldType;
using platform::PacketField;

DataPacket make(std::initializer_list<PacketField> fields) {
  DataPacket p;
  p.fields.assign(fields.begin(), fields.end());
  return p;
}

PacketField t(const char* name, int size) {
  return {name, FieldType::Text, size};
}
PacketField fixed(const char* name, int size) {
  return {name, FieldType::FixedText, size};
}
PacketField f(const char* name) {
  return {name, FieldType::Float, 0};
}
PacketField d(const char* name) {
  return {name, FieldType::DateTime, 0};
}

}  // namespace

DataPacket paramFilial() {
  return make({t("IDCOMCUSPERC", 1)});
}

DataPacket paramPlaneja() {
  return make({t("IDUTILFATCOR", 1), t("IDUTILFATCOC", 1), t("IDTIPCALCFAT", 1),
               t("IDQTLIQUBRUT", 1), f("NRCORSAFRA"), f("NRCORINICSAF"), f("NRCORENTRSAF"),
               t("IDBLOALTRELO", 1)});
}

DataPacket custoPadrao() {
  return make({f("VRCUSTPADR")});
}

DataPacket paramGeral() {
  return make({f("QTDIABLOQCAR"), t("IDUTCARDPADR", 1), t("CDGRUPPROD", 10)});
}

DataPacket trabCusto() {
  return make({d("DTDATA"), f("VRCUSTPRODMAT"), f("VRCUSTOCONS"), f("VRCUSTORAT"),
               f("QTCOMESTICAR"), f("QTCLIESTICAR"), f("VRCUSTOACU"), f("VRCUSTOCONSACU"),
               f("VRCUSTMATACU"), f("VRCUSTOMEDIO"), f("QTCOMESACU")});
}

DataPacket preCotDesatu() {
  return make({d("DTDATA")});
}

DataPacket cardapio() {
  return make({t("NMPRATO", 40), f("COMENSPRATO"), t("CDFILIAL", 4), t("CDPRATO", 10),
               t("CDFILAUXPRAT", 4), t("CDSERVFILI", 5), d("DTCARDAPIO"), t("CDDIETPAD", 4),
               f("QTCOMESTICAR"), f("QTCLIESTICAR"), f("CONT"), f("VRPECONSCARD")});
}

DataPacket produto() {
  return make({t("CDARVPROD", 20), t("NMPRODUTO", 50), t("CDPRODUTO", 10), t("CDPRATO", 10),
               t("CDFILAUXPRAT", 4), t("IDINTESAFR", 12), f("QTDERECE"), t("SGUNIDRECE", 10),
               f("QTDEBRUTA"), t("SGUNIDPROD", 10), d("DTCARDAPIO"), f("CUSTOPRODANT"),
               f("CUSTOPROD"), fixed("TIPO", 1), t("IDCUSTODESATU", 4000)});
}

DataPacket consumo() {
  return make({fixed("TPCONS", 1), t("CDTPRCONSFIX", 2), t("NMTIPOPRAT", 15), f("VRCUSTPADRTP")});
}

DataPacket consServ() {
  return make({fixed("IDCONSUMO", 1), t("NMPRODUTO", 50), t("SGUNIDADE", 10), f("QTCONSSERV"),
               f("CustoUnit"), t("CDPRODUTO", 10), t("IDCUSTODESATU", 4000)});
}

DataPacket comens() {
  return make({f("QTCOMESTICAR")});
}

DataPacket realizado() {
  return make({d("DTCARDAPIO"), f("QTCOMEFETCAR"), f("QTRETIRADA"), f("CUSTO"), f("CUSTOACUM"),
               f("QTCOMENSACU"), f("VRCUSTOMEDIO")});
}

DataPacket itemReti() {
  return make({t("NMPRODUTO", 50), t("SGUNIDADE", 10), f("CustoUnit"), f("QTRETIRADA"),
               f("QTCOMEFETCAR"), f("QTCLIEFETCAR"), t("CDPRODUTO", 10), d("DTCARDAPIO")});
}

DataPacket prodCustZero() {
  return make({t("CDARVPROD", 20), t("CDPRODUTO", 10), t("NMPRODUTO", 50), d("DTCARDAPIO"),
               f("CUSTOPROD"), f("QTDEBRUTA")});
}

DataPacket prodCotDesatu() {
  return make({d("DTCONSPLAN"), t("CDPRODUTO", 10), t("CDARVPROD", 20), t("NMPRODUTO", 50),
               f("QTCONSPLAN"), f("CUSTOPROD"), d("DTCUSTOSUP"), d("DTFINCUSTSUP")});
}

DataPacket origemCusto() {
  return make({t("CDFORNECED", 21), t("IDTPIJURFORN", 1), t("NRINSJURFORN", 20),
               t("NMRAZSOCFORN", 40), t("CDPRODUTO", 10), t("CDARVPROD", 20), t("NMPRODUTO", 50),
               d("DTINIVALITM"), d("DTFINVALITM"), t("NMMARCA", 20), t("IDORIGEM", 1),
               f("VRUNITARIO"), f("VRCUSTO"), d("DTCUSTO")});
}

DataPacket pesqProd() {
  return make({t("CDARVPROD", 20), t("CDPRODUTO", 10), t("NMPRODUTO", 50), t("SGUNIDADE", 10),
               t("DSCOMPLNOME", 30), f("VRPEFATOCORR"), t("CDPRODESTO", 10)});
}

DataPacket vdProduto() {
  return make({t("CDARVPROD", 20), t("CDPRODUTO", 10), t("NMPRODUTO", 50), t("SGUNIDADE", 10)});
}

DataPacket pesqProdOpc() {
  return make({t("CDARVPROD", 20), t("NMPRODUTO", 50), t("SGUNIDADE", 10), t("CDPRODUTO", 10),
               t("CDPRODESTO", 10), f("VRPEFATOCORR")});
}

DataPacket custoModos() {
  return make({t("CDARVPROD", 20), t("NMPRODUTO", 50), f("VRCUSTO6"), f("VRCUSTO44"),
               f("VRCUSTO48"), f("VRCUSTO10"), f("VRCUSTO30"), f("VRCUSTO7")});
}

DataPacket pesoExcecao() {
  return make({t("CDPRODUTO", 10), t("CDARVPROD", 20), t("NMPRODUTO", 50), f("QTPLANMES"),
               f("VRCUSTOMES"), f("PCPESO"), t("IDPESOESTIM", 1)});
}

}  // namespace server::objects::packets
