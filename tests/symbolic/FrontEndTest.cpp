// The front end of the symbolic engine: how a typed text becomes the encoded
// formula (implicit products, names, numbers, operator pairs) and which
// message each faulty text gets.
#include "SymbolicTestSupport.h"

#include "symbolic/EncodedText.h"

#include <cmath>
#include <numbers>

namespace velmora::test {
namespace {

std::string ParseMessage(const std::string& text, const std::string& vars = "uv", const std::string& pars = "") {
    return MessageOf([&] {
        TSymbolicPartials f;
        f.ParseNewText(text, vars, pars, {.compile = true, .withPartials = true});
    });
}

TEST(SymbolicFrontEnd, ImplicitProductsAreWrittenOut) {
    EXPECT_EQ(Reduced("2 3"), "{24}*{25}");
    EXPECT_EQ(ValueAt("2 3", 0, 0), 6);
    EXPECT_EQ(Reduced("2u"), "{24}*u");
    EXPECT_EQ(Reduced("u2"), "u*{24}");
    EXPECT_EQ(Reduced("uv"), "u*v");
    EXPECT_EQ(Reduced("(u)(v)"), "(u)*(v)");
    EXPECT_EQ(Reduced("2(u+1)"), "{24}*(u+1)");
    // Blanks elsewhere vanish: "u v" is the name UV.
    EXPECT_EQ(Reduced("u v"), "u*v");
    EXPECT_EQ(ValueAt("2 3u", 0.5, 0), 3);
}

TEST(SymbolicFrontEnd, PiIsTheOnlyNamedConstant) {
    EXPECT_EQ(Reduced("pi"), "p");
    EXPECT_EQ(Reduced("Pi"), "p");
    EXPECT_EQ(Reduced("PI"), "p");
    EXPECT_EQ(Reduced("2pi"), "{24}*p");
    EXPECT_EQ(Reduced("upi"), "u*p");
    EXPECT_DOUBLE_EQ(ValueAt("2pi", 0, 0), 2 * std::numbers::pi);
    // A parameter P is read as a letter when no I follows.
    TSymbolicPartials f;
    f.ParseNewText("pu", "u", "p");
    EXPECT_EQ(Show(f.uReduced), "{12}*u");
}

TEST(SymbolicFrontEnd, FunctionNamesTakeTheLongestSuffixBeforeTheParenthesis) {
    EXPECT_EQ(Reduced("ucos(v)"), "u*A(v)");
    EXPECT_EQ(Reduced("arcsinh(u)"), "R(u)");
    EXPECT_EQ(Reduced("asinh(u)"), "R(u)");
    EXPECT_EQ(Reduced("argsh(u)"), "R(u)");
    EXPECT_EQ(Reduced("uch(v)"), "u*I(v)");
    EXPECT_EQ(Reduced("cosh(u)"), "I(u)");
    EXPECT_EQ(Reduced("uexp(v)"), "u*C(v)");
    EXPECT_EQ(Reduced("u(v+1)"), "u*(v+1)");
    // Every written name, upper or lower case, gives its letter.
    const std::pair<const char*, char> names[] = {
        {"cos", 'A'},     {"sin", 'B'},     {"sen", 'B'},     {"exp", 'C'},     {"sqr", 'D'},     {"sqrt", 'E'},
        {"ln", 'F'},      {"log", 'F'},     {"tg", 'G'},      {"tan", 'G'},     {"sh", 'H'},      {"sinh", 'H'},
        {"ch", 'I'},      {"cosh", 'I'},    {"th", 'J'},      {"tanh", 'J'},    {"arcsen", 'K'},  {"asen", 'K'},
        {"arcsin", 'K'},  {"asin", 'K'},    {"arccos", 'L'},  {"acos", 'L'},    {"arcos", 'L'},   {"arctg", 'M'},
        {"arctan", 'M'},  {"atan", 'M'},    {"abs", 'N'},     {"cotg", 'O'},    {"cotan", 'O'},   {"cot", 'O'},
        {"argch", 'P'},   {"acosh", 'P'},   {"argcosh", 'P'}, {"arccosh", 'P'}, {"arctanh", 'Q'}, {"argtanh", 'Q'},
        {"argth", 'Q'},   {"atanh", 'Q'},   {"arcsinh", 'R'}, {"asinh", 'R'},   {"argsh", 'R'},   {"argsinh", 'R'},
        {"sgn", 'T'},     {"sign", 'T'},    {"inv", 'U'},     {"chs", 'V'},     {"cube", 'W'},    {"quad", 'X'}};
    for (const auto& [name, letter] : names) {
        EXPECT_EQ(Reduced(std::string(name) + "(u)"), std::string(1, letter) + "(u)") << name;
        std::string upper = name;
        for (char& c : upper) c = static_cast<char>(c - 'a' + 'A');
        EXPECT_EQ(Reduced(upper + "(u)"), std::string(1, letter) + "(u)") << upper;
    }
    EXPECT_EQ(ParseMessage("int(u)"), "No integrals allowed");
    EXPECT_EQ(ParseMessage("integral(u)"), "No integrals allowed");
    EXPECT_EQ(ParseMessage("uint(v)"), "No integrals allowed");
}

TEST(SymbolicFrontEnd, AdjacentOperatorsMergeOrAreRefused) {
    EXPECT_EQ(Reduced("u+-v"), "u+V(v)");
    EXPECT_EQ(Reduced("u--v"), "u+v");
    EXPECT_EQ(Reduced("u**2"), "D(u)");
    EXPECT_EQ(Reduced("u-+v"), "u+V(v)");
    EXPECT_EQ(Reduced("u* +v"), "u*v");
    EXPECT_EQ(ParseMessage("u+*v"), "Bad sequence of + - * / ^");
    EXPECT_EQ(ParseMessage("u+-+v"), "Bad sequence of + - * / ^");
    EXPECT_EQ(ParseMessage("u^*v"), "Bad sequence of + - * / ^");
    EXPECT_EQ(ParseMessage("+++"), "Bad sequence of + - * / ^");
    // A negative number may follow an operator, a negated variable may not.
    EXPECT_EQ(Reduced("-u"), "V(u)");
    EXPECT_EQ(Reduced("u*-3"), "u*{30}");
    EXPECT_EQ(Reduced("u*(-v)"), "u*(V(v))");
    EXPECT_EQ(ParseMessage("u*-v"), "There is a syntax fault in the formula.");
    EXPECT_EQ(ParseMessage("u/-v"), "There is a syntax fault in the formula.");
    EXPECT_EQ(ParseMessage("u^-v"), "There is a syntax fault in the formula.");
}

TEST(SymbolicFrontEnd, BracketsAndParentheses) {
    EXPECT_EQ(Reduced("u+"), "u");  // a trailing operator is dropped
    EXPECT_EQ(Reduced("[u]"), "(u)");
    EXPECT_EQ(Reduced("{u+v}*u"), "(u+v)*u");
    EXPECT_EQ(Reduced("u[]"), "u");
    EXPECT_EQ(ParseMessage("(u"), "Check the parentheses, please.");
    EXPECT_EQ(ParseMessage("u)"), "Check the parentheses, please.");
    EXPECT_EQ(ParseMessage("u)+(v"), "Check the parentheses, please.");
    EXPECT_EQ(ParseMessage("(u+)"), "There is a syntax fault in the formula.");
    EXPECT_EQ(ParseMessage("()"), "There is a syntax fault in the formula.");
    EXPECT_EQ(ParseMessage("u*(*v)"), "There is a syntax fault in the formula.");
    EXPECT_EQ(ParseMessage("sin()"), "There is a syntax fault in the formula.");
}

TEST(SymbolicFrontEnd, NumbersUseThreeSeparatorsAndPredefinedSlots) {
    EXPECT_EQ(ValueAt("2,5", 0, 0), 2.5);
    EXPECT_EQ(ValueAt("2.5", 0, 0), 2.5);
    EXPECT_EQ(ValueAt("2'5", 0, 0), 2.5);
    EXPECT_EQ(ValueAt("2.+u", 1, 0), 3);  // a separator at the end of a number inside the text
    EXPECT_EQ(ParseMessage("2.5.1"), "A number is miswritten.");
    EXPECT_EQ(ParseMessage(".5"), "A number is miswritten.");
    EXPECT_EQ(ParseMessage("u,v"), "A number is miswritten.");
    EXPECT_EQ(ParseMessage("u+2."), "You have used an illegal character.");

    // Predefined constants are shared; every other number takes a slot of its own.
    EXPECT_EQ(Reduced("3"), "{25}");
    EXPECT_EQ(Reduced("-0.5"), "{37}");
    EXPECT_EQ(Reduced("u*-1/5"), "u*{28}*U({27})");
    EXPECT_EQ(Reduced("0.25+u"), "{35}+u");
    EXPECT_EQ(Reduced("1"), "1");
    EXPECT_EQ(Reduced("0"), "0");
    EXPECT_EQ(Reduced("007"), "{41}");
    TSymbolicPartials f;
    f.ParseNewText("2.5u+2.5v", "uv", "");
    EXPECT_EQ(Show(f.uReduced), "{41}*u+{42}*v");
    EXPECT_EQ(f.data[41], 2.5);
    EXPECT_EQ(f.data[42], 2.5);
    EXPECT_EQ(f.endFD, 42);
}

TEST(SymbolicFrontEnd, LettersMustBeDeclaredVariablesOrFunctionNames) {
    EXPECT_EQ(ParseMessage("cos u"), "You have used an illegal character.");
    EXPECT_EQ(ParseMessage("sin(u;v)"), "You have used an illegal character.");
    EXPECT_EQ(ParseMessage("e^u"), "You have used an illegal character.");
    EXPECT_EQ(ParseMessage("x"), "You have used an illegal character.");
    EXPECT_EQ(ParseMessage("w*u"), "You have used an illegal character.");
    EXPECT_EQ(Reduced("w*u", "uvw"), "{3}*u");
}

TEST(SymbolicFrontEnd, CharactersOutsideTheLanguageAreRefusedAsTheFormulaParserRefusesThem) {
    // A character the formula language does not have is an error, never
    // skipped: u@v is not u*v.
    for (const char* text : {"u$v", "u@v", "u~2", "u&v", "u\"v", "2\x7Fu", "s\xE9n(u)", "u\x01"})
        EXPECT_EQ(ParseMessage(text), "You have used an illegal character.") << text;
    // Every character of the language passes this check.
    EXPECT_EQ(Reduced("[u]*{v}+(u)\\v + 1'5 +2,5- 3.5"), "(u)*(v)+(u)*U(v)+{41}+{42}+V({43})");
}

TEST(SymbolicFrontEnd, OnlyASpaceBetweenDigitsIsAProduct) {
    // As in the formula language: "2 3" is 2*3, but tab, line feed and
    // carriage return vanish, so "2" tab "3" is 23; a space counts when it
    // comes right before the second number, other blanks before it or not.
    EXPECT_EQ(EvaluateConstantFormula("2 3"), 6);
    EXPECT_EQ(EvaluateConstantFormula("2\t3"), 23);
    EXPECT_EQ(EvaluateConstantFormula("2\n3"), 23);
    EXPECT_EQ(EvaluateConstantFormula("2 \t3"), 23);
    EXPECT_EQ(EvaluateConstantFormula("2\t 3"), 6);
    EXPECT_EQ(EvaluateConstantFormula("2 .5"), 2.5);
    EXPECT_EQ(EvaluateConstantFormula("2. 5"), 2.5);
}

TEST(SymbolicFrontEnd, DeclaredLettersAndEmptyTexts) {
    EXPECT_EQ(ParseMessage("u", "ab"), "The allowed variables must be in the range 'p' to 'z'.");
    EXPECT_EQ(ParseMessage("u", "u", "u"), "The allowed variables must be in the range 'p' to 'z'.");
    EXPECT_EQ(ParseMessage("u", "u", "a"), "The allowed variables must be in the range 'p' to 'z'.");
    TSymbolicPartials f;
    f.ParseNewText("u", "uu", "");
    EXPECT_EQ(f.argNum, 1);
    EXPECT_EQ(f.allowedVars, "U");
    f.ParseNewText("u*s", "UV", "ts");
    EXPECT_EQ(f.allVars, "UVTS");
    EXPECT_EQ(f.parNum, 2);
    EXPECT_TRUE(f.reduceConsts);
    EXPECT_EQ(Show(f.uReduced), "u*{13}");  // the second parameter lives at 13

    EXPECT_EQ(ParseMessage(""), "Some field may be empty");
    EXPECT_EQ(ParseMessage("  \t "), "Some field may be empty");
    EXPECT_EQ(ParseMessage("+"), "There is a syntax fault in the formula.");
    EXPECT_EQ(ParseMessage("++"), "There is a syntax fault in the formula.");
}

TEST(SymbolicFrontEnd, SyntaxCheckerClasses) {
    // Only the encoded alphabet is checked here; the texts are built by hand.
    EXPECT_EQ(TSymbolicPartials::CheckSyntax(""), 1);
    EXPECT_EQ(TSymbolicPartials::CheckSyntax(Enc("u+A(v)")), 0);
    EXPECT_EQ(TSymbolicPartials::CheckSyntax(Enc("#u*(1+p)")), 0);
    EXPECT_EQ(TSymbolicPartials::CheckSyntax(Enc("u*#v")), 2);
    EXPECT_EQ(TSymbolicPartials::CheckSyntax(Enc("A")), 2);   // a letter needs "("
    EXPECT_EQ(TSymbolicPartials::CheckSyntax(Enc("u+")), 2);  // the end acts as ")"
    EXPECT_EQ(TSymbolicPartials::CheckSyntax(Enc("uv")), 2);
    EXPECT_EQ(TSymbolicPartials::CheckSyntax(Enc("u~v")), 2);
    // A token whose second byte looks like "(" or "+" is still one operand.
    EXPECT_EQ(TSymbolicPartials::CheckSyntax(Enc("{40}+{43}")), 0);
}

TEST(SymbolicFrontEnd, AnOperandByteInTheTextIsRefused) {
    // The bytes that start encoded tokens are no characters of the language:
    // typed text cannot inject an operand (here the constant 2 or a slot past
    // the table).
    EXPECT_EQ(ParseMessage(std::string("u*\xFF") + static_cast<char>(24)), "You have used an illegal character.");
    EXPECT_EQ(ParseMessage("u*\xFF"), "You have used an illegal character.");
    EXPECT_EQ(ParseMessage("u*\xFF\xFE"), "You have used an illegal character.");
    EXPECT_EQ(ParseMessage("u*\xFE" "A(v)"), "You have used an illegal character.");
    EXPECT_EQ(MessageOf([] { EvaluateConstantFormula(std::string("2*\xFF") + static_cast<char>(5)); }),
              "You have used an illegal character.");
}

}  // namespace
}  // namespace velmora::test
