// Markdown to RTF with cmark-gfm (CommonMark, with GitHub's table extension). The RTF is what
// a word processor writes: one \pard paragraph per block with its indents, character
// formatting in groups, lists with \pn labels (no text positions), tables as \trowd rows,
// pictures as \pict groups, links as HYPERLINK fields. The compiler then treats it exactly as
// an RTF article.

#include "core/authoring/markdown.h"

#include "core/store/cp1252.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace mirelda::authoring {
namespace {

constexpr int kMaxDepth = 64;     // nesting of blocks and inlines the converter follows
constexpr int kIndentStep = 360;  // twips a list or quote level indents
constexpr int kTableWidth = 9000; // twips shared among a table's columns
constexpr int kHeadingSizes[] = {36, 32, 28, 26, 24, 22}; // half-points, levels 1 to 6

// One line: the RTF keeps each block and link on the line of its Markdown source, so that the
// compiler's own messages about a link name the Markdown line.
constexpr const char* kHeader = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
                                "{\\f1\\fmodern\\fcharset0 Courier New;}}"
                                "{\\colortbl ;\\red0\\green0\\blue255;}\\uc1 ";

std::string TypeName(cmark_node* node)
{
    const char* name = cmark_node_get_type_string(node);
    return name ? name : "";
}

// Text as RTF: Windows-1252 bytes as themselves or \'hh, anything else as \uN? with one
// fallback character, the control characters RTF gives a meaning to escaped.
void AppendText(std::string& out, std::string_view utf8)
{
    for (std::size_t i = 0; i < utf8.size();) {
        const Utf8Char ch = DecodeUtf8Char(utf8, i);
        i += ch.length;
        const char32_t c = ch.valid ? ch.code : 0xFFFD;
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c == '\n' || c == '\r') {
            out += ' ';
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else if (const int byte = Cp1252ByteOf(c); byte >= 0xA0 || (byte >= 0x80 && c > 0xFF)) {
            static const char hex[] = "0123456789abcdef";
            out += "\\'";
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else if (c >= 0x10000) {
            const char32_t v = c - 0x10000;
            out += "\\u" + std::to_string(static_cast<std::int16_t>(0xD800 + (v >> 10))) + "?";
            out += "\\u" + std::to_string(static_cast<std::int16_t>(0xDC00 + (v & 0x3FF))) + "?";
        } else if (c >= 0x20) {
            out += "\\u" + std::to_string(static_cast<std::int16_t>(c)) + "?";
        }
        // Other control characters have no place in an article's text and are left out.
    }
}

// Width and height in pixels of a PNG or JPEG; false for anything else.
bool ImageSize(std::string_view data, bool& png, int& width, int& height)
{
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(data[k]); };
    if (data.size() >= 24 && data.substr(0, 8) == "\x89PNG\r\n\x1a\n" && data.substr(12, 4) == "IHDR") {
        png = true;
        width = (at(16) << 24) | (at(17) << 16) | (at(18) << 8) | at(19);
        height = (at(20) << 24) | (at(21) << 16) | (at(22) << 8) | at(23);
        return width > 0 && height > 0;
    }
    if (data.size() < 4 || at(0) != 0xFF || at(1) != 0xD8)
        return false;
    png = false;
    for (std::size_t i = 2; i + 9 < data.size();) {
        if (at(i) != 0xFF)
            return false;
        const unsigned char marker = at(i + 1);
        const std::size_t length = (at(i + 2) << 8) | at(i + 3);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            height = (at(i + 5) << 8) | at(i + 6);
            width = (at(i + 7) << 8) | at(i + 8);
            return width > 0 && height > 0;
        }
        i += 2 + length;
    }
    return false;
}

bool IsOutsideAddress(std::string_view url)
{
    // A scheme ("http:", "mailto:") or a path: the viewer can open neither.
    const std::size_t colon = url.find(':');
    return (colon != std::string_view::npos && colon > 0) || url.find('/') != std::string_view::npos ||
           url.find('.') != std::string_view::npos;
}

