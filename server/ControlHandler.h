// The control endpoint that lets one running server serve a whole test suite:
// it reports and replaces the fault plan and re-points the project list and
// the users file. ControlHandler.cpp documents the protocol.
//
// Threading: called on httplib's pool threads; everything it touches in the
// server is guarded there.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "FaultPlan.h"

namespace proofd {

class ProofServer;

struct ControlResult {
  int status = 200;
  std::string body;   // JSON
  std::string error;  // why a request was refused
};

ControlResult HandleControl(ProofServer& server, const std::string& method, const std::string& body);

nlohmann::json FaultToJson(const FaultSpec& spec);
// Reads a fault from `json`; absent members keep FaultSpec's defaults.
bool FaultFromJson(const nlohmann::json& json, FaultSpec& spec, std::string& error);

}  // namespace proofd
