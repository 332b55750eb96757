// A tiny anti-aliased rasteriser for the program's pictures: shapes as inside-tests, 8x8 samples.
#pragma once

#include <stdint.h>

#include <functional>
#include <vector>

namespace vq::res {

struct Rgba {
    double r, g, b, a;  // 0..1, not premultiplied
};

struct Point {
    double x, y;
};

// Only + - * / and sqrt: results are the same bytes on every IEEE machine.
double Clamp01(double v);
Rgba Mix(Rgba a, Rgba b, double t);
double Length(double x, double y);
// Distance from p to the segment a-b.
double SegmentDistance(Point p, Point a, Point b);
// Even-odd inside test for a closed polygon.
bool InsidePolygon(Point p, const std::vector<Point>& poly);
// Signed distance to a closed polygon's outline: negative inside.
double PolygonDistance(Point p, const std::vector<Point>& poly);
// Signed distance to an axis-aligned rectangle with rounded corners: negative inside.
double RoundRectDistance(Point p, double left, double top, double right, double bottom, double radius);

class Canvas {
public:
    Canvas(int width, int height, Rgba fill);
    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgba At(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }

    // Paints `color(p)` wherever `inside(p)` holds, weighted by the share of covered samples.
    void Fill(const std::function<bool(Point)>& inside, const std::function<Rgba(Point)>& color);
    // Paints `color` with opacity `amount(pixel centre)`: soft effects (glow, shadow).
    void Glow(const std::function<double(Point)>& amount, Rgba color);

    // Rows top-down, bytes B, G, R, A.
    std::vector<uint8_t> Bgra() const;

private:
    void Over(int x, int y, Rgba c, double coverage);
    int width_, height_;
    std::vector<Rgba> pixels_;
};

}  // namespace vq::res
