// The front end of the symbolic engine: how a typed text is read (implicit
// products, names, numbers, operator pairs), shown by the code it compiles to
// beside the code of the same formula written out, and which message each
// faulty text gets.
#include "SymbolicTestSupport.h"

#include "symbolic/EncodedText.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <vector>

namespace velmora::test {
namespace {

std::string ParseMessage(const std::string& text, const std::string& vars = "uv", const std::string& pars = "") {
    return MessageOf([&] {
        TSymbolicPartials f;
        f.ParseNewText(text, vars, pars, {.compile = true, .withPartials = true});
    });
}

// The first two bytes of the code of a formula without variables after the prologue.
std::vector<uint8_t> FirstInstruction(const std::string& text) {
    const std::vector<uint8_t> body = Body(text);
    return std::vector<uint8_t>(body.begin(), body.begin() + std::min<std::ptrdiff_t>(2, std::ssize(body)));
}

TEST(SymbolicFrontEnd, ImplicitProductsAreWrittenOut) {
    EXPECT_EQ(Body("2 3"), Body("2*3"));
    EXPECT_EQ(ValueAt("2 3", 0, 0), 6);
    EXPECT_EQ(Body("2u"), Body("2*u"));
    EXPECT_EQ(Body("u2"), Body("u*2"));
    EXPECT_EQ(Body("uv"), Body("u*v"));
    EXPECT_EQ(Body("(u)(v)"), Body("(u)*(v)"));
    EXPECT_EQ(Body("2(u+1)"), Body("2*(u+1)"));
    EXPECT_NE(Body("2(u+1)"), Body("2*u+1"));
    // Blanks elsewhere vanish: "u v" is the name UV.
    EXPECT_EQ(Body("u v"), Body("u*v"));
    EXPECT_EQ(ValueAt("2 3u", 0.5, 0), 3);
}

TEST(SymbolicFrontEnd, PiIsTheOnlyNamedConstant) {
    EXPECT_EQ(FirstInstruction("pi"), (std::vector<uint8_t>{0xD9, 0xEB}));  // fldpi
    EXPECT_EQ(Body("Pi"), Body("pi"));
    EXPECT_EQ(Body("PI"), Body("pi"));
    EXPECT_EQ(Body("2pi"), Body("2*pi"));
    EXPECT_EQ(Body("upi"), Body("u*pi"));
    EXPECT_DOUBLE_EQ(ValueAt("2pi", 0, 0), 2 * std::numbers::pi);
    // A parameter P is read as a letter when no I follows.
    TSymbolicPartials f;
    f.ParseNewText("pu", "u", "p", {.compile = true});
    f.UpdateParameters({1.5});
    const double u = 3;
    EXPECT_EQ(f.EvaluateFF(0, 0, 0, &u), 4.5);
}

TEST(SymbolicFrontEnd, FunctionNamesTakeTheLongestSuffixBeforeTheParenthesis) {
    EXPECT_EQ(Body("ucos(v)"), Body("u*cos(v)"));
    EXPECT_EQ(Body("asinh(u)"), Body("arcsinh(u)"));
    EXPECT_EQ(Body("argsh(u)"), Body("arcsinh(u)"));
    EXPECT_EQ(Body("uch(v)"), Body("u*cosh(v)"));
    EXPECT_NE(Body("cosh(u)"), Body("cos(u)"));
    EXPECT_EQ(Body("uexp(v)"), Body("u*exp(v)"));
    EXPECT_EQ(Body("u(v+1)"), Body("u*(v+1)"));
    // Every written name, upper or lower case, gives its letter: the function
    // of the first name of the letter, whose value is that of <cmath> (in
    // the domain of the function at 0.6, or 1.6 for arccosh).
    const std::pair<const char*, char> names[] = {
        {"cos", 'A'},     {"sin", 'B'},     {"sen", 'B'},     {"exp", 'C'},     {"sqr", 'D'},     {"sqrt", 'E'},
        {"ln", 'F'},      {"log", 'F'},     {"tg", 'G'},      {"tan", 'G'},     {"sh", 'H'},      {"sinh", 'H'},
        {"ch", 'I'},      {"cosh", 'I'},    {"th", 'J'},      {"tanh", 'J'},    {"arcsen", 'K'},  {"asen", 'K'},
        {"arcsin", 'K'},  {"asin", 'K'},    {"arccos", 'L'},  {"acos", 'L'},    {"arcos", 'L'},   {"arctg", 'M'},
        {"arctan", 'M'},  {"atan", 'M'},    {"abs", 'N'},     {"cotg", 'O'},    {"cotan", 'O'},   {"cot", 'O'},
        {"argch", 'P'},   {"acosh", 'P'},   {"argcosh", 'P'}, {"arccosh", 'P'}, {"arctanh", 'Q'}, {"argtanh", 'Q'},
        {"argth", 'Q'},   {"atanh", 'Q'},   {"arcsinh", 'R'}, {"asinh", 'R'},   {"argsh", 'R'},   {"argsinh", 'R'},
        {"sgn", 'T'},     {"sign", 'T'},    {"inv", 'U'},     {"chs", 'V'},     {"cube", 'W'},    {"quad", 'X'}};
    const std::map<char, double (*)(double)> reference = {
        {'A', [](double x) { return std::cos(x); }},   {'B', [](double x) { return std::sin(x); }},
        {'C', [](double x) { return std::exp(x); }},   {'D', [](double x) { return x * x; }},
        {'E', [](double x) { return std::sqrt(x); }},  {'F', [](double x) { return std::log(x); }},
        {'G', [](double x) { return std::tan(x); }},   {'H', [](double x) { return std::sinh(x); }},
        {'I', [](double x) { return std::cosh(x); }},  {'J', [](double x) { return std::tanh(x); }},
        {'K', [](double x) { return std::asin(x); }},  {'L', [](double x) { return std::acos(x); }},
        {'M', [](double x) { return std::atan(x); }},  {'N', [](double x) { return std::fabs(x); }},
        {'O', [](double x) { return 1 / std::tan(x); }}, {'P', [](double x) { return std::acosh(x); }},
        {'Q', [](double x) { return std::atanh(x); }}, {'R', [](double x) { return std::asinh(x); }},
        {'T', [](double x) { return x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0; }},
        {'U', [](double x) { return 1 / x; }},         {'V', [](double x) { return -x; }},
        {'W', [](double x) { return x * x * x; }},     {'X', [](double x) { return x * x * x * x; }}};
    std::map<char, std::string> first;
    for (const auto& [name, letter] : names) {
        first.emplace(letter, name);
        const std::string canonical = first.at(letter) + "(u)";
        EXPECT_EQ(Body(std::string(name) + "(u)"), Body(canonical)) << name;
        std::string upper = name;
        for (char& c : upper) c = static_cast<char>(c - 'a' + 'A');
        EXPECT_EQ(Body(upper + "(u)"), Body(canonical)) << upper;
    }
    for (const auto& [letter, name] : first) {
        const double x = letter == 'P' ? 1.6 : 0.6;
        EXPECT_NEAR(ValueAt(name + "(u)", x, 0), reference.at(letter)(x), 1e-15) << name;
    }
    EXPECT_EQ(ParseMessage("int(u)"), "No integrals allowed");
    EXPECT_EQ(ParseMessage("integral(u)"), "No integrals allowed");
    EXPECT_EQ(ParseMessage("uint(v)"), "No integrals allowed");
}

TEST(SymbolicFrontEnd, AdjacentOperatorsMergeOrAreRefused) {
    EXPECT_EQ(Body("u+-v"), Body("u-v"));
    EXPECT_EQ(Body("u--v"), Body("u+v"));
    EXPECT_EQ(Body("u**2"), Body("u^2"));
    EXPECT_EQ(Body("u-+v"), Body("u-v"));
    EXPECT_EQ(Body("u* +v"), Body("u*v"));
    EXPECT_EQ(ParseMessage("u+*v"), "Bad sequence of + - * / ^");
    EXPECT_EQ(ParseMessage("u+-+v"), "Bad sequence of + - * / ^");
    EXPECT_EQ(ParseMessage("u^*v"), "Bad sequence of + - * / ^");
    EXPECT_EQ(ParseMessage("+++"), "Bad sequence of + - * / ^");
    // A negative number may follow an operator, a negated variable may not.
    EXPECT_EQ(Body("-u"), Body("chs(u)"));
    EXPECT_EQ(ValueAt("u*-3", 1.5, 0), -4.5);
    EXPECT_EQ(Body("u*(-v)"), Body("u*chs(v)"));
    EXPECT_EQ(ParseMessage("u*-v"), "There is a syntax fault in the formula.");
    EXPECT_EQ(ParseMessage("u/-v"), "There is a syntax fault in the formula.");
    EXPECT_EQ(ParseMessage("u^-v"), "There is a syntax fault in the formula.");
}

TEST(SymbolicFrontEnd, BracketsAndParentheses) {
    EXPECT_EQ(Body("u+"), Body("u"));  // a trailing operator is dropped
    EXPECT_EQ(Body("[u]"), Body("(u)"));
    EXPECT_EQ(Body("{u+v}*u"), Body("(u+v)*u"));
    EXPECT_NE(Body("{u+v}*u"), Body("u+v*u"));
    EXPECT_EQ(Body("u[]"), Body("u"));
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

    EXPECT_EQ(EvaluateConstantFormula("3"), 3);
    EXPECT_EQ(EvaluateConstantFormula("-0.5"), -0.5);
    EXPECT_EQ(ValueAt("u*-1/5", 2, 0), -0.4);
    EXPECT_EQ(ValueAt("0.25+u", 2, 0), 2.25);
    EXPECT_EQ(EvaluateConstantFormula("007"), 7);
    // 1 and 0 are no table slots: fld1 and fldz.
    EXPECT_EQ(FirstInstruction("1"), (std::vector<uint8_t>{0xD9, 0xE8}));
    EXPECT_EQ(FirstInstruction("0"), (std::vector<uint8_t>{0xD9, 0xEE}));

    // Predefined constants (1 to 5, their negatives, halves to fifths) are
    // shared; every other number written takes a slot of its own, also when
    // its value was written before: 213 fit.
    auto terms = [](const std::string& term, int n) {
        std::string text = term;
        for (int k = 1; k < n; ++k) text += "+" + term;
        return text;
    };
    TSymbolicPartials f;
    EXPECT_NO_THROW(f.ParseNewText(terms("0.25u-3v", 300), "uv", ""));
    EXPECT_NO_THROW(f.ParseNewText(terms("2.5u", 213), "uv", ""));
    EXPECT_EQ(MessageOf([&] { f.ParseNewText(terms("2.5u", 214), "uv", ""); }),
              "The formula and its derivatives need more than 213 constants.");
    EXPECT_EQ(MessageOf([&] { f.ParseNewText(terms("2.5u+2.5v", 107), "uv", ""); }),
              "The formula and its derivatives need more than 213 constants.");
}

TEST(SymbolicFrontEnd, LettersMustBeDeclaredVariablesOrFunctionNames) {
    EXPECT_EQ(ParseMessage("cos u"), "You have used an illegal character.");
    EXPECT_EQ(ParseMessage("sin(u;v)"), "You have used an illegal character.");
    EXPECT_EQ(ParseMessage("e^u"), "You have used an illegal character.");
    EXPECT_EQ(ParseMessage("x"), "You have used an illegal character.");
    EXPECT_EQ(ParseMessage("w*u"), "You have used an illegal character.");
    TSymbolicPartials f;
    f.ParseNewText("w*u", "uvw", "", {.compile = true});
    const double args[3] = {2, 3, 5};
    EXPECT_EQ(f.EvaluateFF(0, 0, 0, args), 10);
}

TEST(SymbolicFrontEnd, CharactersOutsideTheLanguageAreRefusedAsTheFormulaParserRefusesThem) {
    // A character the formula language does not have is an error, never
    // skipped: u@v is not u*v.
    for (const char* text : {"u$v", "u@v", "u~2", "u&v", "u\"v", "2\x7Fu", "s\xE9n(u)", "u\x01"})
        EXPECT_EQ(ParseMessage(text), "You have used an illegal character.") << text;
    // Every character of the language passes this check.
    EXPECT_EQ(ValueAt("[u]*{v}+(u)\\v + 1'5 +2,5- 3.5", 3, 2), 6 + 1.5 + 1.5 + 2.5 - 3.5);
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
    // A letter declared twice is one variable.
    TSymbolicPartials f;
    f.ParseNewText("u", "uu", "", {.compile = true, .withPartials = true});
    EXPECT_TRUE(f.FF(1, 1, 1).Assigned());
    EXPECT_FALSE(f.FF(2, 0, 0).Assigned());
    // Upper-case letters; parameters in the order declared.
    f.ParseNewText("u*s", "UV", "ts", {.compile = true, .withPartials = true});
    f.UpdateParameters({7, 3});
    const double args[2] = {2, 100};
    EXPECT_EQ(f.EvaluateFF(0, 0, 0, args), 6);
    EXPECT_EQ(f.EvaluateFF(1, 0, 0, args), 3);
    EXPECT_EQ(f.EvaluateFF(2, 0, 0, args), 0);
    f.UpdateParameters({1, 1, 1});  // more values than parameters: nothing
    EXPECT_EQ(f.EvaluateFF(0, 0, 0, args), 6);

    EXPECT_EQ(ParseMessage(""), "Some field may be empty");
    EXPECT_EQ(ParseMessage("  \t "), "Some field may be empty");
    EXPECT_EQ(ParseMessage("+"), "There is a syntax fault in the formula.");
    EXPECT_EQ(ParseMessage("++"), "There is a syntax fault in the formula.");
}

TEST(SymbolicFrontEnd, TheSyntaxCheckReadsTokensNotBytes) {
    // The check runs on the encoded formula, where an operand is two bytes.
    EXPECT_EQ(ValueAt("u+cos(v)", 1, 0), 2);
    EXPECT_NEAR(ValueAt("-u*(1+pi)", 2, 0), -2 * (1 + std::numbers::pi), 1e-14);
    EXPECT_EQ(ParseMessage("(u+)*v"), "There is a syntax fault in the formula.");
    // A token whose second byte looks like "(" or "+" is still one operand:
    // -0.2 is in slot 40, the byte of "(", and the third number written in
    // slot 43, the byte of "+".
    EXPECT_NEAR(ValueAt("-0.2+6+6+6*u", 2, 0), -0.2 + 12 + 12, 1e-14);
    EXPECT_NEAR(ValueAt("6+6+(-0.2)*6*u", 2, 0), 12 - 2.4, 1e-14);
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
