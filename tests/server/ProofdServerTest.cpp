// tessaron-proofd as the plug-in and the scenario tests meet it: the real
// program on a loopback port, driven over HTTP.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <thread>

#include "ServerProcess.h"

namespace proofd_test {
namespace {

using nlohmann::json;
using tstest::ReadFile;
using tstest::TempDir;

const std::string kSpecialPassword = "a&b#c d+e%f=g";

std::string Encode(const std::string& text) { return httplib::detail::encode_query_param(text); }

std::string SamplesFile(const std::string& name) { return std::string(TS_SOURCE_DIR) + "/samples/" + name; }

class ProofdTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir();
    const std::string users = *dir_ / "users.json";
    tstest::WriteFile(users, json{{"users",
        {{{"name", "demo"}, {"password", "demo"}, {"rights", true}},
         {{"name", "viewer"}, {"password", "viewer"}, {"rights", false}},
         {{"name", "spécial"}, {"password", kSpecialPassword}, {"rights", true}}}}}.dump());
    server_ = new ServerProcess();
    std::string error;
    ASSERT_TRUE(server_->Start({"--port", "0", "--projects", SamplesFile("projects.xml"), "--users", users,
                                "--uploads", Uploads(), "--log", LogPath()},
                               error))
        << error;
  }

