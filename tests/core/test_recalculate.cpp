// The game's rules as the sheet applies them: sums, the out-of-class
// surcharge, movement of heavy units, power-based damage, backpack overload.
#include "unit_sheet.h"

#include <gtest/gtest.h>

#include <deque>

using namespace kr;

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
    const TKrMove* Move(const char* cls, int movement, int penalty) {
        TKrMove& e = moves.emplace_back();
        e.Name = "move";
        e.Class = cls;
        e.Movement = movement;
        e.HeavyPenalty = static_cast<std::uint8_t>(penalty);
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
    sheet.BaseFire = 2;
    sheet.BaseMelee = 0;
    sheet.BaseEvasion = -7;
    sheet.BaseSensor = 1;
    sheet.BaseArmor = 6;
    sheet.BaseDurability = 30;
    sheet.BasePower = 7;
    sheet.BasePunch = 8;
    sheet.BaseCP = -1;
    sheet.BasePrice = 16900;
    sheet.UnitClass = "H";
    EXPECT_FALSE(sheet.ListsEnabled);
    Recalculate(sheet);
    const FigureTexts& b = sheet.Boxes;
    EXPECT_EQ(b.Fire, "+2");
    EXPECT_EQ(b.Melee, "0");
    EXPECT_EQ(b.Evasion, "-7");
    EXPECT_EQ(b.Sensor, "+1");
    EXPECT_EQ(b.Armor, "6");
    EXPECT_EQ(b.Durability, "30");
    EXPECT_EQ(b.Power, "7");
    EXPECT_EQ(b.Punch, "8");
    EXPECT_EQ(b.CP, "-1");
    EXPECT_EQ(b.Price, "16900");
    EXPECT_EQ(b.Class, "H");
    EXPECT_EQ(b.BP, "0");
    EXPECT_FALSE(sheet.BackpackOverloaded);
    EXPECT_TRUE(sheet.ListsEnabled);
}

TEST_F(Sheet, PlainBoxesNeverCarryAPlusSign) {
    sheet.BaseArmor = 5;
    sheet.BasePower = 6;
    sheet.BasePunch = 6;
    sheet.BaseDurability = 20;
    sheet.BaseCP = 3;
    sheet.BasePrice = 8200;
    Weapon("L", 1, 0, 2, 10);
    sheet.BackpackCapacity = 4;
    Recalculate(sheet);
    for (const std::string* text : {&sheet.Boxes.Armor, &sheet.Boxes.Power, &sheet.Boxes.Punch,
                                    &sheet.Boxes.Durability, &sheet.Boxes.CP, &sheet.Boxes.Price, &sheet.Boxes.BP})
        EXPECT_NE(text->front(), '+') << *text;
    EXPECT_EQ(sheet.Boxes.Price, "8210");
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
    EXPECT_EQ(sheet.Boxes.Fire, "+1");
    EXPECT_EQ(sheet.Boxes.Melee, "+2");
    EXPECT_EQ(sheet.Boxes.Evasion, "-1");
    EXPECT_EQ(sheet.Boxes.Armor, "3");
    EXPECT_EQ(sheet.Boxes.Power, "1");
    EXPECT_EQ(sheet.Boxes.Sensor, "+2");
    EXPECT_EQ(sheet.Boxes.Punch, "6");
    EXPECT_EQ(sheet.Boxes.Durability, "20");
    EXPECT_EQ(sheet.Boxes.CP, "1");
    EXPECT_EQ(sheet.Boxes.Price, "500");
    EXPECT_EQ(sheet.Boxes.BP, "1");
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
    EXPECT_EQ(sheet.Boxes.CP, "4");
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
    EXPECT_EQ(sheet.Boxes.CP, "6");  // 0+1, 0+1, 2+1, 1
}

TEST_F(Sheet, HeavyEntryOnExtraHeavyUnitIsInClass) {
    sheet.UnitClass = "XH";
    Weapon("H", 3, 2);
    Recalculate(sheet);
    EXPECT_EQ(sheet.Boxes.CP, "2");
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

TEST_F(Sheet, PowerBasedDamageFollowsThePower) {
    sheet.BasePower = 7;
    Option("L", 0, [](TKrOption& e) { e.Power = 1; });
    Weapon("L", -3);
    Weapon("L", 4);
    Recalculate(sheet);
    EXPECT_EQ(sheet.Weapons.Cell(0, 5), "11");
    EXPECT_EQ(sheet.Weapons.Cell(1, 5), "4");

    sheet.Options.Clear();
    Recalculate(sheet);
    EXPECT_EQ(sheet.Weapons.Cell(0, 5), "10");
}

TEST_F(Sheet, BackpackTurnsRedOnlyAboveCapacity) {
    sheet.BackpackCapacity = 4;
    Weapon("L", 1, 0, 4);
    Recalculate(sheet);
    EXPECT_EQ(sheet.Boxes.BP, "4");
    EXPECT_FALSE(sheet.BackpackOverloaded);

    Weapon("L", 1, 0, 1);
    Recalculate(sheet);
    EXPECT_EQ(sheet.Boxes.BP, "5");
    EXPECT_TRUE(sheet.BackpackOverloaded);

    sheet.Weapons.Remove(1);
    Recalculate(sheet);
    EXPECT_FALSE(sheet.BackpackOverloaded);
}

TEST_F(Sheet, TwoRowsOfOneWeaponCountTwice) {
    const TKrWeapon* gun = Weapon("L", 1, 1, 2, 300);
    AddWeaponRow(&sheet.Weapons, gun);
    sheet.BackpackCapacity = 10;
    Recalculate(sheet);
    EXPECT_EQ(sheet.Boxes.CP, "2");
    EXPECT_EQ(sheet.Boxes.BP, "4");
    EXPECT_EQ(sheet.Boxes.Price, "600");
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
                                 s.Weapons.Cell(0, 3), s.Weapons.Cell(0, 5), s.Boxes.CP};
    Recalculate(sheet);
    const std::string second[] = {s.Options.Cell(0, 2), s.Moves.Cell(0, 2), s.Moves.Cell(0, 4),
                                  s.Weapons.Cell(0, 3), s.Weapons.Cell(0, 5), s.Boxes.CP};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(first[i], second[i]) << i;
    EXPECT_EQ(s.Boxes.CP, "6");  // option 2+1, move 0+1, weapon 1+1
}

TEST_F(Sheet, TotalsWrapAround32Bits) {
    sheet.BasePrice = 2147483647;
    Weapon("L", 1, 0, 0, 1);
    Recalculate(sheet);
    EXPECT_EQ(sheet.Boxes.Price, "-2147483648");
}

}  // namespace
