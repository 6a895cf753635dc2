#include "points/PointChains.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace velmora {

TPointBuckets::TPointBuckets(const Vector2& cell, double bucket) : cell_(cell), bucket_(bucket) {}

void TPointBuckets::BucketOf(const Vector2& p, long long& i, long long& j) const {
    i = static_cast<long long>(std::floor(p[0] / cell_[0] / bucket_));
    j = static_cast<long long>(std::floor(p[1] / cell_[1] / bucket_));
}

void TPointBuckets::Insert(std::size_t index, const Vector2& p) {
    long long i = 0, j = 0;
    BucketOf(p, i, j);
    buckets_[Key(i, j)].push_back(index);
}

std::vector<std::size_t> TPointBuckets::Near(const Vector2& p) const {
    long long i = 0, j = 0;
    BucketOf(p, i, j);
    std::vector<std::size_t> near;
    for (long long di = -1; di <= 1; ++di)
        for (long long dj = -1; dj <= 1; ++dj) {
            const auto found = buckets_.find(Key(i + di, j + dj));
            if (found != buckets_.end()) near.insert(near.end(), found->second.begin(), found->second.end());
        }
    return near;
}

double TPointBuckets::Distance(const Vector2& a, const Vector2& b) const {
    return std::hypot((a[0] - b[0]) / cell_[0], (a[1] - b[1]) / cell_[1]);
}

std::vector<std::size_t> DistinctPoints(const std::vector<Vector2>& points, const Vector2& cell, double tolerance) {
    TPointBuckets buckets(cell, tolerance);
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < points.size(); ++i) {
        bool duplicate = false;
        for (const std::size_t k : buckets.Near(points[i]))
            if (buckets.Distance(points[i], points[k]) <= tolerance) {
                duplicate = true;
                break;
            }
        if (duplicate) continue;
        buckets.Insert(i, points[i]);
        kept.push_back(i);
    }
    return kept;
}

std::vector<std::vector<std::size_t>> LinkedGroups(const std::vector<Vector2>& points, const Vector2& cell,
                                                   double link) {
    TPointBuckets buckets(cell, link);
    for (std::size_t i = 0; i < points.size(); ++i) buckets.Insert(i, points[i]);
    std::vector<int> group(points.size(), -1);
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t first = 0; first < points.size(); ++first) {
        if (group[first] >= 0) continue;
        const int g = static_cast<int>(groups.size());
        groups.emplace_back();
        std::vector<std::size_t> pending{first};
        group[first] = g;
        while (!pending.empty()) {
            const std::size_t i = pending.back();
            pending.pop_back();
            groups[g].push_back(i);
            for (const std::size_t k : buckets.Near(points[i]))
                if (group[k] < 0 && buckets.Distance(points[i], points[k]) <= link) {
                    group[k] = g;
                    pending.push_back(k);
                }
        }
        std::sort(groups[g].begin(), groups[g].end());
    }
    return groups;
}

namespace {

// One point (the mean) per square of `spacing` cells.
std::vector<Vector2> Thinned(const std::vector<Vector2>& points, const Vector2& cell, double spacing) {
    std::unordered_map<long long, std::pair<Vector2, int>> squares;
    std::vector<long long> order;
    for (const Vector2& p : points) {
        const long long i = static_cast<long long>(std::floor(p[0] / cell[0] / spacing));
        const long long j = static_cast<long long>(std::floor(p[1] / cell[1] / spacing));
        const long long key = i * 2147483647LL + j;
        auto [it, added] = squares.try_emplace(key, Vector2{0, 0}, 0);
        if (added) order.push_back(key);
        it->second.first[0] += p[0];
        it->second.first[1] += p[1];
        ++it->second.second;
    }
    std::vector<Vector2> thinned;
    thinned.reserve(order.size());
    for (const long long key : order) {
        const auto& [sum, n] = squares.at(key);
        thinned.push_back({sum[0] / n, sum[1] / n});
    }
    return thinned;
}

}  // namespace

std::vector<std::vector<Vector2>> ChainPolylines(const std::vector<Vector2>& points, const Vector2& cell,
                                                 double spacing, double link) {
    const std::vector<Vector2> pts = Thinned(points, cell, spacing);
    TPointBuckets buckets(cell, link);
    for (std::size_t i = 0; i < pts.size(); ++i) buckets.Insert(i, pts[i]);
    std::vector<bool> used(pts.size(), false);

    // The nearest unused point within `link` of p, or pts.size().
    const auto nearest = [&](const Vector2& p) {
        std::size_t best = pts.size();
        double bestDistance = std::numeric_limits<double>::infinity();
        for (const std::size_t k : buckets.Near(p)) {
            if (used[k]) continue;
            const double d = buckets.Distance(p, pts[k]);
            if (d <= link && d < bestDistance) {
                bestDistance = d;
                best = k;
            }
        }
        return best;
    };
    // Unused neighbours within `link`: an end of a curve has few.
    const auto neighbours = [&](std::size_t i) {
        int n = 0;
        for (const std::size_t k : buckets.Near(pts[i]))
            if (k != i && !used[k] && buckets.Distance(pts[i], pts[k]) <= link) ++n;
        return n;
    };

    std::vector<std::vector<Vector2>> lines;
    for (;;) {
        // Start at an unused point with the fewest unused neighbours.
        std::size_t start = pts.size();
        int fewest = std::numeric_limits<int>::max();
        for (std::size_t i = 0; i < pts.size(); ++i) {
            if (used[i]) continue;
            const int n = neighbours(i);
            if (n < fewest) {
                fewest = n;
                start = i;
            }
        }
        if (start == pts.size()) break;
        std::vector<Vector2> line{pts[start]};
        used[start] = true;
        for (int end = 0; end < 2; ++end) {
            for (;;) {
                const std::size_t next = nearest(line.back());
                if (next == pts.size()) break;
                used[next] = true;
                line.push_back(pts[next]);
            }
            std::reverse(line.begin(), line.end());
        }
        lines.push_back(std::move(line));
    }
    // Lines of one point only stand for themselves when nothing longer was made.
    const bool longer = std::any_of(lines.begin(), lines.end(), [](const auto& l) { return l.size() > 1; });
    if (longer) std::erase_if(lines, [](const auto& l) { return l.size() < 2; });
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
    return lines;
}

}  // namespace velmora
