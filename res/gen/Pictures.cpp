// What the icon and the glyph look like, shape by shape, back to front.
#include "res/gen/Pictures.h"

#include <math.h>

namespace vq::res {

namespace {

Rgba Hex(uint32_t rgb, double alpha = 1) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}

auto Solid(Rgba c) {
    return [c](Point) { return c; };
}

// Colour from `from` at y0 to `to` at y1.
auto VerticalGradient(Rgba from, Rgba to, double y0, double y1) {
    return [=](Point p) { return Mix(from, to, (p.y - y0) / (y1 - y0)); };
}

void Stroke(Canvas& c, Point a, Point b, double width, Rgba color) {
    c.Fill([=](Point p) { return SegmentDistance(p, a, b) <= width / 2; }, Solid(color));
}

}  // namespace

Canvas DrawIcon() {
    Canvas c(kIconSize, kIconSize, {0, 0, 0, 0});

    // Cabinet view: the front face square, the top and right faces pushed back up and right.
    const double l = 12, t = 40, r = 92, b = 120, depth = 26;
    const std::vector<Point> front{{l, t}, {r, t}, {r, b}, {l, b}};
    const std::vector<Point> top{{l, t}, {l + depth, t - depth}, {r + depth, t - depth}, {r, t}};
    const std::vector<Point> side{{r, t}, {r + depth, t - depth}, {r + depth, b - depth}, {r, b}};
    const std::vector<Point> outline{{l, t}, {l + depth, t - depth}, {r + depth, t - depth},
                                     {r + depth, b - depth}, {r, b}, {l, b}};

    // Soft shadow below and behind the cube.
    c.Glow([&](Point p) {
        const double d = PolygonDistance({p.x - 3, p.y - 5}, outline);
        const double fade = 1 - Clamp01(d / 7);  // gone 7 pixels out: the corners stay clear
        return 0.4 * fade * fade;
    }, Hex(0x000000));

    c.Fill([&](Point p) { return InsidePolygon(p, top); },
           VerticalGradient(Hex(0x566072), Hex(0x3b424e), t - depth, t));
    c.Fill([&](Point p) { return InsidePolygon(p, side); },
           VerticalGradient(Hex(0x1d2128), Hex(0x101216), t - depth, b));
    c.Fill([&](Point p) { return InsidePolygon(p, front); },
           VerticalGradient(Hex(0x2e343e), Hex(0x181b21), t, b));

    // The arrow, built along its own axis u (pointing up-left) and across it v.
    const double k = sqrt(0.5);
    const Point centre{(l + r) / 2, (t + b) / 2};
    const Point du{-k, -k}, dv{k, -k};
    auto at = [&](double u, double v) {
        return Point{centre.x + u * du.x + v * dv.x, centre.y + u * du.y + v * dv.y};
    };
    const std::vector<Point> arrow{at(-26, -6), at(2, -6), at(2, -17), at(26, 0),
                                   at(2, 17),   at(2, 6),  at(-26, 6)};

    // Glow on the face: a wide faint halo and a tight bright one, kept on the front face.
    c.Glow([&](Point p) {
        if (!InsidePolygon(p, front)) return 0.0;
        // Full strength under the arrow too, so its anti-aliased rim does not show the dark face.
        double d = PolygonDistance(p, arrow);
        d = d > 0 ? d : 0;
        return 0.22 / (1 + d * d / 300) + 0.8 / (1 + d * d / 12);
    }, Hex(0x2a8cff));
    c.Fill([&](Point p) { return InsidePolygon(p, arrow); }, [&](Point p) {
        return Mix(Hex(0x3aa2ff), Hex(0xe8f6ff), -PolygonDistance(p, arrow) / 5);
    });

    // Edges catch the light: bright along the top, faint down the front's right edge.
    Stroke(c, {l, t}, {r, t}, 1.4, Hex(0x8895aa, 0.9));
    Stroke(c, {l, t}, {l + depth, t - depth}, 1.2, Hex(0x7a869a, 0.8));
    Stroke(c, {r, t}, {r + depth, t - depth}, 1.2, Hex(0x7a869a, 0.8));
    Stroke(c, {l + depth, t - depth}, {r + depth, t - depth}, 1.0, Hex(0x6a7588, 0.6));
    Stroke(c, {r, t}, {r, b}, 1.0, Hex(0x4a5262, 0.7));
    return c;
}

Canvas DrawGlyph() {
    Canvas c(kGlyphSize, kGlyphSize, Hex(0xFFFFFF));

    const double l = 1, t = 1, r = 31, b = 31, radius = 6, rim = 1.5;
    c.Fill([&](Point p) { return RoundRectDistance(p, l, t, r, b, radius) <= 0; },
           Solid(Hex(0xd4d8de)));
    c.Fill([&](Point p) { return RoundRectDistance(p, l, t, r, b, radius) <= -rim; },
           VerticalGradient(Hex(0x34373d), Hex(0x131417), t, b));

    // A U-turn: a short tail from the right into a quarter-and-a-half arc through the left,
    // ending in a head that points up and to the right.
    const Point centre{19, 17};
    const double mid = 8, half = 2.2, k = sqrt(0.5);
    auto onArc = [&](Point p) {
        const double dx = p.x - centre.x, dy = p.y - centre.y;
        const double d = Length(dx, dy);
        return dx <= 0 && dy >= dx && d >= mid - half && d <= mid + half;
    };
    auto onTail = [&](Point p) {
        return p.x >= centre.x && p.x <= 23 && p.y >= centre.y + mid - half &&
               p.y <= centre.y + mid + half;
    };
    const Point end{centre.x - mid * k, centre.y - mid * k};
    const double headHalf = 5.2, headLength = 7;
    const std::vector<Point> head{{end.x + headHalf * k, end.y + headHalf * k},
                                  {end.x + headLength * k, end.y - headLength * k},
                                  {end.x - headHalf * k, end.y - headHalf * k}};
    c.Fill([&](Point p) { return onArc(p) || onTail(p) || InsidePolygon(p, head); },
           VerticalGradient(Hex(0xffc83d), Hex(0xf08a00), 6, 27));
    return c;
}

}  // namespace vq::res
