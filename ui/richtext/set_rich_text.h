#pragma once
// SetRichText: the one way the program replaces a text control's content with RTF.

#include "core/richtext/document.h"
#include "core/view/position_map.h"

#include <string>
#include <string_view>
#include <vector>

class QTextEdit;

namespace mirelda::ui {

// What a control holds after SetRichText, in the model's numbering.
struct LoadedRichText
{
    std::u16string text;          // one unit per position, hidden text included
    PositionMap map;              // model <-> QTextDocument positions
    std::vector<TextSpan> hidden; // the hidden stretches of `text`, in order
};

// Reads `rtf` and replaces the whole content of `target` with it, without showing any
// intermediate state. The document is built apart and swapped in.
LoadedRichText SetRichText(QTextEdit& target, std::string_view rtf);

} // namespace mirelda::ui
