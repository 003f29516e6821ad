#include "resources/help_file.h"

#include <cctype>

namespace lntc {

namespace {

// "[number] title" with nothing but blanks between "]" and the title; anything else is text.
bool parseTopicLine(std::string_view line, HelpTopic& topic) {
    if (line.size() < 3 || line[0] != '[') return false;
    size_t close = line.find(']');
    if (close == std::string_view::npos || close == 1 || close > 11) return false;
    uint64_t context = 0;
    for (size_t i = 1; i < close; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
        context = context * 10 + static_cast<uint64_t>(line[i] - '0');
    }
    if (context > UINT32_MAX) return false;
    std::string_view title = line.substr(close + 1);
    while (!title.empty() && (title.front() == ' ' || title.front() == '\t'))
        title.remove_prefix(1);
    while (!title.empty() && (title.back() == ' ' || title.back() == '\t'))
        title.remove_suffix(1);
    topic = HelpTopic{static_cast<uint32_t>(context), std::string(title), {}};
    return true;
}

// Collects the text of the topic being read: lines of a paragraph are joined with a blank, and
// paragraphs with an empty line.
struct TextBuilder {
    std::string paragraph;
    std::string text;

    void line(std::string_view l) {
        while (!l.empty() && (l.back() == ' ' || l.back() == '\t'))
            l.remove_suffix(1);
        if (l.empty()) {
            endParagraph();
            return;
        }
        if (!paragraph.empty()) paragraph += ' ';
        paragraph += l;
    }
    void endParagraph() {
        if (paragraph.empty()) return;
        if (!text.empty()) text += "\n\n";
        text += paragraph;
        paragraph.clear();
    }
    std::string take() {
        endParagraph();
        return std::move(text);
    }
};

} // namespace

std::vector<HelpTopic> parseHelpFile(std::string_view contents) {
    std::vector<HelpTopic> topics;
    TextBuilder builder;
    while (!contents.empty()) {
        size_t end = contents.find('\n');
        std::string_view line = contents.substr(0, end);
        contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty() && line.front() == '#') continue;
        HelpTopic next;
        if (parseTopicLine(line, next)) {
            if (!topics.empty()) topics.back().text = builder.take();
            builder = TextBuilder();
            topics.push_back(std::move(next));
            continue;
        }
        if (topics.empty()) continue; // text before the first topic belongs to none
        if (!line.empty() && line.front() == '\\') line.remove_prefix(1);
        builder.line(line);
    }
    if (!topics.empty()) topics.back().text = builder.take();
    return topics;
}

std::optional<HelpTopic> findHelpTopic(std::string_view contents, uint32_t context) {
    for (HelpTopic& topic : parseHelpFile(contents)) {
        if (topic.context == context) return std::move(topic);
    }
    return std::nullopt;
}

} // namespace lntc
