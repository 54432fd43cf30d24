#include "core/view/position_map.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace mirelda {
namespace {

// Model 0..14: [0,2) hidden, [5,9) hidden, 12 a cell's tab; the document has a cell boundary
// of its own at 6.
PositionMap HiddenSpansAndACell()
{
    PositionMap map;
    map.addShown(2, 0, 3);  // 2 3 4 -> 0 1 2
    map.addShown(9, 3, 3);  // 9 10 11 -> 3 4 5
    map.addShown(13, 7, 2); // 13 14 -> 7 8
    map.finish(15, 9);
    return map;
}

TEST(PositionMap, translatesAroundHiddenSpans)
{
    const PositionMap map = HiddenSpansAndACell();
    EXPECT_FALSE(map.identity());
    const std::vector<std::pair<int, int>> shown = {{2, 0}, {4, 2}, {9, 3}, {11, 5}, {13, 7}, {14, 8}};
    for (auto [model, doc] : shown) {
        EXPECT_EQ(map.toDocument(model), doc) << model;
        EXPECT_EQ(map.toModel(doc), model) << doc;
    }
    // Left-out model positions go to the next shown character; as a range's end, to just
    // after the last one before them, so that a range never reaches into the next cell.
    EXPECT_EQ(map.toDocument(0), 0);
    EXPECT_EQ(map.toDocument(5), 3);
    EXPECT_EQ(map.toDocument(12), 7);
    EXPECT_EQ(map.toDocumentEnd(12), 6);
    EXPECT_EQ(map.toDocumentEnd(13), 6);
    EXPECT_EQ(map.toDocumentEnd(11), 5);
    // The document's own character goes to the next shown model character, or ends a range
    // after the last one before it.
    EXPECT_EQ(map.toModel(6), 13);
    EXPECT_EQ(map.toModelEnd(6), 12);
    EXPECT_EQ(map.toModelEnd(7), 12);

    const PositionMap identity;
    EXPECT_TRUE(identity.identity());
    EXPECT_EQ(identity.toDocument(7), 7);
    EXPECT_EQ(identity.toModel(7), 7);
    PositionMap same;
    same.addShown(0, 0, 5);
    same.finish(5, 5);
    EXPECT_TRUE(same.identity());
}

TEST(PositionMap, showsAnyOnlyOfRangesWithAShownCharacterBeforeTheDocumentsEnd)
{
    const PositionMap map = HiddenSpansAndACell();
    EXPECT_TRUE(map.showsAny(2, 3));
    EXPECT_TRUE(map.showsAny(0, 3));    // starts hidden, reaches shown text
    EXPECT_FALSE(map.showsAny(5, 9));   // wholly hidden
    EXPECT_FALSE(map.showsAny(0, 2));   // wholly hidden
    EXPECT_FALSE(map.showsAny(12, 13)); // the cell's tab, which the document leaves out
    EXPECT_FALSE(map.showsAny(3, 3));   // empty
    EXPECT_FALSE(map.showsAny(14, 15)); // only the document's last character
    EXPECT_FALSE(map.showsAny(40, 50)); // past the end

    PositionMap same;
    same.addShown(0, 0, 5);
    same.finish(5, 5);
    EXPECT_TRUE(same.showsAny(0, 4));
    EXPECT_FALSE(same.showsAny(4, 5));
    EXPECT_FALSE(PositionMap().showsAny(0, 1)); // never built: no document to show it
}

} // namespace
} // namespace mirelda
