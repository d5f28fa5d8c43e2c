// Grids over small datasets, set up the way the screen sets up its own: fields with labels and
// display formats, columns in their own order, some hidden, rows filtered.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/form.h"

namespace exporting::testing {

struct FieldSpec {
  const char* name;
  platform::FieldType type;
  const char* label;
  const char* format;
};

struct GridCase {
  const char* name;
  std::vector<FieldSpec> fields;
  std::vector<std::vector<platform::Variant>> rows;  // one value per field, Null allowed
  std::vector<const char*> hidden;                   // columns left in the grid but not visible
  const char* filter = "";                           // the dataset's filter, when any
};

class GridOver {
 public:
  explicit GridOver(const GridCase& c) : source_(&data_) {
    for (const FieldSpec& f : c.fields) {
      platform::Field& field =
          data_.addField(f.name, f.type, f.type == platform::FieldType::Text ? 60 : 0);
      if (*f.label) field.setDisplayLabel(f.label);
      field.setDisplayFormat(f.format);
    }
    data_.createDataSet();
    for (const auto& row : c.rows) {
      data_.append();
      for (size_t i = 0; i < row.size(); ++i)
        data_.fields()[i]->setValue(row[i]);
      data_.post();
    }
    if (*c.filter) {
      data_.setFilter(c.filter);
      data_.setFiltered(true);
    }
    data_.first();
    grid_ = &form_.create<platform::ui::DBGrid>("dbgTeste");
    grid_->setDataSource(&source_);
    // Columns in reverse field order: the grid's order, not the dataset's, counts.
    for (auto it = c.fields.rbegin(); it != c.fields.rend(); ++it)
      grid_->addColumn(it->name);
    for (const char* name : c.hidden)
      grid_->column(grid_->columnIndexOf(name)).setVisible(false);
  }

  platform::ClientDataSet& data() { return data_; }
  platform::ui::DBGrid& grid() { return *grid_; }

 private:
  platform::ui::Form form_{"frmTeste"};
  platform::ClientDataSet data_{"cdsTeste"};
  platform::DataSource source_;
  platform::ui::DBGrid* grid_ = nullptr;
};

inline std::vector<GridCase> gridCases() {
  using platform::FieldType;
  using platform::Variant;
  return {
      {"daily costs",
       {{"DTDATA", FieldType::DateTime, "Data", ""},
        {"QTCOMENSAIS", FieldType::Float, "Comensais Estimados", "#,##0"},
        {"VRCUSTOTOTAL", FieldType::Float, "Custo Total", "#,##0.00000"},
        {"VRPERC", FieldType::Float, "Safra (%)", "#,##0.00 %"}},
       {{Variant::date(46082), Variant(1234.0), Variant(5678.125), Variant(60.0)},
        {Variant::date(46083), Variant(0.0), Variant(-0.5), Variant(12.345)},
        {Variant::date(46084), Variant(nullptr), Variant(1234567.891234), Variant(nullptr)}},
       {},
       ""},
      {"texts that need quoting and accents",
       {{"CDPRODUTO", FieldType::Text, "Código", ""},
        {"NMPRODUTO", FieldType::Text, "Produto; nome", ""},
        {"QTDE", FieldType::Integer, "Qtde", ""}},
       {{Variant("001"), Variant("Feijão \"carioca\"; tipo 1"), Variant(int64_t{3})},
        {Variant("002"), Variant("Açúcar\nrefinado"), Variant(int64_t{-7})},
        {Variant("003"), Variant(""), Variant(nullptr)}},
       {},
       ""},
      {"hidden columns and filtered rows",
       {{"DTCARDAPIO", FieldType::DateTime, "Dia", "dd/mm/yyyy ddd"},
        {"IDREAL", FieldType::Text, "", ""},
        {"CUSTO", FieldType::Float, "Custo", "###,##0.00"}},
       {{Variant::date(46100), Variant("S"), Variant(10.005)},
        {Variant::date(46101), Variant("N"), Variant(20.0)},
        {Variant::date(46102), Variant("S"), Variant(30.5)}},
       {"IDREAL"},
       "IDREAL = 'S'"},
  };
}

}  // namespace exporting::testing
