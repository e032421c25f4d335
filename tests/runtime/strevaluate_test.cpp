#include "platform/runtime/strevaluate.h"

#include <map>

#include "runtime_fixture.h"

using namespace kp;

namespace {

VariableLookup Vars(std::map<std::string, std::string> vars) {
    return [vars = std::move(vars)](std::string_view name) -> std::optional<std::string> {
        auto it = vars.find(std::string(name));
        if (it == vars.end())
            return std::nullopt;
        return it->second;
    };
}

}  // namespace

TEST(StrEvaluateTest, CaptionsWithoutVariablesComeOutLiterally) {
    // The shell menu's captions: mnemonics are no variable references.
    for (const char* caption :
         {"&Datei öffnen \tSTRG+D", "S&tart ", "&Interessenten und Kunden\tF3", "&Über...",
          "Re&organisation\tF12", "&", "a&&b", "&1x", ""}) {
        EXPECT_EQ(StrEvaluate(caption), caption);
        EXPECT_EQ(StrEvaluate(caption, Vars({{"Anrede", "Herr"}})), caption);
    }
}

TEST(StrEvaluateTest, KnownReferencesAreReplaced) {
    const auto vars = Vars({{"Name", "Müller"}, {"Ort", "Köln"}, {"leer", ""}});
    EXPECT_EQ(StrEvaluate("Herr &Name aus &Ort", vars), "Herr Müller aus Köln");
    // The dot ends the name and is dropped; a second dot stays.
    EXPECT_EQ(StrEvaluate("&Name.s Akte..", vars), "Müllers Akte..");
    EXPECT_EQ(StrEvaluate("[&leer.]", vars), "[]");
    // An unknown name is kept whole, the dot after it too.
    EXPECT_EQ(StrEvaluate("&Namen. &Name", vars), "&Namen. Müller");
    EXPECT_EQ(StrEvaluate("&Name&Ort", vars), "MüllerKöln");
    // A replaced value is not evaluated again.
    EXPECT_EQ(StrEvaluate("&A", Vars({{"A", "&B"}, {"B", "x"}})), "&B");
}
