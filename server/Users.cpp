#include "Users.h"

#include <fstream>
#include <nlohmann/json.hpp>

namespace proofd {

std::shared_ptr<const Users> Users::Load(const std::string& path,
                                         std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open users file '" + path + "'";
    return nullptr;
  }
  nlohmann::json doc = nlohmann::json::parse(in, nullptr, false);
  if (doc.is_discarded()) {
    error = "users file '" + path + "' is not valid JSON";
    return nullptr;
  }
  if (!doc.is_object() || !doc.contains("users") || !doc["users"].is_array()) {
    error = "users file '" + path + "' has no \"users\" array";
    return nullptr;
  }
  auto users = std::make_shared<Users>();
  size_t index = 0;
  for (const auto& entry : doc["users"]) {
    const bool wellFormed = entry.is_object() && entry.contains("name") &&
                            entry["name"].is_string() &&
                            entry.contains("password") &&
                            entry["password"].is_string() &&
                            (!entry.contains("rights") || entry["rights"].is_boolean());
    if (!wellFormed) {
      error = "users file '" + path + "': entry " + std::to_string(index) +
              " needs a string \"name\", a string \"password\" and a boolean \"rights\"";
      return nullptr;
    }
    const std::string name = entry["name"].get<std::string>();
    if (name.empty() || users->accounts_.count(name) != 0) {
      error = "users file '" + path + "': entry " + std::to_string(index) +
              (name.empty() ? " has an empty name" : " repeats the name '" + name + "'");
      return nullptr;
    }
    users->accounts_[name] = Account{entry["password"].get<std::string>(),
                                     entry.value("rights", false)};
    ++index;
  }
  return users;
}

Verdict Users::Check(const std::string& name, const std::string& password) const {
  const auto it = accounts_.find(name);
  if (it == accounts_.end() || it->second.password != password) {
    return Verdict::kWrongCredentials;
  }
  return it->second.rights ? Verdict::kAccepted : Verdict::kNoRights;
}

}  // namespace proofd
