// How the runtime splits a command line into words.
#include "platform/crt_argv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Words = std::vector<std::u16string>;

TEST(SplitCommandLine, Rules) {
    // Raw strings: every backslash and quote below is one character of the line.
    struct Case {
        const char* what;
        std::u16string line;
        Words words;
    } cases[] = {
        {"blanks separate", u"prog a b", {u"prog", u"a", u"b"}},
        {"tabs separate", u"prog\ta\t\tb", {u"prog", u"a", u"b"}},
        {"line ends separate", u"prog a\nb\r\nc\rd", {u"prog", u"a", u"b", u"c", u"d"}},
        {"runs and trailing blanks", u"prog   a \t  b \t\r\n", {u"prog", u"a", u"b"}},
        {"quotes group", uR"(prog "a b" c)", {u"prog", u"a b", u"c"}},
        {"quotes inside a word", uR"(prog a"b c"d e)", {u"prog", u"ab cd", u"e"}},
        {"quoted line end", u"prog \"a\tb\nc\"", {u"prog", u"a\tb\nc"}},
        {"unclosed quote runs to the end", uR"(prog "a b)", {u"prog", u"a b"}},
        {"two quotes inside quotes", uR"(prog "a""b")", {u"prog", uR"(a"b)"}},
        {"quoting goes on after two quotes", uR"(prog "a""b c" d)", {u"prog", uR"(a"b c)", u"d"}},
        {"two quotes outside quotes", uR"(prog a""b)", {u"prog", u"ab"}},
        {"empty quoted word", uR"(prog "")", {u"prog", u""}},
        {"empty quoted word in the middle", uR"(prog "" b)", {u"prog", u"", u"b"}},
        {"2 backslashes and a quote", uR"(prog \\"a b")", {u"prog", uR"(\a b)"}},
        {"4 backslashes and a quote", uR"(prog \\\\"a b")", {u"prog", uR"(\\a b)"}},
        {"1 backslash and a quote", uR"(prog \"a b)", {u"prog", uR"("a)", u"b"}},
        {"3 backslashes and a quote", uR"(prog \\\"a b)", {u"prog", uR"(\"a)", u"b"}},
        {"5 backslashes and a quote", uR"(prog \\\\\"a)", {u"prog", uR"(\\"a)"}},
        {"escaped quote inside quotes", uR"(prog "a \" b" c)", {u"prog", uR"(a " b)", u"c"}},
        {"2 backslashes close quotes", uR"(prog "a\\" b)", {u"prog", uR"(a\)", u"b"}},
        {"backslashes not before a quote", uR"(prog a\b\\c\\\d)", {u"prog", uR"(a\b\\c\\\d)"}},
        {"trailing backslashes", uR"(prog \\host\share\\)", {u"prog", uR"(\\host\share\\)"}},
        {"quoted program name",
         uR"("C:\Program Files\x.exe" a)",
         {uR"(C:\Program Files\x.exe)", u"a"}},
        {"program name as it stands", uR"(C:\dir\"x a""b)", {uR"(C:\dir\"x)", uR"(ab)"}},
        {"program name ends at its closing quote", uR"("prog"x y)", {u"prog", u"x", u"y"}},
        {"program name ends at a blank or tab only", u"prog\na b", {u"prog\na", u"b"}},
        {"unclosed quoted program name", uR"("my prog a)", {u"my prog a"}},
        {"empty quoted program name", uR"("" a)", {u"", u"a"}},
        {"program name alone", u"prog", {u"prog"}},
        {"empty line", u"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(win32::SplitCommandLine(c.line), c.words) << c.what;
    }
}

}  // namespace
