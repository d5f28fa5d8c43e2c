#include "wire/json_rpc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/data_packet.h"
#include "platform/json.h"

namespace wire {
namespace {

using platform::Variant;

struct RejectCase {
  const char* name;
  std::string body;
  int code;
  const char* id;  // the id the fault answers with
};

void PrintTo(const RejectCase& c, std::ostream* os) {
  *os << c.name;
}

class RejectTest : public ::testing::TestWithParam<RejectCase> {};

TEST_P(RejectTest, AnswersTheFaultAndTheId) {
  const RejectCase& c = GetParam();
  RpcDecoded decoded = decodeRequest(c.body);
  ASSERT_TRUE(std::holds_alternative<RpcRejected>(decoded)) << c.body;
  const RpcRejected& rejected = std::get<RpcRejected>(decoded);
  EXPECT_EQ(rejected.fault.code(), c.code) << rejected.fault.what();
  EXPECT_EQ(rejected.id, c.id);
  EXPECT_STRNE(rejected.fault.what(), "");
}

const std::string kDeep = std::string(200, '[') + std::string(200, ']');

INSTANTIATE_TEST_SUITE_P(
    Bodies, RejectTest,
    ::testing::Values(
        RejectCase{"Empty", "", kParseError, "null"},
        RejectCase{"NotJson", "jsonrpc=2.0&method=x", kParseError, "null"},
        RejectCase{"Truncated", R"({"jsonrpc":"2.0","id":1,"method":"Echo","params":[1,)",
                   kParseError, "null"},
        RejectCase{"TrailingGarbage", R"({"jsonrpc":"2.0","id":1,"method":"Echo"} x)", kParseError,
                   "null"},
        RejectCase{"RepeatedMethod", R"({"jsonrpc":"2.0","id":1,"method":"Echo","method":"Fail"})",
                   kParseError, "null"},
        RejectCase{"HostileNesting",
                   R"({"jsonrpc":"2.0","id":1,"method":"Echo","params":)" + kDeep + "}",
                   kParseError, "null"},
        RejectCase{"Array", R"([{"jsonrpc":"2.0","id":1,"method":"Echo"}])", kInvalidRequest,
                   "null"},
        RejectCase{"Scalar", "42", kInvalidRequest, "null"},
        RejectCase{"NoVersion", R"({"id":3,"method":"Echo"})", kInvalidRequest, "3"},
        RejectCase{"OldVersion", R"({"jsonrpc":"1.0","id":3,"method":"Echo"})", kInvalidRequest,
                   "3"},
        RejectCase{"NumericVersion", R"({"jsonrpc":2.0,"id":"a","method":"Echo"})", kInvalidRequest,
                   R"("a")"},
        RejectCase{"ObjectId", R"({"jsonrpc":"2.0","id":{},"method":"Echo"})", kInvalidRequest,
                   "null"},
        RejectCase{"BoolId", R"({"jsonrpc":"2.0","id":true,"method":"Echo"})", kInvalidRequest,
                   "null"},
        RejectCase{"NoMethod", R"({"jsonrpc":"2.0","id":4,"params":[]})", kInvalidRequest, "4"},
        RejectCase{"EmptyMethod", R"({"jsonrpc":"2.0","id":4,"method":""})", kInvalidRequest, "4"},
        RejectCase{"NumericMethod", R"({"jsonrpc":"2.0","id":4,"method":12})", kInvalidRequest,
                   "4"},
        RejectCase{"ScalarParams", R"({"jsonrpc":"2.0","id":5,"method":"Echo","params":1})",
                   kInvalidRequest, "5"},
        RejectCase{"NamedParams", R"({"jsonrpc":"2.0","id":5,"method":"Echo","params":{"a":1}})",
                   kInvalidParams, "5"},
        RejectCase{"PlainObjectParam",
                   R"({"jsonrpc":"2.0","id":6,"method":"Echo","params":[1,{"a":1}]})",
                   kInvalidParams, "6"},
        RejectCase{"TextDate",
                   R"({"jsonrpc":"2.0","id":6,"method":"Echo","params":[{"$date":"hoje"}]})",
                   kInvalidParams, "6"},
        RejectCase{
            "BadPacket",
            R"({"jsonrpc":"2.0","id":6,"method":"Echo","params":[{"$packet":{"fields":[{"name":"A","type":"blob"}],"rows":[]}}]})",
            kInvalidParams, "6"},
        RejectCase{
            "RowOfWrongWidth",
            R"({"jsonrpc":"2.0","id":6,"method":"Echo","params":[{"$packet":{"fields":[{"name":"A","type":"integer"}],"rows":[[1,2]]}}]})",
            kInvalidParams, "6"},
        RejectCase{"NumericRequestId", R"({"jsonrpc":"2.0","id":7,"requestId":12,"method":"Echo"})",
                   kInvalidRequest, "7"},
        RejectCase{"EmptyRequestId", R"({"jsonrpc":"2.0","id":7,"requestId":"","method":"Echo"})",
                   kInvalidRequest, "7"},
        RejectCase{"RequestIdWithControls",
                   R"({"jsonrpc":"2.0","id":7,"requestId":"a\nb","method":"Echo"})",
                   kInvalidRequest, "7"},
        RejectCase{"LongRequestId",
                   R"({"jsonrpc":"2.0","id":7,"requestId":")" + std::string(65, 'a') +
                       R"(","method":"Echo"})",
                   kInvalidRequest, "7"}),
    [](const auto& p) { return std::string(p.param.name); });