class Writer
{
  public:
    Writer(const std::string& file, const ImageLoader& loadImage, Diagnostics& diags)
        : file_(file), loadImage_(loadImage), diags_(diags)
    {
    }

    std::string Convert(cmark_node* document)
    {
        out_ = kHeader;
        Blocks(document, 0);
        out_ += "}\n";
        return std::move(out_);
    }

  private:
    static std::size_t LineOf(cmark_node* node)
    {
        int line = 0;
        for (cmark_node* n = node; n && line <= 0; n = cmark_node_parent(n))
            line = cmark_node_get_start_line(n);
        return static_cast<std::size_t>(std::max(1, line));
    }

    void Error(cmark_node* node, std::string message)
    {
        diags_.push_back({file_, LineOf(node), std::move(message)});
    }

    // Line feeds (which RTF ignores) up to the node's source line.
    void PadTo(cmark_node* node)
    {
        for (const std::size_t line = LineOf(node); line_ < line; ++line_)
            out_ += '\n';
    }

    // Starts a paragraph: \pard with the current indents, then the body font.
    void StartParagraph(std::string_view extra = {})
    {
        out_ += "\\pard";
        if (left_ > 0)
            out_ += "\\li" + std::to_string(left_);
        out_ += extra;
        out_ += "\\sa120\\plain\\f0\\fs20 ";
    }

    void EndParagraph() { out_ += "\\par "; }

    void Blocks(cmark_node* parent, int depth)
    {
        for (cmark_node* n = cmark_node_first_child(parent); n; n = cmark_node_next(n))
            Block(n, depth);
    }

    void Block(cmark_node* node, int depth)
    {
        if (depth > kMaxDepth) {
            Error(node, "blocks nested more than " + std::to_string(kMaxDepth) + " levels deep");
            return;
        }
        const std::string type = TypeName(node);
        PadTo(node);
        switch (cmark_node_get_type(node)) {
        case CMARK_NODE_PARAGRAPH:
            StartParagraph(TakeLabel());
            Inlines(node, depth + 1);
            EndParagraph();
            return;
        case CMARK_NODE_HEADING: {
            const int level = std::clamp(cmark_node_get_heading_level(node), 1, 6);
            StartParagraph(TakeLabel() + "\\keepn\\sb240");
            out_ += "\\b\\fs" + std::to_string(kHeadingSizes[level - 1]) + " ";
            Inlines(node, depth + 1);
            EndParagraph();
            return;
        }
        case CMARK_NODE_CODE_BLOCK: {
            std::string_view code = cmark_node_get_literal(node) ? cmark_node_get_literal(node) : "";
            if (!code.empty() && code.back() == '\n')
                code.remove_suffix(1);
            // One paragraph, lines separated by \line, so the block stays one piece.
            StartParagraph(TakeLabel());
            out_ += "\\f1 ";
            for (std::size_t start = 0;;) {
                const std::size_t end = code.find('\n', start);
                AppendText(out_, code.substr(start, end - start));
                if (end == std::string_view::npos)
                    break;
                out_ += "\\line ";
                start = end + 1;
            }
            EndParagraph();
            return;
        }
        case CMARK_NODE_THEMATIC_BREAK:
            StartParagraph(TakeLabel() + "\\brdrb\\brdrs\\brdrw10\\brsp20");
            EndParagraph();
            return;
        case CMARK_NODE_BLOCK_QUOTE:
            left_ += 2 * kIndentStep;
            Blocks(node, depth + 1);
            left_ -= 2 * kIndentStep;
            return;
        case CMARK_NODE_LIST: {
            const bool ordered = cmark_node_get_list_type(node) == CMARK_ORDERED_LIST;
            int number = cmark_node_get_list_start(node);
            left_ += kIndentStep;
            for (cmark_node* item = cmark_node_first_child(node); item; item = cmark_node_next(item)) {
                // The label goes on the item's first paragraph; it takes no text position.
                label_ = ordered
                             ? "\\fi-" + std::to_string(kIndentStep) + "{\\*\\pn\\pnlvlbody\\pndec\\pnstart" +
                                   std::to_string(number++) + "\\pnindent" + std::to_string(kIndentStep) +
                                   "{\\pntxta .}}"
                             : "\\fi-" + std::to_string(kIndentStep) + "{\\*\\pn\\pnlvlblt\\pnf0\\pnindent" +
                                   std::to_string(kIndentStep) + "{\\pntxtb \\'95}}";
                Blocks(item, depth + 1);
                label_.clear();
            }
            left_ -= kIndentStep;
            return;
        }
        case CMARK_NODE_HTML_BLOCK:
            Error(node, "raw HTML is not supported in an article");
            return;
        default:
            break;
        }
        if (type == "table")
            Table(node, depth);
        else
            Blocks(node, depth + 1); // footnote definitions and other extensions: their content
    }

