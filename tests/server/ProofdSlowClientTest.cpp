// tessaron-proofd under slow and greedy clients: heads that never end, heads that never stop
// growing, bodies that trickle. Each gets a clear answer and a closed connection, and while
// they last every other client is answered at once. Deadlines are shortened by flags.
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <thread>
#include <vector>

#include "ServerProcess.h"

namespace proofd_test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::string SamplesFile(const std::string& name) { return std::string(TS_SOURCE_DIR) + "/samples/" + name; }

long RssKiB(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

class ProofdSlowClientTest : public ::testing::Test {
 protected:
  void StartServer(std::vector<std::string> extra, int descriptors = 0) {
    const std::string users = dir_ / "users.json";
    tstest::WriteFile(users, R"({"users": [{"name": "demo", "password": "demo", "rights": true}]})");
    std::vector<std::string> args{"--port", "0", "--projects", SamplesFile("projects.xml"), "--users", users,
                                  "--uploads", dir_ / "uploads", "--log", dir_ / "requests.jsonl"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::string error;
    ASSERT_TRUE(server_.Start(args, error, descriptors)) << error;
    // The pool's threads are all made before the first connection is taken: once a request
    // is answered, times and memory are those of a running server.
    httplib::Client client("127.0.0.1", server_.Port());
    client.set_read_timeout(30, 0);
    auto res = client.Get("/");
    ASSERT_TRUE(res && res->status == 200);
  }

  // The slowest of `count` project-list downloads made one after another on fresh connections.
  milliseconds SlowestOfOthers(int count) {
    milliseconds slowest{0};
    for (int i = 0; i < count; ++i) {
      httplib::Client client("127.0.0.1", server_.Port());
      client.set_read_timeout(10, 0);
      const auto start = Clock::now();
      auto res = client.Get("/indd_xml.asp?username=demo&password=demo");
      const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
      EXPECT_TRUE(res && res->status == 200) << "request " << i;
      slowest = std::max(slowest, took);
    }
    return slowest;
  }

  // The request log's last line.
  std::string LastLogLine() const {
    std::ifstream in(dir_ / "requests.jsonl");
    std::string last;
    for (std::string line; std::getline(in, line);) last = line;
    return last;
  }

  tstest::TempDir dir_;
  ServerProcess server_;
};

// A head or a body that stops, or that trickles in below the minimum rate without ever pausing
// long, is answered 408 and its connection closed.
TEST_F(ProofdSlowClientTest, SlowHeadsAndBodiesAreAnswered408) {
  StartServer({"--head-timeout-ms", "1000", "--read-timeout-ms", "1000", "--min-body-rate", "1000"});
  const std::string upload = "POST /indd_filetransfer.asp?username=demo&password=demo HTTP/1.1\r\nHost: x\r\n"
                             "Content-Type: multipart/form-data; boundary=B\r\nContent-Length: 100000\r\n\r\n"
                             "--B\r\nContent-Disposition: form-data; name=\"file\"; filename=\"slow.pdf\"\r\n\r\n%PDF";
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"nothing at all", "", ""},
      {"half a request line", "GET /indd_xml.asp?user", ""},
      {"no blank line", "GET / HTTP/1.1\r\nHost: x\r\n", ""},
      {"a head, a line at a time", "GET / HTTP/1.1\r\n", "X-Slow: 1\r\n"},
      {"an upload, a byte at a time", upload, "x"},
      {"a chunked body, a chunk at a time", "POST /p HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n",
       "1\r\nx\r\n"},
      {"an upload that stops", upload + std::string(50000, 'x'), ""},
  };
  for (const auto& [what, head, trickle] : cases) {
    SCOPED_TRACE(what);
    Connection c(server_.Port());
    ASSERT_TRUE(c.Connected());
    ASSERT_TRUE(c.Send(head));
    const auto start = Clock::now();
    std::string reply;
    for (int i = 0; i < 200 && reply.empty(); ++i) {
      if (!trickle.empty()) c.Send(trickle);
      reply = c.Read(milliseconds(50));
    }
    reply += c.Read(milliseconds(8000));
    EXPECT_EQ(reply.rfind("HTTP/1.1 408", 0), 0u) << reply;
    EXPECT_LT(Clock::now() - start, milliseconds(6000)) << "answered and closed";
    if (head.find("\r\n\r\n") != std::string::npos) {
      EXPECT_EQ(nlohmann::json::parse(LastLogLine())["status"], 408) << "a request whose head came is logged";
    }
  }
}