Variant samplePacket() {
  platform::DataPacket packet;
  packet.fields = {{"CDPRODUTO", platform::FieldType::Text, 10},
                   {"QTDERECE", platform::FieldType::Float, 0},
                   {"DTCARDAPIO", platform::FieldType::DateTime, 0},
                   {"CONT", platform::FieldType::Integer, 0}};
  packet.rows = {{Variant("0001"), Variant(0.125), Variant::date(46082), Variant(int32_t{3})},
                 {Variant("0002"), Variant::null(), Variant::null(), Variant(int32_t{0})}};
  packet.changes = {{platform::ChangeKind::Insert, 1, {}}};
  return Variant(packet);
}

std::vector<Variant> everyKind() {
  return {
      Variant::null(),        Variant("Análise de Custos \"aspas\" \\ \n"),
      Variant(int32_t{-7}),   Variant(int64_t{9007199254740993}),
      Variant(0.1),           Variant(true),
      Variant::date(46082.5), Variant::array({Variant("001"), Variant::array({}), Variant(2.5)}),
      samplePacket()};
}

TEST(DecodeRequest, ReadsEveryVariantKindBackFromItsEncoding) {
  const std::vector<Variant> params = everyKind();
  RpcDecoded decoded = decodeRequest(encodeRequest("17", "GetProduto", params));
  ASSERT_TRUE(std::holds_alternative<RpcRequest>(decoded))
      << std::get<RpcRejected>(decoded).fault.what();
  const RpcRequest& request = std::get<RpcRequest>(decoded);
  EXPECT_EQ(request.id, "17");
  EXPECT_EQ(request.method, "GetProduto");
  ASSERT_EQ(request.params.size(), params.size());
  for (size_t i = 0; i < params.size(); ++i) {
    EXPECT_EQ(request.params[i], params[i]) << i << ": " << params[i].debugString();
    EXPECT_EQ(request.params[i].type(), params[i].type()) << i;
  }
}

struct AcceptCase {
  const char* body;
  const char* id;
  size_t paramCount;
};

TEST(DecodeRequest, AcceptsEveryIdFormAndOptionalParams) {
  const AcceptCase cases[] = {
      {R"({"jsonrpc":"2.0","id":1,"method":"M","params":[]})", "1", 0},
      {R"({"jsonrpc":"2.0","id":-12,"method":"M","params":[1]})", "-12", 1},
      {R"({"jsonrpc":"2.0","id":1.5,"method":"M"})", "1.5", 0},
      {R"({"jsonrpc":"2.0","id":"a\"b","method":"M"})", R"("a\"b")", 0},
      {R"({"jsonrpc":"2.0","id":null,"method":"M"})", "null", 0},
      {R"({"method":"M","jsonrpc":"2.0"})", "null", 0},
      {R"( {"params":[null,"x"],"extra":{"ignored":[1,2]},"method":"M","jsonrpc":"2.0","id":9} )",
       "9", 2},
  };
  for (const AcceptCase& c : cases) {
    RpcDecoded decoded = decodeRequest(c.body);
    ASSERT_TRUE(std::holds_alternative<RpcRequest>(decoded))
        << c.body << ": " << std::get<RpcRejected>(decoded).fault.what();
    const RpcRequest& request = std::get<RpcRequest>(decoded);
    EXPECT_EQ(request.id, c.id) << c.body;
    EXPECT_EQ(request.method, "M");
    EXPECT_EQ(request.params.size(), c.paramCount) << c.body;
  }
}

TEST(DecodeRequest, ErrorNamesTheRefusedParameter) {
  RpcDecoded decoded =
      decodeRequest(R"({"jsonrpc":"2.0","id":1,"method":"M","params":[1,2,{"$date":1,"x":2}]})");
  ASSERT_TRUE(std::holds_alternative<RpcRejected>(decoded));
  EXPECT_NE(std::string(std::get<RpcRejected>(decoded).fault.what()).find("parâmetro 2"),
            std::string::npos)
      << std::get<RpcRejected>(decoded).fault.what();
}