    std::string TakeLabel() { return std::exchange(label_, {}); }

    void Table(cmark_node* table, int depth)
    {
        const int columns = std::max<int>(1, cmark_gfm_extensions_get_table_columns(table));
        const std::uint8_t* align = cmark_gfm_extensions_get_table_alignments(table);
        const int width = kTableWidth / columns;
        TakeLabel();
        for (cmark_node* row = cmark_node_first_child(table); row; row = cmark_node_next(row)) {
            const bool header = cmark_gfm_extensions_get_table_row_is_header(row);
            out_ += "\\trowd\\trgaph108";
            if (left_ > 0)
                out_ += "\\trleft" + std::to_string(left_);
            for (int c = 1; c <= columns; ++c)
                out_ += "\\cellx" + std::to_string(left_ + c * width);
            int c = 0;
            for (cmark_node* cell = cmark_node_first_child(row); cell; cell = cmark_node_next(cell), ++c) {
                out_ += "\\pard\\intbl";
                const char a = align && c < columns ? static_cast<char>(align[c]) : 0;
                out_ += a == 'c' ? "\\qc" : a == 'r' ? "\\qr" : "";
                out_ += "\\plain\\f0\\fs20 ";
                if (header)
                    out_ += "\\b ";
                Inlines(cell, depth + 1);
                out_ += "\\cell ";
            }
            out_ += "\\row ";
        }
        out_ += "\\pard ";
    }

    void Inlines(cmark_node* parent, int depth)
    {
        for (cmark_node* n = cmark_node_first_child(parent); n; n = cmark_node_next(n))
            Inline(n, depth);
    }

    void Group(std::string_view words, cmark_node* node, int depth)
    {
        out_ += "{";
        out_ += words;
        out_ += " ";
        Inlines(node, depth + 1);
        out_ += "}";
    }

    void Inline(cmark_node* node, int depth)
    {
        if (depth > kMaxDepth) {
            Error(node, "text formatting nested more than " + std::to_string(kMaxDepth) + " levels deep");
            return;
        }
        const char* literal = cmark_node_get_literal(node);
        switch (cmark_node_get_type(node)) {
        case CMARK_NODE_TEXT:
            AppendText(out_, literal ? literal : "");
            return;
        case CMARK_NODE_SOFTBREAK:
            out_ += " ";
            return;
        case CMARK_NODE_LINEBREAK:
            out_ += "\\line ";
            return;
        case CMARK_NODE_CODE:
            out_ += "{\\f1 ";
            AppendText(out_, literal ? literal : "");
            out_ += "}";
            return;
        case CMARK_NODE_EMPH:
            Group("\\i", node, depth);
            return;
        case CMARK_NODE_STRONG:
            Group("\\b", node, depth);
            return;
        case CMARK_NODE_LINK:
            Link(node, depth);
            return;
        case CMARK_NODE_IMAGE:
            Image(node);
            return;
        case CMARK_NODE_HTML_INLINE:
            Error(node, "raw HTML is not supported in an article");
            return;
        default:
            break;
        }
        if (TypeName(node) == "strikethrough")
            Group("\\strike", node, depth);
        else
            Inlines(node, depth + 1);
    }

