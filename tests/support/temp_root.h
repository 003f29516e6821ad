// A temporary machine root that disappears with the test.
#pragma once
#include <string>

namespace lntc::test {

class TempRoot {
  public:
    TempRoot();
    ~TempRoot();
    TempRoot(const TempRoot&) = delete;
    TempRoot& operator=(const TempRoot&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

} // namespace lntc::test