// Connections that idle between requests, and new ones that send nothing, give way to others
// when every thread is taken; one whose upload is on its way does not, however long ago its
// last byte came.
TEST_F(ProofdSlowClientTest, SilentConnectionsGiveWayWhenThePoolIsFull) {
  StartServer({"--threads", "4", "--idle-timeout-ms", "60000", "--head-timeout-ms", "60000"});
  const std::string form = "--B\r\nContent-Disposition: form-data; name=\"file\"; filename=\"kept.pdf\"\r\n\r\n%PDF\r\n--B--\r\n";
  Connection upload(server_.Port());
  ASSERT_TRUE(upload.Send("POST /indd_filetransfer.asp?username=demo&password=demo HTTP/1.1\r\nHost: x\r\n"
                          "Content-Type: multipart/form-data; boundary=B\r\nContent-Length: " +
                          std::to_string(form.size()) + "\r\n\r\n" + form.substr(0, 10)));
  std::vector<std::unique_ptr<Connection>> silent;
  for (int i = 0; i < 3; ++i) {
    silent.push_back(std::make_unique<Connection>(server_.Port()));
    ASSERT_TRUE(silent.back()->Send("GET / HTTP/1.1\r\nHost: x\r\n\r\n"));
    ASSERT_EQ(silent.back()->Read(milliseconds(5000), "</html>").rfind("HTTP/1.1 200", 0), 0u);
  }
  for (int i = 0; i < 8; ++i) silent.push_back(std::make_unique<Connection>(server_.Port()));
  EXPECT_LT(SlowestOfOthers(5), milliseconds(5000));
  ASSERT_TRUE(upload.Send(form.substr(10)));
  EXPECT_EQ(upload.Read(milliseconds(5000), "kept").rfind("HTTP/1.1 200", 0), 0u);
}

// With too few descriptors for all its connections, the server closes those silent longest,
// telling them why, and an ordinary request is still answered.
TEST_F(ProofdSlowClientTest, SilentConnectionsGiveWayWhenDescriptorsRunShort) {
  StartServer({"--head-timeout-ms", "60000"}, 256);
  std::vector<std::unique_ptr<Connection>> silent;
  for (int i = 0; i < 600; ++i) {
    silent.push_back(std::make_unique<Connection>(server_.Port()));
    ASSERT_TRUE(silent.back()->Connected()) << i;
  }
  SlowestOfOthers(3);
  EXPECT_EQ(silent.front()->Read(milliseconds(5000)).rfind("HTTP/1.1 503", 0), 0u);
}