    void Link(cmark_node* node, int depth)
    {
        const std::string url = cmark_node_get_url(node) ? cmark_node_get_url(node) : "";
        if (url.empty() || IsOutsideAddress(url)) {
            Error(node,
                  "link to \"" + url +
                      "\": a link names an article (name, #name or number); the viewer opens no outside "
                      "address");
            return;
        }
        if (!cmark_node_first_child(node)) {
            Error(node, "the link to \"" + url + "\" has no text");
            return;
        }
        PadTo(node);
        out_ += "{\\field{\\*\\fldinst HYPERLINK \"";
        AppendText(out_, url);
        out_ += "\"}{\\fldrslt {\\cf1\\ul ";
        Inlines(node, depth + 1);
        out_ += "}}}";
    }

    void Image(cmark_node* node)
    {
        const std::string name = cmark_node_get_url(node) ? cmark_node_get_url(node) : "";
        if (name.empty() || name.find_first_of(":/\\") != std::string::npos || name == "." || name == "..") {
            Error(node, "image \"" + name + "\": an image is a PNG or JPEG file beside the article");
            return;
        }
        const std::optional<std::string> data = loadImage_(name);
        if (!data) {
            Error(node, "image \"" + name + "\" cannot be read");
            return;
        }
        bool png = false;
        int width = 0, height = 0;
        if (!ImageSize(*data, png, width, height)) {
            Error(node, "image \"" + name + "\" is not a PNG or JPEG file");
            return;
        }
        // Shown at 96 dots per inch: 15 twips a pixel.
        out_ += std::string("{\\pict") + (png ? "\\pngblip" : "\\jpegblip") + "\\picw" +
                std::to_string(width) + "\\pich" + std::to_string(height) + "\\picwgoal" +
                std::to_string(width * 15) + "\\pichgoal" + std::to_string(height * 15) + " ";
        static const char hex[] = "0123456789abcdef";
        for (std::size_t i = 0; i < data->size(); ++i) {
            const auto b = static_cast<unsigned char>((*data)[i]);
            out_ += hex[b >> 4];
            out_ += hex[b & 15];
        }
        out_ += "}";
    }

    const std::string& file_;
    const ImageLoader& loadImage_;
    Diagnostics& diags_;
    std::string out_;
    std::size_t line_ = 1; // the line out_ ends on
    int left_ = 0;
    std::string label_; // the list label of the next paragraph
};

struct ParserDeleter
{
    void operator()(cmark_parser* p) const { cmark_parser_free(p); }
};
struct NodeDeleter
{
    void operator()(cmark_node* n) const { cmark_node_free(n); }
};

} // namespace

std::string MarkdownToRtf(std::string_view markdown, const std::string& file, const ImageLoader& loadImage,
                          Diagnostics& diags)
{
    cmark_gfm_core_extensions_ensure_registered();
    std::unique_ptr<cmark_parser, ParserDeleter> parser(cmark_parser_new(CMARK_OPT_VALIDATE_UTF8));
    for (const char* name : {"table", "strikethrough"})
        if (cmark_syntax_extension* ext = cmark_find_syntax_extension(name))
            cmark_parser_attach_syntax_extension(parser.get(), ext);
    if (markdown.substr(0, 3) == "\xEF\xBB\xBF")
        markdown.remove_prefix(3);
    cmark_parser_feed(parser.get(), markdown.data(), markdown.size());
    std::unique_ptr<cmark_node, NodeDeleter> document(cmark_parser_finish(parser.get()));
    if (!document) {
        diags.push_back({file, 0, "cannot be read as Markdown"});
        return {};
    }
    return Writer(file, loadImage, diags).Convert(document.get());
}

} // namespace mirelda::authoring
