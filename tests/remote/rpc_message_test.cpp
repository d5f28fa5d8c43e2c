#include "remote/rpc_message.h"

#include <gtest/gtest.h>

#include "platform/data_packet.h"
#include "remote/remote_error.h"
#include "server/rpc/json_rpc.h"

namespace remote {
namespace {

using platform::Variant;

static_assert(kRpcMethodNotFound == server::kMethodNotFound);
static_assert(kRpcInvalidParams == server::kInvalidParams);
static_assert(kRpcInternalError == server::kInternalError);
static_assert(kRpcNotAuthenticated == server::kNotAuthenticated);
static_assert(kRpcRequestTooLarge == server::kRequestTooLarge);

std::vector<Variant> sampleParams() {
  platform::DataPacket packet;
  packet.fields = {{"CDPRATO", platform::FieldType::Text, 10},
                   {"COMENSPRATO", platform::FieldType::Integer, 0}};
  packet.rows = {{Variant("P001"), Variant(int32_t{120})}};
  return {Variant("0001"), Variant(int32_t{6}), Variant::date(46082),           Variant(true),
          Variant(0.5),    Variant::null(),     Variant::array({Variant("x")}), Variant(packet)};
}

TEST(RpcMessage, TheServerReadsWhatTheClientWrites) {
  const std::vector<Variant> params = sampleParams();
  server::RpcDecoded decoded = server::decodeRpcRequest(encodeCall(41, "GravaReceita", params));
  ASSERT_TRUE(std::holds_alternative<server::RpcRequest>(decoded));
  const auto& request = std::get<server::RpcRequest>(decoded);
  EXPECT_EQ(request.id, "41");
  EXPECT_EQ(request.method, "GravaReceita");
  EXPECT_EQ(request.params, params);
}

TEST(RpcMessage, TheClientReadsWhatTheServerAnswers) {
  const Variant result = Variant::array(sampleParams());
  const CallAnswer answer = decodeAnswer(server::encodeRpcResult("41", result), 41, 200, "h:1");
  EXPECT_FALSE(answer.isError);
  EXPECT_EQ(answer.result, result);

  const CallAnswer error = decodeAnswer(
      server::encodeRpcError("null", server::kNotAuthenticated, "Sessão inválida"), 41, 401, "h:1");
  EXPECT_TRUE(error.isError);
  EXPECT_EQ(error.code, server::kNotAuthenticated);
  EXPECT_EQ(error.message, "Sessão inválida");
}

TEST(RpcMessage, AnAnswerThatIsNotThisCallsIsUnreadable) {
  struct Case {
    const char* name;
    const char* body;
    const char* why;
  };
  const Case cases[] = {
      {"Empty", "", "corpo vazio"},
      {"Html", "<html>502 Bad Gateway</html>", "não é um objeto"},
      {"Array", "[1]", "não é um objeto"},
      {"Truncated", R"({"jsonrpc":"2.0","id":41,"result":[1,)", "JSON inválido"},
      {"NoResult", R"({"jsonrpc":"2.0","id":41})", "sem resultado"},
      {"OtherId", R"({"jsonrpc":"2.0","id":40,"result":1})", "outra chamada"},
      {"NoId", R"({"jsonrpc":"2.0","result":1})", "outra chamada"},
      {"BadResult", R"({"jsonrpc":"2.0","id":41,"result":{"a":1}})", "JSON inválido"},
      {"ErrorWithoutMessage", R"({"jsonrpc":"2.0","id":41,"error":{"code":-32601}})",
       "erro malformado"},
      {"ErrorWithTextCode", R"({"jsonrpc":"2.0","id":41,"error":{"code":"x","message":"m"}})",
       "erro malformado"},
  };
  for (const Case& c : cases) {
    try {
      decodeAnswer(c.body, 41, 502, "servidor:8211");
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const RemoteError& e) {
      EXPECT_EQ(e.kind(), RemoteError::Kind::Protocol) << c.name;
      const std::string what = e.what();
      EXPECT_NE(what.find("servidor:8211"), std::string::npos) << c.name << ": " << what;
      EXPECT_NE(what.find("HTTP 502"), std::string::npos) << c.name << ": " << what;
      EXPECT_NE(what.find(c.why), std::string::npos) << c.name << ": " << what;
    }
  }
}

TEST(RpcMessage, ErrorMessageOfReadsPlainErrorAnswers) {
  int code = 0;
  EXPECT_EQ(
      errorMessageOf(R"({"error":{"code":-32001,"message":"Operador ou senha inválidos"}})", code),
      "Operador ou senha inválidos");
  EXPECT_EQ(code, -32001);
  code = 7;
  EXPECT_EQ(errorMessageOf("not json", code), "");
  EXPECT_EQ(errorMessageOf(R"({"error":"x"})", code), "");
  EXPECT_EQ(code, 7);
}

}  // namespace
}  // namespace remote
