// The accounts the server knows, read from a JSON file of the form
//   {"users": [{"name": "demo", "password": "secret", "rights": true}, ...]}
// and the verdict the protocol's `authenticated` attribute carries.
//
// Threading: a loaded Users is immutable; share it freely between threads.
#pragma once

#include <map>
#include <memory>
#include <string>

namespace proofd {

// The values of the root attribute `authenticated`.
enum class Verdict { kAccepted = 1, kWrongCredentials = 0, kNoRights = -1 };

class Users {
 public:
  // Reads `path`; on failure returns null and says why in `error`.
  static std::shared_ptr<const Users> Load(const std::string& path,
                                           std::string& error);

  Verdict Check(const std::string& name, const std::string& password) const;
  size_t Count() const { return accounts_.size(); }

 private:
  struct Account {
    std::string password;
    bool rights = false;
  };
  std::map<std::string, Account> accounts_;
};

}  // namespace proofd
