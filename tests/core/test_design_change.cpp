// Undo steps keep what turns one state into the other, not the states: a
// change between any two states gives the second back, and a change of one
// row of a long list keeps that row alone.
#include "core_kit.h"
#include "history.h"

#include <gtest/gtest.h>

using namespace kr;
using namespace testkit;

TEST(DesignChange, TurnsOneStateIntoTheOtherWhateverChanged) {
    const auto& weapons = ShippedCatalogs().Weapon;
    const auto rows = [&](std::initializer_list<std::size_t> indexes) {
        std::vector<const TKrWeapon*> list;
        for (std::size_t i : indexes) list.push_back(weapons.EntryByIndex(i));
        return list;
    };
    const std::vector<std::vector<const TKrWeapon*>> lists = {
        rows({}), rows({1}), rows({1, 2, 3}), rows({1, 3}), rows({0, 1, 2, 3}), rows({1, 2, 3, 4}),
        rows({3, 2, 1}), rows({1, 1, 1}), rows({1, 1}), rows({5, 6, 7}),
    };
    DesignState from, to;
    from.UnitName = "A";
    to.UnitName = "B";
    to.Figures[3] = 7;
    to.OptionTicks = {2, 9};
    to.ListsEnabled = true;
    for (const auto& a : lists) {
        for (const auto& b : lists) {
            from.Weapons = a;
            to.Weapons = b;
            to.Moves.clear();
            EXPECT_EQ(Applied(from, ChangeBetween(from, to)), to) << a.size() << " rows to " << b.size();
            EXPECT_EQ(Applied(to, ChangeBetween(to, from)), from) << b.size() << " rows to " << a.size();
        }
    }
}

TEST(DesignChange, OneRowOfTenThousandKeepsOneRow) {
    DesignState before;
    for (std::size_t i = 0; i < 10000; ++i)
        before.Weapons.push_back(ShippedCatalogs().Weapon.EntryByIndex(i % ShippedCatalogs().Weapon.Count()));
    DesignState after = before;
    after.Weapons.insert(after.Weapons.begin() + 5000, ShippedCatalogs().Weapon.EntryByIndex(0));
    const DesignChange back = ChangeBetween(after, before);
    EXPECT_EQ(back.Weapons.Count, 1u);
    EXPECT_TRUE(back.Weapons.Items.empty());
    const DesignChange forth = ChangeBetween(before, after);
    EXPECT_EQ(forth.Weapons.Count, 0u);
    EXPECT_EQ(forth.Weapons.Items.size(), 1u);
    EXPECT_TRUE(forth.Options.Items.empty() && forth.Moves.Items.empty());
}
