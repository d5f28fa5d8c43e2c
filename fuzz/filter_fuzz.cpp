// Filter expressions against a small dataset: any exception other than FilterError is a bug, and
// so is a NOT that is not the exact complement (comparisons are two-valued: Null compares false).
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "platform/client_dataset.h"
#include "platform/filter.h"

namespace {

using namespace platform;

std::unique_ptr<ClientDataSet> makeDataSet() {
  auto ds = std::make_unique<ClientDataSet>("fuzz");
  DataPacket p;
  p.fields = {{"CDPRATO", FieldType::Text, 10},       {"TIPO", FieldType::FixedText, 1},
              {"QTDE", FieldType::Float, 0},          {"NR", FieldType::Integer, 0},
              {"DTCARDAPIO", FieldType::DateTime, 0}, {"IDATIVO", FieldType::Boolean, 0}};
  p.rows = {
      {Variant("0000000001"), Variant("P"), Variant(0.125), Variant(1), Variant::date(46088),
       Variant(true)},
      {Variant("0000000002"), Variant("L"), Variant(-3.5), Variant(-7), Variant::date(46089.5),
       Variant(false)},
      {Variant("d'agua"), Variant::null(), Variant::null(), Variant::null(), Variant::null(),
       Variant::null()},
      {Variant(""), Variant("S"), Variant(1e300), Variant(int64_t{1} << 40), Variant::date(-5),
       Variant(true)},
  };
  ds->setData(p);
  return ds;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::unique_ptr<ClientDataSet> ds = makeDataSet();
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    ds->setFilter(text);
  } catch (const FilterError&) {
    return 0;
  }
  ds->setFiltered(true);
  int walked = 0;
  for (ds->first(); !ds->eof(); ds->next())
    ++walked;
  if (walked != ds->recordCount()) std::abort();
  const int matching = ds->recordCount();
  ds->setFiltered(false);

  try {
    ds->setFilter("NOT (" + text + ")");
  } catch (const FilterError&) {
    return 0;  // e.g. one level too deep, or a text like "A = 1) OR (B = 2"
  }
  ds->setFiltered(true);
  const int complement = ds->recordCount();
  ds->setFiltered(false);
  // The wrapped text may read differently when the original closes a parenthesis early.
  bool balanced = true;
  int depth = 0;
  bool quoted = false, bracketed = false;
  for (char c : text) {
    if (c == '\'' && !bracketed) quoted = !quoted;
    if (quoted) continue;
    if (c == '[') bracketed = true;
    if (c == ']') bracketed = false;
    if (bracketed) continue;
    if (c == '(') ++depth;
    if (c == ')' && --depth < 0) balanced = false;
  }
  if (balanced && !FilterExpression::parse(text).empty() && matching + complement != 4) {
    std::abort();
  }
  return 0;
}
