// TADOIBQuery: a read-only direct query on the host's database connection.
//
// The query carries one statement text per database dialect; Open() runs the text of the
// dialect the host's QueryExecutor reports (an empty dialect text falls back to SQL). Parameters
// are written `:P_NAME` in the text; one name may occur several times and is set once:
//
//   TADOIBQuery qrySinaSafra("qrySinaSafra");
//   qrySinaSafra.SQL = "SELECT ... WHERE VRLIMINFSAFR < :P_PERCSAFRA ... OR :P_PERCSAFRA = 0";
//   qrySinaSafra.Close();
//   qrySinaSafra.ParamByName("P_PERCSAFRA").setValue(12.5);
//   qrySinaSafra.Open();
//   if (!qrySinaSafra.IsEmpty()) colour = qrySinaSafra.FieldByName("NRCORSINSAFR").asFloat();
//
// The rows are held in a client dataset whose fields may be defined beforehand (name, type,
// size, label); result columns without a definition are added as they come.
//
// The members that touch the dataset are inline, so this library itself needs only the Variant
// layer; whoever runs a query links the dataset layer anyway.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/client_dataset.h"
#include "platform/variant.h"
#include "remote/host_services.h"

namespace remote {

class TADOIBQuery {
 public:
  class Param {
   public:
    const std::string& name() const { return name_; }
    const platform::Variant& value() const { return value_; }
    void setValue(const platform::Variant& value) { value_ = value; }
    void setAsString(const std::string& text) { value_ = platform::Variant(text); }
    void setAsFloat(double value) { value_ = platform::Variant(value); }
    void setAsInteger(int value) { value_ = platform::Variant(static_cast<int32_t>(value)); }
    void setAsDateTime(double dayNumber) { value_ = platform::Variant::date(dayNumber); }

   private:
    friend class TADOIBQuery;
    explicit Param(std::string name) : name_(std::move(name)) {}
    std::string name_;
    platform::Variant value_ = platform::Variant::null();
  };

  explicit TADOIBQuery(std::string name = {}) : name_(name), rows_(std::move(name)) {}

  // The statement for the default dialect and the dialect variants. Changing a text while the
  // query is open takes effect at the next Open().
  std::string SQL;
  std::string SQL_ORACLE;
  std::string SQL_MSSQL;
  std::string SQL_IB;

  const std::string& name() const { return name_; }

  // The text Open() runs for `dialect`: its variant, or SQL when the variant is empty.
  const std::string& textFor(SqlDialect dialect) const;

  // The parameter `name` (without the colon; case-insensitive) of the statement for the host's
  // dialect. Values set survive Close() and Open() and changes of the text.
  // ERRORS: std::invalid_argument "Parameter 'X' not found" when the statement has no such
  // parameter; std::logic_error when no query executor is installed.
  Param& ParamByName(std::string_view name);

  // Runs the statement with the parameters' current values (a parameter never set is Null) and
  // loads the rows; the cursor is on the first row. Nothing happens when already open.
  // ERRORS: whatever the executor raises (std::runtime_error with the database's message) or the
  // loading of its rows raises; the query then stays closed.
  void Open() {
    if (Active()) return;
    QueryExecutor& executor = queryExecutor();
    const std::string& text = textFor(executor.dialect());
    rows_.setData(executor.execute(text, boundParams(text)));
  }
  // Drops the rows. Nothing happens when closed.
  void Close() { rows_.close(); }
  bool Active() const { return rows_.active(); }
  // REQUIRE Active() (else platform::DataSetError).
  bool IsEmpty() const { return rows_.isEmpty(); }
  int RecordCount() const { return rows_.recordCount(); }

  // The result rows, read-only: moves are allowed, edits are not offered.
  const platform::ClientDataSet& dataSet() const { return rows_; }
  void First() { rows_.first(); }
  void Next() { rows_.next(); }
  bool Eof() const { return rows_.eof(); }
  // The field of the current row. ERRORS: platform::DataSetError "Field 'X' not found".
  platform::Field& FieldByName(std::string_view name) const { return rows_.fieldByName(name); }
  // Defines a result field before the first Open (label, size and type as the screen wants them).
  // REQUIRES: closed.
  platform::Field& addField(std::string name, platform::FieldType type, int size = 0) {
    return rows_.addField(std::move(name), type, size);
  }

  // Every parameter of `text` with its value (Null when never set), as the executor binds them.
  std::vector<std::pair<std::string, platform::Variant>> boundParams(const std::string& text) const;

 private:
  const std::string& currentText() const;

  std::string name_;
  std::deque<Param> params_;  // references handed out stay valid
  platform::ClientDataSet rows_;
};

// The distinct `:NAME` parameters of a statement in order of first appearance, ignoring text in
// single quotes, "::" casts and a colon not followed by a name character.
std::vector<std::string> sqlParameterNames(std::string_view sql);

}  // namespace remote
