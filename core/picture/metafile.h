#pragma once
// Windows metafiles (WMF, as RTF's \wmetafile carries them, and EMF, \emfblip) read into a
// display list that any painter can draw at any size.
//
// Covered: window/viewport origin and extent and the mapping modes, world transforms (EMF),
// pens, brushes (solid, hatched, pattern), fonts with their object table (create, select,
// delete, stock objects), lines, rectangles, rounded rectangles, ellipses, arcs, chords, pies,
// polygons, polylines, poly-polygons, Béziers (EMF), text out with its character set's code
// page, stretched and device-independent bitmaps, pattern blits, save/restore DC, clipping
// rectangles and regions, background mode and colour, text colour and alignment, and EMF
// paths (fill, stroke, clip). Every other record is skipped.
//
// Every count and size is checked against the record that holds it; a record that does not
// fit ends the playing where it stands (what was read stays). Work and memory are bounded
// (records, shapes, points, clip steps), so a hostile file can neither hang nor exhaust memory.

#include <cstdint>
#include <optional>
#include <span>

#include "core/picture/display_list.h"

namespace mirelda::picture {

inline constexpr std::size_t kMaxRecords = 1'000'000;
inline constexpr std::size_t kMaxItems = 100'000;
inline constexpr std::size_t kMaxPoints = 1'000'000;

struct Metafile
{
    DisplayList list;
    // The picture's own size in 0.01 mm when the file tells it (EMF frame, placeable WMF
    // header); 0 when unknown.
    double naturalWidth = 0;
    double naturalHeight = 0;
};

// A WMF: optional placeable header, the 18-byte header, then records. `mappingMode` is the
// mapping mode the picture is played in (RTF's \wmetafileN); the records may change it.
// Nothing when the headers are damaged or nothing is drawn.
std::optional<Metafile> ReadWmf(std::span<const std::uint8_t> data, std::int32_t mappingMode = 8);

// An EMF: the EMR_HEADER record, then records. Nothing when the header is damaged or nothing
// is drawn.
std::optional<Metafile> ReadEmf(std::span<const std::uint8_t> data);

} // namespace mirelda::picture
