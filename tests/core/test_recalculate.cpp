// The game's rules as the sheet applies them: sums, the out-of-class
// surcharge, movement of heavy units, power-based damage, backpack overload.
#include "core_kit.h"

#include <gtest/gtest.h>

#include <deque>

using namespace kr;
using testkit::BoxTexts;
using testkit::Texts;

namespace {

// Entries live as long as the fixture, as catalog entries live for the run.
struct Sheet : ::testing::Test {
    std::deque<TKrOption> options;
    std::deque<TKrMove> moves;
    std::deque<TKrWeapon> weapons;
    UnitSheet sheet;

    const TKrOption* Option(const char* cls, int cp, auto&& fill) {
        TKrOption& e = options.emplace_back();
        e.Name = "opt";
        e.Class = cls;
        e.CP = cp;
        fill(e);
        AddOptionRow(&sheet.Options, &e);
        return &e;
    }
    const TKrOption* Option(const char* cls, int cp) {
        return Option(cls, cp, [](TKrOption&) {});
    }
    const TKrMove* Move(const char* cls, int movement, int penalty, int cp = 0, int bp = 0, int price = 0) {
        TKrMove& e = moves.emplace_back();
        e.Name = "move";
        e.Class = cls;
        e.Movement = movement;
        e.HeavyPenalty = static_cast<std::uint8_t>(penalty);
        e.CP = cp;
        e.BP = bp;
        e.Price = price;
        AddMoveRow(&sheet.Moves, &e);
        return &e;
    }
    const TKrWeapon* Weapon(const char* cls, int damage, int cp = 0, int bp = 0, int price = 0) {
        TKrWeapon& e = weapons.emplace_back();
        e.Name = "gun";
        e.Class = cls;
        e.Damage = damage;
        e.CP = cp;
        e.BP = bp;
        e.Price = price;
        AddWeaponRow(&sheet.Weapons, &e);
        return &e;
    }
};

TEST_F(Sheet, EmptyListsShowTheBaseFigures) {
    testkit::SetBaseFigures(sheet, {2, 0, -7, 6, 30, 7, 8, 1, -1, 5, 16900});
    sheet.UnitClass = "H";
    EXPECT_FALSE(sheet.ListsEnabled);
    Recalculate(sheet);
    EXPECT_EQ(BoxTexts(sheet), (Texts{"+2", "0", "-7", "+1", "6", "30", "7", "8", "-1", "16900", "H", "0"}));
    EXPECT_FALSE(sheet.BackpackOverloaded);
    EXPECT_TRUE(sheet.ListsEnabled);
}

// Every row counts its price, custom points and load, in each of the three
// lists, and two rows of one weapon count twice. None of these boxes has a "+".
TEST_F(Sheet, EveryRowAddsItsPriceCustomPointsAndLoad) {
    sheet.BasePrice = 8000;
    sheet.BaseCP = 3000;
    sheet.BackpackCapacity = 1000;
    Option("L", 1, [](TKrOption& e) {
        e.BP = 2;
        e.Price = 1;
    });
    Move("L", 5, 0, 10, 20, 20);
    const TKrWeapon* gun = Weapon("L", 3, 100, 200, 300);
    AddWeaponRow(&sheet.Weapons, gun);
    Recalculate(sheet);
    EXPECT_EQ(sheet.Boxes[kr::SheetFigure::Price], "8621");
    EXPECT_EQ(sheet.Boxes[kr::SheetFigure::CP], "3211");
    EXPECT_EQ(sheet.Boxes[kr::SheetFigure::Backpack], "422");
    EXPECT_FALSE(sheet.BackpackOverloaded);
}

TEST_F(Sheet, OptionsAddTheirBonusesButNotToPunchOrDurability) {
    sheet.BasePunch = 6;
    sheet.BaseDurability = 20;
    Option("L", 1, [](TKrOption& e) {
        e.Fire = 1;
        e.Melee = 2;
        e.Evasion = -1;
        e.Armor = 3;
        e.Power = 1;
        e.Sensor = 2;
        e.Price = 500;
        e.BP = 1;
    });
    Recalculate(sheet);
    EXPECT_EQ(BoxTexts(sheet), (Texts{"+1", "+2", "-1", "+2", "3", "20", "1", "6", "1", "500", "", "1"}));
}

// The surcharge for each unit class against each entry class.
TEST(OutOfClass, TableOfUnitAndEntryClasses) {
    struct Case {
        const char* unit;
        bool l, m, h, xh;
    };
    const Case cases[] = {
        {"L", false, true, true, false},   {"M", false, false, true, false}, {"H", false, false, false, false},
        {"XH", false, false, false, false}, {"", false, false, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsOutOfClass("L", c.unit), c.l) << c.unit;
        EXPECT_EQ(IsOutOfClass("M", c.unit), c.m) << c.unit;
        EXPECT_EQ(IsOutOfClass("H", c.unit), c.h) << c.unit;
        EXPECT_EQ(IsOutOfClass("XH", c.unit), c.xh) << c.unit;
    }
    // Only the exact texts "H" and "M" are ever out of class.
    EXPECT_FALSE(IsOutOfClass("h", "L"));
    EXPECT_FALSE(IsOutOfClass("H ", "L"));
    EXPECT_FALSE(IsOutOfClass("m", "L"));
    EXPECT_TRUE(IsOutOfClass("H", "m"));
}

TEST_F(Sheet, HeavyOptionOnMediumUnitCostsOneMorePoint) {
    sheet.UnitClass = "M";
    Option("H", 2);
    Option("M", 1);
    Recalculate(sheet);
    EXPECT_EQ(sheet.Boxes[kr::SheetFigure::CP], "4");
    EXPECT_EQ(sheet.Options.Cell(0, 2), "3");
    EXPECT_EQ(sheet.Options.Cell(1, 2), "1");
}

TEST_F(Sheet, LightUnitPaysForMediumAndHeavyInEveryList) {
    sheet.UnitClass = "L";
    Option("M", 0);
    Move("H", 5, 0);
    Weapon("M", 3, 2);
    Weapon("XH", 3, 1);
    Recalculate(sheet);
    EXPECT_EQ(sheet.Options.Cell(0, 2), "1");
    EXPECT_EQ(sheet.Moves.Cell(0, 2), "1");
    EXPECT_EQ(sheet.Weapons.Cell(0, 3), "3");
    EXPECT_EQ(sheet.Weapons.Cell(1, 3), "1");
    EXPECT_EQ(sheet.Boxes[kr::SheetFigure::CP], "6");  // 0+1, 0+1, 2+1, 1
}

TEST_F(Sheet, HeavyEntryOnExtraHeavyUnitIsInClass) {
    sheet.UnitClass = "XH";
    Weapon("H", 3, 2);
    Recalculate(sheet);
    EXPECT_EQ(sheet.Boxes[kr::SheetFigure::CP], "2");
    EXPECT_EQ(sheet.Weapons.Cell(0, 3), "2");
}

TEST_F(Sheet, MovementTakesTheBonusAndThePenaltyOfHeavyUnits) {
    Option("L", 0, [](TKrOption& e) { e.MoveBonus = 1; });
    Move("L", 10, 2);
    for (const auto& [cls, expected] : {std::pair{"H", "9"}, {"XH", "9"}, {"M", "11"}, {"L", "11"}, {"", "11"}}) {
        sheet.UnitClass = cls;
        Recalculate(sheet);
        EXPECT_EQ(sheet.Moves.Cell(0, 4), expected) << cls;
    }
}

TEST_F(Sheet, MovementMayGoNegativeAndPenaltyIsUnsigned) {
    sheet.UnitClass = "H";
    Move("L", 1, 255);  // a penalty of -1 in the file is stored as 255
    Recalculate(sheet);
    EXPECT_EQ(sheet.Moves.Cell(0, 4), "-254");
}

// Only a damage below 0 is power-based; 0 and above keep the row's own text.
TEST_F(Sheet, PowerBasedDamageFollowsThePower) {
    sheet.BasePower = 7;
    Option("L", 0, [](TKrOption& e) { e.Power = 1; });
    Weapon("L", -3);
    Weapon("L", 0);
    Weapon("L", 5);
    Recalculate(sheet);
    EXPECT_EQ(sheet.Weapons.Cell(0, 5), "11");
    EXPECT_EQ(sheet.Weapons.Cell(1, 5), "0");
    EXPECT_EQ(sheet.Weapons.Cell(2, 5), "5");

    sheet.Options.Clear();
    Recalculate(sheet);
    EXPECT_EQ(sheet.Weapons.Cell(0, 5), "10");
}

TEST_F(Sheet, BackpackTurnsRedOnlyAboveCapacity) {
    sheet.BackpackCapacity = 4;
    Weapon("L", 1, 0, 4);
    Recalculate(sheet);
    EXPECT_EQ(sheet.Boxes[kr::SheetFigure::Backpack], "4");
    EXPECT_FALSE(sheet.BackpackOverloaded);

    Weapon("L", 1, 0, 1);
    Recalculate(sheet);
    EXPECT_EQ(sheet.Boxes[kr::SheetFigure::Backpack], "5");
    EXPECT_TRUE(sheet.BackpackOverloaded);

    sheet.Weapons.Remove(1);
    Recalculate(sheet);
    EXPECT_FALSE(sheet.BackpackOverloaded);
}

TEST_F(Sheet, RecalculatingAgainChangesNothing) {
    sheet.UnitClass = "M";
    sheet.BasePower = 6;
    Option("H", 2, [](TKrOption& e) { e.MoveBonus = 2; });
    Move("H", 8, 3);
    Weapon("H", -2, 1);
    Recalculate(sheet);
    const UnitSheet& s = sheet;
    const std::string first[] = {s.Options.Cell(0, 2), s.Moves.Cell(0, 2), s.Moves.Cell(0, 4),
                                 s.Weapons.Cell(0, 3), s.Weapons.Cell(0, 5), s.Boxes[kr::SheetFigure::CP]};
    Recalculate(sheet);
    const std::string second[] = {s.Options.Cell(0, 2), s.Moves.Cell(0, 2), s.Moves.Cell(0, 4),
                                  s.Weapons.Cell(0, 3), s.Weapons.Cell(0, 5), s.Boxes[kr::SheetFigure::CP]};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(first[i], second[i]) << i;
    EXPECT_EQ(s.Boxes[kr::SheetFigure::CP], "6");  // option 2+1, move 0+1, weapon 1+1
}

TEST_F(Sheet, TotalsWrapAround32Bits) {
    sheet.BasePrice = 2147483647;
    Weapon("L", 1, 0, 0, 1);
    Recalculate(sheet);
    EXPECT_EQ(sheet.Boxes[kr::SheetFigure::Price], "-2147483648");
}

}  // namespace
