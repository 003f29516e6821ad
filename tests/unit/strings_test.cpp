#include "resources/formats.h"
#include "resources/ids.h"
#include "resources/strings.h"

#include <gtest/gtest.h>

#include <string>

using namespace lntc;

TEST(Strings, GapsInTheNumberingAreMissing) {
    for (uint32_t id : {0u, 32783u, 33000u})
        EXPECT_EQ(builtinString(id), nullptr) << id;
}

TEST(Strings, TableIsSortedUniqueAndEveryFormatIsSafe) {
    auto table = builtinStrings();
    ASSERT_FALSE(table.empty());
    for (size_t i = 0; i < table.size(); ++i) {
        const StringEntry& e = table[i];
        ASSERT_NE(e.text, nullptr) << e.id;
        EXPECT_NE(e.text[0], '\0') << e.id;
        if (i > 0) {
            EXPECT_LT(table[i - 1].id, e.id) << "at " << e.id;
        }
        EXPECT_EQ(builtinString(e.id), e.text);
        // Every text is fit to be a printf format: known conversions only, none that writes.
        auto signature = conversionSignature(e.text);
        ASSERT_TRUE(signature.has_value()) << e.id << ": " << e.text;
        for (const std::string_view allowed : {"", "d", "ld", "s", "s,s", "d,s"})
            if (*signature == allowed) signature.reset();
        EXPECT_FALSE(signature.has_value()) << e.id << " takes " << *signature;
        // Log texts announce the library, as the error log expects.
        const std::string text = e.text;
        if (text.rfind("LNTC", 0) == 0) {
            EXPECT_EQ(text.rfind("LNTC: ", 0), 0u) << e.id;
        }
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

TEST(Formats, SignaturesOfConversions) {
    EXPECT_EQ(conversionSignature("no conversion, 100%% sure"), "");
    EXPECT_EQ(conversionSignature("%-8.3ld and %05u"), "ld,u");
    EXPECT_EQ(conversionSignature("%*d|%.*s"), "*,d,*,s");
    EXPECT_EQ(conversionSignature("%x %i %c %p %g %hhd %lld"), "u,d,c,p,f,hhd,lld");
    EXPECT_EQ(conversionSignature("%1.1f"), "f");
    EXPECT_EQ(conversionSignature("Wert: 50 %"), std::nullopt); // unfinished
    EXPECT_EQ(conversionSignature("%n"), std::nullopt);         // writes through its argument
    EXPECT_EQ(conversionSignature("%2$s %1$s"), std::nullopt);  // numbered arguments
    EXPECT_EQ(conversionSignature("%lhd"), std::nullopt);       // no such length
    EXPECT_EQ(conversionSignature("%y"), std::nullopt);
    EXPECT_EQ(conversionSignature("zu 100 % sicher"), "s"); // "% s" is a conversion
}

TEST(Formats, ACandidateMustReadTheSameArguments) {
    EXPECT_TRUE(sameConversions("Fehler %5ld", "Error %ld getting"));
    EXPECT_TRUE(sameConversions("%s nach %s", "from %s to %s"));
    EXPECT_TRUE(sameConversions("ohne", "without"));
    EXPECT_FALSE(sameConversions("%s", "%d"));
    EXPECT_FALSE(sameConversions("%d", "%ld"));
    EXPECT_FALSE(sameConversions("%s", "%s and %s"));
    EXPECT_FALSE(sameConversions("%s %s", "%s"));
    EXPECT_FALSE(sameConversions("%s %n", "%s %n")); // never usable, even against itself
}
