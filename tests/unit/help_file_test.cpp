#include "resources/help_file.h"

#include <gtest/gtest.h>

using namespace lntc;

namespace {

const char* const kFile = "# comment before anything\n"
                          "text that belongs to no topic\n"
                          "[203] Main Dialog  \n"
                          "First line\n"
                          "of the first paragraph.\n"
                          "\n"
                          "   \n"
                          "Second paragraph.\n"
                          "# a comment inside a topic\n"
                          "\\[not a topic] and # not a comment\n"
                          "\\# starts with a hash\n"
                          "\n"
                          "[2002]\n"
                          "Only text.\r\n"
                          "[12a] is text, not a topic\r\n"
                          "[203] Repeated\n"
                          "Ignored.\n"
                          "[4294967295] Largest\n"
                          "[4294967296] Too large, so text\n";

} // namespace

TEST(HelpFile, TopicsTitlesAndParagraphs) {
    auto topics = parseHelpFile(kFile);
    ASSERT_EQ(topics.size(), 4u);
    EXPECT_EQ(topics[0].context, 203u);
    EXPECT_EQ(topics[0].title, "Main Dialog");
    EXPECT_EQ(topics[0].text, "First line of the first paragraph.\n\nSecond paragraph. [not a "
                              "topic] and # not a comment # starts with a hash");
    EXPECT_EQ(topics[1].context, 2002u);
    EXPECT_EQ(topics[1].title, "");
    EXPECT_EQ(topics[1].text, "Only text. [12a] is text, not a topic");
    EXPECT_EQ(topics[3].context, 4294967295u);
    EXPECT_EQ(topics[3].text, "[4294967296] Too large, so text");
}

TEST(HelpFile, FindTakesTheFirstTopicOfAContext) {
    auto main = findHelpTopic(kFile, 203);
    ASSERT_TRUE(main.has_value());
    EXPECT_EQ(main->title, "Main Dialog");
    EXPECT_FALSE(findHelpTopic(kFile, 301).has_value());
    EXPECT_FALSE(findHelpTopic("", 203).has_value());
    EXPECT_FALSE(findHelpTopic("[203", 203).has_value());
    auto last = findHelpTopic("[7] Seven\nno line end at the end", 7);
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->text, "no line end at the end");
}
