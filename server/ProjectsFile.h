// What the server knows about the project list it serves. The list stays a
// file on disk, read afresh for each request, so a test can swap it while the
// server runs; answers are streamed from it with only the root start tag
// rewritten to carry the verdict and the update type.
//
// Threading: stateless functions; each call opens the file itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Body.h"
#include "XmlScan.h"

namespace proofd {

struct RootTag {
  std::string name;
  XmlAttributes attributes;
  uint64_t begin = 0;
  uint64_t end = 0;
  bool empty = false;  // written as <root .../>
};

// Reads the whole file once and returns its root start tag; false with a
// reason when the file is missing, unreadable or its tags do not scan.
bool CheckProjectsFile(const std::string& path, RootTag& root, std::string& error);

// The full list as an update answer: the file, with `authenticated` and
// `type` on its root replaced by the given values, streamed from disk.
std::shared_ptr<Body> UpdateAnswer(const std::string& path, int authenticated,
                                   const std::string& type, std::string& error);

// A short answer carrying only the verdict: no update type, no project data.
std::shared_ptr<Body> VerdictAnswer(int authenticated);

struct ProjectInfo {
  std::string id;
  std::string name;
  std::string code;       // filename_text
  std::string groupId;    // project_group_id
  std::string groupName;  // empty when the group is unknown or hidden
};

// Looks up the project whose `id` equals `id` as a number. False when there is
// none (then `error` is empty) or the file cannot be read (`error` says why).
bool FindProject(const std::string& path, const std::string& id, ProjectInfo& info,
                 std::string& error);

}  // namespace proofd
