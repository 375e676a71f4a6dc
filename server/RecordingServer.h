// An httplib server that reads every request through its own socket stream,
// which does what httplib 0.11 leaves undone:
// - it keeps each request's head exactly as it came off the wire. httplib
//   hands handlers its headers sorted by name, with a few of its own added,
//   but the protocol's custom header lines have a fixed order that tests must
//   see; the head goes to the handler through the calling thread's
//   RequestContext;
// - it holds a request head to a deadline and a size, counted from its first
//   byte, and each header line to the size httplib takes (larger: 431);
//   httplib limits neither the time a head may take nor the number of its
//   lines. A connection that sends nothing at all gets the same deadline;
// - it holds a body to a minimum rate, which it may fall behind by one read
//   timeout at most, and to the read timeout between two reads (slower: 408);
// - it refuses a head with a header line that is not "name: value", and a
//   body whose framing two readers could take two ways (two lengths, a length
//   and chunked, chunked not alone);
// - it follows a chunked body's framing itself, with every framing line held
//   to a small size (see ChunkedFraming.h), and hands httplib the data alone;
// - it holds a multipart body until its opening delimiter line is whole, which
//   httplib's parser needs of its first piece;
// - it accepts connections itself, so that when threads or descriptors run
//   short (the pool is full, accept fails for want of descriptors, or the
//   connections near the descriptor limit) the connections silent longest are
//   closed to make room (see ConnectionRegistry.h); httplib only retries the
//   accept, and a connection that sends nothing holds its descriptor and
//   thread for the whole head deadline.
// It also lets a handler ask for the connection to be closed after its answer,
// and stops on request at any moment after binding.
//
// Threading: httplib runs each connection on one of the pool's threads and
// calls the handlers of that connection's requests on the same thread, which
// is what makes the thread-local context sound. stop may be called from any
// thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <httplib.h>

#include "ConnectionRegistry.h"

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
  // Set when the stream gave up on the request: 408, 431, 400 for a malformed
  // header line or a broken or ambiguous framing, 413 or 501 for a framing it
  // cannot follow; then the answer has that status and `failureText` says why.
  int failure = 0;
  std::string failureText;
  bool chunked = false;       // the body is chunked; httplib no longer sees the header
  bool closeAfter = false;    // close the connection once this answer is out
  bool logged = false;        // the request log has its line
  // When set, called before each byte of the answer's head is written; false
  // gives up the answer.
  std::function<bool()> beforeEachHeadByte;
  // Answer nothing and reset the connection (RST) instead of closing it.
  bool resetConnection = false;
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
  RecordingServer();

  // httplib listens with a backlog of 5: a burst of connections, a slowloris
  // among them, would leave others' connects waiting on SYN retries for seconds.
  // Call after binding.
  bool widen_backlog(int backlog);

  // The rest: call before the server runs.
  void set_head_limits(std::chrono::milliseconds deadline, size_t maxBytes) {
    headDeadline_ = deadline;
    maxHeadBytes_ = maxBytes;
  }
  // Connections served at once, a thread each.
  void set_max_connections(size_t count) { maxConnections_ = count; }
  void set_min_body_rate(uint64_t bytesPerSecond) { minBodyRate_ = bytesPerSecond; }

  // Accepts and serves connections until stop; false when the listener
  // failed. Call after binding, in place of httplib's listen_after_bind.
  bool serve_after_bind();

  // httplib's stop() does nothing until the listen loop runs, so a stop that
  // comes between binding and the loop would be lost; this one closes the
  // listener whenever it is called, and the loop then ends or never starts.
  void stop();

 private:
  bool process_and_close_socket(socket_t sock) override;

  std::chrono::milliseconds headDeadline_{10000};
  size_t maxHeadBytes_ = 64 * 1024;
  size_t maxConnections_ = 1024;
  uint64_t minBodyRate_ = 1024;
  std::atomic<size_t> waiting_{0};  // connections waiting for a thread
  ConnectionRegistry registry_;
};

}  // namespace proofd
