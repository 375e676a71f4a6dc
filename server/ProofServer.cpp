#include "ProofServer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <cstdint>
#include <filesystem>
#include <functional>

#include "Body.h"
#include "ControlHandler.h"
#include "ProjectsFile.h"
#include "Query.h"
#include "Uploads.h"

namespace proofd {
namespace {

constexpr const char* kListPath = "/indd_xml.asp";
constexpr const char* kUploadPath = "/indd_filetransfer.asp";
constexpr const char* kControlPath = "/_control";
constexpr const char* kUpdateType = "TESSARON_UPDATE";
constexpr uint64_t kDefaultOversizeBytes = uint64_t{64} << 20;
constexpr uint64_t kMaxPlainBodyBytes = 1 << 20;
constexpr uint64_t kFormOverheadBytes = 1 << 20;
// An upload is one file part; a form may add a few fields. Each part costs a
// record and a piece of the log line.
constexpr size_t kMaxParts = 8;
constexpr int kListenBacklog = 1024;

std::shared_ptr<Body> TextBody(const std::string& text, const char* type = "text/plain; charset=UTF-8") {
  auto body = std::make_shared<Body>(type);
  body->AddText(text);
  return body;
}

std::shared_ptr<Body> HtmlBody(const std::string& title, const std::string& content) {
  return TextBody("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" +
                      EscapeMarkup(title) + "</title></head>\n<body>\n" + content +
                      "</body></html>\n",
                  "text/html; charset=UTF-8");
}

// Ends the connection after this answer, and tells the client so.
void CloseAfter(httplib::Response& res) {
  if (!CurrentRequest().closeAfter) res.set_header("Connection", "close");
  CurrentRequest().closeAfter = true;
}

bool HasBody(const httplib::Request& req) {
  const std::string length = req.get_header_value("Content-Length");
  return (!length.empty() && length != "0") || req.has_header("Transfer-Encoding") || CurrentRequest().chunked;
}

// Reads and forgets a body, so the connection stays in step with the client.
bool Drain(const httplib::Request& req, const httplib::ContentReader* reader) {
  if (reader == nullptr) return true;
  if (req.is_multipart_form_data()) {
    return (*reader)([](const httplib::MultipartFormData&) { return true; },
                     [](const char*, size_t) { return true; });
  }
  return (*reader)([](const char*, size_t) { return true; });
}

int StatusFor(Verdict verdict) {
  switch (verdict) {
    case Verdict::kAccepted: return 200;
    case Verdict::kNoRights: return 403;
    case Verdict::kWrongCredentials: break;
  }
  return 401;
}

}  // namespace

ProofServer::ProofServer(ServerConfig config) : config_(std::move(config)) {
  // Each connection holds a thread for as long as it lasts, slow ones too; the
  // head deadline, the read timeout and the minimum body rate bound how long.
  http_.set_max_connections(config_.threads);
  http_.set_min_body_rate(config_.minBodyRate);
  http_.set_read_timeout(std::chrono::milliseconds(config_.readTimeoutMs));
  http_.set_keep_alive_timeout(std::max<time_t>(1, (config_.idleTimeoutMs + 999) / 1000));
  http_.set_head_limits(std::chrono::milliseconds(config_.headTimeoutMs), config_.maxHeadBytes);
  // A declared body larger than any upload we keep, its form included, is refused unread.
  const uint64_t payloadMax = config_.maxUploadBytes > UINT64_MAX - kFormOverheadBytes
                                 ? UINT64_MAX
                                 : config_.maxUploadBytes + kFormOverheadBytes;
  http_.set_payload_max_length(static_cast<size_t>(payloadMax));
}

bool ProofServer::Open(std::string& error) {
  auto users = Users::Load(config_.usersPath, error);
  if (!users) return false;
  RootTag root;
  if (!CheckProjectsFile(config_.projectsPath, root, error)) return false;
  std::error_code ec;
  std::filesystem::create_directories(config_.uploadsDir, ec);
  if (ec || !std::filesystem::is_directory(config_.uploadsDir)) {
    error = "cannot use uploads folder '" + config_.uploadsDir + "'" +
            (ec ? ": " + ec.message() : std::string());
    return false;
  }
  if (!config_.logPath.empty() && !log_.Open(config_.logPath, error)) return false;
  const std::string faultProblem = config_.fault.Validate();
  if (!faultProblem.empty()) {
    error = "fault: " + faultProblem;
    return false;
  }
  faults_.Set(config_.fault);
  users_ = std::move(users);
  InstallRoutes();
  return true;
}

int ProofServer::Bind(int port, std::string& error) {
  const int bound = port == 0 ? http_.bind_to_any_port("127.0.0.1")
                              : (http_.bind_to_port("127.0.0.1", port) ? port : -1);
  if (bound < 0) {
    error = "cannot listen on 127.0.0.1:" + std::to_string(port);
  } else if (!http_.widen_backlog(kListenBacklog)) {
    error = "cannot listen on 127.0.0.1:" + std::to_string(bound) + ": " + std::strerror(errno);
    return -1;
  }
  return bound;
}

bool ProofServer::Run() { return http_.serve_after_bind(); }

void ProofServer::Stop() {
  faults_.Stop();
  http_.stop();
}

bool ProofServer::Reconfigure(const std::string* projectsPath, const std::string* usersPath,
                              std::string& error) {
  RootTag root;
  if (projectsPath != nullptr && !CheckProjectsFile(*projectsPath, root, error)) return false;
  std::shared_ptr<const Users> users;
  if (usersPath != nullptr && !(users = Users::Load(*usersPath, error))) return false;
  std::lock_guard<std::mutex> lock(settingsMutex_);
  if (projectsPath != nullptr) config_.projectsPath = *projectsPath;
  if (usersPath != nullptr) {
    config_.usersPath = *usersPath;
    users_ = std::move(users);
  }
  return true;
}

std::string ProofServer::ProjectsPath() const {
  std::lock_guard<std::mutex> lock(settingsMutex_);
  return config_.projectsPath;
}

std::string ProofServer::UsersPath() const {
  std::lock_guard<std::mutex> lock(settingsMutex_);
  return config_.usersPath;
}

uint64_t ProofServer::Requests() const {
  std::lock_guard<std::mutex> lock(settingsMutex_);
  return requests_;
}

std::shared_ptr<const Users> ProofServer::CurrentUsers() const {
  std::lock_guard<std::mutex> lock(settingsMutex_);
  return users_;
}

void ProofServer::InstallRoutes() {
  using httplib::ContentReader;
  using httplib::Request;
  using httplib::Response;

  http_.Get(kListPath, [this](const Request& req, Response& res) { HandleProjectList(req, res); });
  http_.Post(kUploadPath, [this](const Request& req, Response& res, const ContentReader& reader) {
    HandleUpload(req, res, reader);
  });
  http_.Get(kControlPath, [this](const Request& req, Response& res) {
    HandleControlRequest(req, res, nullptr);
  });
  http_.Post(kControlPath, [this](const Request& req, Response& res, const ContentReader& reader) {
    HandleControlRequest(req, res, &reader);
  });
  http_.Get("/", [this](const Request& req, Response& res) { HandleProjectPage(req, res); });
  http_.Get(".*", [this](const Request& req, Response& res) { HandleUnknown(req, res, nullptr); });
  http_.Post(".*", [this](const Request& req, Response& res, const ContentReader& reader) {
    HandleUnknown(req, res, &reader);
  });

  http_.set_expect_100_continue_handler(
      [this](const Request& req, Response& res) { return RefuseEarlyUpload(req, res); });

  // Bodies of other methods are read into memory by httplib: keep them small.
  http_.set_pre_routing_handler([](const Request& req, Response& res) {
    if (req.method == "POST" || !HasBody(req)) return httplib::Server::HandlerResponse::Unhandled;
    const uint64_t length = req.get_header_value<uint64_t>("Content-Length");
    if (req.has_header("Transfer-Encoding") || CurrentRequest().chunked || length > kMaxPlainBodyBytes) {
      res.status = 413;
      res.set_content("tessaron-proofd: request body too large for " + req.method + "\n", "text/plain");
      CloseAfter(res);
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });

  // Catches what httplib answers by itself (bad request lines, unknown
  // methods, oversized heads) so that every request gets its log line. The
  // rest of such a request may still be unread, so the connection ends too.
  http_.set_error_handler(httplib::Server::HandlerWithResponse(
      [this](const Request& req, Response& res) {
        const RequestContext& context = CurrentRequest();
        if (context.failure != 0) {
          res.status = context.failure;
          res.set_content("tessaron-proofd: " + context.failureText + "\n", "text/plain");
        }
        if (!context.logged) {
          Log(req, res.status, nlohmann::json::object());
          CloseAfter(res);
        }
        return context.failure != 0 ? httplib::Server::HandlerResponse::Handled
                                    : httplib::Server::HandlerResponse::Unhandled;
      }));

  http_.set_exception_handler([this](const Request& req, Response& res, std::exception_ptr ep) {
    std::string what = "unknown exception";
    try {
      std::rethrow_exception(ep);
    } catch (const std::exception& e) {
      what = e.what();
    } catch (...) {
    }
    res.status = 500;
    res.set_content("tessaron-proofd: internal error: " + what + "\n", "text/plain");
    CloseAfter(res);
    if (!CurrentRequest().logged) Log(req, 500, {{"error", what}});
  });
}

void ProofServer::HandleProjectList(const httplib::Request& req, httplib::Response& res) {
  const FaultSpec fault = faults_.Take(req.path);
  const QueryPairs query = ParseQuery(req.target);
  const Verdict verdict =
      CurrentUsers()->Check(QueryValue(query, "username"), QueryValue(query, "password"));
  Reply reply;
  reply.extra["verdict"] = static_cast<int>(verdict);
  if (verdict == Verdict::kAccepted && QueryValue(query, "getupdate") == "1") {
    std::string error;
    reply.body = UpdateAnswer(ProjectsPath(), 1, kUpdateType, error);
    if (!reply.body) {
      reply.status = 500;
      reply.body = TextBody("tessaron-proofd: " + error + "\n");
      reply.extra["error"] = error;
    }
  } else {
    reply.body = VerdictAnswer(static_cast<int>(verdict));
  }
  Finish(req, res, std::move(reply), fault);
}

int ProofServer::RefuseEarlyUpload(const httplib::Request& req, httplib::Response& res) {
  // A head the stream refused gets its answer before any body is asked for.
  if (CurrentRequest().failure != 0) {
    res.status = CurrentRequest().failure;
    return res.status;
  }
  if (req.path != kUploadPath) return 100;
  const QueryPairs query = ParseQuery(req.target);
  const Verdict verdict =
      CurrentUsers()->Check(QueryValue(query, "username"), QueryValue(query, "password"));
  if (verdict == Verdict::kAccepted) return 100;
  // The client has not sent the body yet: refuse now and close, rather than
  // take in a file we would throw away.
  // httplib sends this answer without a length of its own.
  const std::string text = "tessaron-proofd: not allowed to upload\n";
  res.status = StatusFor(verdict);
  res.set_content(text, "text/plain");
  res.set_header("Content-Length", std::to_string(text.size()));
  CloseAfter(res);
  Log(req, res.status, {{"verdict", static_cast<int>(verdict)}, {"error", "not allowed to upload"}});
  return res.status;
}

void ProofServer::HandleUpload(const httplib::Request& req, httplib::Response& res,
                               const httplib::ContentReader& reader) {
  const FaultSpec fault = faults_.Take(req.path);
  const QueryPairs query = ParseQuery(req.target);
  const Verdict verdict =
      CurrentUsers()->Check(QueryValue(query, "username"), QueryValue(query, "password"));
  RequestContext& context = CurrentRequest();
  const bool hasReader = static_cast<bool>(reader.reader_);
  Reply reply;
  reply.extra["verdict"] = static_cast<int>(verdict);
  auto refuse = [&](int status, const std::string& why) {
    reply.status = status;
    reply.body = TextBody("tessaron-proofd: " + why + "\n");
    reply.extra["error"] = why;
  };

  if (hasReader && !req.is_multipart_form_data()) {
    if (!Drain(req, &reader)) CloseAfter(res);
    refuse(400, "expected a multipart form with a part named \"file\"");
    Finish(req, res, std::move(reply), fault);
    return;
  }

  // Only an accepted upload whose answer is not replaced by a fault is kept.
  const bool keep = verdict == Verdict::kAccepted && fault.kind != FaultKind::kStatus;
  UploadFile file;
  std::string error;
  if (keep && !file.Begin(config_.uploadsDir, error)) {
    if (hasReader && !Drain(req, &reader)) CloseAfter(res);
    refuse(500, error);
    Finish(req, res, std::move(reply), fault);
    return;
  }

  bool storing = false;
  int filePart = -1;
  uint64_t total = 0;
  bool tooLarge = false;
  bool tooManyParts = false;
  bool writeFailed = false;
  bool complete = true;
  // A slow reader takes the body off the connection no faster than its rate.
  const auto readStart = std::chrono::steady_clock::now();
  auto keepPace = [&] {
    if (fault.kind != FaultKind::kSlowRead) return true;
    const auto due = readStart + std::chrono::milliseconds(total * 1000 / fault.bytes);
    const auto ahead = std::chrono::duration_cast<std::chrono::milliseconds>(due - std::chrono::steady_clock::now());
    return ahead.count() <= 0 || faults_.Sleep(ahead.count());
  };
  if (hasReader) {
    complete = reader(
        [&](const httplib::MultipartFormData& part) {
          if (context.parts.size() == kMaxParts) {
            tooManyParts = true;
            return false;
          }
          context.parts.push_back(PartRecord{part.name, part.filename, part.content_type, 0, ""});
          storing = keep && filePart < 0 && part.name == "file";
          if (storing) filePart = static_cast<int>(context.parts.size()) - 1;
          return true;
        },
        [&](const char* data, size_t size) {
          total += size;
          if (total > config_.maxUploadBytes) {
            tooLarge = true;
            return false;
          }
          if (fault.kind == FaultKind::kReset && total > fault.bytes) {
            if (fault.delayMs > 0) faults_.Sleep(fault.delayMs);
            context.resetConnection = true;
            return false;
          }
          if (!context.parts.empty()) context.parts.back().size += size;
          if (storing && !file.Append(data, size)) {
            writeFailed = true;
            return false;
          }
          return keepPace();
        });
  }

  if (tooLarge) {
    CloseAfter(res);
    refuse(413, "upload larger than " + std::to_string(config_.maxUploadBytes) + " bytes");
  } else if (tooManyParts) {
    CloseAfter(res);
    refuse(413, "more than " + std::to_string(kMaxParts) + " parts");
  } else if (writeFailed) {
    CloseAfter(res);
    refuse(500, file.Error());
  } else if (!complete) {
    CloseAfter(res);
    refuse(400, "the multipart body is incomplete or malformed");
  } else if (verdict != Verdict::kAccepted) {
    refuse(StatusFor(verdict), "not allowed to upload");
  } else if (keep && filePart < 0) {
    refuse(400, "no part named \"file\"");
  } else if (keep) {
    std::string stored;
    if (file.Commit(context.parts[static_cast<size_t>(filePart)].filename, stored)) {
      context.parts[static_cast<size_t>(filePart)].stored = stored;
      reply.body = TextBody("stored " + stored + "\n");
    } else {
      refuse(500, file.Error());
    }
  }
  if (!reply.body) reply.body = TextBody("OK\n");
  Finish(req, res, std::move(reply), fault);
}

void ProofServer::HandleProjectPage(const httplib::Request& req, httplib::Response& res) {
  const FaultSpec fault = faults_.Take(req.path);
  const QueryPairs query = ParseQuery(req.target);
  Reply reply;
  if (!HasQueryKey(query, "projectid")) {
    reply.body = HtmlBody("tessaron-proofd", "<h1>tessaron-proofd</h1>\n<p>Proofing server.</p>\n");
    Finish(req, res, std::move(reply), fault);
    return;
  }
  const std::string id = QueryValue(query, "projectid");
  ProjectInfo info;
  std::string error;
  if (FindProject(ProjectsPath(), id, info, error)) {
    std::string content = "<h1>" + EscapeMarkup(info.name) + "</h1>\n<p>Project " +
                          EscapeMarkup(info.id);
    if (!info.groupName.empty()) content += " in " + EscapeMarkup(info.groupName);
    if (!info.code.empty()) content += ", code " + EscapeMarkup(info.code);
    content += "</p>\n";
    reply.body = HtmlBody(info.name, content);
  } else if (!error.empty()) {
    reply.status = 500;
    reply.extra["error"] = error;
    reply.body = HtmlBody("Error", "<p>" + EscapeMarkup(error) + "</p>\n");
  } else {
    reply.status = 404;
    reply.body = HtmlBody("No such project",
                          "<p>There is no project " + EscapeMarkup(id) + ".</p>\n");
  }
  Finish(req, res, std::move(reply), fault);
}

void ProofServer::HandleUnknown(const httplib::Request& req, httplib::Response& res,
                                const httplib::ContentReader* reader) {
  const FaultSpec fault = faults_.Take(req.path);
  if (!Drain(req, reader)) CloseAfter(res);
  Reply reply;
  reply.status = 404;
  reply.body = TextBody("tessaron-proofd: no such page\n");
  Finish(req, res, std::move(reply), fault);
}

void ProofServer::HandleControlRequest(const httplib::Request& req, httplib::Response& res,
                                       const httplib::ContentReader* reader) {
  std::string body;
  bool tooLarge = false;
  if (reader != nullptr) {
    const bool read = (*reader)([&](const char* data, size_t size) {
      if (body.size() + size > kMaxPlainBodyBytes) {
        tooLarge = true;
        return false;
      }
      body.append(data, size);
      return true;
    });
    if (!read) CloseAfter(res);
  }
  const RequestContext& context = CurrentRequest();
  ControlResult result;
  if (context.failure != 0) {
    result = {context.failure, nlohmann::json{{"error", context.failureText}}.dump(), context.failureText};
  } else if (tooLarge) {
    result = {413, R"({"error":"control body too large"})", "control body too large"};
  } else {
    result = HandleControl(*this, req.method, body);
  }
  res.status = result.status;
  Log(req, result.status, result.error.empty() ? nlohmann::json::object()
                                               : nlohmann::json{{"error", result.error}});
  res.set_content(result.body + "\n", "application/json");
}

void ProofServer::Finish(const httplib::Request& req, httplib::Response& res, Reply reply,
                         const FaultSpec& fault) {
  RequestContext& context = CurrentRequest();
  context.fault = FaultKindName(fault.kind);
  // The body could not be read (too slow, or its framing broken): whatever the
  // handler made of the part it got, that is the answer.
  if (context.failure != 0) {
    reply.status = context.failure;
    reply.body = TextBody("tessaron-proofd: " + context.failureText + "\n");
    reply.extra["error"] = context.failureText;
    CloseAfter(res);
  }
  if (fault.delayMs > 0 && fault.kind != FaultKind::kSlow && fault.kind != FaultKind::kSlowHead &&
      fault.kind != FaultKind::kReset)
    faults_.Sleep(fault.delayMs);
  if (!reply.body) reply.body = TextBody("");

  if (fault.kind == FaultKind::kStatus) {
    reply.status = fault.status;
    const bool bodiless = fault.status == 204 || fault.status == 304;
    reply.body = TextBody(bodiless ? std::string()
                                   : "tessaron-proofd: injected status " +
                                         std::to_string(fault.status) + "\n");
  }
  uint64_t declared = reply.body->Size();
  uint64_t sent = declared;
  switch (fault.kind) {
    case FaultKind::kDrop:
      if (declared == 0) {
        declared = 1;
        sent = 0;
      } else {
        sent = fault.bytes > 0 ? std::min(fault.bytes, declared - 1) : declared / 2;
      }
      CloseAfter(res);
      break;
    case FaultKind::kMalformed:
      // Half an answer, properly delimited: the transfer succeeds and the
      // XML inside it does not parse.
      if (declared < 2) {
        reply.body = TextBody("<", "text/xml; charset=UTF-8");
        declared = sent = 1;
      } else {
        declared = sent = declared / 2;
      }
      break;
    case FaultKind::kOversized: {
      const uint64_t target = fault.bytes > 0 ? fault.bytes : kDefaultOversizeBytes;
      // Trailing blanks keep an XML answer well-formed, only far larger.
      if (target > declared) reply.body->AddPadding(target - declared, ' ');
      declared = sent = reply.body->Size();
      break;
    }
    case FaultKind::kNone:
    case FaultKind::kStatus:
    case FaultKind::kDelay:
    case FaultKind::kSlow:
    case FaultKind::kSlowRead:
      break;
    case FaultKind::kReset:
      context.resetConnection = true;
      break;
    case FaultKind::kSlowHead:
      context.beforeEachHeadByte = [this, pause = fault.delayMs] { return faults_.Sleep(pause); };
      break;
  }
  res.status = reply.status;
  Log(req, reply.status, reply.extra);
  std::function<bool()> pace;
  if (fault.kind == FaultKind::kSlow) {
    pace = [this, pause = fault.delayMs] { return faults_.Sleep(pause); };
  }
  StreamBody(res, reply.body, declared, sent, std::move(pace));
}

void ProofServer::Log(const httplib::Request& req, int status, const nlohmann::json& extra) {
  RequestContext& context = CurrentRequest();
  context.logged = true;
  {
    std::lock_guard<std::mutex> lock(settingsMutex_);
    ++requests_;
  }
  nlohmann::json line = extra.is_object() ? extra : nlohmann::json::object();
  line["method"] = req.method;
  line["path"] = req.path;
  // The log is a file anyone with the folder may read later: no password in it.
  line["target"] = MaskPasswords(req.target);
  nlohmann::json query = nlohmann::json::array();
  for (const auto& [key, value] : ParseQuery(req.target)) {
    const auto [shownKey, shownValue] = MaskedPair(key, value);
    query.push_back({shownKey, shownValue});
  }
  line["query"] = std::move(query);
  nlohmann::json headers = nlohmann::json::array();
  for (const auto& [name, value] : HeaderLines(context.head)) headers.push_back({name, MaskHeaderValue(name, value)});
  line["headers"] = std::move(headers);
  line["status"] = status;
  line["fault"] = context.fault;
  if (!context.parts.empty()) {
    nlohmann::json parts = nlohmann::json::array();
    for (const PartRecord& part : context.parts) {
      parts.push_back({{"name", part.name},
                       {"filename", part.filename},
                       {"content_type", part.contentType},
                       {"size", part.size},
                       {"stored", part.stored}});
    }
    line["parts"] = std::move(parts);
  }
  log_.Write(std::move(line));
}

}  // namespace proofd
