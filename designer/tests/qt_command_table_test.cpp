// The command table's rows are consistent: each id once, a toolbar image for
// every toolbar command, and what a view command needs to run.
#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <set>

#include "designer/commands.h"

namespace {

TEST(DesignerCommandTable, RowsAreConsistent) {
    std::set<std::pair<CommandBar, int>> places;
    for (const CommandRow& row : DesignerCommands()) {
        SCOPED_TRACE(row.id);
        // Each id has one row, and the lookup finds that row.
        EXPECT_EQ(FindCommand(row.id), &row);
        if (row.scope == CommandScope::kView) {
            EXPECT_NE(row.enabled, nullptr);
            EXPECT_NE(row.handler, nullptr);
        }
        if (row.bar == CommandBar::kNone)
            continue;
        // Two buttons never claim one place on a toolbar.
        EXPECT_TRUE(places.insert({row.bar, row.barSlot}).second);
        // The image is in the resource at the toolbar's size.
        ASSERT_NE(row.icon, nullptr);
        EXPECT_FALSE(CommandIcon(row).isNull());
        QImage image(QString(":/icons/%1.png").arg(row.icon));
        EXPECT_EQ(image.size(), QSize(16, 15));
    }
    EXPECT_EQ(FindCommand(0), nullptr);
}

TEST(DesignerCommandTable, PromptAndTooltip) {
    const CommandRow* row = DesignerCommands().data();
    ASSERT_NE(row->prompt, nullptr);
    std::string whole = row->prompt;
    EXPECT_EQ(CommandPrompt(row->id) + "\n" + CommandTooltip(row->id), whole);
    EXPECT_EQ(CommandPrompt(0), "");
    EXPECT_EQ(CommandTooltip(0), "");
}

}  // namespace
