#include "server/objects/args.h"

#include <cmath>

#include "platform/date.h"

namespace server::objects {

using platform::Variant;

Args::Args(std::string_view method, const std::vector<Variant>& params, size_t count)
    : Args(method, params, count, count) {}

Args::Args(std::string_view method, const std::vector<Variant>& params, size_t minCount,
           size_t maxCount)
    : method_(method), params_(params) {
  if (params.size() < minCount || params.size() > maxCount) {
    std::string expected = std::to_string(minCount);
    if (maxCount != minCount) expected += " to " + std::to_string(maxCount);
    throw RpcFault(kInvalidParams, method_ + ": expected " + expected + " arguments, got " +
                                       std::to_string(params.size()));
  }
}

void Args::fail(size_t i, std::string_view expected) const {
  throw RpcFault(kInvalidParams, method_ + ": argument " + std::to_string(i + 1) + " is not " +
                                     std::string(expected) + " (" + params_[i].debugString() + ")");
}

std::string Args::text(size_t i) const {
  const Variant& v = params_[i];
  if (v.isArray() || v.isPacket()) fail(i, "a text");
  try {
    return v.toString();
  } catch (const platform::ConversionError&) {
    fail(i, "a text");
  }
}

int Args::integer(size_t i) const {
  const Variant& v = params_[i];
  try {
    return v.toInt();
  } catch (const std::exception&) {
    fail(i, "an integer");
  }
}

double Args::number(size_t i) const {
  const Variant& v = params_[i];
  try {
    double d = v.toDouble();
    if (!std::isfinite(d)) fail(i, "a finite number");
    return d;
  } catch (const platform::ConversionError&) {
    fail(i, "a number");
  }
}

double Args::real(size_t i) const {
  try {
    return params_[i].toDouble();
  } catch (const platform::ConversionError&) {
    fail(i, "a number");
  }
}

double Args::day(size_t i) const {
  const Variant& v = params_[i];
  double d = 0;
  try {
    d = v.toDate();
  } catch (const std::exception&) {
    fail(i, "a date");
  }
  // Years 1..9999, as the calendar helpers accept.
  if (!std::isfinite(d) || d < -693593 || d > 2958465) fail(i, "a date");
  return platform::dateOnly(d);
}

bool Args::boolean(size_t i) const {
  const Variant& v = params_[i];
  try {
    return v.toBool();
  } catch (const std::exception&) {
    fail(i, "a boolean");
  }
}

const platform::DataPacket& Args::packet(size_t i) const {
  const Variant& v = params_[i];
  if (!v.isPacket()) fail(i, "a data packet");
  return v.packet();
}

}  // namespace server::objects
