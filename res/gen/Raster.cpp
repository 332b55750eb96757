// The rasteriser behind the icon and the button picture.
#include "res/gen/Raster.h"

#include <math.h>

namespace vq::res {

namespace {
constexpr int kSamples = 8;  // per axis and pixel
}

double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

Rgba Mix(Rgba a, Rgba b, double t) {
    t = Clamp01(t);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

double Length(double x, double y) { return sqrt(x * x + y * y); }

double SegmentDistance(Point p, Point a, Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = Clamp01(t);
    return Length(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool InsidePolygon(Point p, const std::vector<Point>& poly) {
    bool inside = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const Point a = poly[i], b = poly[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) {
            inside = !inside;
        }
    }
    return inside;
}

double PolygonDistance(Point p, const std::vector<Point>& poly) {
    double d = 1e9;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const double s = SegmentDistance(p, poly[j], poly[i]);
        d = s < d ? s : d;
    }
    return InsidePolygon(p, poly) ? -d : d;
}

double RoundRectDistance(Point p, double left, double top, double right, double bottom, double radius) {
    const double cx = (left + right) / 2, cy = (top + bottom) / 2;
    const double hx = (right - left) / 2 - radius, hy = (bottom - top) / 2 - radius;
    const double qx = (p.x > cx ? p.x - cx : cx - p.x) - hx;
    const double qy = (p.y > cy ? p.y - cy : cy - p.y) - hy;
    const double ox = qx > 0 ? qx : 0, oy = qy > 0 ? qy : 0;
    const double in = qx > qy ? qx : qy;
    return Length(ox, oy) + (in < 0 ? in : 0) - radius;
}

Canvas::Canvas(int width, int height, Rgba fill)
    : width_(width), height_(height), pixels_(size_t(width) * height, fill) {}

void Canvas::Over(int x, int y, Rgba c, double coverage) {
    Rgba& d = pixels_[size_t(y) * width_ + x];
    const double a = Clamp01(c.a * coverage);
    const double outA = a + d.a * (1 - a);
    if (outA <= 0) {
        d = {0, 0, 0, 0};
        return;
    }
    d.r = (c.r * a + d.r * d.a * (1 - a)) / outA;
    d.g = (c.g * a + d.g * d.a * (1 - a)) / outA;
    d.b = (c.b * a + d.b * d.a * (1 - a)) / outA;
    d.a = outA;
}

void Canvas::Fill(const std::function<bool(Point)>& inside, const std::function<Rgba(Point)>& color) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Point s{x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples};
                    hits += inside(s) ? 1 : 0;
                }
            }
            if (hits > 0) {
                Over(x, y, color({x + 0.5, y + 0.5}), double(hits) / (kSamples * kSamples));
            }
        }
    }
}

void Canvas::Glow(const std::function<double(Point)>& amount, Rgba color) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const double k = Clamp01(amount({x + 0.5, y + 0.5}));
            if (k > 0) {
                Over(x, y, color, k);
            }
        }
    }
}

std::vector<uint8_t> Canvas::Bgra() const {
    std::vector<uint8_t> out;
    out.reserve(pixels_.size() * 4);
    auto byte = [](double v) { return uint8_t(Clamp01(v) * 255 + 0.5); };
    for (const Rgba& p : pixels_) {
        out.push_back(byte(p.b));
        out.push_back(byte(p.g));
        out.push_back(byte(p.r));
        out.push_back(byte(p.a));
    }
    return out;
}

}  // namespace vq::res
