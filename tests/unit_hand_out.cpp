// The order in which a run's entries are handed out to its workers, and the
// earlier times it is decided by.
#include <gtest/gtest.h>

#include "engine/hand_out.h"
#include "reports/reports.h"

#include "test_texts.h"

using Order = std::vector<size_t>;
using testing_support::kCompleteHeader;

namespace {

HandOutEntry known(size_t index, double cost, double size = 0.0) { return {index, cost, size}; }
HandOutEntry unknown(size_t index, double size = 0.0) { return {index, std::nullopt, size}; }

}  // namespace

TEST(HandOutOrder, LongestEarlierTimeFirst) {
    // The file's size does not count once a time is known.
    EXPECT_EQ(handOutOrder({known(0, 0.5, 900), known(1, 30.0, 1), known(2, 4.0, 50), known(4, 12.5, 2)}),
              (Order{1, 4, 2, 0}));
}

TEST(HandOutOrder, AModelsSeedsAndVariantsGoOutTogetherAtItsLongestKnownCost) {
    // Two targets: model 0 is entries 0-1, model 1 is 2-3 (entry 2 kept), model 2 is 4-5.
    std::vector<HandOutEntry> entries = {known(0, 1.0, 5), unknown(1, 5), known(3, 2.0, 9), known(4, 0.5, 1),
                                         known(5, 3.0, 1)};
    costPerModel(entries, 2);
    EXPECT_EQ(handOutOrder(entries), (Order{4, 5, 3, 0, 1}));
}

TEST(HandOutOrder, WithoutEarlierTimesLargestFileFirst) {
    EXPECT_EQ(handOutOrder({unknown(0, 10), unknown(1, 7000), unknown(3, 300), unknown(5, 0)}), (Order{1, 3, 0, 5}));
}

TEST(HandOutOrder, NewModelsFirstThenKnownOnesTiesInFolderOrder) {
    // New models (no earlier time) go before every known one, even one
    // that took long; alike entries keep folder order.
    EXPECT_EQ(handOutOrder({known(0, 2.0, 10), unknown(1, 5), known(2, 30.0, 1), unknown(3, 500), known(4, 2.0, 999),
                            unknown(5, 5), known(6, 0.5)}),
              (Order{3, 1, 5, 2, 0, 4, 6}));
    EXPECT_EQ(handOutOrder({known(0, 1.0), known(1, 1.0), known(2, 1.0)}), (Order{0, 1, 2}));
    EXPECT_TRUE(handOutOrder({}).empty());
}

TEST(HandOutOrder, ModLpNeverTranslatedFirstThenLargestEarlierLpFile) {
    EXPECT_EQ(handOutOrder({known(0, 10), unknown(2), known(3, 900), known(5, 10), unknown(7), known(8, 50)}),
              (Order{2, 7, 3, 8, 0, 5}));
}

TEST(HandOutOrder, EarlierTimesReadFromACompleteReportByHeaderName) {
    // Columns in another order; a time that cannot be read, an empty one and
    // a negative one give none; of a name twice, the last time counts.
    const std::string text =
        "STATUS;TEMPO;NOS;NOME\n"
        "SOL OTIMA;12,5;3;a.lp\n"
        "SOL OTIMA;x;3;b.lp\n"
        "SOL OTIMA;;3;c.lp\n"
        "SOL OTIMA;-1,0;3;d.lp\n"
        "SOL OTIMA;1,0;3;e.lp\n"
        "SOL OTIMA;2,25;3;e.lp\n"
        "ERRO NA LEITURA DO MODELO;0,000000;;f.lp\n";
    EXPECT_EQ(earlierSeconds(text), (std::map<std::string, double>{{"a.lp", 12.5}, {"e.lp", 2.25}, {"f.lp", 0.0}}));
    EXPECT_EQ(earlierSeconds(kCompleteHeader), (std::map<std::string, double>{}));
    // Not a complete report: sol_stat.csv's header, or nothing.
    EXPECT_FALSE(earlierSeconds("NOME;TEMPO;STATUS;Z\na.lp;1,0;SOL OTIMA;2;\n"));
    EXPECT_FALSE(earlierSeconds(""));
}
