// The string table, the printf formats of its texts and of translations, and the help file.
#include "resources/formats.h"
#include "resources/help_file.h"
#include "resources/ids.h"
#include "resources/strings.h"

#include <gtest/gtest.h>

#include <string>

using namespace lntc;

TEST(Strings, TableIsSortedUniqueAndEveryFormatIsSafe) {
    for (uint32_t id : {0u, 32783u, 33000u}) // gaps in the numbering
        EXPECT_EQ(builtinString(id), nullptr) << id;
    auto table = builtinStrings();
    ASSERT_FALSE(table.empty());
    for (size_t i = 0; i < table.size(); ++i) {
        const StringEntry& e = table[i];
        ASSERT_NE(e.text, nullptr) << e.id;
        EXPECT_NE(e.text[0], '\0') << e.id;
        EXPECT_TRUE(i == 0 || table[i - 1].id < e.id) << "at " << e.id;
        EXPECT_EQ(builtinString(e.id), e.text);
        // Every text is fit to be a printf format: known conversions only, none that writes.
        auto signature = conversionSignature(e.text);
        ASSERT_TRUE(signature.has_value()) << e.id << ": " << e.text;
        for (const std::string_view allowed : {"", "d", "ld", "s", "s,s", "d,s"})
            if (*signature == allowed) signature.reset();
        EXPECT_FALSE(signature.has_value()) << e.id << " takes " << *signature;
        // Log texts announce the library, as the error log expects.
        const std::string text = e.text;
        EXPECT_TRUE(text.rfind("LNTC", 0) != 0 || text.rfind("LNTC: ", 0) == 0) << e.id;
    }
}

TEST(Strings, FormatsTakeTheArgumentsTheirCallersPass) {
    const std::pair<uint32_t, const char*> formats[] = {
        {str::LogConfigMapping, "ld"},     {str::TooManyQueues, "d"},
        {str::DeleteUnlistedQueue, "s,s"}, {str::ImportQueue, "s,s"},
        {str::ModuleNotInstalled, "s,s"},  {str::MissingMessageId, "d"},
        {str::LogBestAvailCut, "d,s"},     {str::PrinterConfigTitle, "s"},
        {str::NoDescription, ""}};
    for (const auto& [id, signature] : formats)
        EXPECT_EQ(conversionSignature(builtinString(id)), signature) << id;
}

// Unfinished, writing through the argument, numbered arguments, no such length or kind: none.
TEST(Formats, SignaturesOfConversionsAndWhatACandidateMustRead) {
    const std::pair<const char*, std::optional<std::string>> signatures[] = {
        {"no conversion, 100%% sure", ""},
        {"%-8.3ld and %05u", "ld,u"},
        {"%*d|%.*s", "*,d,*,s"},
        {"%x %i %c %p %g %hhd %lld", "u,d,c,p,f,hhd,lld"},
        {"%1.1f", "f"},
        {"zu 100 % sicher", "s"}, // "% s" is a conversion
        {"Wert: 50 %", std::nullopt},
        {"%n", std::nullopt},
        {"%2$s %1$s", std::nullopt},
        {"%lhd", std::nullopt},
        {"%y", std::nullopt}};
    for (const auto& [format, signature] : signatures)
        EXPECT_EQ(conversionSignature(format), signature) << format;
    const std::tuple<const char*, const char*, bool> candidates[] = {
        {"Fehler %5ld", "Error %ld getting", true},
        {"%s nach %s", "from %s to %s", true},
        {"ohne", "without", true},
        {"%s", "%d", false},
        {"%d", "%ld", false},
        {"%s", "%s and %s", false},
        {"%s %s", "%s", false},
        {"%s %n", "%s %n", false}}; // never usable
    for (const auto& [translated, builtin, same] : candidates)
        EXPECT_EQ(sameConversions(translated, builtin), same) << translated;
}

TEST(HelpFile, TopicsTitlesParagraphsAndTheFirstTopicOfAContext) {
    const char* const file =
        "# comment before anything\ntext that belongs to no topic\n[203] Main Dialog  \n"
        "First line\nof the first paragraph.\n\n   \nSecond paragraph.\n# a comment inside a "
        "topic\n\\[not a topic] and # not a comment\n\\# starts with a hash\n\n[2002]\n"
        "Only text.\r\n[12a] is text, not a topic\r\n[203] Repeated\nIgnored.\n"
        "[4294967295] Largest\n[4294967296] Too large, so text\n";
    std::vector<std::string> topics;
    for (const HelpTopic& t : parseHelpFile(file))
        topics.push_back(std::to_string(t.context) + "|" + t.title + "|" + t.text);
    EXPECT_EQ(topics, (std::vector<std::string>{
                          "203|Main Dialog|First line of the first paragraph.\n\nSecond "
                          "paragraph. [not a topic] and # not a comment # starts with a hash",
                          "2002||Only text. [12a] is text, not a topic", "203|Repeated|Ignored.",
                          "4294967295|Largest|[4294967296] Too large, so text"}));
    EXPECT_EQ(findHelpTopic(file, 203).value_or(HelpTopic{}).title, "Main Dialog");
    EXPECT_FALSE(findHelpTopic(file, 301) || findHelpTopic("", 203) || findHelpTopic("[203", 203));
    EXPECT_EQ(findHelpTopic("[7] Seven\nno line end at the end", 7).value_or(HelpTopic{}).text,
              "no line end at the end");
}