TEST(DecodeRequest, ReadsTheClientsNumericId) {
  const std::vector<Variant> params = everyKind();
  RpcDecoded decoded = decodeRequest(encodeRequest(int64_t{41}, "GravaReceita", params));
  ASSERT_TRUE(std::holds_alternative<RpcRequest>(decoded));
  const auto& request = std::get<RpcRequest>(decoded);
  EXPECT_EQ(request.id, "41");
  EXPECT_EQ(request.method, "GravaReceita");
  EXPECT_EQ(request.params, params);
}

TEST(DecodeRequest, CarriesTheRequestIdOutsideTheParams) {
  const std::vector<Variant> params = everyKind();
  const std::string longest(kMaxRequestIdLength, 'z');
  for (const std::string& requestId : {std::string("c0ffee-1"), longest, std::string()}) {
    RpcDecoded decoded =
        decodeRequest(encodeRequest(int64_t{8}, "GravaReceita", params, requestId));
    ASSERT_TRUE(std::holds_alternative<RpcRequest>(decoded)) << requestId;
    const auto& request = std::get<RpcRequest>(decoded);
    EXPECT_EQ(request.requestId, requestId);
    EXPECT_EQ(request.params, params);
  }
}

TEST(EncodeAnswer, AnswersAreJsonWithTheRequestId) {
  const std::string result = encodeResult(R"("x")", Variant::array({Variant("ok"), 1}));
  const platform::json::Value parsedResult = platform::json::parse(result);
  EXPECT_EQ(parsedResult.find("jsonrpc")->asString(), "2.0");
  EXPECT_EQ(parsedResult.find("id")->asString(), "x");
  EXPECT_EQ(parsedResult.find("result")->asArray().size(), 2u);

  const std::string error = encodeError("7", kMethodNotFound, "Método \"X\"\ndesconhecido");
  const platform::json::Value parsedError = platform::json::parse(error);
  EXPECT_EQ(parsedError.find("id")->asInt(), 7);
  EXPECT_EQ(parsedError.find("error")->find("code")->asInt(), kMethodNotFound);
  EXPECT_EQ(parsedError.find("error")->find("message")->asString(), "Método \"X\"\ndesconhecido");
  EXPECT_EQ(parsedError.find("result"), nullptr);
}

TEST(DecodeAnswer, ReadsBackWhatTheServerWrites) {
  for (const Variant& value : everyKind()) {
    const RpcAnswer answer = decodeAnswer(encodeResult("41", value), 41);
    EXPECT_FALSE(answer.isError);
    EXPECT_EQ(answer.result, value) << value.debugString();
    EXPECT_EQ(answer.result.type(), value.type()) << value.debugString();
  }
  // An error is the call's even when the server could not read its id.
  for (const char* id : {"41", "null", "40"}) {
    const RpcAnswer error = decodeAnswer(encodeError(id, kNotAuthenticated, "Sessão inválida"), 41);
    EXPECT_TRUE(error.isError) << id;
    EXPECT_EQ(error.code, kNotAuthenticated) << id;
    EXPECT_EQ(error.message, "Sessão inválida") << id;
    EXPECT_TRUE(error.result.isNull()) << id;
  }
}

TEST(DecodeAnswer, AnAnswerThatIsNotThisCallsIsUnreadable) {
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
      {"ErrorWithFractionalCode", R"({"jsonrpc":"2.0","id":41,"error":{"code":1.5,"message":"m"}})",
       "erro malformado"},
  };
  for (const Case& c : cases) {
    try {
      decodeAnswer(c.body, 41);
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const UnreadableAnswer& e) {
      EXPECT_NE(std::string(e.what()).find(c.why), std::string::npos) << c.name << ": " << e.what();
    }
  }
}

TEST(ErrorObject, ReadsBackWhatTheServerWritesAndNothingElse) {
  int code = 0;
  EXPECT_EQ(
      errorMessageOf(encodeErrorObject(kNotAuthenticated, "Operador ou senha inválidos"), code),
      "Operador ou senha inválidos");
  EXPECT_EQ(code, kNotAuthenticated);
  EXPECT_EQ(
      errorMessageOf(R"({"error":{"code":-32001,"message":"Operador ou senha inválidos"}})", code),
      "Operador ou senha inválidos");
  // An envelope's error reads the same.
  code = 0;
  EXPECT_EQ(errorMessageOf(encodeError("null", kRequestTooLarge, "grande"), code), "grande");
  EXPECT_EQ(code, kRequestTooLarge);
  for (const char* body : {"not json", R"({"error":"x"})", "[]", R"({"error":{"code":1}})"}) {
    code = 7;
    EXPECT_EQ(errorMessageOf(body, code), "") << body;
    EXPECT_EQ(code, 7) << body;
  }
}

}  // namespace
}  // namespace wire
