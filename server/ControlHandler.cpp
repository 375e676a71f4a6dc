// Control protocol of tessaron-proofd.
//
//   GET  /_control           -> 200 and the current state
//   POST /_control  {JSON}   -> 200 and the new state, or 400 {"error": "..."}
//
// The POST body is one JSON object. Its fault members replace the whole fault
// plan (members left out take their defaults, so {} clears every fault):
//   "fault"     "none" | "status" | "delay" | "drop" | "malformed" | "oversized"
//               | "slow" | "slow_read" | "slow_head" | "reset"
//   "status"    status answered by a "status" fault, 200..599 (default 500);
//               the request is not acted on (an upload is read and discarded)
//   "delay_ms"  wait before answering, with any fault kind (default 0); for
//               "slow", the pause before each byte of the answer instead,
//               for "slow_head" before each byte of the answer's head, for
//               "reset" before the reset
//   "count"     number of requests the plan applies to, then it clears itself;
//               -1 means until replaced (default -1)
//   "path"      only requests to this path, e.g. "/indd_xml.asp" (default:
//               every path); requests to /_control are never faulted or counted
//   "bytes"     "oversized": total body size (default 64 MiB, padded with
//               blanks after the real answer); "drop": body bytes sent before
//               the connection is closed (default half the body); "slow_read":
//               upload body bytes read per second (required); "reset": request
//               body bytes read before the connection is reset (default 0)
// A "drop" answer declares the full Content-Length, sends part of the body and
// closes the connection; a "malformed" answer is the first half of the real
// answer with a matching Content-Length, so the transfer succeeds and the XML
// in it does not parse. A "slow" answer is the real one sent a byte at a
// time, so a client sees bytes arrive long after its request went out; a
// "slow_head" answer sends its status line and headers so, then its body at
// once. A
// "slow_read" upload is taken off the connection no faster than its rate, as
// a server behind a slow line would, and then answered as usual. A "reset"
// request gets no answer: its connection is reset (RST), mid-body for an
// upload with "bytes".
// Two more members, applied only when present and checked like the command
// line's files:
//   "projects"  path of the project list to serve from now on
//   "users"     path of the users file to use from now on
//
// The state answered:
//   {"fault": {...the members above...}, "projects": PATH, "users": PATH,
//    "requests": N}
// where requests counts the log lines written so far, control requests
// included.
//
// The command line sets the first plan with --fault, --fault-status,
// --fault-delay-ms, --fault-count, --fault-path and --fault-bytes.
#include "ControlHandler.h"

#include <algorithm>
#include <limits>
#include <type_traits>

#include "ProofServer.h"

namespace proofd {
namespace {

nlohmann::json State(ProofServer& server) {
  return {{"fault", FaultToJson(server.Faults().Get())},
          {"projects", server.ProjectsPath()},
          {"users", server.UsersPath()},
          {"requests", server.Requests()}};
}


template <typename T>
bool ReadInteger(const nlohmann::json& json, const char* key, T& value, std::string& error) {
  if (!json.contains(key)) return true;
  const nlohmann::json& item = json[key];
  bool fits = false;
  if (item.is_number_unsigned()) {
    fits = item.get<uint64_t>() <= static_cast<uint64_t>(std::numeric_limits<T>::max());
  } else if (item.is_number_integer()) {
    fits = std::is_signed_v<T> && item.get<int64_t>() >= static_cast<int64_t>(std::numeric_limits<T>::min());
  }
  if (!fits) {
    error = std::string("\"") + key + "\" must be an integer in range";
    return false;
  }
  value = item.get<T>();
  return true;
}

std::string Dump(const nlohmann::json& json) {
  return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

ControlResult Fail(const std::string& why) { return {400, Dump({{"error", why}}), why}; }

}  // namespace

nlohmann::json FaultToJson(const FaultSpec& spec) {
  return {{"fault", FaultKindName(spec.kind)}, {"status", spec.status},
          {"delay_ms", spec.delayMs},          {"count", spec.count},
          {"path", spec.path},                 {"bytes", spec.bytes}};
}

bool FaultFromJson(const nlohmann::json& json, FaultSpec& spec, std::string& error) {
  spec = FaultSpec();
  if (json.contains("fault")) {
    if (!json["fault"].is_string() || !ParseFaultKind(json["fault"].get<std::string>(), spec.kind)) {
      error = "\"fault\" must be one of none, status, delay, drop, malformed, oversized, slow, slow_read, slow_head, reset";
      return false;
    }
  }
  if (json.contains("path")) {
    if (!json["path"].is_string()) {
      error = "\"path\" must be a string";
      return false;
    }
    spec.path = json["path"].get<std::string>();
  }
  if (!ReadInteger(json, "status", spec.status, error) ||
      !ReadInteger(json, "delay_ms", spec.delayMs, error) ||
      !ReadInteger(json, "count", spec.count, error) ||
      !ReadInteger(json, "bytes", spec.bytes, error)) {
    return false;
  }
  error = spec.Validate();
  return error.empty();
}

ControlResult HandleControl(ProofServer& server, const std::string& method, const std::string& body) {
  if (method == "GET") return {200, Dump(State(server)), std::string()};
  if (method != "POST") return Fail("use GET or POST");

  const nlohmann::json request = nlohmann::json::parse(body, nullptr, false);
  if (request.is_discarded() || !request.is_object()) return Fail("the body must be a JSON object");
  for (const auto& item : request.items()) {
    static const char* const kKnown[] = {"fault", "status", "delay_ms", "count",
                                         "path",  "bytes",  "projects", "users"};
    if (std::find(std::begin(kKnown), std::end(kKnown), item.key()) == std::end(kKnown)) {
      return Fail("unknown member \"" + item.key() + "\"");
    }
  }
  FaultSpec spec;
  std::string error;
  if (!FaultFromJson(request, spec, error)) return Fail(error);
  for (const char* key : {"projects", "users"}) {
    if (request.contains(key) && !request[key].is_string()) {
      return Fail(std::string("\"") + key + "\" must be a path");
    }
  }
  const std::string projects = request.value("projects", std::string());
  const std::string users = request.value("users", std::string());
  if (!server.Reconfigure(request.contains("projects") ? &projects : nullptr,
                          request.contains("users") ? &users : nullptr, error)) {
    return Fail(error);
  }
  server.Faults().Set(spec);
  return {200, Dump(State(server)), std::string()};
}

}  // namespace proofd
