// The pieces of tessaron-proofd whose edge cases are easier to reach directly
// than over HTTP: client-supplied names, query strings, chunked framing, the
// tag scanner and the server's start and stop.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <sstream>

#include "ChunkedFraming.h"
#include "ProofServer.h"
#include "Query.h"
#include "TestSupport.h"
#include "Uploads.h"
#include "XmlScan.h"

namespace proofd {
namespace {

TEST(SafeFileName, KeepsClientNamesInsideTheFolder) {
  const std::pair<std::string, std::string> cases[] = {
      {"Brochure.pdf", "Brochure.pdf"}, {"../../etc/passwd", "passwd"},
      {"C:\\Users\\ann\\Spring Cover.pdf", "Spring_Cover.pdf"}, {"..", "upload"}, {"", "upload"},
      {".hidden.pdf", "hidden.pdf"}, {"dir/", "upload"}, {"Café \"Menu\"?.pdf", "Caf____Menu__.pdf"},
      // Blanks and dots around a name are no part of it, nor of its extension.
      {"trail.pdf ", "trail.pdf"}, {" \tlead.pdf.. \r\n", "lead.pdf"}, {" . ", "upload"},
      // A cut keeps the extension; a tail too long to be one is cut like the rest.
      {std::string(200, 'b') + ".indd", std::string(115, 'b') + ".indd"},
      {std::string(117, 'c') + ".pdf", std::string(116, 'c') + ".pdf"},
      {std::string(200, 'e') + "." + std::string(20, 'x'), std::string(120, 'e')},
      {"." + std::string(200, 'f'), std::string(120, 'f')}};
  for (const auto& [client, safe] : cases) EXPECT_EQ(SafeFileName(client), safe) << client;
}

TEST(ParseQuery, DecodesPairsInArrivalOrder) {
  const QueryPairs pairs = ParseQuery("/p?b=2&a=x%26y&&plus=a+b%2Bc&eq=k=v&bare&pct=100%&bad=%zz#frag=1");
  const QueryPairs expected = {{"b", "2"},          {"a", "x&y"}, {"plus", "a b+c"}, {"eq", "k=v"},
                               {"bare", ""},        {"pct", "100%"}, {"bad", "%zz"}};
  EXPECT_EQ(pairs, expected);
  EXPECT_EQ(QueryValue(ParseQuery("/?k=1&k=2"), "k"), "1");
  EXPECT_TRUE(ParseQuery("/no-query").empty());
}

TEST(MaskPasswords, HidesEveryPasswordValueAndKeepsTheRest) {
  const std::pair<std::string, std::string> cases[] = {
      {"/indd_xml.asp?username=demo&password=demo&getupdate=1", "/indd_xml.asp?username=demo&password=***&getupdate=1"},
      {"/p?password=a%26b%23c+d&password=x", "/p?password=***&password=***"},
      {"/p?pass%77ord=secret&passwords=kept", "/p?pass%77ord=***&passwords=kept"},
      {"/p?password=&x=1#password=frag", "/p?password=***&x=1#password=frag"},
      {"/p?password", "/p?password"},
      {"/p?PASSWORD=one&Password=two&PaSs%57oRd=three", "/p?PASSWORD=***&Password=***&PaSs%57oRd=***"},
      {"/password=top", "/password=top"},
      {"http://host/x?a=1&&password=s3cret", "http://host/x?a=1&&password=***"},
      {"no query", "no query"},
      // The key as decoded and trimmed of blanks and controls, cut at an "=" encoded inside it.
      {"/p?password+=a&+password=b&%09Password%20%00=c", "/p?password+=***&+password=***&%09Password%20%00=***"},
      {"/p?PASSWORD%3dsecret&password%3D=x&x=1", "/p?PASSWORD%3d***&password%3D***&x=1"},
      {"/p?pass+word=kept&%3Dpassword=kept&passwordx%00=kept", "/p?pass+word=kept&%3Dpassword=kept&passwordx%00=kept"},
  };
  for (const auto& [text, masked] : cases) EXPECT_EQ(MaskPasswords(text), masked) << text;
}

// The data of a chunked body as the server's stream takes it off, or "!" and why it was refused.
std::string Unchunk(const std::string& framed) {
  ChunkedFraming framing;
  std::string data;
  for (size_t i = 0; i < framed.size() && !framing.Done(); ++i) {
    if (framing.DataLeft() > 0) {
      data += framed[i];
      framing.TookData(1);
    } else if (!framing.Take(framed[i])) {
      return "!" + framing.Error();
    }
  }
  return framing.Done() ? data : "!unfinished";
}

TEST(ChunkedFraming, TakesOffTheFramingAndHoldsItsLinesSmall) {
  const std::string line62 = std::string(61, '0') + "1";
  const std::pair<std::string, std::string> cases[] = {
      {"5\r\nhello\r\n0\r\n\r\n", "hello"},
      {"3;name=\"v\"\r\nabc\r\nA \t;x\r\n0123456789\r\n000\r\nX-Sum: 1\r\nY: 2\r\n\r\n", "abc0123456789"},
      {"2\nab\n0\n\n", "ab"},
      {"0\r\n\r\n", ""},
      {line62 + "\r\nz\r\n0\r\n\r\n", "z"},
      {"0" + line62 + "\r\n", "!chunk-size line longer than 64 bytes"},
      {"5;" + std::string(100, 'e'), "!chunk-size line longer than 64 bytes"},
      {"5\r\nhello!\r\n", "!chunk data longer than its size"},
      {"x\r\n", "!malformed chunk-size line"},
      {"5 x\r\n", "!malformed chunk-size line"},
      {"\r\n", "!malformed chunk-size line"},
      {"-1\r\n", "!malformed chunk-size line"},
      {std::string(17, 'f') + "\r\n", "!chunk size too large"},
      {"0\r\n" + std::string(9000, 'T'), "!trailer longer than 8192 bytes"},
      {"5\r\nhel", "!unfinished"},
  };
  for (const auto& [framed, result] : cases) EXPECT_EQ(Unchunk(framed), result) << framed.substr(0, 80);
}

std::vector<XmlTag> Scan(const std::string& text, std::string* error = nullptr) {
  std::istringstream in(text);
  XmlTagScanner scanner(in);
  std::vector<XmlTag> tags;
  XmlTag tag;
  while (scanner.Next(tag)) tags.push_back(tag);
  if (error != nullptr) *error = scanner.Error();
  return tags;
}

TEST(XmlTagScanner, FindsTagsAroundCommentsQuotesAndDeclarations) {
  const std::string text =
      "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY e \"x>y\">]><!-- <fake id=\"1\"> -- > -->"
      "<r a='1>2' b=\"&amp;&#233;&#x41;&bogus;\"><![CDATA[<no/>]]><c/></r>";
  std::string error;
  const auto tags = Scan(text, &error);
  EXPECT_EQ(error, "");
  ASSERT_EQ(tags.size(), 7u);
  EXPECT_EQ(tags[3].kind, XmlTag::Kind::kStart);
  EXPECT_EQ(tags[3].name, "r");
  EXPECT_EQ(text.substr(tags[3].begin, tags[3].end - tags[3].begin).rfind("<r a=", 0), 0u);
  EXPECT_EQ(*FindAttribute(tags[3].attributes, "a"), "1>2");
  EXPECT_EQ(*FindAttribute(tags[3].attributes, "b"), "&\xC3\xA9" "A&bogus;");
  EXPECT_EQ(tags[4].kind, XmlTag::Kind::kOther);
  EXPECT_EQ(tags[5].kind, XmlTag::Kind::kEmpty);
  EXPECT_EQ(tags[6].kind, XmlTag::Kind::kEnd);
}

TEST(XmlTagScanner, ReportsBrokenTags) {
  const std::pair<std::string, std::string> cases[] = {
      {"<r a=\"1\"><g id=\"2\"", "unterminated tag at offset 9"},
      {"<r a=1>", "malformed tag at offset 0"},
      {"<!-- never closed >", "unterminated tag at offset 0"},
      {"<r a=\"" + std::string(XmlTagScanner::kMaxTagBytes, 'x') + "\">", "tag longer than"},
  };
  for (const auto& [text, message] : cases) {
    std::string error;
    Scan(text, &error);
    EXPECT_EQ(error.rfind(message, 0), 0u) << error;
  }
}

// A stop that comes after binding but before the listen loop runs, as a signal
// right after the "listening" line may, still ends Run.
TEST(ProofServer, StopBeforeTheListenLoopEndsIt) {
  const tstest::TempDir dir;
  ServerConfig config;
  config.projectsPath = std::string(TS_SOURCE_DIR) + "/samples/projects.xml";
  config.usersPath = std::string(TS_SOURCE_DIR) + "/samples/users.json";
  config.uploadsDir = dir / "uploads";
  ProofServer server(config);
  std::string error;
  ASSERT_TRUE(server.Open(error)) << error;
  ASSERT_GT(server.Bind(0, error), 0) << error;
  server.Stop();
  auto run = std::async(std::launch::async, [&server] { return server.Run(); });
  const bool ended = run.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  // A lost stop leaves the loop running by now: stop it again so that the test ends.
  if (!ended) server.Stop();
  EXPECT_TRUE(ended);
  EXPECT_TRUE(run.get());
}

}  // namespace
}  // namespace proofd
