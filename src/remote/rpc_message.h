// The client's reading of an answer: the wire's codec, with the transport's endpoint and HTTP
// status in any complaint, as the connection raises it.
#pragma once

#include <cstdint>
#include <string_view>

#include "wire/json_rpc.h"

namespace remote {

using CallAnswer = wire::RpcAnswer;

// Reads an answer to the call `expectedId` (see wire::decodeAnswer). `endpoint` and `status` only
// word the error. Throws RemoteError (Kind::Protocol, code 0) for an answer the codec cannot read.
CallAnswer decodeAnswer(std::string_view body, int64_t expectedId, int status,
                        std::string_view endpoint);

}  // namespace remote
