// Reading the input of a surface session: trimming, the messages of each
// kind of failure, what a failed read leaves done, and the engines it builds.
#include "session/SurfaceSession.h"

#include "geometry/LocalGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace velmora {
namespace {

TInputTexts Texts(const char* x, const char* y, const char* z, const char* w, const char* uMin,
                  const char* uMax, const char* vMin, const char* vMax) {
    return {x, y, z, w, uMin, uMax, vMin, vMax};
}

// A read of texts that must fail at `field` with `message`.
void ExpectFailure(TSurfaceSession& s, const TInputTexts& texts, int field, const std::string& message) {
    s.SetInputTexts(texts);
    const TReadResult r = s.ReadData();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, message);
    EXPECT_EQ(r.failedField, field);
    EXPECT_FALSE(s.alreadyParsed());
}

TEST(SessionRead, TheDefaultSurfaceReadsAndMapsTheDomain) {
    TSurfaceSession s(2);
    EXPECT_EQ(s.InputTexts(), DefaultSurfaceTexts());
    EXPECT_FALSE(s.alreadyParsed());
    EXPECT_FALSE(s.dirty());
    EXPECT_EQ(s.InputStrs()[0], "vm4");
    EXPECT_EQ(s.InputStrs()[1], "Quorvel Dastimaro-Ulbenki");
    EXPECT_EQ(s.InputStrs()[2], "0");
    EXPECT_EQ(s.InputStrs()[3], "8");
    EXPECT_EQ(s.InputStrs()[4], "");

    const TReadResult r = s.ReadData();
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.fieldsTrimmed, kInputFields);
    EXPECT_TRUE(s.alreadyParsed());
    EXPECT_TRUE(s.dirty());
    for (int i = 0; i < kInputFields; ++i) EXPECT_EQ(s.InputStrs()[4 + i], DefaultSurfaceTexts()[i]);
    const TDomainMap& m = s.Map();
    EXPECT_DOUBLE_EQ(m.max2D[0], 2 * std::numbers::pi);
    EXPECT_DOUBLE_EQ(m.max2D[1], 2.2);
    EXPECT_DOUBLE_EQ(m.span2D, std::hypot(2 * std::numbers::pi, 2.2));
    EXPECT_DOUBLE_EQ(m.cY, 548 / 2.2);
}

TEST(SessionRead, EveryWorkerSetComputesWhatTheMainSetComputes) {
    TSurfaceSession s(3);
    ASSERT_EQ(s.numOfCPU(), 3);
    ASSERT_TRUE(s.ReadData().ok);
    const Vector2 p{1.1, 0.7};
    TInvariants main;
    ASSERT_TRUE(s.Surface().ComputeInvariants(p, main));
    for (TEngineSet* set : s.WorkerSets()) {
        TLocalGeometry worker(*set);
        TInvariants inv;
        ASSERT_TRUE(worker.ComputeInvariants(p, inv));
        EXPECT_EQ(inv.KGauss, main.KGauss);
        EXPECT_EQ(inv.discrStrPpal, main.discrStrPpal);  // third derivatives: the symbolic engines
    }
    // A later read rebuilds them all from the new texts: a plane has K = 0.
    s.SetInputTexts(Texts("u", "v", "0", "0", "0", "1", "0", "1"));
    ASSERT_TRUE(s.ReadData().ok);
    for (TEngineSet* set : s.WorkerSets()) {
        TLocalGeometry worker(*set);
        EXPECT_DOUBLE_EQ(worker.GaussCurvature({0.5, 0.5}), 0.0);
    }
}

TEST(SessionRead, FieldsReadBeforeAnErrorStayTrimmedAndStored) {
    TSurfaceSession s(0);
    s.SetInputTexts(Texts("u", "v", "u+v", "u-v", "0", "1", "0", "1"));
    ASSERT_TRUE(s.ReadData().ok);
    // "x" is not a variable of the formulas; the bounds are not reached.
    s.SetInputTexts(Texts("  u \t", "\tv", "u*v ", " x ", " 0 ", "1", "0", "1"));
    const TReadResult r = s.ReadData();
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(r.failedField, wField);
    EXPECT_EQ(r.fieldsTrimmed, 4);
    EXPECT_EQ(s.InputText(xField), "u");
    EXPECT_EQ(s.InputText(yField), "v");
    EXPECT_EQ(s.InputText(zField), "u*v");
    EXPECT_EQ(s.InputText(wField), "x");       // the failing field is trimmed too
    EXPECT_EQ(s.InputText(uMinField), " 0 ");  // fields after it are untouched
    EXPECT_EQ(s.InputStrs()[4], "u");
    EXPECT_EQ(s.InputStrs()[6], "u*v");
    EXPECT_EQ(s.InputStrs()[7], "u-v");  // the failing field keeps what was read before
    EXPECT_FALSE(s.alreadyParsed());
    // The engines keep the code of the last successful read: z = u + v.
    EXPECT_EQ(s.MainEngines().partials[2].EvaluateFF(0, 0, 0, Vector2{2, 3}.data()), 5.0);
    EXPECT_EQ(s.MainEngines().evaluators[2].Value(Vector2{2, 3}.data()), 5.0);

    s.SetInputText(wField, "u+v");
    EXPECT_TRUE(s.ReadData().ok);
    EXPECT_EQ(s.InputStrs()[7], "u+v");
    EXPECT_EQ(s.InputText(uMinField), "0");
}

