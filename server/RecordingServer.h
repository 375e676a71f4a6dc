// An httplib server that also keeps each request's head exactly as it came
// off the wire. httplib hands handlers its headers sorted by name, with a few
// of its own added, but the protocol's custom header lines have a fixed order
// that tests must see; so this server runs the connections itself, over a
// socket stream that copies the request line and header lines aside, and
// hands them to the handler through the calling thread's RequestContext.
// It also lets a handler ask for the connection to be closed after its answer,
// and holds each request head to a deadline and a size, counted from its first
// byte: httplib limits neither the time a head may take nor the number of its
// lines. A connection that sends nothing at all gets the same deadline.
//
// Threading: httplib runs each connection on one of its pool threads and calls
// the handlers of that connection's requests on the same thread, which is what
// makes the thread-local context sound.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <httplib.h>

namespace proofd {

struct PartRecord {
  std::string name;
  std::string filename;
  std::string contentType;
  uint64_t size = 0;
  std::string stored;  // file name under the uploads folder; empty when not kept
};

struct RequestContext {
  std::string head;           // request line and header lines as received
  int headFailure = 0;        // 408 or 431 when the head was cut off, else 0
  bool closeAfter = false;    // close the connection once this answer is out
  bool logged = false;        // the request log has its line
  std::string fault = "none";
  std::vector<PartRecord> parts;
};

// The context of the request the calling thread is handling.
RequestContext& CurrentRequest();

// The header lines of a request head as (name, value) pairs in arrival order,
// values without surrounding blanks.
std::vector<std::pair<std::string, std::string>> HeaderLines(const std::string& head);

class RecordingServer : public httplib::Server {
 public:
  // Call before the server runs.
  // httplib listens with a backlog of 5: a burst of connections, a slowloris
  // among them, would leave others' connects waiting on SYN retries for seconds.
  // Call after binding.
  bool widen_backlog(int backlog);

  void set_head_limits(std::chrono::milliseconds deadline, size_t maxBytes) {
    headDeadline_ = deadline;
    maxHeadBytes_ = maxBytes;
  }

 private:
  bool process_and_close_socket(socket_t sock) override;

  std::chrono::milliseconds headDeadline_{10000};
  size_t maxHeadBytes_ = 64 * 1024;
};

}  // namespace proofd
