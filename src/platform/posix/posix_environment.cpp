#include "platform/posix/posix_environment.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace lntc {

namespace {

struct LanguageName {
    const char* language;
    const char* country; // "" for the language's default
    const char* abbreviation;
};

// The abbreviations the product's platform uses for its locales.
constexpr LanguageName kLanguages[] = {
    {"ca", "", "CAT"},   {"cs", "", "CSY"},   {"da", "", "DAN"},   {"de", "", "DEU"},
    {"de", "AT", "DEA"}, {"de", "CH", "DES"}, {"de", "LI", "DEC"}, {"de", "LU", "DEL"},
    {"el", "", "ELL"},   {"en", "", "ENU"},   {"en", "AU", "ENA"}, {"en", "CA", "ENC"},
    {"en", "GB", "ENG"}, {"en", "IE", "ENI"}, {"en", "NZ", "ENZ"}, {"en", "ZA", "ENS"},
    {"es", "", "ESP"},   {"es", "MX", "ESM"}, {"fi", "", "FIN"},   {"fr", "", "FRA"},
    {"fr", "BE", "FRB"}, {"fr", "CA", "FRC"}, {"fr", "CH", "FRS"}, {"fr", "LU", "FRL"},
    {"he", "", "HEB"},   {"hr", "", "HRV"},   {"hu", "", "HUN"},   {"is", "", "ISL"},
    {"it", "", "ITA"},   {"it", "CH", "ITS"}, {"ja", "", "JPN"},   {"ko", "", "KOR"},
    {"nb", "", "NOR"},   {"nl", "", "NLD"},   {"nl", "BE", "NLB"}, {"nn", "", "NON"},
    {"no", "", "NOR"},   {"pl", "", "PLK"},   {"pt", "", "PTG"},   {"pt", "BR", "PTB"},
    {"ru", "", "RUS"},   {"sk", "", "SKY"},   {"sl", "", "SLV"},   {"sv", "", "SVE"},
    {"sv", "FI", "SVF"}, {"tr", "", "TRK"},   {"uk", "", "UKR"},   {"zh", "", "CHS"},
    {"zh", "HK", "ZHH"}, {"zh", "TW", "CHT"},
};

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

void anchor() {}

} // namespace

std::string languageAbbreviation(std::string_view locale) {
    // language[_COUNTRY][.codeset][@modifier]
    locale = locale.substr(0, locale.find_first_of(".@"));
    size_t sep = locale.find_first_of("_-");
    std::string language = lower(locale.substr(0, sep));
    std::string country = sep == std::string_view::npos ? "" : upper(locale.substr(sep + 1));
    const char* fallback = nullptr;
    for (const auto& l : kLanguages) {
        if (language != l.language) continue;
        if (country == l.country) return l.abbreviation;
        if (*l.country == '\0') fallback = l.abbreviation;
    }
    return fallback ? fallback : "";
}

std::optional<std::string> PosixEnvironment::get(std::string_view name) const {
    const char* v = secure_getenv(std::string(name).c_str());
    if (!v) return std::nullopt;
    return std::string(v);
}

void PosixEnvironment::set(std::string_view name, std::string_view value) {
    setenv(std::string(name).c_str(), std::string(value).c_str(), 1);
}

std::string PosixEnvironment::modulePath() const {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&anchor), &info) != 0 && info.dli_fname &&
        info.dli_fname[0] != '\0') {
        if (char* real = realpath(info.dli_fname, nullptr)) {
            std::string out = real;
            std::free(real);
            return out;
        }
    }
    // Linked into the executable itself, or dladdr could not tell.
    std::vector<char> buf(PATH_MAX);
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    return n > 0 ? std::string(buf.data(), static_cast<size_t>(n)) : std::string();
}

std::string PosixEnvironment::userLanguage() const {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = secure_getenv(name);
        if (v && *v) return languageAbbreviation(v);
    }
    return {};
}

std::string PosixEnvironment::hostName() const {
    char buf[HOST_NAME_MAX + 1] = {};
    if (gethostname(buf, sizeof buf - 1) != 0) return {};
    return buf;
}

int64_t PosixClock::now() const {
    return static_cast<int64_t>(std::time(nullptr));
}

} // namespace lntc
