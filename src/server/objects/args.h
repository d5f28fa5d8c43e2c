// Reading a remote call's arguments in the contract's forms. An argument that cannot be read as
// the form the contract gives is a protocol fault (RpcFault kInvalidParams), never a crash.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/data_packet.h"
#include "platform/variant.h"
#include "server/rpc/dispatcher.h"

namespace server::objects {

class Args {
 public:
  // Errors: RpcFault kInvalidParams unless params.size() is `count`.
  Args(std::string_view method, const std::vector<platform::Variant>& params, size_t count);
  // Same, accepting any count in [minCount, maxCount].
  Args(std::string_view method, const std::vector<platform::Variant>& params, size_t minCount,
       size_t maxCount);

  size_t size() const { return params_.size(); }

  // Each reads argument `i` (from 0). Errors: RpcFault kInvalidParams when the value does not
  // convert. Null and Empty read as "", 0, false.
  std::string text(size_t i) const;
  int integer(size_t i) const;
  double number(size_t i) const;
  // As number(), NaN and infinities included: for a value whose bounds the method refuses itself.
  double real(size_t i) const;
  double day(size_t i) const;  // a date, time of day dropped
  bool boolean(size_t i) const;
  // REQUIRES nothing; Errors: RpcFault kInvalidParams when the argument is not a data packet.
  const platform::DataPacket& packet(size_t i) const;

 private:
  [[noreturn]] void fail(size_t i, std::string_view expected) const;

  std::string method_;
  const std::vector<platform::Variant>& params_;
};

}  // namespace server::objects
