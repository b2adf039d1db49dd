#include "app/error_display.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "catalogue/file_error.h"

namespace velmoro {
namespace {

struct DisplayTextCase {
  const char16_t* message;
  const char16_t* shown;
};

void PrintTo(const DisplayTextCase& c, std::ostream* out) {
  *out << ::testing::PrintToString(std::u16string(c.message));
}

class ErrorDisplayTextTest : public ::testing::TestWithParam<DisplayTextCase> {};

TEST_P(ErrorDisplayTextTest, AppendsAPeriodAfterBytesAboveIt) {
  EXPECT_EQ(ErrorDisplayText(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ErrorDisplayTextTest,
    ::testing::Values(DisplayTextCase{u"Stream write error", u"Stream write error."},
                      DisplayTextCase{u"Done.", u"Done."}, DisplayTextCase{u"'x'", u"'x'"},
                      DisplayTextCase{u"a-", u"a-"}, DisplayTextCase{u"a/", u"a/."},
                      DisplayTextCase{u"\xE9", u"\xE9."}, DisplayTextCase{u"Ж", u"Ж."},
                      DisplayTextCase{u"", u""}));

struct FailureCase {
  std::exception_ptr failure;
  const char16_t* message;
};

// What a caught failure says: a file error its own message, and a byte beyond ASCII in another
// exception's text (which names no character the program knows) a question mark.
TEST(FailureMessageTest, SaysWhatTheFailureIs) {
  const FailureCase cases[] = {
      {std::make_exception_ptr(FileError("Stream write error", u"Cannot create file \"\u00E9\".")),
       u"Cannot create file \"\u00E9\"."},
      {std::make_exception_ptr(std::bad_alloc()), u"Out of memory"},
      {std::make_exception_ptr(std::runtime_error("caf\xC3\xA9 failed")), u"caf?? failed"},
      {std::make_exception_ptr(42), u"Unknown error"},
  };
  for (const FailureCase& c : cases) EXPECT_EQ(FailureMessage(c.failure), c.message);
}

}  // namespace
}  // namespace velmoro
