#include "remote/rpc_message.h"

#include <gtest/gtest.h>

#include "remote/remote_error.h"

namespace remote {
namespace {

using platform::Variant;

static_assert(kRpcMethodNotFound == wire::kMethodNotFound);
static_assert(kRpcInvalidParams == wire::kInvalidParams);
static_assert(kRpcInternalError == wire::kInternalError);
static_assert(kRpcNotAuthenticated == wire::kNotAuthenticated);
static_assert(kRpcRequestTooLarge == wire::kRequestTooLarge);

// The codec itself is tested in tests/wire; here, what the connection raises from it.
TEST(RpcMessage, AnswersPassThroughAndUnreadableOnesNameTheServerAndStatus) {
  const CallAnswer answer =
      decodeAnswer(wire::encodeResult("41", Variant::array({Variant("x")})), 41, 200, "h:1");
  EXPECT_FALSE(answer.isError);
  EXPECT_EQ(answer.result, Variant::array({Variant("x")}));

  for (const char* body : {"", R"({"jsonrpc":"2.0","id":40,"result":1})"}) {
    try {
      decodeAnswer(body, 41, 502, "servidor:8211");
      ADD_FAILURE() << body << ": accepted";
    } catch (const RemoteError& e) {
      EXPECT_EQ(e.kind(), RemoteError::Kind::Protocol) << body;
      EXPECT_EQ(e.code(), 0) << body;
      const std::string what = e.what();
      EXPECT_NE(what.find("servidor:8211"), std::string::npos) << what;
      EXPECT_NE(what.find("HTTP 502"), std::string::npos) << what;
      EXPECT_NE(what.find("Resposta inválida"), std::string::npos) << what;
    }
  }
}

}  // namespace
}  // namespace remote
