// velmora4-cli points as a user runs it: one JSON object per special point
// with the index and pattern of a known Monge form, one per set of points
// that is not isolated, refusals with status 2; and the markers that render
// draws with --points where the points are.
#include "CliRunner.h"
#include "tests/TestFolder.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Z = (u^2 + v^2)/4 + (u^2 - v^2)/2 + k u^3/6, W = u v + m v^3/6 on
// [-0.3, 0.3]^2: the curvature ellipse is a circle at the origin, and to
// first order (bb - cc) + 2 i bc = k u - i m v. With k = 1, m = -1 that is
// u + i v: index +1/4 and three separatrices (E3); with k = m = 1 it is
// u - i v: index -1/4 and five (E5).
const std::string kE3 = "--x u --y v --z '0.25 (u^2 + v^2) + 0.5 (u^2 - v^2) + u^3/6' --w 'u v - v^3/6' "
                        "--u=-0.3,0.3 --v=-0.3,0.3";
const std::string kE5 = "--x u --y v --z '0.25 (u^2 + v^2) + 0.5 (u^2 - v^2) + u^3/6' --w 'u v + v^3/6' "
                        "--u=-0.3,0.3 --v=-0.3,0.3";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The line of the point nearest the origin; "" when no line is a point.
std::string PointAtOrigin(const std::string& out, double* distance = nullptr) {
    std::string best;
    double nearest = INFINITY;
    for (const std::string& line : Lines(out)) {
        double u = 0, v = 0;
        if (std::sscanf(line.c_str(), "{\"u\":%lf,\"v\":%lf,", &u, &v) != 2) continue;
        if (std::hypot(u, v) < nearest) {
            nearest = std::hypot(u, v);
            best = line;
        }
    }
    if (distance) *distance = nearest;
    return best;
}

// The text after "key": up to the next comma or brace.
std::string Field(const std::string& line, const std::string& key) {
    const std::size_t at = line.find("\"" + key + "\":");
    if (at == std::string::npos) return "";
    const std::size_t start = at + key.size() + 3;
    return line.substr(start, line.find_first_of(",}", start) - start);
}

class CliPointsTest : public ::testing::Test {
protected:
    CliRun Cli(const std::string& args) const { return RunCli(args, dir); }
    std::string In(const char* name) const { return "'" + (dir / name).string() + "'"; }

    TestFolder folder{"velmora-cli-points"};
    const fs::path& dir = folder.path();
};

TEST_F(CliPointsTest, AnAxiumbilicPointWithItsMeasuredIndexSeparatricesAndType) {
    CliRun r = Cli("points --class 1 --threads 2 " + kE3);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    double distance = 0;
    std::string line = PointAtOrigin(r.out, &distance);
    EXPECT_LT(distance, 1e-9);
    EXPECT_EQ(Field(line, "kind"), "\"axiumbilic\"");
    EXPECT_EQ(Field(line, "index"), "0.25");
    EXPECT_EQ(Field(line, "separatrices"), "3");
    EXPECT_EQ(Field(line, "type"), "\"E3\"");
    EXPECT_EQ(line.find("origin"), std::string::npos);  // inflection points only
    // The keys in the order the points are documented with.
    EXPECT_EQ(line.rfind("{\"u\":", 0), 0u);
    EXPECT_LT(line.find("\"v\":"), line.find("\"kind\":"));
    EXPECT_LT(line.find("\"kind\":"), line.find("\"index\":"));
    EXPECT_LT(line.find("\"index\":"), line.find("\"separatrices\":"));
    EXPECT_LT(line.find("\"separatrices\":"), line.find("\"type\":"));

    r = Cli("points --class 1 --threads 1 " + kE5);
    ASSERT_EQ(r.status, 0) << r.err;
    line = PointAtOrigin(r.out, &distance);
    EXPECT_LT(distance, 1e-9);
    EXPECT_EQ(Field(line, "index"), "-0.25");
    EXPECT_EQ(Field(line, "separatrices"), "5");
    EXPECT_EQ(Field(line, "type"), "\"E5\"");

    // The class of the asymptotic lines looks for inflection points only: none
    // is the axiumbilic point.
    r = Cli("points --class 2 " + kE3);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("axiumbilic"), std::string::npos);
}