TEST(SessionRead, EachCheckHasItsMessage) {
    TSurfaceSession s(0);
    ExpectFailure(s, Texts(" \t ", "v", "0", "0", "0", "1", "0", "1"), xField, "An edit field is blank");
    ExpectFailure(s, Texts("u", "v", "0", "0", "0", "", "0", "1"), uMaxField, "An edit field is blank");
    ExpectFailure(s, Texts("u", "v", "0", "0", "2 pi", "0", "0", "1"), uMaxField,
                  "The minimum of 'u' must be less than its maximum");
    ExpectFailure(s, Texts("u", "v", "0", "0", "1", "2/2", "0", "1"), uMaxField,
                  "The minimum of 'u' must be less than its maximum");
    ExpectFailure(s, Texts("u", "v", "0", "0", "0", "1", "cos(0)", "1"), vMaxField,
                  "The minimum of 'v' must be less than its maximum");
    // The engines' own messages pass through unchanged.
    s.SetInputTexts(Texts("u +", "v", "0", "0", "0", "1", "0", "1"));
    const TReadResult r = s.ReadData();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failedField, xField);
    EXPECT_NE(r.message, "An edit field is blank");
    EXPECT_FALSE(r.message.empty());
}

TEST(SessionRead, BoundsReadBeforeAFailedCheckStayInTheCorners) {
    TSurfaceSession s(0);
    ExpectFailure(s, Texts("u", "v", "u", "v", "0", "1", "1", "1"), vMaxField,
                  "The minimum of 'v' must be less than its maximum");
    EXPECT_DOUBLE_EQ(s.Map().min2D[0], 0);
    EXPECT_DOUBLE_EQ(s.Map().max2D[0], 1);
    EXPECT_DOUBLE_EQ(s.Map().min2D[1], 1);
    EXPECT_DOUBLE_EQ(s.Map().max2D[1], 1);
    EXPECT_EQ(s.InputStrs()[11], "1");
}

TEST(SessionRead, NonFiniteBoundsAreRefusedBeforeTheyReachTheMap) {
    TSurfaceSession s(0);
    ASSERT_TRUE(s.ReadData().ok);
    const TDomainMap before = s.Map();
    ExpectFailure(s, Texts("u", "v", "0", "0", "0", "10^400", "0", "1"), uMaxField,
                  "The maximum of 'u' is not a finite number");
    EXPECT_DOUBLE_EQ(s.Map().max2D[0], before.max2D[0]);
    EXPECT_EQ(s.InputStrs()[9], DefaultSurfaceTexts()[uMaxField]);
    ExpectFailure(s, Texts("u", "v", "0", "0", "0", "1", "-(10^400)", "1"), vMinField,
                  "The minimum of 'v' is not a finite number");
    // The map keeps derived values of its last complete read.
    EXPECT_DOUBLE_EQ(s.Map().span2D, before.span2D);
}

TEST(SessionRead, TheMessageForTheWindowNamesTheField) {
    TSurfaceSession s(0);
    s.SetInputTexts(Texts("u", "v", "sin(", "0", "0", "1", "0", "1"));
    TReadResult r = s.ReadData();
    ASSERT_FALSE(r.ok);
    EXPECT_EQ(r.FieldMessage(), "z(u,v): Check the parentheses, please.");
    s.SetInputTexts(Texts("u", "v", "0", "0", "0", "1", "2", "1"));
    r = s.ReadData();
    EXPECT_EQ(r.FieldMessage(), "vMax: The minimum of 'v' must be less than its maximum");
    // A failure of the domain as a whole belongs to no field.
    s.SetInputTexts(Texts("u", "v", "0", "0", "0", "1.5*10^308", "0", "1.5*10^308"));
    EXPECT_EQ(s.ReadData().FieldMessage(), "The domain is too large");
}

