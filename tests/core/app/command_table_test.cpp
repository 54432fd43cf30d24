#include "core/app/command_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string_view>

namespace mirelda {
namespace {

// The menus, the toolbar and the shortcuts are built by looking their commands up: an id
// without an entry would leave a hole in the window, two entries for one id a shadowed one.
TEST(CommandTable, everyLayoutNamesAKnownCommandOnce)
{
    std::set<int> ids;
    std::set<std::string_view> names; // actions are found by these names
    for (const CommandInfo& c : Commands()) {
        EXPECT_TRUE(ids.insert(c.id).second) << c.id;
        EXPECT_FALSE(CommandName(c.id).empty()) << c.id;
        EXPECT_TRUE(names.insert(CommandName(c.id)).second) << CommandName(c.id);
    }
    auto known = [](int id) { return id == 0 || FindCommand(id) != nullptr; };
    for (const MenuInfo& menu : MainMenu())
        for (int id : menu.items)
            EXPECT_TRUE(known(id)) << menu.title << " " << id;
    for (int id : ContextMenu())
        EXPECT_TRUE(known(id)) << id;
    for (int id : ToolBarButtons())
        EXPECT_TRUE(known(id)) << id;
    for (const Accelerator& a : Accelerators())
        EXPECT_NE(FindCommand(a.command), nullptr) << a.keys;
    EXPECT_EQ(FindCommand(12345), nullptr);
}

TEST(CommandTable, promptAndToolTipSplitAtTheLineBreak)
{
    const CommandInfo* home = FindCommand(cmd::kHomePage);
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(home->StatusPrompt(), "Retourne à la page d'accueil");
    EXPECT_EQ(home->ToolTip(), "Page d'accueil");
    const CommandInfo* tips = FindCommand(cmd::kToolTips); // no line break: all prompt, no tip
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(tips->StatusPrompt(), tips->resource);
    EXPECT_EQ(tips->ToolTip(), "");
    // Every text is split at a real line break: none holds the "/n" it was once stored with.
    for (const CommandInfo& c : Commands())
        EXPECT_EQ(c.resource.find("/n"), std::string_view::npos) << c.id;
    const CommandInfo* selectAll = FindCommand(cmd::kSelectAll);
    ASSERT_NE(selectAll, nullptr);
    EXPECT_EQ(selectAll->StatusPrompt(), "Sélectionne le document entier");
    EXPECT_EQ(selectAll->ToolTip(), "Tout sélectionner");
    const CommandInfo* save = FindCommand(cmd::kSave); // no resource at all
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->StatusPrompt(), "");
    EXPECT_EQ(save->ToolTip(), "");
}

} // namespace
} // namespace mirelda
