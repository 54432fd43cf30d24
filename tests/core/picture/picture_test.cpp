// Pictures: the file header built for DIBs and device bitmaps, and the WMF and EMF readers
// (mapping, object table, text code pages, damage and limits).

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "core/picture/dib.h"
#include "core/picture/jpeg_scans.h"
#include "core/picture/metafile.h"
#include "core/picture/rich_picture.h"

namespace mirelda {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace picture;

void Put(Bytes& b, std::uint32_t v, int size)
{
    for (int i = 0; i < size; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t Get32(const Bytes& b, std::size_t at)
{
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

Bytes Dib(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression, std::uint32_t colors,
          std::size_t extra)
{
    Bytes b;
    for (const std::uint32_t v : {40u, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)})
        Put(b, v, 4);
    Put(b, 1, 2);
    Put(b, static_cast<std::uint32_t>(bits), 2);
    for (const std::uint32_t v : {compression, 0u, 0u, 0u, colors, 0u})
        Put(b, v, 4);
    b.resize(b.size() + extra, 0);
    return b;
}

TEST(Picture, dib_fileHeaderPointsPastHeaderMasksAndPalette)
{
    // 8 bits, 2 palette entries, 4 x 2 pixels: rows of 4 bytes.
    std::optional<Bytes> bmp = BmpFromDib(Dib(4, 2, 8, 0, 2, 8 + 8));
    ASSERT_TRUE(bmp);
    EXPECT_EQ((*bmp)[0], 'B');
    EXPECT_EQ(Get32(*bmp, 2), bmp->size());
    EXPECT_EQ(Get32(*bmp, 10), 14u + 40 + 8);
    // 1 bit and no colour count: the full palette of 2; top-down rows are fine.
    bmp = BmpFromDib(Dib(9, -3, 1, 0, 0, 8 + 3 * 4));
    ASSERT_TRUE(bmp);
    EXPECT_EQ(Get32(*bmp, 10), 14u + 40 + 8);
    // Bit fields after a 40-byte header: three masks before the pixels.
    bmp = BmpFromDib(Dib(2, 2, 32, 3, 0, 12 + 16));
    ASSERT_TRUE(bmp);
    EXPECT_EQ(Get32(*bmp, 10), 14u + 40 + 12);
    // An old core header: 3-byte palette entries.
    Bytes core;
    for (const std::uint32_t v : {12u})
        Put(core, v, 4);
    for (const std::uint32_t v : {2u, 2u, 1u, 4u})
        Put(core, v, 2);
    core.resize(core.size() + 16 * 3 + 2 * 4, 0);
    bmp = BmpFromDib(core);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(Get32(*bmp, 10), 14u + 12 + 48);
}

TEST(Picture, dib_damagedOrAbsurdIsRejected)
{
    EXPECT_FALSE(BmpFromDib(Dib(4, 2, 8, 0, 2, 8 + 7)));          // one pixel byte short
    EXPECT_FALSE(BmpFromDib(Dib(4, 2, 8, 0, 200, 8)));            // palette beyond the data
    EXPECT_FALSE(BmpFromDib(Dib(0, 2, 24, 0, 0, 64)));            // no width
    EXPECT_FALSE(BmpFromDib(Dib(4, 2, 3, 0, 0, 64)));             // no such bit count
    EXPECT_FALSE(BmpFromDib(Dib(4, -2, 8, 1, 0, 1100)));          // RLE runs bottom-up only
    EXPECT_FALSE(BmpFromDib(Dib(4, 2, 24, 4, 0, 64)));            // embedded JPEG
    EXPECT_FALSE(BmpFromDib(Dib(1 << 20, 1 << 20, 1, 0, 0, 64))); // absurd size, no allocation
    EXPECT_FALSE(BmpFromDib(Bytes{40, 0, 0}));
}

TEST(Picture, deviceBitmap_monochromeAndPlanarBecomeDibs)
{
    // 16 x 2 monochrome, rows of 2 bytes: the DIB keeps the bits, black and white palette.
    std::optional<Bytes> bmp = BmpFromDeviceBitmap(Bytes{0xF0, 0x0F, 0xAA, 0x55}, {16, 2, 2, 1, 1});
    ASSERT_TRUE(bmp);
    const std::uint32_t pixels = Get32(*bmp, 10);
    EXPECT_EQ(pixels, 14u + 40 + 8);
    EXPECT_EQ(Get32(*bmp, 14 + 40 + 4), 0x00FFFFFFu); // index 1 is white
    EXPECT_EQ((*bmp)[pixels], 0xF0);
    EXPECT_EQ((*bmp)[pixels + 4], 0xAA); // second row, rows padded to 4 bytes
    // 4 planes: pixel 0 has its bit in planes 0 and 3, index 9 (bright red).
    bmp = BmpFromDeviceBitmap(Bytes{0x80, 0, 0, 0, 0, 0, 0x80, 0}, {2, 1, 2, 1, 4});
    ASSERT_TRUE(bmp);
    EXPECT_EQ((*bmp)[Get32(*bmp, 10)], 0x90);
    EXPECT_FALSE(BmpFromDeviceBitmap(Bytes{1, 2, 3}, {16, 2, 2, 1, 1})); // rows beyond the data
    EXPECT_FALSE(BmpFromDeviceBitmap(Bytes(64), {4, 4, 0, 8, 1}));       // unknown device palette
}

// ---- WMF ---------------------------------------------------------------------------------

struct Wmf
{
    Bytes records;

    Wmf& Record(std::uint16_t function, std::initializer_list<int> words, const Bytes& data = {})
    {
        Bytes body;
        for (const int w : words)
            Put(body, static_cast<std::uint32_t>(w), 2);
        body.insert(body.end(), data.begin(), data.end());
        if (body.size() % 2)
            body.push_back(0);
        Put(records, static_cast<std::uint32_t>(3 + body.size() / 2), 4);
        Put(records, function, 2);
        records.insert(records.end(), body.begin(), body.end());
        return *this;
    }

    Bytes File() const
    {
        Bytes b;
        for (const std::uint32_t v : {1u, 9u, 0x300u})
            Put(b, v, 2);
        Put(b, static_cast<std::uint32_t>((18 + records.size() + 6) / 2), 4);
        Put(b, 8, 2);
        Put(b, 0, 4);
        Put(b, 0, 2);
        b.insert(b.end(), records.begin(), records.end());
        Put(b, 3, 4);
        Put(b, 0, 2);
        return b;
    }
};

const Item* OnlyShape(const std::optional<Metafile>& m)
{
    if (!m || m->list.items.size() != 1 || m->list.items[0].kind != Item::Kind::Shape)
        return nullptr;
    return &m->list.items[0];
}

TEST(Picture, wmf_framedByItsFirstWindowWithUnknownRecordsSkipped)
{
    Wmf w;
    w.Record(0x020B, {200, 100})    // window origin (100, 200)
        .Record(0x020C, {-50, 400}) // extent 400 x -50: y upwards
        .Record(0x02FC, {0}, Bytes{255, 0, 0, 0, 0, 0})
        .Record(0x012D, {0})
        .Record(0x0999, {1, 2, 3})             // unknown
        .Record(0x041B, {190, 300, 180, 150}); // bottom, right, top, left
    const std::optional<Metafile> m = ReadWmf(w.File(), 8);
    const Item* rect = OnlyShape(m);
    ASSERT_TRUE(rect);
    EXPECT_EQ(m->list.left, 100);
    EXPECT_EQ(m->list.top, 200);
    EXPECT_EQ(m->list.width, 400);
    EXPECT_EQ(m->list.height, -50);
    EXPECT_TRUE(rect->fill);
    EXPECT_EQ(rect->brush.color, (Color{255, 0, 0}));
    ASSERT_EQ(rect->path.points.size(), 4u);
    EXPECT_EQ(rect->path.points[0].x, 150);
    EXPECT_EQ(rect->path.points[0].y, 180);
}

// META_PATBLT is 0x061D: its six parameter words give the high byte.
TEST(Picture, documentPicture_metafileReadByItsKindAndCropAsAShare)
{
    Wmf w;
    w.Record(0x041B, {190, 300, 180, 150});
    RichPicture picture;
    picture.bytes = w.File();
    picture.kind = PictureKind::Wmf;
    EXPECT_TRUE(OnlyShape(ReadMetafile(picture)));
    picture.kind = PictureKind::Emf; // the same bytes are no EMF
    EXPECT_FALSE(ReadMetafile(picture));
    picture.kind = PictureKind::Png;
    EXPECT_FALSE(ReadMetafile(picture));

    EXPECT_DOUBLE_EQ(CropShare(360, 1440), 0.25);
    EXPECT_DOUBLE_EQ(CropShare(1440, 1440), 0.45); // some of the picture always shows
    EXPECT_DOUBLE_EQ(CropShare(-360, 1440), 0.0);
    EXPECT_DOUBLE_EQ(CropShare(360, 0), 0.0);
}

TEST(Picture, documentPicture_laidOutAtItsGoalElseItsOwnSize)
{
    RichPicture picture;
    picture.kind = PictureKind::Png;
    picture.goalWidth = 1500; // 100 x 200 pixels
    picture.goalHeight = 3000;
    picture.cropLeft = 300;
    picture.scaleY = 50;
    PictureLayout layout = LayOutPicture(&picture, 10, 10, nullptr);
    EXPECT_DOUBLE_EQ(layout.cropLeft, 0.2);
    EXPECT_DOUBLE_EQ(layout.width, 80);
    EXPECT_DOUBLE_EQ(layout.height, 100);
    // A shape's box is the goal size, at 100 %: the crop is a share of it.
    layout = LayOutPicture(&picture, 10, 10, nullptr, PictureBox{3000, 1500});
    EXPECT_DOUBLE_EQ(layout.cropLeft, 0.1);
    EXPECT_DOUBLE_EQ(layout.width, 180);
    EXPECT_DOUBLE_EQ(layout.height, 100);
    picture.goalWidth = 2'000'000;
    EXPECT_DOUBLE_EQ(LayOutPicture(&picture, 10, 10, nullptr).width, kMaxPictureSide);

    picture = {};
    picture.kind = PictureKind::Png;
    EXPECT_DOUBLE_EQ(LayOutPicture(&picture, 40, 30, nullptr).width, 40); // the bitmap's pixels
    EXPECT_DOUBLE_EQ(LayOutPicture(nullptr, 0, 0, nullptr).height, 32);   // a placeholder

    // A WMF's \picw and \pich are 0.01 mm; sizes that would hide it give way to the data's.
    Wmf w;
    w.Record(0x020C, {-50, 400}).Record(0x041B, {-40, 300, -10, 150});
    picture.kind = PictureKind::Wmf;
    picture.bytes = w.File();
    picture.pixelWidth = 2540;
    picture.pixelHeight = 1270;
    const std::optional<Metafile> m = ReadMetafile(picture);
    ASSERT_TRUE(m);
    layout = LayOutPicture(&picture, 0, 0, &*m);
    EXPECT_DOUBLE_EQ(layout.width, 96);
    EXPECT_DOUBLE_EQ(layout.height, 48);
    picture.pixelWidth = 1;
    picture.pixelHeight = 2;
    layout = LayOutPicture(&picture, 0, 0, &*m);
    EXPECT_DOUBLE_EQ(layout.width, 400);
    EXPECT_DOUBLE_EQ(layout.height, 50);
}

// A bitmap is cut to what its crop leaves; a metafile is played into the whole picture around
// the shown rectangle, so that the same part shows.
TEST(Picture, documentPicture_cropCutsTheBitmapAndPlacesTheWholeMetafile)
{
    PictureLayout layout;
    EXPECT_FALSE(CroppedPart(layout, 100, 50));
    layout.cropLeft = 0.2;
    layout.cropTop = 0.1;
    layout.cropRight = 0.3;
    layout.cropBottom = 0.4;
    const std::optional<PictureRect> part = CroppedPart(layout, 100, 50);
    ASSERT_TRUE(part);
    EXPECT_DOUBLE_EQ(part->x, 20);
    EXPECT_DOUBLE_EQ(part->y, 5);
    EXPECT_DOUBLE_EQ(part->width, 50);
    EXPECT_DOUBLE_EQ(part->height, 25);

    const PictureRect whole = WholePicture(layout, {10, 20, 50, 25});
    EXPECT_DOUBLE_EQ(whole.x, -10);
    EXPECT_DOUBLE_EQ(whole.y, 15);
    EXPECT_DOUBLE_EQ(whole.width, 100);
    EXPECT_DOUBLE_EQ(whole.height, 50);
}

TEST(Picture, wmf_patBltFillsWithTheBrush)
{
    Wmf w;
    w.Record(0x020B, {0, 0}).Record(0x020C, {100, 100});
    w.Record(0x02FC, {0}, Bytes{0, 0, 255, 0, 0, 0}).Record(0x012D, {0});
    w.Record(0x061D, {0x0021, 0x00F0, 20, 30, 10, 5}); // PATCOPY; height, width, y, x
    const std::optional<Metafile> m = ReadWmf(w.File(), 8);
    const Item* rect = OnlyShape(m);
    ASSERT_TRUE(rect);
    EXPECT_TRUE(rect->fill);
    EXPECT_EQ(rect->brush.color, (Color{0, 0, 255}));
    ASSERT_EQ(rect->path.points.size(), 4u);
    EXPECT_EQ(rect->path.points[0].x, 5);
    EXPECT_EQ(rect->path.points[0].y, 10);
    EXPECT_EQ(rect->path.points[2].x, 35);
    EXPECT_EQ(rect->path.points[2].y, 30);
}

TEST(Picture, wmf_laterWindowChangesScaleWhatFollows)
{
    Wmf w;
    w.Record(0x020B, {0, 0}).Record(0x020C, {100, 100});
    w.Record(0x020C, {50, 50}); // half the window: everything twice as large
    w.Record(0x020B, {10, 10}); // and moved
    w.Record(0x041B, {30, 30, 20, 20});
    const std::optional<Metafile> m = ReadWmf(w.File(), 8);
    const Item* rect = OnlyShape(m);
    ASSERT_TRUE(rect);
    EXPECT_EQ(rect->path.points[0].x, 20); // (20 - 10) * 2
    EXPECT_EQ(rect->path.points[2].y, 40); // (30 - 10) * 2
}

TEST(Picture, wmf_countsBeyondTheirRecordAreRejected)
{
    Wmf w;
    w.Record(0x020B, {0, 0}).Record(0x020C, {100, 100});
    w.Record(0x0324, {1000, 1, 1, 5, 5});                             // polygon of 1000 points, 2 given
    w.Record(0x0538, {2, 3, 60000, 0, 0, 1, 1, 2, 2});                // poly-polygon counts beyond
    w.Record(0x0A32, {10, 10, 500, 0, 'a'});                          // text longer than its record
    w.Record(0x0F43, {0x20, 0xCC, 0, 8, 8, 0, 0, 5, 5, 0, 0, 40, 0}); // DIB header cut short
    w.Record(0x0418, {90, 90, 10, 10});                               // an ellipse still drawn
    const std::optional<Metafile> m = ReadWmf(w.File(), 8);
    const Item* ellipse = OnlyShape(m);
    ASSERT_TRUE(ellipse);
    EXPECT_EQ(ellipse->path.verbs.size(), 6u); // move, 4 quarter curves, close

    // A record running past the data ends the picture; what came before stays.
    Bytes file = w.File();
    file.resize(file.size() - 6); // without its end record
    Put(file, 0x7FFFFFFF, 4);
    Put(file, 0x041B, 2);
    EXPECT_TRUE(OnlyShape(ReadWmf(file, 8)));
    EXPECT_FALSE(ReadWmf(Bytes(17, 0), 8));
}

TEST(Picture, wmf_stretchedDibTakesItsSourceRectangleFromTheBottomRow)
{
    Wmf w;
    w.Record(0x020B, {0, 0}).Record(0x020C, {100, 100});
    // StretchDIB: rop, usage, source 2 x 1 at (1, 0), destination 40 x 20 at (5, 10); a
    // bottom-up 4 x 2 DIB.
    w.Record(0x0F43, {0x20, 0xCC, 0, 1, 2, 0, 1, 20, 40, 10, 5}, Dib(4, 2, 8, 0, 2, 8 + 8));
    const std::optional<Metafile> m = ReadWmf(w.File(), 8);
    ASSERT_TRUE(m);
    ASSERT_EQ(m->list.items.size(), 1u);
    ASSERT_EQ(m->list.items[0].kind, Item::Kind::Bitmap);
    const Bitmap& b = m->list.items[0].bitmap;
    ASSERT_TRUE(b.file);
    EXPECT_EQ(b.sourceX, 1);
    EXPECT_EQ(b.sourceY, 1); // the lower of the two rows, counted top-down
    EXPECT_EQ(b.sourceWidth, 2);
    EXPECT_EQ(b.sourceHeight, 1);
    EXPECT_EQ(b.topRight.x, 45);
    EXPECT_EQ(b.bottomLeft.y, 30);
}

TEST(Picture, wmf_objectTableReusesLowestFreeSlotAndTextKeepsItsCodePage)
{
    Bytes face(32, 0);
    const char* name = "Arial";
    std::memcpy(face.data(), name, 5);
    Bytes font{0, 0, 0, 204, 0, 0, 0, 0}; // italic, underline, strike-out, charset (Cyrillic), 4 more
    font.insert(font.end(), face.begin(), face.end());
    Wmf w;
    w.Record(0x020B, {0, 0}).Record(0x020C, {100, 100});
    w.Record(0x02FC, {0}, Bytes{255, 0, 0, 0, 0, 0}); // slot 0: red
    w.Record(0x02FC, {0}, Bytes{0, 0, 255, 0, 0, 0}); // slot 1: blue
    w.Record(0x01F0, {0});                            // slot 0 free again
    w.Record(0x02FC, {0}, Bytes{0, 255, 0, 0, 0, 0}); // takes slot 0: green
    w.Record(0x012D, {0});
    w.Record(0x041B, {50, 50, 10, 10});
    w.Record(0x02FB, {-20, 0, 0, 0, 700}, font); // slot 2
    w.Record(0x012D, {2});
    w.Record(0x0521, {2}, Bytes{0xC4, 0xE0, 60, 0, 10, 0}); // "Да" at (10, 60)
    const std::optional<Metafile> m = ReadWmf(w.File(), 8);
    ASSERT_TRUE(m);
    ASSERT_EQ(m->list.items.size(), 2u);
    EXPECT_EQ(m->list.items[0].brush.color, (Color{0, 255, 0}));
    const Text& text = m->list.items[1].text;
    EXPECT_EQ(text.text, u"Да");
    EXPECT_EQ(text.font.face, u"Arial");
    EXPECT_EQ(text.font.weight, 700);
    EXPECT_EQ(text.font.height, 20);
    EXPECT_EQ(text.anchor.y, 60);
}

TEST(Picture, wmf_drawingIsBoundedWhateverTheFileClaims)
{
    Wmf w;
    w.Record(0x020B, {0, 0}).Record(0x020C, {100, 100});
    for (std::size_t i = 0; i < kMaxItems + 10; ++i)
        w.Record(0x041B, {50, 50, 10, 10});
    const std::optional<Metafile> m = ReadWmf(w.File(), 8);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->list.items.size(), kMaxItems);
}

TEST(Picture, wmf_pensNoWiderThanTwiceThePicture)
{
    // Dashed lines of the widest pen a WMF can ask for, in a picture of 100 x 100.
    Wmf w;
    w.Record(0x020B, {0, 0}).Record(0x020C, {100, 100});
    w.Record(0x02FA, {1, 32767, 0, 0, 0}); // dashed, width 32767, black
    w.Record(0x012D, {0});
    w.Record(0x0214, {10, 10}).Record(0x0213, {90, 90}); // move to, line to (y, x)
    w.Record(0x02FA, {0, 3, 0, 0, 0});                   // a thin pen keeps its width
    w.Record(0x012D, {1});
    w.Record(0x0214, {10, 90}).Record(0x0213, {90, 10});
    const std::optional<Metafile> m = ReadWmf(w.File(), 8);
    ASSERT_TRUE(m);
    ASSERT_EQ(m->list.items.size(), 2u);
    EXPECT_EQ(m->list.items[0].pen.style, PenStyle::Dash);
    EXPECT_NEAR(m->list.items[0].pen.width, 2 * std::hypot(100.0, 100.0), 1e-9);
    EXPECT_EQ(m->list.items[1].pen.width, 3);
}

// ---- EMF ---------------------------------------------------------------------------------

struct Emf
{
    Bytes records;

    Emf& Record(std::uint32_t type, std::initializer_list<std::int64_t> values, const Bytes& data = {})
    {
        Put(records, type, 4);
        Put(records, static_cast<std::uint32_t>(8 + values.size() * 4 + data.size()), 4);
        for (const std::int64_t v : values)
            Put(records, static_cast<std::uint32_t>(v), 4);
        records.insert(records.end(), data.begin(), data.end());
        return *this;
    }

    Bytes File() const
    {
        Bytes b;
        Put(b, 1, 4);
        Put(b, 88, 4);
        for (const std::uint32_t v : {0u, 0u, 99u, 99u, 0u, 0u, 2646u, 2646u, 0x464D4520u, 0x10000u, 0u, 0u})
            Put(b, v, 4);
        Put(b, 4, 2);
        Put(b, 0, 2);
        for (const std::uint32_t v : {0u, 0u, 0u, 1000u, 1000u, 265u, 265u})
            Put(b, v, 4);
        b.insert(b.end(), records.begin(), records.end());
        return b;
    }
};

TEST(Picture, jpeg_scansCountedFromMarkersWithoutDecoding)
{
    // SOI, an APP0 segment, then scans whose data holds a stuffed 0xFF, a restart marker and
    // fill bytes before the next marker.
    const Bytes head{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0xFF, 0xDA};
    const Bytes scan{0xFF, 0xDA, 0x00, 0x03, 0x01, 0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD3, 0x56, 0xFF};
    const auto jpeg = [&](std::size_t scans, bool ended) {
        Bytes b = head;
        for (std::size_t i = 0; i < scans; ++i)
            b.insert(b.end(), scan.begin(), scan.end());
        if (ended)
            b.insert(b.end(), {0xFF, 0xD9, 0xFF, 0xDA, 0x00, 0x02}); // nothing after the end counts
        return b;
    };
    EXPECT_EQ(CountJpegScans(jpeg(3, true)), 3u);
    EXPECT_EQ(CountJpegScans(jpeg(3, false)), 3u);
    EXPECT_EQ(CountJpegScans(jpeg(3, true), 2), 2u);
    Bytes cut = jpeg(2, true);
    cut.resize(head.size() + scan.size() + 3); // inside the second scan's length
    EXPECT_EQ(CountJpegScans(cut), 1u);
    EXPECT_EQ(CountJpegScans(Bytes{0x89, 'P', 'N', 'G'}), 0u);
    EXPECT_EQ(CountJpegScans(Bytes{0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x01}), 0u); // length below 2
    EXPECT_TRUE(JpegDecodingBounded(jpeg(kMaxJpegScans, true), 1000 * 1000));
    EXPECT_FALSE(JpegDecodingBounded(jpeg(kMaxJpegScans + 1, true), 1));
    // Ten scans of 100 megapixels, but not eleven.
    EXPECT_TRUE(JpegDecodingBounded(jpeg(10, true), 100'000'000));
    EXPECT_FALSE(JpegDecodingBounded(jpeg(11, true), 100'000'000));
}

TEST(Picture, emf_framedByItsHeaderWithMappingAndStockObjects)
{
    Emf e;
    e.Record(39, {1, 0, 0x00FF00, 0}) // brush 1: green
        .Record(37, {1})
        .Record(37, {0x80000008}) // NULL_PEN
        .Record(4242, {0, 0})     // unknown
        .Record(17, {8})          // anisotropic: window 200 wide onto 100 pixels
        .Record(9, {200, 200})
        .Record(11, {100, 100})
        .Record(43, {20, 20, 180, 180});
    const std::optional<Metafile> m = ReadEmf(e.File());
    const Item* rect = OnlyShape(m);
    ASSERT_TRUE(rect);
    EXPECT_NEAR(m->list.width, 99.85, 0.1); // 26.46 mm at 1000 pixels per 265 mm
    EXPECT_NEAR(m->naturalWidth, 2646, 0.1);
    EXPECT_EQ(rect->brush.color, (Color{0, 255, 0}));
    EXPECT_FALSE(rect->stroke);
    EXPECT_EQ(rect->path.points[0].x, 10);
    EXPECT_EQ(rect->path.points[2].y, 90);
}

TEST(Picture, emf_wideTextAndDamagedRecords)
{
    Bytes text{'O', 0, 'K', 0};
    Emf e;
    // ExtTextOutW: bounds, mode, scales, reference (5, 6), 2 characters at offset 76, options,
    // rectangle, no dx.
    e.Record(84, {0, 0, 0, 0, 1, 0, 0, 5, 6, 2, 76, 0, 0, 0, 0, 0, 0}, text);
    e.Record(84, {0, 0, 0, 0, 1, 0, 0, 5, 6, 1000000, 76, 0, 0, 0, 0, 0, 0}, text);     // too many
    e.Record(81, {0, 0, 0, 0, 0, 0, 0, 0, 4, 4, 72, 40, 200, 64, 0, 0xCC0020, 10, 10}); // bits beyond
    e.Record(3, {0, 0, 0, 0, 500000, 1, 1}); // polygon count beyond
    const std::optional<Metafile> m = ReadEmf(e.File());
    ASSERT_TRUE(m);
    ASSERT_EQ(m->list.items.size(), 1u);
    EXPECT_EQ(m->list.items[0].text.text, u"OK");
    EXPECT_EQ(m->list.items[0].text.anchor.x, 5);

    Bytes bad = e.File();
    bad[40] = 'X'; // no signature
    EXPECT_FALSE(ReadEmf(bad));
}

} // namespace
} // namespace mirelda
