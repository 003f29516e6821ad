// Media commands: the default media table, paper orientation, ldpx.cfg and paper sizes.
#pragma once
#include <string>
#include <vector>

namespace tool {

// lntc media [--json]: every model's default media, by model key.
int cmdMedia(const std::vector<std::string>& args);
// lntc orientation QUEUE PAPER: the orientation a product process is told.
int cmdOrientation(const std::vector<std::string>& args);
// lntc ldpx MODEL [--json]: the status of reading the model's section and every value read.
int cmdLdpx(const std::vector<std::string>& args);
// lntc paper NAME|ID: a paper size by name or by id.
int cmdPaper(const std::vector<std::string>& args);

} // namespace tool
