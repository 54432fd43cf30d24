#include "core/app/command_table.h"

#include <algorithm>
#include <array>

namespace mirelda {

namespace {

using namespace std::string_view_literals;

// The standard commands (copy, bars, exit) keep their usual French prompts.
constexpr std::array kCommands{
    CommandInfo{
        cmd::kAbout,
        "about"sv,
        "&A propos..."sv,
        {},
        "Affiche des informations sur le programme, le numéro de version et le copyright\nA propos de"sv,
        "about"sv},
    CommandInfo{cmd::kPreviousArticle,
                "previousArticle"sv,
                "Article &précédent"sv,
                {},
                "Page précédente dans l'historique\nPage précédente"sv,
                "previous"sv},
    CommandInfo{cmd::kHomePage,
                "homePage"sv,
                "Page d'&accueil"sv,
                {},
                "Retourne à la page d'accueil\nPage d'accueil"sv,
                "home"sv},
    CommandInfo{cmd::kHistory,
                "history"sv,
                "&Historique"sv,
                {},
                "Affiche ou masque la fenêtre d'historique\nHistorique"sv,
                "history"sv},
    CommandInfo{cmd::kBookmarkList,
                "bookmarkList"sv,
                "Liste des &signets"sv,
                {},
                "Affiche ou masque la liste des signets\nListe des signets"sv,
                "bookmarks"sv},
    CommandInfo{cmd::kSearchResults,
                "searchResults"sv,
                "&Résultats de la recherche"sv,
                {},
                "Affiche ou masque les résultats de la dernière recherche\nRésultats de la recherche"sv,
                "results"sv},
    CommandInfo{cmd::kDefineBookmark,
                "defineBookmark"sv,
                "&Définir signet"sv,
                {},
                "Définit un signet pour cette page\nDéfinir signet"sv,
                "define_bookmark"sv},
    CommandInfo{cmd::kAnnotation, "annotation"sv, "&Annotation"sv, "&Annoter..."sv,
                "Affiche ou masque l'annotation personnalisée relative à l'article\nAnnotation"sv,
                "annotation"sv},
    CommandInfo{cmd::kSearch,
                "search"sv,
                "&Rechercher...\tCtrl+F"sv,
                {},
                "Effectue la recherche d'un mot ou d'un texte\nRechercher"sv,
                "search"sv},
    CommandInfo{cmd::kSynchronise,
                "synchronise"sv,
                "&Synchroniser l'article"sv,
                {},
                "Synchronise l'article avec l'arborescence\nSynchroniser l'article"sv,
                "synchronise"sv},
    CommandInfo{cmd::kSelectAll,
                "selectAll"sv,
                "&Tout sélectionner\tCtrl+A"sv,
                {},
                "Sélectionne le document entier\nTout sélectionner"sv,
                {}},
    CommandInfo{cmd::kFindNext,
                "findNext"sv,
                "Occurrence &suivante\tF3"sv,
                {},
                "Passe à l'occurrence suivante du texte recherché\nOccurrence suivante"sv,
                {}},
    CommandInfo{cmd::kZoomIn,
                "zoomIn"sv,
                "Texte plus &grand"sv,
                {},
                "Agrandit le texte de l'article\nTexte plus grand"sv,
                {}},
    CommandInfo{cmd::kZoomOut,
                "zoomOut"sv,
                "Texte plus &petit"sv,
                {},
                "Réduit le texte de l'article\nTexte plus petit"sv,
                {}},
    CommandInfo{cmd::kZoomNormal,
                "zoomNormal"sv,
                "Taille &normale du texte"sv,
                {},
                "Rend au texte de l'article sa taille normale\nTaille normale du texte"sv,
                {}},
    CommandInfo{cmd::kCopy,
                "copy"sv,
                "&Copier\tCtrl+C"sv,
                {},
                "Copie la sélection et la place dans le Presse-papiers\nCopier"sv,
                "copy"sv},
    CommandInfo{cmd::kToolBar,
                "toggleToolBar"sv,
                "&Barre d'outils"sv,
                {},
                "Affiche ou masque la barre d'outils\nBarre d'outils"sv,
                {}},
    CommandInfo{cmd::kStatusBar,
                "toggleStatusBar"sv,
                "Barre d'é&tat"sv,
                {},
                "Affiche ou masque la barre d'état\nBarre d'état"sv,
                {}},
    CommandInfo{cmd::kExit, "exit"sv, "&Quitter"sv, {}, "Quitte l'application\nQuitter"sv, {}},
    CommandInfo{cmd::kToolTips,
                "toolTips"sv,
                "Bulles d'&aide"sv,
                {},
                "Affiche ou non les info-bulles au survol du curseur."sv,
                {}},
    CommandInfo{cmd::kAnnotationImage,
                "annotationImage"sv,
                {},
                {},
                "bitmap ANTMP annotation (temporaire)"sv,
                "annotation_present"sv},
    CommandInfo{cmd::kNew, "new"sv, {}, {}, "Crée un nouveau document\nNouveau"sv, {}},
    CommandInfo{cmd::kOpen,
                "open"sv,
                "&Ouvrir une aide...\tCtrl+O"sv,
                {},
                "Ouvre une autre aide, dans sa propre fenêtre\nOuvrir une aide"sv,
                {}},
    CommandInfo{cmd::kSave, "save"sv, {}, {}, {}, {}},
    CommandInfo{cmd::kPrintSetup,
                "printSetup"sv,
                {},
                {},
                "Change les options d'imprimante et d'impression\nConfiguration de l'impression"sv,
                {}},
    CommandInfo{
        cmd::kPrint, "print"sv, "&Imprimer...\tCtrl+P"sv, {}, "Imprime le document actif\nImprimer"sv, {}},
    CommandInfo{cmd::kPrintDirect, "printDirect"sv, {}, {}, {}, {}},
    CommandInfo{cmd::kPrintPreview,
                "printPreview"sv,
                "Aperçu a&vant impression"sv,
                {},
                "Affiche des pages entières\nAperçu avant impression"sv,
                {}},
    CommandInfo{cmd::kCut, "cut"sv, {}, {}, {}, {}},
    CommandInfo{cmd::kPaste, "paste"sv, {}, {}, {}, {}},
    CommandInfo{cmd::kFrameworkSelectAll, "selectAllText"sv, {}, {}, {}, {}},
    CommandInfo{cmd::kUndo, "undo"sv, {}, {}, {}, {}},
    CommandInfo{cmd::kNextPane, "nextPane"sv, {}, {}, {}, {}},
    CommandInfo{cmd::kPreviousPane, "previousPane"sv, {}, {}, {}, {}},
};

constexpr std::array kArticleMenu{cmd::kHomePage,
                                  cmd::kPreviousArticle,
                                  cmd::kSynchronise,
                                  0,
                                  cmd::kDefineBookmark,
                                  0,
                                  cmd::kPrint,
                                  cmd::kPrintPreview,
                                  0,
                                  cmd::kOpen, // the recent help sets follow it
                                  0,
                                  cmd::kExit};
constexpr std::array kEditMenu{cmd::kCopy, cmd::kSelectAll, 0, cmd::kSearch, cmd::kFindNext,
                               0,          cmd::kAnnotation};
constexpr std::array kViewMenu{cmd::kToolBar,      cmd::kStatusBar,     0, cmd::kHistory,
                               cmd::kBookmarkList, cmd::kSearchResults, 0, cmd::kZoomIn,
                               cmd::kZoomOut,      cmd::kZoomNormal,    0, cmd::kToolTips};
constexpr std::array kHelpMenu{cmd::kAbout};

const std::array kMainMenu{
    MenuInfo{"A&rticle"sv, kArticleMenu},
    MenuInfo{"&Edition"sv, kEditMenu},
    MenuInfo{"&Affichage"sv, kViewMenu},
    MenuInfo{"Ai&de"sv, kHelpMenu},
};

constexpr std::array kContextMenu{cmd::kCopy,    cmd::kSelectAll,    0, cmd::kSearch,    0,
                                  cmd::kHistory, cmd::kBookmarkList, 0, cmd::kAnnotation};

constexpr std::array kToolBar{
    cmd::kHomePage,
    0,
    cmd::kCopy,
    0,
    cmd::kPreviousArticle,
    cmd::kHistory,
    0,
    cmd::kSynchronise,
    0,
    cmd::kDefineBookmark,
    cmd::kBookmarkList,
    0,
    cmd::kSearch,
    cmd::kSearchResults,
    0,
    cmd::kAnnotation,
    0,
    cmd::kAbout,
    cmd::kAnnotationImage,
};
static_assert(kToolBar[kAnnotationButtonIndex] == cmd::kAnnotation);
static_assert(kToolBar[kAnnotationHolderIndex] == cmd::kAnnotationImage);

constexpr std::array kAccelerators{
    Accelerator{"Ctrl+A"sv, cmd::kFrameworkSelectAll},
    Accelerator{"Ctrl+C"sv, cmd::kCopy},
    Accelerator{"Ctrl+F"sv, cmd::kSearch},
    Accelerator{"Ctrl+N"sv, cmd::kNew},
    Accelerator{"Ctrl+O"sv, cmd::kOpen},
    Accelerator{"Ctrl+P"sv, cmd::kPrint},
    Accelerator{"Ctrl+S"sv, cmd::kSave},
    Accelerator{"Ctrl+V"sv, cmd::kPaste},
    Accelerator{"Alt+Backspace"sv, cmd::kUndo},
    Accelerator{"Shift+Del"sv, cmd::kCut},
    Accelerator{"F6"sv, cmd::kNextPane},
    Accelerator{"Shift+F6"sv, cmd::kPreviousPane},
    Accelerator{"Ctrl+Ins"sv, cmd::kCopy},
    Accelerator{"Shift+Ins"sv, cmd::kPaste},
    Accelerator{"Ctrl+X"sv, cmd::kCut},
    Accelerator{"Ctrl+Z"sv, cmd::kUndo},
    // Reading without the mouse.
    Accelerator{"Alt+Left"sv, cmd::kPreviousArticle},
    Accelerator{"F3"sv, cmd::kFindNext},
    Accelerator{"Ctrl++"sv, cmd::kZoomIn},
    Accelerator{"Ctrl+="sv, cmd::kZoomIn},
    Accelerator{"Ctrl+-"sv, cmd::kZoomOut},
    Accelerator{"Ctrl+0"sv, cmd::kZoomNormal},
};

} // namespace

std::string_view CommandInfo::StatusPrompt() const
{
    return resource.substr(0, resource.find('\n'));
}

std::string_view CommandInfo::ToolTip() const
{
    const auto lineBreak = resource.find('\n');
    return lineBreak == std::string_view::npos ? std::string_view{} : resource.substr(lineBreak + 1);
}

std::span<const CommandInfo> Commands()
{
    return kCommands;
}

const CommandInfo* FindCommand(int id)
{
    const auto it =
        std::find_if(kCommands.begin(), kCommands.end(), [id](const CommandInfo& c) { return c.id == id; });
    return it == kCommands.end() ? nullptr : &*it;
}

std::span<const MenuInfo> MainMenu()
{
    return kMainMenu;
}
std::string_view ContextMenuTitle()
{
    return "CLIC_DROIT_SUR_VUE"sv;
}
std::span<const int> ContextMenu()
{
    return kContextMenu;
}
std::span<const int> ToolBarButtons()
{
    return kToolBar;
}
std::span<const Accelerator> Accelerators()
{
    return kAccelerators;
}

std::string_view CommandName(int id)
{
    const CommandInfo* command = FindCommand(id);
    return command ? command->name : std::string_view{};
}

} // namespace mirelda
