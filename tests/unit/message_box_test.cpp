#include "support/test_library.h"
#include "ui/console_host.h"
#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace lntc;
using namespace lntc::test;

namespace {

TEST(MessageBoxes, CaptionsStylesAndFormatting) {
    FakeMachine m;
    TestLibrary t(m);
    Library& lib = t.lib();
    int owner = 0;
    t.host.script({id::Yes});
    EXPECT_EQ(WarnId(lib, &owner, 32794, "50%"), id::Yes);
    EXPECT_EQ(ErrorId(lib, &owner, 32820, 16), id::Ok);
    EXPECT_EQ(ErrorIdNoOwner(lib, 32863, 5L), id::Ok);
    EXPECT_EQ(MessageBoxId(lib, &owner, 32852, mb::RetryQuestion, 32894), id::Cancel);
    EXPECT_EQ(MessageBoxF(lib, nullptr, "Default ODR Name", mb::RetryQuestion, "%s:%d", "a", 7),
              id::Cancel);
    EXPECT_EQ(ShowLastSystemError(lib, &owner, err::AccessDenied), id::Ok);
    ASSERT_EQ(t.host.shown.size(), 6u);
    const auto& s = t.host.shown;
    EXPECT_EQ(s[0].text, "Error locating the 50% queue information."); // "%" in an argument
    EXPECT_EQ(s[0].caption, "Configuration Warning");
    EXPECT_EQ(s[0].style, 0x24u);
    EXPECT_EQ(s[0].owner, &owner);
    EXPECT_EQ(s[1].text, "Maximum number of queues (16) exceeded.");
    EXPECT_EQ(s[1].caption, "Configuration Error");
    EXPECT_EQ(s[1].style, 0x10030u);
    EXPECT_EQ(s[2].text, "Error 5 getting title strings.");
    EXPECT_EQ(s[2].owner, nullptr);
    EXPECT_EQ(s[3].text, ""); // a number the table lacks gives an empty text
    EXPECT_EQ(s[3].style, 0x10035u);
    EXPECT_EQ(s[4].text, "a:7");
    EXPECT_EQ(s[4].caption, "Default ODR Name");
    EXPECT_EQ(s[5].text, "Access is denied.");
}

TEST(MessageBoxes, LongTextsAreCutToTheBuffer) {
    std::string arg(700, 'x');
    std::string text = formatMessage("Path '%s' is read only.", arg.c_str());
    EXPECT_EQ(text.size(), 511u);
    EXPECT_EQ(text.substr(0, 6), "Path '");
}

TEST(MessageBoxes, WithoutADisplayBoxesAreLoggedAndQuestionsGetTheSafeAnswer) {
    FakeProductLibs product;
    std::FILE* out = std::tmpfile();
    ConsoleHost host(product, out);
    EXPECT_EQ(host.messageBox(nullptr, "Delete?", "Configuration Warning", mb::Question), id::No);
    EXPECT_EQ(host.messageBox(nullptr, "Retry?", "ODR", mb::RetryQuestion), id::Cancel);
    EXPECT_EQ(host.messageBox(nullptr, "Bad.", "Configuration Error", mb::Error), id::Ok);
    EXPECT_EQ(host.messageBox(nullptr, "?", "", mb::YesNoCancel), id::Cancel);
    ASSERT_EQ(product.errors.size(), 4u);
    EXPECT_EQ(product.errors[0].text, "Configuration Warning: Delete?");
    std::rewind(out);
    char line[128] = {};
    ASSERT_NE(std::fgets(line, sizeof line, out), nullptr);
    EXPECT_STREQ(line, "Configuration Warning: Delete?\n");
    std::fclose(out);
}

} // namespace
