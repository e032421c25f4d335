#include "platform/runtime/symbol.h"

#include <unordered_set>

#include "platform/runtime/usual.h"
#include "runtime_fixture.h"

using namespace kp;

using UsualTest = RuntimeTest;

TEST(SymbolTest, InternedUpperCaseNames) {
    const Symbol a("PshBerechnen"), b("PSHBERECHNEN"), c("pshOK");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.Id(), b.Id());
    EXPECT_FALSE(a == c);
    EXPECT_EQ(a.Name(), "PSHBERECHNEN");
    EXPECT_EQ(Symbol("wohngebäude").Name(), "WOHNGEBÄUDE");
    EXPECT_TRUE(Symbol().IsNull());
    EXPECT_TRUE(Symbol("").IsNull());
    EXPECT_EQ(Symbol().Name(), "");
    EXPECT_TRUE(a < c);  // by name
    std::unordered_set<Symbol> set{a, b, c};
    EXPECT_EQ(set.size(), 2u);
}

TEST_F(UsualTest, TypesAndCodes) {
    EXPECT_EQ(Usual().Type(), UsualType::Nil);
    EXPECT_EQ(static_cast<int>(Usual(5).Type()), 1);
    EXPECT_EQ(static_cast<int>(Usual(Date::FromYMD(2010, 1, 1)).Type()), 2);
    EXPECT_EQ(static_cast<int>(Usual(1.5).Type()), 3);
    EXPECT_EQ(static_cast<int>(Usual(std::make_shared<Array>()).Type()), 5);
    EXPECT_EQ(static_cast<int>(Usual(std::make_shared<Error>()).Type()), 6);
    EXPECT_EQ(static_cast<int>(Usual("s").Type()), 7);
    EXPECT_EQ(static_cast<int>(Usual(true).Type()), 8);
    EXPECT_EQ(static_cast<int>(Usual(std::make_shared<CodeBlock>()).Type()), 9);
    EXPECT_EQ(static_cast<int>(Usual(Symbol("X")).Type()), 10);
    EXPECT_EQ(static_cast<int>(Usual::Pointer(nullptr).Type()), 18);
    EXPECT_EQ(Usual(5L).Type(), UsualType::Long);
    EXPECT_EQ(Usual(4294967295u).Type(), UsualType::Float);  // does not fit a long
    EXPECT_EQ(TypeString(7), "STRING");
    EXPECT_EQ(TypeString(18), "PTR");
    EXPECT_EQ(TypeString(1), "LONGINT");
}

TEST_F(UsualTest, ReadsConvertNumbersAndCompare) {
    EXPECT_EQ(Usual(2.5).AsLong(), 3);  // half away from zero
    EXPECT_EQ(Usual(-2.5).AsLong(), -3);
    EXPECT_EQ(Usual(7).AsFloat(), 7.0);
    EXPECT_EQ(Usual(7), Usual(7.0));
    EXPECT_FALSE(Usual(7) == Usual("7"));
    EXPECT_EQ(Usual(), Usual());
    EXPECT_EQ(Usual(Float{1.5, 1}).FloatDecimals(), 1);
    EXPECT_EQ(Usual(1.5).FloatDecimals(), -1);
    auto arr = std::make_shared<Array>(Array{Usual(1)});
    EXPECT_EQ(Usual(arr), Usual(arr));
    EXPECT_FALSE(Usual(arr) == Usual(std::make_shared<Array>(Array{Usual(1)})));
    auto block = std::make_shared<CodeBlock>(
        [](std::span<const Usual> a) { return Usual(a[0].AsLong() * 2); });
    const Usual arg[] = {Usual(21)};
    EXPECT_EQ((*Usual(block).AsCodeBlock())(arg), Usual(42));
}

TEST_F(UsualTest, AsText) {
    SetDateCountry(5);
    SetCentury(true);
    EXPECT_EQ(Usual().AsText(), "");
    EXPECT_EQ(Usual(42).AsText(), "42");
    EXPECT_EQ(Usual(2.5).AsText(), "2.50");
    EXPECT_EQ(Usual(Float{2.5, 1}).AsText(), "2.5");
    EXPECT_EQ(Usual(true).AsText(), ".T.");
    EXPECT_EQ(Usual(Date()).AsText(), "  .  .    ");
    EXPECT_EQ(Usual(Date::FromYMD(2010, 6, 15)).AsText(), "15.06.2010");
    EXPECT_EQ(Usual(Symbol("abc")).AsText(), "ABC");
    EXPECT_EQ(Usual(std::make_shared<Array>(3)).AsText(), "{[3]}");
    EXPECT_EQ(Usual(std::make_shared<Error>()).AsText(), "{ERROR}");
    EXPECT_EQ(Usual::Pointer(reinterpret_cast<void*>(0xAB)).AsText(), "0x000000AB");
}

TEST_F(UsualTest, WrongTypeRaisesDataTypeError) {
    // Without a handler: the type's empty value.
    EXPECT_EQ(Usual("x").AsLong(), 0);
    EXPECT_EQ(Usual(5).AsString(), "");
    std::shared_ptr<Error> seen;
    ErrorBlock([&](std::shared_ptr<Error> e) {
        seen = e;
        return Usual(false);
    });
    EXPECT_TRUE(Usual(5).AsDate().IsEmpty());
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->GenCode, EG_DATATYPE);
    EXPECT_EQ(seen->ArgType, 1);
    EXPECT_EQ(seen->ArgTypeReq, 2);
    EXPECT_EQ(seen->Arg, Usual("5"));
    EXPECT_EQ(seen->Tries, 1);
    // A substitute of the wanted type becomes the result.
    ErrorBlock([](std::shared_ptr<Error> e) {
        return e->SubstituteType == 7 ? Usual("subst") : Usual(99);
    });
    EXPECT_EQ(Usual(5).AsString(), "subst");
    EXPECT_EQ(Usual("x").AsLong(), 99);
    EXPECT_FALSE(Usual(1).AsLogic());  // 99 is no logic: the empty value
    // Numbers too large for a long raise a numeric overflow.
    ErrorBlock([&](std::shared_ptr<Error> e) {
        seen = e;
        return Usual(false);
    });
    EXPECT_EQ(Usual(1e12).AsLong(), 0);
    EXPECT_EQ(seen->GenCode, EG_NUMOVERFLOW);
}