// Requests made to hold the server's memory or to keep it reading are refused as soon as they
// cross a limit, with a status that says which, and their log line stays small.
TEST_F(ProofdSlowClientTest, AbusiveRequestsAreRefusedEarly) {
  StartServer({"--max-head", "16384"});
  std::string lines;
  for (int i = 0; i < 2000; ++i) lines += "X-" + std::to_string(i) + ": y\r\n";
  const auto post = [](const std::string& path, const std::string& framing, const std::string& body) {
    return "POST " + path + " HTTP/1.1\r\nHost: x\r\nContent-Type: multipart/form-data; boundary=B\r\n" + framing +
           "\r\n\r\n" + body;
  };
  const std::string upload = "/indd_filetransfer.asp?username=demo&password=demo";
  const std::string form = "--B\r\nContent-Disposition: form-data; name=\"file\"; filename=\"f.pdf\"\r\n\r\n%PDF\r\n--B--\r\n";
  const std::string length = "Content-Length: " + std::to_string(form.size());
  char rest[16];
  std::snprintf(rest, sizeof rest, "%zx", form.size() - 5);
  const std::string chunked = "5\r\n" + form.substr(0, 5) + "\r\n" + rest + "\r\n" + form.substr(5) + "\r\n0\r\n\r\n";
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"many small header lines", "GET / HTTP/1.1\r\n" + lines, "431"},
      {"one header line over 8 KiB", "GET / HTTP/1.1\r\nX-Long: " + std::string(8183, 'v') + "\r\n\r\n", "431"},
      {"a header line that never ends", "GET / HTTP/1.1\r\nX-Long: " + std::string(20000, 'v'), "431"},
      {"a request line over 8 KiB", "GET /" + std::string(9000, 'p') + " HTTP/1.1\r\n\r\n", "414"},
      {"a long chunk-size line",
       post("/p", "Transfer-Encoding: chunked", std::string(20000, '0') + "5\r\nhello\r\n0\r\n\r\n"), "400"},
      {"a chunked body cut short", post("/p", "Transfer-Encoding: chunked", "5\r\nhel"), "400"},
      // Framing that two readers could take two ways, and header lines that are not "name: value".
      {"two different lengths", post(upload, length + "\r\nContent-Length: " + std::to_string(form.size() + 5), form),
       "400"},
      {"a length and chunked framing", post(upload, length + "\r\nTransfer-Encoding: chunked", chunked), "400"},
      {"chunked twice", post(upload, "Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked", chunked), "400"},
      {"a length that is no plain number", post(upload, "Content-Length: +" + std::to_string(form.size()), form), "400"},
      {"an unknown transfer coding", post(upload, "Transfer-Encoding: gzip, chunked", chunked), "501"},
      {"a blank before a colon", "GET / HTTP/1.1\r\nHost : x\r\n\r\n", "400"},
      {"a header line without a colon", "GET / HTTP/1.1\r\nHost x\r\n\r\n", "400"},
      {"a folded header line", "GET / HTTP/1.1\r\nX-A: a\r\n b\r\n\r\n", "400"},
  };
  for (const auto& [what, bytes, status] : cases) {
    SCOPED_TRACE(what);
    Connection c(server_.Port());
    c.Send(bytes);
    c.EndSending();
    const std::string reply = c.Read(milliseconds(5000));
    EXPECT_EQ(reply.rfind("HTTP/1.1 " + status, 0), 0u) << reply.substr(0, 200);
    const std::string line = LastLogLine();
    EXPECT_LT(line.size(), 32u << 10);
    EXPECT_EQ(nlohmann::json::parse(line)["status"], std::stoi(status)) << "the log says what was answered";
  }
  // A head just under the cap is served, a header line of 8 KiB in it.
  std::string head = "GET /indd_xml.asp?username=demo&password=demo HTTP/1.1\r\nConnection: close\r\n"
                     "X-Long: " + std::string(8182, 'v') + "\r\n";
  while (head.size() < 16000) head += "X-Pad: 0123456789\r\n";
  Connection c(server_.Port());
  ASSERT_TRUE(c.Send(head + "\r\n"));
  EXPECT_EQ(c.Read(milliseconds(5000)).rfind("HTTP/1.1 200", 0), 0u);
}

