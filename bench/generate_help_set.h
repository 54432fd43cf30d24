#pragma once
// A large synthetic help set for benchmarks: French-like articles in the RTF that word
// processors write (font and colour tables, bold, italics, underlined link texts followed by
// hidden targets, HYPERLINK fields, \'hh accents and a few \uN characters, tables of tabs,
// some PNG pictures as hex), pop-up articles, link records and a deep contents tree.
//
// Deterministic: the same seed and count always give byte-identical files, on any platform
// (our own generator, no standard distributions, whose results vary between libraries).
// Header only, so that the generator program and every benchmark can share it.

#include "core/store/cp1252.h"
#include "core/store/help_set.h"
#include "core/store/result.h"
#include "core/tree/contents_file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace mirelda::bench {

// A word that no generated article contains except the few chosen for it, and one that most
// articles contain: the benchmark's rare and frequent searches.
inline constexpr std::string_view kRareWord = "xylographie";
inline constexpr std::string_view kFrequentWord = "fenêtre"; // UTF-8; \'ea in the RTF
inline constexpr std::uint32_t kRareEvery = 997;             // one article in 997 holds it

class SplitMix
{
  public:
    explicit SplitMix(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // In [0, n).
    std::uint32_t Below(std::uint32_t n) { return n ? static_cast<std::uint32_t>(Next() % n) : 0; }
    bool Chance(std::uint32_t percent) { return Below(100) < percent; }

  private:
    std::uint64_t state_;
};

namespace detail {

// UTF-8 source words, encoded to Windows-1252 once.
inline const std::vector<std::string>& Vocabulary()
{
    static const std::vector<std::string> words = [] {
        constexpr std::string_view kWords[] = {
            "le",         "la",        "les",        "un",         "une",        "des",         "du",
            "de",         "et",        "ou",         "dans",       "pour",       "avec",        "sur",
            "par",        "ce",        "cette",      "qui",        "que",        "est",         "sont",
            "peut",       "doit",      "vous",       "nous",       "il",         "elle",        "article",
            "aide",       "document",  "fichier",    "dossier",    "menu",       "commande",    "bouton",
            "liste",      "barre",     "outils",     "signet",     "historique", "recherche",   "résultat",
            "élément",    "écran",     "défaut",     "réglage",    "paramètre",  "sélection",   "clavier",
            "souris",     "cliquez",   "choisissez", "ouvrez",     "fermez",     "enregistrez", "affiche",
            "montre",     "première",  "dernière",   "étape",      "procédure",  "exemple",     "remarque",
            "conseil",    "attention", "système",    "répertoire", "données",    "mémoire",     "impression",
            "aperçu",     "page",      "texte",      "police",     "caractère",  "paragraphe",  "ligne",
            "colonne",    "tableau",   "image",      "lien",       "hypertexte", "sommaire",    "livre",
            "chapitre",   "à",         "où",         "déjà",       "très",       "après",       "avant",
            "lorsque",    "ensuite",   "enfin",      "ainsi",      "également",  "noté",        "créé",
            "modifié",    "supprimé",  "copié",      "déplacé",    "activé",     "désactivé",   "propriété",
            "préférence", "boîte",     "dialogue",   "onglet",     "zone",       "champ",       "saisie",
            "valeur",     "numéro",    "titre",      "contenu",    "annotation", "note",        "glossaire",
            "définition", "terme",     "mot",        "phrase",     "école",      "cœur",        "œuvre",
            "garçon",     "français",  "façon",      "reçu",       "naïf",       "Noël",        "maïs",
            "hôtel",      "forêt",     "île",        "côté",       "bientôt",
        };
        std::vector<std::string> out;
        for (std::string_view w : kWords)
            out.push_back(EncodeCp1252(Utf8ToUtf16(w)));
        return out;
    }();
    return words;
}

inline void AppendEscaped(std::string& rtf, std::string_view cp1252, SplitMix& rng)
{
    static constexpr char kHex[] = "0123456789abcdef";
    for (char ch : cp1252) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80) {
            // Mostly \'hh, sometimes \uN with its \'hh fallback, as Word writes them.
            if (rng.Below(20) == 0) {
                rtf += "\\u";
                rtf += std::to_string(static_cast<int>(Cp1252ToUnicode(b)));
            }
            rtf += "\\'";
            rtf += kHex[b >> 4];
            rtf += kHex[b & 15];
        } else if (ch == '\\' || ch == '{' || ch == '}') {
            rtf += '\\';
            rtf += ch;
        } else {
            rtf += ch;
        }
    }
}

