// A scripted run played against a private copy of a machine root's configuration.
#pragma once
#include <string>
#include <vector>

namespace dry_run {

// A folder of this user's own (mode 0700) that goes with everything in it when this ends.
class PrivateFolder {
  public:
    PrivateFolder() = default;
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    bool make(std::string& why);
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// What root holds of the configuration (its registry database, ODR directory and drive C:,
// not its lock files) copied into the new folder into, which must not exist. Symbolic links
// are not followed; copies are this user's, 0600 and 0700. False with why.
bool CopyRoot(const std::string& root, const std::string& into, std::string& why);

// This program run again with args; its exit status, or 2 when it could not run or was killed.
int RunSelf(const std::vector<std::string>& args, std::string& why);

} // namespace dry_run