TEST_F(CliPointsTest, InflectionPointsSayWhereTheOriginLies) {
    // A generic closed torus has inflection points, each with "origin".
    const std::string torus =
        "--x '(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)' --y '(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)' "
        "--z '(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v) + 0.2 cos(u + v)' "
        "--w '(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v) + 0.15 sin(u - 2v)' --u '0,2 pi' --v '0,2 pi'";
    const CliRun r = Cli("points --class 3 --threads 2 " + torus);
    ASSERT_EQ(r.status, 0) << r.err;
    int inflections = 0, minimal = 0;
    double sum = 0;
    for (const std::string& line : Lines(r.out)) {
        const std::string kind = Field(line, "kind");
        EXPECT_TRUE(kind == "\"inflection\"" || kind == "\"minimal\"") << line;
        if (kind == "\"inflection\"") {
            ++inflections;
            const std::string origin = Field(line, "origin");
            EXPECT_TRUE(origin == "\"inside\"" || origin == "\"outside\"") << line;
        } else {
            ++minimal;
            EXPECT_EQ(Field(line, "origin"), "") << line;
        }
        sum += std::stod(Field(line, "index"));
    }
    EXPECT_GT(inflections, 0);
    EXPECT_GT(minimal, 0);
    // The indices of a line field on a torus sum to 0.
    EXPECT_EQ(sum, 0);
}

TEST_F(CliPointsTest, SetsThatAreNotIsolatedAreOneObjectEach) {
    // A holomorphic curve is minimal and axiumbilic at every point.
    CliRun r = Cli("points --x u --y v --z 'u^2 - v^2' --w '2 u v' --u=-1,1 --v=-1,1");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"kind\":\"axiumbilic\",\"everywhere\":true}\n{\"kind\":\"minimal\",\"everywhere\":true}\n");

    // A torus of revolution in R^3 x {0}: H = 0 on the two circles
    // cos v = -1/1.6 (k1 = cos v/(1 + 0.8 cos v) equals -k2 = -1/0.8).
    r = Cli("points --class 4 --x '(1 + 0.8 cos(v)) cos(u)' --y '(1 + 0.8 cos(v)) sin(u)' --z '0.8 sin(v)' --w 0 "
            "--v '0,2 pi'");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    const double v1 = std::acos(-1 / 1.6);
    for (const std::string& line : lines) {
        ASSERT_EQ(line.rfind("{\"kind\":\"minimal\",\"curve\":[[", 0), 0u) << line.substr(0, 80);
        double u = 0, v = 0;
        ASSERT_EQ(std::sscanf(line.c_str() + line.find("[[") + 2, "%lf,%lf", &u, &v), 2);
        EXPECT_NEAR(std::min(std::fabs(v - v1), std::fabs(v - (2 * M_PI - v1))), 0, 1e-6);
    }
}

TEST_F(CliPointsTest, TheDefaultSurfaceHasNoPointsAndBadClassesAreRefused) {
    CliRun r = Cli("points --threads 2");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");

    for (const char* bad : {"5", "7", "-1", "x"}) {
        r = Cli(std::string("points --class ") + bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Special points are found for the line classes 1 to 4"), std::string::npos) << r.err;
    }
    r = Cli("points --cells 1");
    EXPECT_EQ(r.status, 2);
    r = Cli("points --x 'sin(' ");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
}

TEST_F(CliPointsTest, RenderMarksThePointsWhereTheyAreColouredByType) {
    // The point at the origin is the centre of the square figure.
    ASSERT_EQ(Cli("render --out " + In("e3.png") + " --size 201 --points 1 --threads 2 " + kE3).status, 0);
    ASSERT_EQ(Cli("render --out " + In("e5.png") + " --size 201 --points 1 --threads 2 " + kE5).status, 0);
    ASSERT_EQ(Cli("render --out " + In("none.png") + " --size 201 " + kE3).status, 0);
    const QImage e3(QString::fromStdString((dir / "e3.png").string()));
    const QImage e5(QString::fromStdString((dir / "e5.png").string()));
    const QImage none(QString::fromStdString((dir / "none.png").string()));
    ASSERT_FALSE(e3.isNull() || e5.isNull() || none.isNull());
    // E3 in green, E5 in blue; nothing at the centre without --points.
    EXPECT_EQ(e3.pixelColor(100, 101), QColor(0, 160, 0));
    EXPECT_EQ(e5.pixelColor(100, 101), QColor(0, 90, 220));
    EXPECT_EQ(none.pixelColor(100, 101), QColor(Qt::white));
    // Far from the point the pictures agree.
    EXPECT_EQ(e3.pixelColor(20, 20), none.pixelColor(20, 20));

    // In a vector figure a marker is a vector shape in its colour.
    ASSERT_EQ(Cli("render --out " + In("e3.svg") + " --size 201 --points 1 " + kE3).status, 0);
    EXPECT_NE(SlurpFile(dir / "e3.svg").find("#00a000"), std::string::npos);
    ASSERT_EQ(Cli("print --pdf " + In("e3.pdf") + " --points 1 " + kE3).status, 0);
    EXPECT_GT(fs::file_size(dir / "e3.pdf"), 0u);

    const CliRun r = Cli("render --out " + In("x.png") + " --points 6");
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(fs::exists(dir / "x.png"));
}

}  // namespace