  static void TearDownTestSuite() {
    EXPECT_EQ(server_->Stop(SIGTERM), 0) << "a clean exit on SIGTERM; standard error:\n" << server_->Stderr();
    EXPECT_EQ(server_->Stderr(), "");
    // The log holds every request's query and headers: its owner's only, and no password in it.
    struct stat info {};
    ASSERT_EQ(stat(LogPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const std::string log = ReadFile(LogPath());
    for (const std::string& password : {Encode(kSpecialPassword), std::string("a&b#c d+e%f=g"), std::string("a%26b%23c"),
                                        std::string("ZGVtbzpkZW1v"), std::string("3ddemo")})
      EXPECT_EQ(log.find(password), std::string::npos) << password;
    EXPECT_EQ(log.find("password=demo"), std::string::npos);
    EXPECT_EQ(log.find("\"password\",\"demo\""), std::string::npos);
    delete server_;
    delete dir_;
  }

  void SetUp() override {
    ASSERT_EQ(Control(json::object()).first, 200);
    for (const auto& entry : std::filesystem::directory_iterator(Uploads())) std::filesystem::remove(entry.path());
  }

  static std::string Uploads() { return *dir_ / "uploads"; }
  static std::string LogPath() { return *dir_ / "requests.jsonl"; }

  static httplib::Client Client() {
    httplib::Client client("127.0.0.1", server_->Port());
    client.set_url_encode(false);
    client.set_read_timeout(10, 0);
    return client;
  }

  static std::pair<int, json> Control(const json& body) {
    auto res = Client().Post("/_control", body.dump(), "application/json");
    return res ? std::pair{res->status, json::parse(res->body, nullptr, false)} : std::pair{0, json()};
  }

  // The last logged request to `path`, or to any path when it is empty.
  static json LastLogLine(const std::string& path = std::string()) {
    json last;
    std::ifstream in(LogPath());
    for (std::string line; std::getline(in, line);) {
      json entry = json::parse(line);
      if (path.empty() || entry["path"] == path) last = entry;
    }
    return last;
  }

  static std::vector<std::string> StoredFiles() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Uploads()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  static TempDir* dir_;
  static ServerProcess* server_;
};

TempDir* ProofdTest::dir_ = nullptr;
ServerProcess* ProofdTest::server_ = nullptr;

TEST_F(ProofdTest, ProjectListAnswersCarryTheVerdict) {
  const std::string special = "username=" + Encode("spécial") + "&password=";
  const std::tuple<std::string, std::string, bool> cases[] = {
      {"username=demo&password=demo&getupdate=1", "1", true},
      {"username=demo&password=demo", "1", false},
      {"username=demo&password=demo&getupdate=0", "1", false},
      {"username=demo&password=wrong&getupdate=1", "0", false},
      {"username=nobody&password=demo&getupdate=1", "0", false},
      {"username=viewer&password=viewer&getupdate=1", "-1", false},
      {"username=viewer&password=wrong", "0", false},
      {"getupdate=1", "0", false},
      // Percent-encoded credentials arrive intact, "&", "#", " ", "+", "%" and "=" included.
      {special + Encode(kSpecialPassword) + "&getupdate=1", "1", true},
      // A raw "+" is a blank, as in any query string.
      {special + "a%26b%23c+d%2Be%25f%3Dg&getupdate=1", "1", true},
      {special + "a%26b%23c%20d+e%25f%3Dg&getupdate=1", "0", false},
  };
  // The root tag gets the verdict; with an update the rest of the list is served as it is.
  const std::string sample = ReadFile(SamplesFile("projects.xml"));
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tessaron ";
  const std::string updated = head + "filename=\"$project_code$_$file_name$_$page_number$\" authenticated=\"1\"" +
                              " type=\"TESSARON_UPDATE\">" +
                              sample.substr(sample.find('>', sample.find("<tessaron")) + 1);
  for (const auto& [query, authenticated, update] : cases) {
    SCOPED_TRACE(query);
    auto res = Client().Get("/indd_xml.asp?" + query);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, update ? updated : head + "authenticated=\"" + authenticated + "\"/>\n");
    EXPECT_EQ(LastLogLine("/indd_xml.asp")["verdict"], std::stoi(authenticated));
  }
}

TEST_F(ProofdTest, UploadIsStoredWithItsBytesAndLogged) {
  std::mt19937 random(7);
  std::string pdf(3 << 20, '\0');
  for (char& c : pdf) c = static_cast<char>(random());
  pdf.replace(1000, 40, "\r\n--boundary-lookalike\r\nContent-Type: x\r\n");
  const std::string query = "username=demo&password=demo&project_id=1001&status_id=2&item_numbers=1-4";
  // The second time the same form comes chunked, in pieces that straddle the server's reads.
  const std::string form = "--XyZ\r\nContent-Disposition: form-data; name=\"file\"; filename=\"Brochure.pdf\"\r\n"
                           "Content-Type: pdf\r\n\r\n" + pdf + "\r\n--XyZ--\r\n";
  const auto pieces = [&form](size_t offset, httplib::DataSink& sink) {
    if (offset < form.size()) return sink.write(form.data() + offset, std::min<size_t>(4093, form.size() - offset));
    sink.done();
    return true;
  };
  const std::string path = "/indd_filetransfer.asp?" + query;
  for (const bool chunked : {false, true}) {
    const std::string expected = chunked ? "Brochure-2.pdf" : "Brochure.pdf";
    auto res = chunked ? Client().Post(path, pieces, "multipart/form-data; boundary=XyZ")
                       : Client().Post(path, {{"file", pdf, "Brochure.pdf", "pdf"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(ReadFile(Uploads() + "/" + expected), pdf) << expected;
  }
  const json line = LastLogLine("/indd_filetransfer.asp");
  EXPECT_EQ(line["method"], "POST");
  EXPECT_EQ(line["status"], 200);
  EXPECT_EQ(line["query"], json::parse(R"([["username","demo"],["password","***"],["project_id","1001"],
                                           ["status_id","2"],["item_numbers","1-4"]])"));
  EXPECT_EQ(line["parts"], json::array({{{"name", "file"}, {"filename", "Brochure.pdf"}, {"content_type", "pdf"},
                                         {"size", pdf.size()}, {"stored", "Brochure-2.pdf"}}}));
  EXPECT_EQ(StoredFiles(), (std::vector<std::string>{"Brochure-2.pdf", "Brochure.pdf"}));
}

// How the network or a buffer cuts an upload's body does not matter, however little of it the
// server's first read holds (less than its opening "--XyZ\r\n" line included), and however long a
// preamble comes before that line.
TEST_F(ProofdTest, UploadIsStoredHoweverItsBodyIsCut) {
  const std::string pdf = "%PDF-1.4 cut anywhere";
  const std::string form = "--XyZ\r\nContent-Disposition: form-data; name=\"file\"; filename=\"cut.pdf\"\r\n"
                           "Content-Type: pdf\r\n\r\n" + pdf + "\r\n--XyZ--\r\n";
  const std::string head = "POST /indd_filetransfer.asp?username=demo&password=demo HTTP/1.1\r\nHost: x\r\n"
                           "Connection: close\r\nContent-Type: multipart/form-data; boundary=";
  const auto expectStored = [&](const std::string& reply) {
    EXPECT_EQ(reply.rfind("HTTP/1.1 200", 0), 0u) << reply;
    const size_t name = reply.find("stored ");
    ASSERT_NE(name, std::string::npos);
    EXPECT_EQ(ReadFile(Uploads() + "/" + reply.substr(name + 7, reply.find('\n', name) - name - 7)), pdf);
  };
  const auto chunked = [](const std::string& body, size_t piece) {
    std::string framed;
    for (size_t at = 0; at < body.size(); at += piece) {
      char size[16];
      std::snprintf(size, sizeof size, "%zx\r\n", std::min(piece, body.size() - at));
      framed += size + body.substr(at, piece) + "\r\n";
    }
    return framed + "0\r\n\r\n";
  };
  // Past the hold's 64 KiB, behind a preamble that puts the opening line across two of httplib's reads.
  const std::string preambled = std::string(4096 * 17 - 5, 'p') + "\r\n" + form;
  for (size_t piece = 1; piece <= form.size(); ++piece) {
    SCOPED_TRACE("pieces of " + std::to_string(piece));
    SetUp();
    const std::string lengthHead = head + "XyZ\r\nContent-Length: " + std::to_string(form.size()) + "\r\n";
    // Written a piece at a time, with a pause after each so that the server reads them apart.
    Connection c(server_->Port());
    ASSERT_TRUE(c.Send(lengthHead + "\r\n"));
    for (size_t at = 0; at < form.size(); at += piece) {
      c.Send(form.substr(at, piece));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    expectStored(c.Read(std::chrono::seconds(10)));
    // Chunked, a chunk a piece: the server hands on each chunk's data alone.
    expectStored(Talk(server_->Port(), {{head + "XyZ\r\nTransfer-Encoding: chunked\r\n\r\n" + chunked(form, piece), ""}}));
    expectStored(Talk(server_->Port(),
                      {{head + "\"XyZ\"\r\nTransfer-Encoding: chunked\r\n\r\n" + chunked(preambled, piece), ""}}));
    // Written at once, behind a head that leaves only `piece` bytes of the body in the server's
    // first read of 4096.
    std::string padded = lengthHead + "X-Pad: ";
    padded += std::string(4096 - piece - padded.size() - 4, 'p') + "\r\n\r\n";
    expectStored(Talk(server_->Port(), {{padded + form, ""}}));
  }
}

// A form of `count` parts: the file first, then fields.
httplib::MultipartFormDataItems Parts(size_t count) {
  httplib::MultipartFormDataItems items{{"file", "%PDF", "a.pdf", "pdf"}};
  while (items.size() < count) items.push_back({"field" + std::to_string(items.size()), "x", "", ""});
  return items;
}

TEST_F(ProofdTest, UploadRefusalsKeepNothingAndNamesStayInTheFolder) {
  const std::string ok = "username=demo&password=demo&project_id=1&status_id=1&item_numbers=1";
  const std::tuple<std::string, httplib::MultipartFormDataItems, int, std::vector<std::string>> cases[] = {
      {"username=demo&password=nope", {{"file", "%PDF", "a.pdf", "pdf"}}, 401, {}},
      {"username=viewer&password=viewer", {{"file", "%PDF", "a.pdf", "pdf"}}, 403, {}},
      {ok, {{"other", "%PDF", "a.pdf", "pdf"}}, 400, {}},
      {ok, {{"file", "%PDF", "../../escape.pdf", "pdf"}}, 200, {"escape.pdf"}},
      {ok, {{"file", "one", "one.pdf", "pdf"}, {"file", "two", "two.pdf", "pdf"}}, 200, {"one.pdf"}},
      // An upload is one file part, with room for a few fields; a ninth part is one too many.
      {ok, Parts(8), 200, {"a.pdf"}},
      {ok, Parts(9), 413, {}},
  };
  for (const auto& [query, items, status, stored] : cases) {
    SCOPED_TRACE(query + " " + items[0].filename);
    SetUp();
    auto res = Client().Post("/indd_filetransfer.asp?" + query, items);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, status);
    EXPECT_EQ(StoredFiles(), stored) << "no temporary files are left either";
    EXPECT_EQ(LastLogLine("/indd_filetransfer.asp")["parts"].size(), std::min<size_t>(items.size(), 8));
  }
  SetUp();
  auto plain = Client().Post("/indd_filetransfer.asp?" + ok, "%PDF", "application/pdf");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->status, 400);
  EXPECT_TRUE(StoredFiles().empty());
}

TEST_F(ProofdTest, RawRequestsAreLoggedAsTheyArrive) {
  // Credentials in any case of key or header name are masked, and nothing else is.
  const std::string request = "GET /indd_xml.asp?username=demo&password=demo&PASSWORD=demo&password+=demo"
                              "&PASSWORD%3ddemo HTTP/1.1\r\nHost: x\r\n"
                              "OS: iMac9,1\r\nUserName: ann\r\nWorkStation: Ann's Mac\r\nRAM: 4 GB\r\n"
                              "Authorization: Basic ZGVtbzpkZW1v\r\nproxy-authorization: Bearer t0k3n\r\n"
                              "Cookie: theme=dark; password=demo\r\nX-Password: demo\r\nCookie2: password=demo\r\n"
                              "Connection: close\r\n\r\n";
  EXPECT_NE(Talk(server_->Port(), {{request, ""}}).find("authenticated=\"1\""), std::string::npos);
  const json line = LastLogLine();
  EXPECT_EQ(line["headers"], json::parse(R"([["Host","x"],["OS","iMac9,1"],["UserName","ann"],
      ["WorkStation","Ann's Mac"],["RAM","4 GB"],["Authorization","***"],["proxy-authorization","***"],
      ["Cookie","***"],["X-Password","***"],["Cookie2","***"],["Connection","close"]])"));
  EXPECT_EQ(line["query"], json::parse(R"([["username","demo"],["password","***"],["PASSWORD","***"],
      ["password ","***"],["PASSWORD","***"]])"));
  EXPECT_EQ(line["target"], "/indd_xml.asp?username=demo&password=***&PASSWORD=***&password+=***&PASSWORD%3d***");

  // A blank before a colon makes a header line malformed: refused, and its credentials masked all the same.
  const std::string blank = Talk(server_->Port(), {{"GET /indd_xml.asp?username=demo&password=demo HTTP/1.1\r\n"
                                                    "Authorization : Basic ZGVtbzpkZW1v\r\nCookie : password=demo\r\n\r\n", ""}});
  EXPECT_EQ(blank.rfind("HTTP/1.1 400", 0), 0u) << blank;
  EXPECT_EQ(LastLogLine()["headers"], json::parse(R"([["Authorization ","***"],["Cookie ","***"]])"));

  const std::string reply = Talk(server_->Port(), {{"BLAH\r\n\r\nGET / HTTP/1.1\r\n\r\n", ""}});
  EXPECT_EQ(reply.rfind("HTTP/1.1 400", 0), 0u);
  EXPECT_EQ(reply.find("HTTP/1.1", 1), std::string::npos) << "nothing after the refusal is served";
  EXPECT_EQ(LastLogLine()["method"], "BLAH");
  EXPECT_EQ(LastLogLine()["status"], 400);
}

TEST_F(ProofdTest, ExpectContinueIsAnsweredBeforeTheBody) {
  const std::string body =
      "--XyZ\r\nContent-Disposition: form-data; name=\"file\"; filename=\"late.pdf\"\r\n"
      "Content-Type: pdf\r\n\r\n%PDF-late\r\n--XyZ--\r\n";
  auto head = [&](const std::string& password) {
    return "POST /indd_filetransfer.asp?username=demo&password=" + password +
           " HTTP/1.1\r\nHost: x\r\nContent-Type: multipart/form-data; boundary=XyZ\r\n"
           "Content-Length: " + std::to_string(body.size()) + "\r\nExpect: 100-continue\r\n\r\n";
  };
  const std::string accepted = Talk(server_->Port(), {{head("demo"), "\r\n\r\n"}, {body, "stored"}});
  EXPECT_EQ(accepted.rfind("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK", 0), 0u) << accepted;
  EXPECT_EQ(ReadFile(Uploads() + "/late.pdf"), "%PDF-late");
  // Refused at once: the client never has to send the file.
  EXPECT_EQ(Talk(server_->Port(), {{head("wrong"), ""}}).rfind("HTTP/1.1 401", 0), 0u);
  // So is a head whose framing is ambiguous: no body is asked for.
  const std::string twoLengths = head("demo").insert(head("demo").size() - 2, "Content-Length: 1\r\n");
  EXPECT_EQ(Talk(server_->Port(), {{twoLengths, ""}}).rfind("HTTP/1.1 400", 0), 0u);
}

TEST_F(ProofdTest, ProjectPageNamesTheProject) {
  auto page = Client().Get("/?projectid=1101");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("<h1>Picture Books</h1>"), std::string::npos);
  EXPECT_NE(page->body.find("Children &amp; Young Adults"), std::string::npos);
  for (const char* id : {"424242", "abc", ""}) EXPECT_EQ(Client().Get(std::string("/?projectid=") + id)->status, 404);
}

TEST_F(ProofdTest, FaultsApplyToTheRequestsTheyName) {
  const std::string list = "/indd_xml.asp?username=demo&password=demo&getupdate=1";
  const size_t fullSize = Client().Get(list)->body.size();

  ASSERT_EQ(Control({{"fault", "status"}, {"status", 503}, {"count", 2}}).first, 200);
  EXPECT_EQ(Client().Get(list)->status, 503);
  EXPECT_EQ(LastLogLine("/indd_xml.asp")["fault"], "status");
  EXPECT_EQ(Client().Get(list)->status, 503);
  EXPECT_EQ(Client().Get(list)->status, 200) << "the count ran out";

  ASSERT_EQ(Control({{"fault", "malformed"}, {"count", 1}}).first, 200);
  auto malformed = Client().Get(list);
  ASSERT_TRUE(malformed);
  EXPECT_EQ(malformed->status, 200);
  EXPECT_EQ(malformed->body.size(), fullSize / 2);
  EXPECT_EQ(malformed->body.find("</tessaron>"), std::string::npos);

  ASSERT_EQ(Control({{"fault", "oversized"}, {"bytes", 5 << 20}, {"count", 1}}).first, 200);
  auto oversized = Client().Get(list);
  ASSERT_TRUE(oversized);
  EXPECT_EQ(oversized->body.size(), size_t{5} << 20);
  EXPECT_NE(oversized->body.find("</tessaron>"), std::string::npos);

  ASSERT_EQ(Control({{"fault", "drop"}, {"count", 1}}).first, 200);
  EXPECT_FALSE(Client().Get(list)) << "the body ends before its Content-Length";
  EXPECT_EQ(LastLogLine("/indd_xml.asp")["fault"], "drop");

  ASSERT_EQ(Control({{"fault", "delay"}, {"delay_ms", 3000}, {"count", 1}}).first, 200);
  auto impatient = Client();
  impatient.set_read_timeout(0, 300 * 1000);
  EXPECT_FALSE(impatient.Get(list));

  // A slow answer comes a byte at a time; a slow head sends only its status line and header
  // lines so, then the body at once. Either arrives in full, after a pause per byte so sent.
  for (const std::string fault : {"slow", "slow_head"}) {
    ASSERT_EQ(Control({{"fault", fault}, {"delay_ms", 5}, {"count", 1}}).first, 200);
    const auto start = std::chrono::steady_clock::now();
    auto slow = Client().Get("/");
    ASSERT_TRUE(slow) << fault;
    EXPECT_EQ(slow->status, 200);
    EXPECT_NE(slow->body.find("</html>"), std::string::npos) << fault;
    const std::size_t slowBytes = fault == "slow" ? slow->body.size()
                                                  : std::string("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n").size();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(5) * slowBytes) << fault;
  }

  ASSERT_EQ(Control({{"fault", "status"}, {"path", "/indd_filetransfer.asp"}}).first, 200);
  EXPECT_EQ(Client().Get(list)->status, 200) << "other paths are left alone";
  auto upload =
      Client().Post("/indd_filetransfer.asp?username=demo&password=demo", {{"file", "%PDF", "x.pdf", "pdf"}});
  ASSERT_TRUE(upload);
  EXPECT_EQ(upload->status, 500);
  EXPECT_TRUE(StoredFiles().empty()) << "an upload answered by a status fault is not kept";

  // A slow reader takes an upload in no faster than its rate, then keeps it as usual.
  ASSERT_EQ(Control({{"fault", "slow_read"}, {"bytes", 20000}, {"count", 1}}).first, 200);
  const auto readStart = std::chrono::steady_clock::now();
  auto slowRead = Client().Post("/indd_filetransfer.asp?username=demo&password=demo",
                                {{"file", std::string(10000, 'p'), "r.pdf", "pdf"}});
  ASSERT_TRUE(slowRead);
  EXPECT_EQ(slowRead->status, 200);
  EXPECT_GE(std::chrono::steady_clock::now() - readStart, std::chrono::milliseconds(450));
  EXPECT_EQ(StoredFiles().size(), 1u);
  // A reset upload gets no answer: its connection is reset mid-body, and nothing is kept.
  ASSERT_EQ(Control({{"fault", "reset"}, {"bytes", 1000}, {"count", 1}}).first, 200);
  EXPECT_FALSE(Client().Post("/indd_filetransfer.asp?username=demo&password=demo",
                             {{"file", std::string(4 << 20, 'p'), "reset.pdf", "pdf"}}));
  EXPECT_EQ(StoredFiles().size(), 1u);
  EXPECT_EQ(Control(json::object()).second["fault"]["fault"], "none");
}

TEST_F(ProofdTest, ControlRefusesBadRequestsAndKeepsItsState) {
  ASSERT_EQ(Control({{"fault", "status"}, {"status", 502}}).first, 200);
  const json bad[] = {{{"fault", "bogus"}}, {{"fault", "status"}, {"status", 99}}, {{"delay_ms", -1}},
                      {{"fault", "delay"}}, {{"fault", "slow"}}, {{"fault", "slow_read"}}, {{"fault", "slow_head"}},
                      {{"count", -2}},      {{"count", "3"}},    {{"path", "no-slash"}},
                      {{"projects", "/nonexistent.xml"}},       {{"users", SamplesFile("projects.xml")}},
                      {{"colour", "red"}}};
  for (const json& body : bad) {
    const auto [status, answer] = Control(body);
    EXPECT_EQ(status, 400) << body;
    EXPECT_TRUE(answer.contains("error")) << body;
  }
  EXPECT_EQ(Client().Post("/_control", "{oops", "application/json")->status, 400);
  auto state = Client().Get("/_control");
  ASSERT_TRUE(state);
  EXPECT_EQ(json::parse(state->body)["fault"]["status"], 502);
}

TEST_F(ProofdTest, ControlSwitchesTheProjectList) {
  const std::string other = *dir_ / "other.xml";
  tstest::WriteFile(other,
      "<?xml version=\"1.0\"?>\n<!-- a > in a comment -->\n<list authenticated=\"0\" type=\"old\""
      " filename=\"$a$\"><projects><project id=\"7\" name=\"Seven\"/></projects></list>\n");
  ASSERT_EQ(Control({{"projects", other}}).first, 200);
  auto res = Client().Get("/indd_xml.asp?username=demo&password=demo&getupdate=1");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body,
            "<?xml version=\"1.0\"?>\n<!-- a > in a comment -->\n<list filename=\"$a$\" authenticated=\"1\""
            " type=\"TESSARON_UPDATE\"><projects><project id=\"7\" name=\"Seven\"/></projects></list>\n");
  EXPECT_EQ(Client().Get("/?projectid=7")->status, 200);
  ASSERT_EQ(Control({{"projects", SamplesFile("projects.xml")}}).first, 200);
}

