#include "core/catalogue/SearchWords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SearchWordsTest, SplitsAtSpacesAndKeepsQuotedPhrasesWhole) {
    const struct {
        std::string text;
        std::vector<std::string> words;
    } cases[] = {
        {"  tax\t2019\n", {"tax", "2019"}},
        {"\"tax  2019\" scans", {"tax  2019", "scans"}},
        {"a\"b c\"d", {"a", "b c", "d"}},
        {"\" unclosed phrase ", {"unclosed phrase"}},
        {"\"\" \" \" ", {}},
        {"tax TAX tax", {"tax", "TAX"}},
        {"AND * -x (y) NEAR", {"AND", "*", "-x", "(y)", "NEAR"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SearchWords(c.text), c.words) << c.text;
    }
    EXPECT_EQ(LetterCount("жу"), 2u);
    EXPECT_EQ(FtsString("say \"hi\""), "\"say \"\"hi\"\"\"");
}

} // namespace
