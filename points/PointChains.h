// Geometry of finite point sets in the domain, measured in grid cells (a
// displacement (du, dv) is (du/cu, dv/cv) cells long): merging duplicates,
// grouping points that lie close together, and the polyline through a group
// that lies along a curve.
#pragma once

#include "platform/VelmoraTypes.h"

#include <cstddef>
#include <unordered_map>
#include <vector>

namespace velmora {

// Points in buckets of a square grid (in cells), for the neighbours of a point.
class TPointBuckets {
public:
    TPointBuckets(const Vector2& cell, double bucket);
    void Insert(std::size_t index, const Vector2& p);
    // The indices inserted in the buckets around p (within one bucket's side
    // of p's bucket): a superset of those within `bucket` cells of p.
    std::vector<std::size_t> Near(const Vector2& p) const;
    // Cells between two domain points.
    double Distance(const Vector2& a, const Vector2& b) const;

private:
    long long Key(long long i, long long j) const { return i * 2147483647LL + j; }
    void BucketOf(const Vector2& p, long long& i, long long& j) const;

    Vector2 cell_;
    double bucket_;
    std::unordered_map<long long, std::vector<std::size_t>> buckets_;
};

// The points with the duplicates left out: a point within `tolerance` cells
// of one kept before it is dropped. Order is kept.
std::vector<std::size_t> DistinctPoints(const std::vector<Vector2>& points, const Vector2& cell, double tolerance);

// The groups of points linked by chains of steps of at most `link` cells,
// each group in increasing index order, groups in order of their first point.
std::vector<std::vector<std::size_t>> LinkedGroups(const std::vector<Vector2>& points, const Vector2& cell,
                                                   double link);

// Polylines through points that lie along a curve: thinned to about one
// point per `spacing` cells, then joined from an end of the curve, each point
// to the nearest one not yet used within `link` cells; where that ends, the
// line is continued from its other end, and the points it could not reach
// start further lines. Lines of a single point are left out unless no line
// has more.
std::vector<std::vector<Vector2>> ChainPolylines(const std::vector<Vector2>& points, const Vector2& cell,
                                                 double spacing, double link);

}  // namespace velmora
