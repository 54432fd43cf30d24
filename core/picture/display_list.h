#pragma once
// A metafile once played: what to draw, in order, in one device space.
//
// Every coordinate is in the metafile's device space, with the window/viewport mapping and
// any world transform already applied: the picture fills `frame`, which a painter maps onto
// the rectangle it draws into (a negative width or height mirrors). Curves are cubic Béziers,
// so that the picture stays exact at any scale. Text keeps its anchor and its size in device
// units and is drawn upright, whatever the mapping's mirroring.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mirelda::picture {

struct Point
{
    double x = 0;
    double y = 0;
};

struct Color
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const Color&, const Color&) = default;
};

enum class PenStyle : std::uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Null };

struct Pen
{
    PenStyle style = PenStyle::Solid;
    double width = 0; // device units; 0: the thinnest line the device draws
    Color color;
};

enum class BrushStyle : std::uint8_t { Solid, Null, Hatched, Pattern };

// Hatch styles as GDI numbers them.
enum class Hatch : std::uint8_t {
    Horizontal,
    Vertical,
    ForwardDiagonal,
    BackwardDiagonal,
    Cross,
    DiagonalCross
};

using Bytes = std::shared_ptr<const std::vector<std::uint8_t>>;

struct Brush
{
    BrushStyle style = BrushStyle::Solid;
    Color color{255, 255, 255};
    Hatch hatch = Hatch::Horizontal;
    Bytes pattern; // a BMP file, for Pattern
};

enum class PathVerb : std::uint8_t { Move, Line, Cubic, Close }; // Cubic takes three points

struct Path
{
    std::vector<PathVerb> verbs;
    std::vector<Point> points;
};

struct Font
{
    std::u16string face;
    double height = 12; // em height, device units
    std::int32_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

// Horizontal and vertical reference of a text's anchor.
enum class TextAlignH : std::uint8_t { Left, Center, Right };
enum class TextAlignV : std::uint8_t { Top, Baseline, Bottom };

struct Text
{
    Point anchor;
    std::u16string text;
    std::vector<double> advances; // one per UTF-16 unit, device units; empty: the font's own
    Font font;
    double angle = 0; // degrees, counter-clockwise as seen
    Color color;
    bool opaque = false; // fill behind the text with `background`
    Color background{255, 255, 255};
    TextAlignH alignH = TextAlignH::Left;
    TextAlignV alignV = TextAlignV::Top;
};

// Raster operations a bitmap may be combined with; others draw as Copy.
enum class RasterOp : std::uint8_t { Copy, And, Or, Xor };

struct Bitmap
{
    Bytes file; // a BMP file
    // The destination: the bitmap's source rectangle's top-left, top-right and bottom-left
    // corners land on these points.
    Point topLeft, topRight, bottomLeft;
    double sourceX = 0, sourceY = 0, sourceWidth = 0, sourceHeight = 0; // pixels, top-down
    RasterOp op = RasterOp::Copy;
};

enum class ClipMode : std::uint8_t { Intersect, Exclude, Unite, Replace };

struct ClipStep
{
    ClipMode mode = ClipMode::Intersect;
    Path area; // closed figures
};

// A clipping area: the whole picture, then each step in order.
struct Clip
{
    std::vector<ClipStep> steps;
};

struct Item
{
    enum class Kind : std::uint8_t { Shape, Text, Bitmap } kind = Kind::Shape;
    std::int32_t clip = -1; // index into DisplayList::clips, -1: none

    // Shape
    Path path;
    bool fill = false;
    bool stroke = false;
    bool winding = false; // fill rule: non-zero winding, else alternate
    Pen pen;
    Brush brush;
    bool opaqueHatch = false; // hatches on the background colour
    Color background{255, 255, 255};

    // Text, with an optional rectangle (the path above) filled with the background colour
    // and/or clipping the text
    Text text;
    bool clipToPath = false;

    // Bitmap
    Bitmap bitmap;
};

struct DisplayList
{
    double left = 0, top = 0, width = 0, height = 0; // the frame; width, height never 0
    std::vector<Item> items;
    std::vector<Clip> clips;
};

} // namespace mirelda::picture
