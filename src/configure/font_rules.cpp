#include "configure/font_rules.h"

#include "media/paper_sizes.h"
#include "resources/formats.h"
#include "resources/ids.h"
#include "resources/lookup.h"
#include "store/records.h"

#include <algorithm>
#include <cctype>

namespace lntc {

bool CharsetAvailable(const ServerConfig& c, uint16_t code) {
    switch (code) {
    case charset::QuendalIntl:
    case charset::Iso8859_1:
        return true;
    case charset::Iso8859_7:
        return c.InstalledGreek != 0;
    case charset::ShiftJis:
        return c.InstalledKanji != 0;
    case charset::HpRoman8:
        return c.SystemCharset == charset::HpRoman8;
    default:
        return false;
    }
}

std::vector<std::string> OfferedFontNames(const ServerConfig& c) {
    std::vector<std::string> names{kDefaultFontName};
    if (c.InstalledKanji) names.insert(names.end(), {"Mincho", "Gothic"});
    if (c.InstalledGreek) names.insert(names.end(), {"GrkSwiss", "GrkDutch"});
    return names;
}

bool FontChoiceOpen(const ServerConfig& c, uint16_t code) {
    const bool installed = c.InstalledKanji != 0 || c.InstalledGreek != 0;
    return installed && (code == charset::ShiftJis || code == charset::Iso8859_7);
}

void SplitDefaultFont(std::string_view font, std::string& base, int& points) {
    auto digit = std::find_if(font.begin(), font.end(),
                              [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    base.assign(font.begin(), digit);
    if (digit == font.end()) {
        points = kDefaultPointSize;
        return;
    }
    // Saturated: anything this large is refused by the range check all the same.
    points = 0;
    for (auto it = digit; it != font.end() && std::isdigit(static_cast<unsigned char>(*it)); ++it)
        points = std::min(points * 10 + (*it - '0'), 99999);
}

std::string CheckFontChoices(const StringLookup& strings, const ServerConfig& c) {
    if (!CharsetAvailable(c, c.FormerCharset)) {
        std::string name = std::to_string(c.FormerCharset);
        for (const Charset& set : kCharsets)
            if (set.code == c.FormerCharset) name = set.keyword;
        return formatMessage(strings.load(str::CharsetNotAvailable).c_str(), name.c_str());
    }
    const std::string font(fieldText(c.DefaultFont));
    if (equalsIgnoreCase(font, kDefaultFontName)) return {};
    std::string base;
    int points = 0;
    SplitDefaultFont(font, base, points);
    const auto offered = OfferedFontNames(c);
    // The dialog stores a name other than "default" with its size, and nothing after it.
    const bool listed = std::find(offered.begin() + 1, offered.end(), base) != offered.end();
    if (!listed || !FontChoiceOpen(c, c.FormerCharset) || base.size() == font.size() ||
        font.find_first_not_of("0123456789", base.size()) != std::string::npos)
        return formatMessage(strings.load(str::FontNotOffered).c_str(), font.c_str());
    if (!kPointSizeRange.holds(points)) return IntegerRangeMessage(strings, kPointSizeRange);
    return {};
}

} // namespace lntc