// A flood of header lines is cut at the cap, never read whole: the flooder gets 431 and a
// closed connection long before 400 MB, the server's memory stays flat, and others are
// answered meanwhile.
TEST_F(ProofdSlowClientTest, HeaderFloodIsCutAtTheCap) {
  StartServer({});
  const long before = RssKiB(server_.Pid());
  std::atomic<uint64_t> sent{0};
  std::string reply;
  std::thread flooder([&] {
    Connection c(server_.Port());
    std::string chunk;
    while (chunk.size() < (64 << 10)) chunk += "X-Flood: aaaaaaaaaaaaaaaa\r\n";
    c.Send("GET / HTTP/1.1\r\n");
    while (sent < (uint64_t{400} << 20) && c.Send(chunk)) sent += chunk.size();
    reply = c.Read(milliseconds(2000));
  });
  const milliseconds slowest = SlowestOfOthers(10);
  flooder.join();
  EXPECT_LT(sent.load(), uint64_t{400} << 20);
  if (!reply.empty()) {
    EXPECT_EQ(reply.rfind("HTTP/1.1 431", 0), 0u) << reply.substr(0, 200);
  }
  EXPECT_LT(slowest, milliseconds(1000));
  EXPECT_LT(RssKiB(server_.Pid()) - before, 64 * 1024) << "KiB grown";
}

// 8 slow clients, a slowloris of 100 connections and 20 uploads whose bodies trickle, all at
// once: every other request is still answered within a second.
TEST_F(ProofdSlowClientTest, SlowClientsDoNotStarveOthers) {
  StartServer({"--head-timeout-ms", "20000", "--read-timeout-ms", "20000"});
  std::vector<std::unique_ptr<Connection>> slow;
  const auto start = Clock::now();
  for (int i = 0; i < 8; ++i) {
    slow.push_back(std::make_unique<Connection>(server_.Port()));
    slow.back()->Send("GET /indd_xml.asp?username=demo");
  }
  for (int i = 0; i < 100; ++i) {
    slow.push_back(std::make_unique<Connection>(server_.Port()));
    slow.back()->Send("GET / HTTP/1.1\r\nHost: x\r\nX-Slowloris: ");
  }
  const std::string form = "--B\r\nContent-Disposition: form-data; name=\"file\"; filename=\"slow.pdf\"\r\n\r\n%PDF";
  for (int i = 0; i < 20; ++i) {
    slow.push_back(std::make_unique<Connection>(server_.Port()));
    slow.back()->Send("POST /indd_filetransfer.asp?username=demo&password=demo HTTP/1.1\r\nHost: x\r\n"
                      "Content-Type: multipart/form-data; boundary=B\r\nContent-Length: 1000000\r\n\r\n" + form);
  }
  for (const auto& c : slow) ASSERT_TRUE(c->Connected());
  // A burst of connections is taken up at once, not left to the client's SYN retries.
  EXPECT_LT(Clock::now() - start, milliseconds(1000));
  std::this_thread::sleep_for(milliseconds(200));
  for (const auto& c : slow) c->Send("a");
  EXPECT_LT(SlowestOfOthers(20), milliseconds(1000));
}

// A stop ends the server at once, whatever its connections are doing: a head or a body on
// its way, an idle kept-alive connection, an answer the client does not take.
TEST_F(ProofdSlowClientTest, StopEndsTheServerWhateverItsConnectionsDo) {
  StartServer({});
  httplib::Client control("127.0.0.1", server_.Port());
  ASSERT_EQ(control.Post("/_control", R"({"fault": "oversized", "bytes": 67108864, "path": "/"})", "application/json")
                ->status,
            200);
  const std::vector<std::string> requests = {
      "GET / HTTP/1.1\r\nHost: x\r\n\r\n",
      "GET /indd_xml.asp HTTP/1.1\r\nHost: x\r\n\r\n",
      "GET / HTTP/1.1\r\nHost: x\r\nX-Slow: ",
      "POST /p HTTP/1.1\r\nHost: x\r\nContent-Length: 1000\r\n\r\nsome",
  };
  std::vector<std::unique_ptr<Connection>> busy;
  for (const std::string& request : requests) {
    busy.push_back(std::make_unique<Connection>(server_.Port()));
    ASSERT_TRUE(busy.back()->Send(request));
  }
  std::this_thread::sleep_for(milliseconds(300));
  const auto start = Clock::now();
  EXPECT_EQ(server_.Stop(SIGTERM), 0);
  EXPECT_LT(Clock::now() - start, milliseconds(2500));
}

}  // namespace
}  // namespace proofd_test
