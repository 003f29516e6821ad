#include "support/demo_files.h"

#include "library/admin/regfile.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace lntc::test {

std::string readTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void importRegText(Registry& registry, std::string_view text) {
    RegFileError error;
    if (importRegistry(registry, text, error) != 0)
        throw std::runtime_error("registry file: " + error.message);
}

} // namespace lntc::test