TEST(SessionRead, AFieldLongerThanTheLimitIsRefusedByName) {
    // A sum of 65536 characters is read; one more character is refused.
    const std::string sum = "u" + std::string(kMaxFieldLength - 3, ' ') + "+u";
    ASSERT_EQ(sum.size(), 65536u);
    TSurfaceSession s(0);
    s.SetInputTexts({"u", "v", sum, "0", "0", "1", "0", "1"});
    const TReadResult fits = s.ReadData();
    ASSERT_TRUE(fits.ok) << fits.message;
    // Blanks around a text do not count: they are trimmed first.
    s.SetInputTexts({"u", "v", "  " + sum + "  ", "0", "0", "1", "0", "1"});
    EXPECT_TRUE(s.ReadData().ok);
    ExpectFailure(s, {"u", "v", "0", sum + "u", "0", "1", "0", "1"}, wField,
                  "w(u,v) is longer than the limit of 65536 characters");
    const TReadResult r = s.ReadData();
    EXPECT_EQ(r.FieldMessage(), r.message);  // the field is not named twice
    ExpectFailure(s, {"u", "v", "0", "0", "0", "1" + std::string(kMaxFieldLength, ' ') + "+1", "0", "1"}, uMaxField,
                  "uMax is longer than the limit of 65536 characters");
}

TEST(SessionRead, ACoordinateWithoutFiniteValuesFailsTheRead) {
    TSurfaceSession s(0);
    ExpectFailure(s, Texts("u", "v", "u^2", "10^400 u v", "0", "1", "0", "1"), wField,
                  "The values of w(u,v) are not finite numbers on the domain");
    // Finite somewhere is enough: 1/u is infinite on one edge only.
    s.SetInputTexts(Texts("u", "v", "u^2", "1/u", "0", "1", "0", "1"));
    EXPECT_TRUE(s.ReadData().ok);
}

TEST(SessionRead, BoundsWithoutAUsableScaleAreRefused) {
    TSurfaceSession s(0);
    // Too close together: 548 / edge overflows.
    ExpectFailure(s, Texts("u", "v", "0", "0", "10^(-320)", "2*10^(-320)", "0", "1"), -1,
                  "The bounds of 'u' are too close together or too far apart");
    // Too far apart: the edge itself overflows.
    ExpectFailure(s, Texts("u", "v", "0", "0", "0", "1", "-(10^308)", "10^308"), -1,
                  "The bounds of 'v' are too close together or too far apart");
    // Each edge is finite, the diagonal is not.
    ExpectFailure(s, Texts("u", "v", "0", "0", "0", "1.5*10^308", "0", "1.5*10^308"), -1,
                  "The domain is too large");
    EXPECT_TRUE(std::isfinite(s.Map().cX));
}

TEST(SessionRead, ASuccessfulReadStartsWithEmptyStores) {
    TSurfaceSession s(0);
    ASSERT_TRUE(s.ReadData().ok);
    s.Stores().AddLineSegment({1, 1}, 1, 0x123456);
    s.Stores().AddCoordinatePoint({1, 1});
    s.Stores().BeginLocus(TLocusKind::OriginDepth);
    s.Stores().AddLocusSegment({1, 1}, 1);
    // A failed read keeps them (nothing is drawn while unread)...
    s.SetInputText(xField, "");
    EXPECT_FALSE(s.ReadData().ok);
    EXPECT_EQ(s.Stores().lines().size(), 1u);
    // ...a successful one forgets them.
    s.SetInputText(xField, "u");
    ASSERT_TRUE(s.ReadData().ok);
    EXPECT_TRUE(s.Stores().lines().empty());
    EXPECT_TRUE(s.Stores().coordLines().empty());
    EXPECT_TRUE(s.Stores().loci()[0].empty());
}

TEST(SessionRead, FormulasAloneLeaveTheDomainUnread) {
    TSurfaceSession s(1);
    s.SetInputTexts(Texts(" u", "v", "u^2", "v^2", " 9 ", "0", "0", "1"));  // bounds would fail
    const TReadResult r = s.ReadFormulas();
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.fieldsTrimmed, 4);
    EXPECT_EQ(s.InputText(xField), "u");
    EXPECT_EQ(s.InputText(uMinField), " 9 ");
    EXPECT_FALSE(s.alreadyParsed());
    const double at[2] = {3, 0.5};
    EXPECT_DOUBLE_EQ(s.MainEngines().partials[2].EvaluateFF(0, 0, 0, at), 9.0);
    EXPECT_DOUBLE_EQ(s.WorkerSets()[0]->partials[3].EvaluateFF(2, 2, 0, at), 2.0);  // w_vv
}

TEST(InputTrimming, CodesBelow33GoAtBothEndsOnly) {
    EXPECT_EQ(TrimInput(" \t\r\n u + v \x01"), "u + v");
    EXPECT_EQ(TrimInput("\x1f"), "");
    EXPECT_EQ(TrimInput("!"), "!");  // code 33 stays
    EXPECT_EQ(TrimRange("  ab  "), (std::pair<std::size_t, std::size_t>{2, 4}));
    // Bytes of 128 and above are characters, not blanks.
    EXPECT_EQ(TrimInput("\xA0u\xA0"), "\xA0u\xA0");
}

}  // namespace
}  // namespace velmora