inline std::string Word(SplitMix& rng)
{
    return Vocabulary()[rng.Below(static_cast<std::uint32_t>(Vocabulary().size()))];
}

inline std::string Title(SplitMix& rng, std::uint32_t number)
{
    std::string title = Word(rng);
    title[0] = UpperCp1252(title[0]);
    const std::uint32_t words = 1 + rng.Below(4);
    for (std::uint32_t i = 0; i < words; ++i)
        title += ' ' + Word(rng);
    title += ' ' + std::to_string(number);
    return title;
}

inline void AppendPicture(std::string& rtf, SplitMix& rng)
{
    static constexpr char kHex[] = "0123456789abcdef";
    rtf += "{\\*\\shppict{\\pict\\pngblip\\picw64\\pich48\\picwgoal960\\pichgoal720 ";
    const std::uint32_t bytes = 1500 + rng.Below(6000);
    for (std::uint32_t i = 0; i < bytes; ++i) {
        const auto b = static_cast<std::uint8_t>(rng.Next());
        rtf += kHex[b >> 4];
        rtf += kHex[b & 15];
        if (i % 64 == 63)
            rtf += '\n';
    }
    rtf += "}}";
}

// One article body of about `target` bytes.
inline std::string ArticleText(SplitMix& rng, std::uint32_t number, std::uint32_t articleCount,
                               std::size_t target, bool rare, bool frequent, std::vector<LinkRecord>& links)
{
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1036{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
        "{\\f1\\froman\\fcharset0 Times New Roman;}{\\f2\\fmodern\\fcharset0 Courier New;}}\n"
        "{\\colortbl ;\\red0\\green0\\blue255;\\red128\\green0\\blue0;}\n"
        "{\\*\\generator Mirelda bench;}\\viewkind4\\uc1\\pard\\sa120\\f0\\fs20 ";
    std::int32_t position = 0; // approximate: enough for plausible link records
    rtf += "{\\b\\fs28 ";
    AppendEscaped(rtf, Title(rng, number), rng);
    rtf += "}\\par\n";
    std::uint32_t paragraph = 0;
    while (rtf.size() < target) {
        ++paragraph;
        if (paragraph % 4 == 0)
            rtf += "\\pard\\li360\\fi-360\\tx360\\sa60 \\'95\\tab ";
        else if (paragraph % 7 == 0)
            rtf += "\\pard\\tx2000\\tx4000\\sa60 ";
        else
            rtf += "\\pard\\sa120 ";
        const std::uint32_t words = 20 + rng.Below(60);
        for (std::uint32_t w = 0; w < words; ++w) {
            const std::uint32_t kind = rng.Below(100);
            const std::string word = Word(rng);
            if (kind < 4) {
                rtf += "{\\b ";
                AppendEscaped(rtf, word, rng);
                rtf += '}';
            } else if (kind < 7) {
                rtf += "{\\i ";
                AppendEscaped(rtf, word, rng);
                rtf += '}';
            } else if (kind < 9) {
                // A link as help compilers leave them: underlined text, hidden target.
                const std::uint32_t target = 1 + rng.Below(articleCount);
                rtf += "{\\uldb\\cf1 ";
                AppendEscaped(rtf, word, rng);
                rtf += "}{\\v " + std::to_string(target) + "}";
                links.push_back({position, position + static_cast<std::int32_t>(word.size()) - 1,
                                 static_cast<std::int32_t>(target), 0});
            } else if (kind < 10) {
                rtf += "{\\field{\\*\\fldinst HYPERLINK \"" + std::to_string(1 + rng.Below(articleCount)) +
                       "\"}{\\fldrslt {\\ul\\cf1 ";
                AppendEscaped(rtf, word, rng);
                rtf += "}}}";
            } else if (kind < 11 && paragraph % 7 == 0) {
                rtf += "\\tab ";
                AppendEscaped(rtf, word, rng);
            } else {
                AppendEscaped(rtf, word, rng);
            }
            position += static_cast<std::int32_t>(word.size()) + 1;
            if (frequent && w == words / 2) {
                static const std::string kPhrase = EncodeCp1252(Utf8ToUtf16(" la fenêtre"));
                AppendEscaped(rtf, kPhrase, rng);
            }
            if (rare && paragraph == 2 && w == 3)
                rtf += " xylographie";
            rtf += (w + 1 == words) ? ".\\par\n" : (rng.Below(12) == 0 ? ", " : " ");
        }
        if (rare && paragraph < 2 && rtf.size() >= target)
            target = rtf.size() + 1; // reach paragraph 2
        if (rng.Below(200) == 0) {
            AppendPicture(rtf, rng);
            rtf += "\\par\n";
        }
    }
    rtf += "}";
    return rtf;
}

} // namespace detail

