// Feeds arbitrary bytes to the packet and Variant decoders. Refusing input is fine; anything else
// thrown, a crash, or a decoded value that does not survive its own encoding is a bug.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "platform/data_packet.h"
#include "platform/json.h"
#include "platform/variant.h"

namespace {

[[noreturn]] void bug(const char* what, std::string_view detail) {
  std::fprintf(stderr, "%s: %.*s\n", what, static_cast<int>(detail.size()), detail.data());
  std::abort();
}

void checkPacket(std::string_view text) {
  platform::DataPacket packet;
  try {
    packet = platform::decodePacket(text);
  } catch (const platform::PacketError&) {
    return;
  }
  const std::string encoded = platform::encodePacket(packet);
  platform::DataPacket again;
  try {
    again = platform::decodePacket(encoded);
  } catch (const platform::PacketError& e) {
    bug("re-encoded packet refused", e.what());
  }
  if (!(again == packet)) bug("packet changed by a round trip", encoded);
  if (platform::encodePacket(again) != encoded) bug("encoding not stable", encoded);
}

void checkVariant(std::string_view text) {
  platform::Variant value;
  try {
    value = platform::Variant::fromJson(text);
  } catch (const std::invalid_argument&) {
    return;
  }
  const std::string json = value.toJson();
  platform::Variant again;
  try {
    again = platform::Variant::fromJson(json);
  } catch (const std::invalid_argument& e) {
    bug("re-encoded value refused", e.what());
  }
  if (!(again == value)) bug("value changed by a round trip", json);
  // Conversions may refuse, but only with ConversionError.
  try {
    static_cast<void>(value.toString());
  } catch (const platform::ConversionError&) {
  }
  try {
    static_cast<void>(value.toInt());
  } catch (const platform::ConversionError&) {
  }
  try {
    static_cast<void>(value.toDate());
  } catch (const platform::ConversionError&) {
  }
  static_cast<void>(value.debugString());
}

void checkDocument(std::string_view text) {
  platform::json::Value value;
  try {
    value = platform::json::parse(text);
  } catch (const platform::json::ParseError&) {
    return;
  }
  const std::string written = platform::json::write(value);
  if (!(platform::json::parse(written) == value)) bug("JSON document changed", written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  checkPacket(text);
  checkVariant(text);
  checkDocument(text);
  return 0;
}