TEST(ProofdCommandLine, FaultFromTheCommandLine) {
  TempDir dir;
  ServerProcess server;
  std::string error;
  ASSERT_TRUE(server.Start({"--projects", SamplesFile("projects.xml"), "--users", SamplesFile("users.json"),
                            "--uploads", dir.Path(), "--fault", "status", "--fault-status", "502", "--fault-count",
                            "1"},
                           error))
      << error;
  httplib::Client client("127.0.0.1", server.Port());
  for (int status : {502, 200}) EXPECT_EQ(client.Get("/indd_xml.asp?username=demo&password=demo")->status, status);
  EXPECT_EQ(server.Stop(SIGINT), 0);
}

TEST(ProofdCommandLine, BadInvocationsFailClearly) {
  TempDir dir;
  const std::string projects = SamplesFile("projects.xml");
  const std::string users = SamplesFile("users.json");
  const std::string empty = dir / "empty.xml", unclosed = dir / "unclosed.xml", badUsers = dir / "users.json";
  tstest::WriteFile(empty, "<?xml version=\"1.0\"?>\n<!-- nothing -->\n");
  tstest::WriteFile(unclosed, "<root a=\"1\"><group id=\"2\"");
  tstest::WriteFile(badUsers, "{\"users\": [{\"name\": \"x\"}]}");
  const std::string missing = dir / "missing.xml", proofd = tstest::Bin("tessaron-proofd");
  auto args = [&](const std::string& projectsFile, const std::string& usersFile, const std::string& uploads,
                  const std::vector<std::string>& more = {}) {
    std::vector<std::string> all = {proofd, "--projects", projectsFile, "--users", usersFile, "--uploads", uploads};
    all.insert(all.end(), more.begin(), more.end());
    return all;
  };
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{proofd, "--users", users, "--uploads", dir.Path()}, "--projects is required"},
      {args(missing, users, dir.Path()), "cannot open projects file '" + missing + "'"},
      {args(empty, users, dir.Path()), "has no root element"},
      {args(unclosed, users, dir.Path()), "unterminated tag"},
      {args(projects, badUsers, dir.Path()), "needs a string \"name\""},
      {args(projects, projects, dir.Path()), "is not valid JSON"},
      {args(projects, users, projects), "cannot use uploads folder"},
      {args(projects, users, dir.Path(), {"--port", "70000"}), "--port"},
      {args(projects, users, dir.Path(), {"--fault", "bogus"}), "--fault"},
      {args(projects, users, dir.Path(), {"--fault", "status", "--fault-status", "42"}), "between 200 and 599"},
  };
  for (const auto& [args, message] : cases) {
    const tstest::Finished run = tstest::Run(args, "", {.joinErrors = true});
    EXPECT_NE(run.status, 0) << message;
    EXPECT_NE(run.out.find(message), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("listening"), std::string::npos) << run.out;
  }
  // The minimum body rate is a lag a body may build up, not an average checked at one moment.
  const std::string help = tstest::Run({proofd, "--help"}).out;
  const size_t rate = help.find("--min-body-rate");
  ASSERT_NE(rate, std::string::npos) << help;
  EXPECT_NE(help.find("behind this rate by at most one read timeout", rate), std::string::npos) << help;
}

}  // namespace
}  // namespace proofd_test