struct GeneratedHelpSet
{
    std::uint32_t articles = 0;
    std::uint32_t popups = 0;
    std::uint32_t rareArticles = 0;     // ordinary articles holding kRareWord in their text
    std::uint32_t frequentArticles = 0; // ordinary articles holding kFrequentWord
    std::uint64_t dataBytes = 0;        // size of the .PGD
};

// Writes BASE.PGH, .PGD, .PGL and .FIC (BASE = directory + base name, no extension).
inline Result<GeneratedHelpSet> GenerateHelpSet(const std::filesystem::path& base, std::uint32_t articleCount,
                                                std::uint64_t seed = 20240601)
{
    SplitMix rng(seed);
    GeneratedHelpSet summary;
    std::vector<ArticleSource> articles;
    articles.reserve(articleCount);
    std::vector<std::uint32_t> ordinary; // numbers of the non-pop-up articles
    for (std::uint32_t n = 1; n <= articleCount; ++n) {
        ArticleSource a;
        a.number = static_cast<std::int32_t>(n);
        const bool popup = n > 1 && rng.Below(100) < 5;
        const bool rare = n % kRareEvery == 0;
        const bool frequent = rng.Below(100) < 60;
        a.title = popup ? "#POPUP:" + detail::Word(rng) : detail::Title(rng, n);
        // Bodies of 1 to 9 KB, 5 KB on average; pop-ups are short.
        const std::size_t target = popup ? 300 + rng.Below(600) : 1000 + rng.Below(8000);
        a.text = detail::ArticleText(rng, n, articleCount, target, rare, frequent, a.links);
        if (popup) {
            ++summary.popups;
        } else {
            ordinary.push_back(n);
            summary.rareArticles += rare;
            summary.frequentArticles += frequent;
        }
        summary.dataBytes += 8 + a.title.size() + a.text.size();
        articles.push_back(std::move(a));
    }
    summary.articles = articleCount;

    const std::filesystem::path dir = base.parent_path();
    const std::string name = base.filename().string();
    auto file = [&](const char* ext) { return dir / (name + ext); };
    if (auto done = WriteArticleFiles(file(".PGH"), file(".PGD"), file(".PGL"), articles); !done)
        return done.error();

    // A deep tree: books nested up to 12 levels, each page under a book, in article order.
    std::vector<ContentsRecord> records;
    const std::uint32_t bookCount = std::max<std::uint32_t>(1, articleCount / 40);
    std::vector<std::uint32_t> depth(bookCount, 0);
    for (std::uint32_t b = 0; b < bookCount; ++b) {
        ContentsRecord r;
        r.key = "B" + std::to_string(b);
        r.title = detail::Title(rng, b).substr(0, 70);
        r.title[0] = UpperCp1252(r.title[0]);
        if (b == 0 || rng.Below(10) == 0) {
            r.linkKey = "0";
        } else {
            // Usually under the previous book or one of its ancestors' neighbours: deep chains.
            const std::uint32_t parent = b - 1 - rng.Below(std::min<std::uint32_t>(b, 3));
            if (depth[parent] >= 11) {
                r.linkKey = "0";
            } else {
                r.linkKey = "B" + std::to_string(parent);
                depth[b] = depth[parent] + 1;
            }
        }
        records.push_back(std::move(r));
    }
    for (std::uint32_t n : ordinary) {
        ContentsRecord r;
        r.key = "P" + std::to_string(n);
        r.title = articles[n - 1].title.substr(0, 79);
        r.linkKey = "B" + std::to_string(rng.Below(bookCount));
        r.article = static_cast<std::int32_t>(n);
        records.push_back(std::move(r));
    }
    if (auto done = WriteContentsFile(file(".FIC"), records); !done)
        return done.error();
    return summary;
}

} // namespace mirelda::bench
