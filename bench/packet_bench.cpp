// The packet codec on a month's product list: 10,000 rows of 15 fields mixing text, float,
// integer and date values. Decoding sits on the "load a packet into a dataset" path.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "platform/data_packet.h"
#include "platform/json.h"

namespace {

using platform::DataPacket;
using platform::FieldType;
using platform::Variant;

DataPacket monthOfProducts(int rows) {
  static const char* const kNames[] = {
      "Feij\xC3\xA3o carioca tipo 1 pacote 1 kg",
      "Arroz agulhinha parboilizado",
      "Carne bovina ac\xC3\xA9m em cubos",
      "Frango coxa e sobrecoxa congelado",
      "Batata inglesa lavada",
      "A\xC3\xA7\xC3\xBA"
      "car cristal",
      "\xC3\x93leo de soja refinado 900 ml",
      "Alface crespa ma\xC3\xA7o",
  };
  static const char* const kUnits[] = {"KG", "UN", "LT", "PCT"};
  DataPacket p;
  p.fields = {{"CDPRODUTO", FieldType::Text, 10},     {"NMPRODUTO", FieldType::Text, 60},
              {"SGUNIDADE", FieldType::Text, 3},      {"CDPRATO", FieldType::Text, 10},
              {"DTCARDAPIO", FieldType::DateTime, 0}, {"QTDERECE", FieldType::Float, 0},
              {"VRUNITARIO", FieldType::Float, 0},    {"VRTOTAL", FieldType::Float, 0},
              {"NRORDEM", FieldType::Integer, 0},     {"QTCOMENS", FieldType::Integer, 0},
              {"IDSAFRA", FieldType::FixedText, 1},   {"CDGRUPPROD", FieldType::Text, 6},
              {"DTULTCOTA", FieldType::DateTime, 0},  {"VRCUSTOPERC", FieldType::Float, 0},
              {"NRCORSAFRA", FieldType::Integer, 0}};
  p.rows.reserve(static_cast<size_t>(rows));
  char code[16];
  for (int i = 0; i < rows; ++i) {
    const double quantity = 0.125 + (i % 97) * 0.01375;
    const double unitCost = 1.5 + (i % 389) * 0.07123;
    std::snprintf(code, sizeof code, "%08d", 10 * (i % 3000) + 10);
    std::string product = code;
    std::snprintf(code, sizeof code, "%06d", 500 + i % 400);
    std::string dish = code;
    std::snprintf(code, sizeof code, "%04d", i % 40);
    p.rows.push_back({Variant(product), Variant(kNames[i % 8]), Variant(kUnits[i % 4]),
                      Variant(dish), Variant::date(46082 + i % 31), Variant(quantity),
                      Variant(unitCost), Variant(quantity * unitCost), Variant(i % 25 + 1),
                      Variant(180 + i % 70), Variant(i % 5 == 0 ? "S" : "N"), Variant(code),
                      Variant::date(46000 + i % 60 + (i % 24) / 24.0), Variant((i % 1000) / 37.0),
                      i % 7 == 0 ? Variant::null() : Variant(i % 4)});
  }
  return p;
}

const std::string& packetJson() {
  static const std::string json = platform::encodePacket(monthOfProducts(10000));
  return json;
}

void BM_DecodePacket(benchmark::State& state) {
  const std::string& json = packetJson();
  for (auto _ : state) {
    DataPacket packet = platform::decodePacket(json);
    benchmark::DoNotOptimize(packet.rows.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * json.size()));
}
BENCHMARK(BM_DecodePacket)->Unit(benchmark::kMillisecond);

void BM_EncodePacket(benchmark::State& state) {
  const DataPacket packet = monthOfProducts(10000);
  for (auto _ : state) {
    std::string json = platform::encodePacket(packet);
    benchmark::DoNotOptimize(json.data());
  }
}
BENCHMARK(BM_EncodePacket)->Unit(benchmark::kMillisecond);

// The same text through the document model, for comparison with the direct decoder.
void BM_ParseDocument(benchmark::State& state) {
  const std::string& json = packetJson();
  for (auto _ : state) {
    platform::json::Value value = platform::json::parse(json);
    benchmark::DoNotOptimize(&value);
  }
}
BENCHMARK(BM_ParseDocument)->Unit(benchmark::kMillisecond);

}  // namespace
