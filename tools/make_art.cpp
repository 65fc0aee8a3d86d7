// Draws the player's pictures and writes them as the committed asset files.
//
//   make_art [--out DIR] [--preview DIR]
//
// DIR defaults to "assets"; the pictures the player shows are also drawn for
// other display scales, into DIR/s<percent>/. --preview also writes enlarged
// PNG copies (alpha shown over a checkerboard) for looking at the artwork.
// The output is the same byte for byte on every run: all noise comes from a
// fixed integer hash.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------- canvas ----

struct RGBA {
    float r = 0, g = 0, b = 0, a = 0;  // straight alpha, 0..1
};

RGBA Rgb(int r, int g, int b, float a = 1.0f) { return RGBA{r / 255.0f, g / 255.0f, b / 255.0f, a}; }

RGBA Mix(RGBA p, RGBA q, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return RGBA{p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t, p.a + (q.a - p.a) * t};
}

// Premultiplied pixels, composed with "over". Pictures are drawn in design
// units (the pixels of the 100 % picture); a canvas for another scale has
// k device pixels per unit and round(size * k) pixels.
struct Canvas {
    int w, h;    // device pixels
    int dw, dh;  // design units
    float k;
    std::vector<RGBA> p;
    Canvas(int width, int height, float scale = 1)
        : w(int(std::lround(width * scale))), h(int(std::lround(height * scale))), dw(width), dh(height), k(scale),
          p(size_t(w) * h) {}
    RGBA& at(int x, int y) { return p[size_t(y) * w + x]; }
    const RGBA& at(int x, int y) const { return p[size_t(y) * w + x]; }
    void over(int x, int y, RGBA pm) {
        RGBA& d = at(x, y);
        const float k = 1.0f - pm.a;
        d = RGBA{pm.r + d.r * k, pm.g + d.g * k, pm.b + d.b * k, pm.a + d.a * k};
    }
    // Straight-alpha 8-bit value of a channel.
    uint8_t byte(int x, int y, int channel) {
        const RGBA& c = at(x, y);
        if (channel == 3) return uint8_t(std::lround(std::clamp(c.a, 0.0f, 1.0f) * 255.0f));
        if (c.a <= 0.0f || std::lround(c.a * 255.0f) == 0) return 0;
        const float v = (channel == 0 ? c.r : channel == 1 ? c.g : c.b) / c.a;
        return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
    }
};

using Shape = std::function<bool(float, float)>;
using Paint = std::function<RGBA(float, float)>;

struct Box {
    float x0, y0, x1, y1;
};

// Area-sampled fill: ss x ss samples per device pixel, shape and paint
// evaluated in design units at each sample; the box is in design units.
void Fill(Canvas& c, const Shape& inside, const Paint& paint, Box box = {-1e9f, -1e9f, 1e9f, 1e9f}, int ss = 8) {
    // Clamped before the conversion: the unbounded box times k is past int.
    auto device = [&c](float v, int size) { return std::clamp(v * c.k, 0.0f, float(size)); };
    const int x0 = int(std::floor(device(box.x0, c.w))), y0 = int(std::floor(device(box.y0, c.h)));
    const int x1 = int(std::ceil(device(box.x1, c.w))), y1 = int(std::ceil(device(box.y1, c.h)));
    const float k = c.k;
    const float n = float(ss * ss);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            RGBA acc;
            for (int j = 0; j < ss; ++j)
                for (int i = 0; i < ss; ++i) {
                    const float sx = (x + (i + 0.5f) / ss) / k, sy = (y + (j + 0.5f) / ss) / k;
                    if (!inside(sx, sy)) continue;
                    const RGBA s = paint(sx, sy);
                    acc.r += s.r * s.a, acc.g += s.g * s.a, acc.b += s.b * s.a, acc.a += s.a;
                }
            if (acc.a > 0) c.over(x, y, RGBA{acc.r / n, acc.g / n, acc.b / n, acc.a / n});
        }
}

// A texture by design pixel: (col, row) picks its noise, (x, y) is the
// position in design units with pixel centres on whole numbers.
using Texture = std::function<RGBA(float x, float y, int col, int row)>;

// Covers the device rows from firstRow on. At 100 % one sample per pixel, as
// the texture has always been drawn; at other scales 4 x 4 samples per pixel,
// so noise keeps its grain in design units and a row step is not lost.
void Shade(Canvas& c, const Texture& t, int firstRow = 0) {
    const int n = 4;
    for (int y = firstRow; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x) {
            if (c.k == 1) {
                c.at(x, y) = t(float(x), float(y), x, y);
                continue;
            }
            RGBA acc;
            for (int j = 0; j < n; ++j)
                for (int i = 0; i < n; ++i) {
                    const float xd = (x + (i + 0.5f) / n) / c.k, yd = (y + (j + 0.5f) / n) / c.k;
                    const int col = std::clamp(int(xd), 0, c.dw - 1), row = std::clamp(int(yd), 0, c.dh - 1);
                    const RGBA s = t(xd - 0.5f, yd - 0.5f, col, row);
                    acc.r += s.r * s.a, acc.g += s.g * s.a, acc.b += s.b * s.a, acc.a += s.a;
                }
            const float m = float(n * n);
            c.at(x, y) = RGBA{acc.r / m, acc.g / m, acc.b / m, acc.a / m};
        }
}

Paint Solid(RGBA c) {
    return [c](float, float) { return c; };
}

Paint VerticalGradient(float ya, RGBA a, float yb, RGBA b) {
    return [=](float, float y) { return Mix(a, b, (y - ya) / (yb - ya)); };
}

// ---------------------------------------------------------------- shapes ----

struct P {
    float x, y;
};

Shape Circle(float cx, float cy, float r) {
    return [=](float x, float y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}

Shape Ellipse(float cx, float cy, float rx, float ry, float angleDeg = 0) {
    const float ca = std::cos(angleDeg * float(M_PI) / 180), sa = std::sin(angleDeg * float(M_PI) / 180);
    return [=](float x, float y) {
        const float dx = x - cx, dy = y - cy;
        const float u = dx * ca + dy * sa, v = -dx * sa + dy * ca;
        return (u * u) / (rx * rx) + (v * v) / (ry * ry) <= 1.0f;
    };
}

Shape RoundRect(float x0, float y0, float x1, float y1, float r) {
    return [=](float x, float y) {
        if (x < x0 || x > x1 || y < y0 || y > y1) return false;
        const float cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
    };
}

Shape Rect(float x0, float y0, float x1, float y1) {
    return [=](float x, float y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; };
}

Shape Polygon(std::vector<P> pts) {
    return [pts](float x, float y) {
        bool in = false;
        for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            const P a = pts[i], b = pts[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
        }
        return in;
    };
}

float SegmentDistance2(P p, P a, P b) {
    const float vx = b.x - a.x, vy = b.y - a.y;
    const float len2 = vx * vx + vy * vy;
    float t = len2 > 0 ? ((p.x - a.x) * vx + (p.y - a.y) * vy) / len2 : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    const float dx = p.x - (a.x + t * vx), dy = p.y - (a.y + t * vy);
    return dx * dx + dy * dy;
}

using Polyline = std::vector<P>;

// Round-capped strokes along polylines (a single point makes a dot).
Shape Strokes(std::vector<Polyline> lines, float width) {
    const float r2 = width * width / 4;
    return [lines, r2](float x, float y) {
        const P p{x, y};
        for (const Polyline& l : lines) {
            if (l.size() == 1 && SegmentDistance2(p, l[0], l[0]) <= r2) return true;
            for (size_t i = 1; i < l.size(); ++i)
                if (SegmentDistance2(p, l[i - 1], l[i]) <= r2) return true;
        }
        return false;
    };
}

// Points on an elliptic arc, angles in degrees, counter-clockwise on screen
// (y grows downward, so positive angles go up).
Polyline Arc(float cx, float cy, float rx, float ry, float a0, float a1, int steps = 24) {
    Polyline out;
    for (int i = 0; i <= steps; ++i) {
        const float a = (a0 + (a1 - a0) * i / steps) * float(M_PI) / 180;
        out.push_back({cx + rx * std::cos(a), cy - ry * std::sin(a)});
    }
    return out;
}

Shape Union(Shape a, Shape b) {
    return [=](float x, float y) { return a(x, y) || b(x, y); };
}
Shape Minus(Shape a, Shape b) {
    return [=](float x, float y) { return a(x, y) && !b(x, y); };
}
Shape Intersect(Shape a, Shape b) {
    return [=](float x, float y) { return a(x, y) && b(x, y); };
}

// ---------------------------------------------------------------- noise -----

uint32_t Hash(uint32_t a, uint32_t b, uint32_t seed) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ seed * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

float Noise(int a, int b, uint32_t seed) { return (Hash(uint32_t(a), uint32_t(b), seed) & 0xFFFFFF) / float(0xFFFFFF); }

// Value noise along x, smooth over `period` pixels, one independent line per row.
float LineNoise(float x, int row, float period, uint32_t seed) {
    const float u = x / period;
    const int i = int(std::floor(u));
    const float f = u - i, s = f * f * (3 - 2 * f);
    return Noise(i, row, seed) * (1 - s) + Noise(i + 1, row, seed) * s;
}

// Brushed metal: a vertical light gradient with fine horizontal streaks, one
// streak per design row.
RGBA BrushedMetal(float x, float y, int row, int h, float top, float bottom, uint32_t seed) {
    const float t = h > 1 ? y / (h - 1) : 0.0f;
    float v = top + (bottom - top) * t;
    v += (Noise(0, row, seed) - 0.5f) * 0.035f;
    v += (LineNoise(x, row, 7.0f, seed + 1) - 0.5f) * 0.05f;
    v += (LineNoise(x, row, 2.0f, seed + 2) - 0.5f) * 0.02f;
    return RGBA{v * 0.985f, v * 0.99f, std::min(1.0f, v * 1.02f), 1.0f};
}

Canvas MetalCanvas(int w, int h, float top, float bottom, uint32_t seed, float k) {
    Canvas c(w, h, k);
    Shade(c, [=](float x, float y, int, int row) { return BrushedMetal(x, y, row, h, top, bottom, seed); });
    return c;
}

// ---------------------------------------------------------------- lettering -

// Stroke glyphs in font units: x to the right, y up from the baseline,
// capital height 1, x-height 0.68.
struct Glyph {
    std::vector<Polyline> strokes;
    float advance;
};

constexpr float kX = 0.68f;  // x-height

Glyph GlyphFor(char ch) {
    switch (ch) {
    case 'V':
        return {{{{0.0f, 1.0f}, {0.36f, 0.0f}, {0.72f, 1.0f}}}, 0.78f};
    case 'I':
        return {{{{0.0f, 0.0f}, {0.0f, 1.0f}}}, 0.3f};
    case 'R': {
        Polyline bowl{{0.0f, 1.0f}, {0.36f, 1.0f}};
        for (P p : Arc(0.36f, 0.0f, 0.26f, 0.25f, 90, -90, 14)) bowl.push_back({p.x, 0.75f - p.y});
        bowl.push_back({0.0f, 0.5f});
        return {{{{0.0f, 0.0f}, {0.0f, 1.0f}}, bowl, {{0.32f, 0.5f}, {0.64f, 0.0f}}}, 0.74f};
    }
    case 'E':
        return {{{{0.56f, 1.0f}, {0.0f, 1.0f}, {0.0f, 0.0f}, {0.56f, 0.0f}}, {{0.0f, 0.52f}, {0.46f, 0.52f}}},
                0.66f};
    case 'O': {
        Polyline o;
        for (P p : Arc(0.42f, 0.0f, 0.42f, 0.5f, 0, 360, 40)) o.push_back({p.x, 0.5f - p.y});
        return {{o}, 0.84f};
    }
    case 'U': {
        Polyline u{{0.0f, 1.0f}};
        for (P p : Arc(0.31f, 0.31f, 0.31f, 0.31f, 180, 360, 16)) u.push_back({p.x, 0.62f - p.y});
        u.push_back({0.62f, 1.0f});
        return {{u}, 0.74f};
    }
    case 'i':
        return {{{{0.0f, 0.0f}, {0.0f, kX}}, {{0.0f, 0.93f}}}, 0.24f};
    case 'r': {
        Polyline arc;
        for (P p : Arc(0.34f, 0.0f, 0.34f, 0.26f, 180, 70, 10)) arc.push_back({p.x, 0.42f - p.y});
        return {{{{0.0f, 0.0f}, {0.0f, kX}}, arc}, 0.44f};
    }
    case 'e': {
        const float rx = 0.29f, ry = kX / 2;
        Polyline e{{0.0f, ry}, {2 * rx, ry}};
        for (P p : Arc(rx, 0.0f, rx, ry, 0, 310, 28)) e.push_back({p.x, ry - p.y});
        return {{e}, 0.7f};
    }
    case 'o': {
        Polyline o;
        for (P p : Arc(0.3f, 0.0f, 0.3f, kX / 2, 0, 360, 32)) o.push_back({p.x, kX / 2 - p.y});
        return {{o}, 0.72f};
    }
    case 's': {
        const float rx = 0.24f, ry = kX / 4;
        Polyline s;
        for (P p : Arc(rx, 0.0f, rx, ry, 35, 270, 16)) s.push_back({p.x, 3 * ry - p.y});
        for (P p : Arc(rx, 0.0f, rx, ry, 90, -145, 16)) s.push_back({p.x, ry - p.y});
        return {{s}, 0.6f};
    }
    case 'w':
        return {{{{0.0f, kX}, {0.2f, 0.0f}, {0.4f, kX * 0.8f}, {0.6f, 0.0f}, {0.8f, kX}}}, 0.9f};
    default:
        return {{}, 0.5f};
    }
}

struct TextStyle {
    float capHeight;     // pixels
    float xScale = 1;    // horizontal stretch
    float slant = 0;     // x shift per unit of height (italics)
    float tracking = 0;  // extra pixels between letters
    float stroke = 1;    // pixels
};

// Returns the strokes of a text in canvas coordinates, and its width.
std::vector<Polyline> LayOut(const std::string& text, float x, float baseline, const TextStyle& st, float* width) {
    std::vector<Polyline> out;
    float pen = x;
    for (size_t i = 0; i < text.size(); ++i) {
        const Glyph g = GlyphFor(text[i]);
        for (const Polyline& l : g.strokes) {
            Polyline m;
            for (P p : l)
                m.push_back({pen + (p.x * st.xScale + p.y * st.slant) * st.capHeight, baseline - p.y * st.capHeight});
            out.push_back(m);
        }
        pen += g.advance * st.xScale * st.capHeight + (i + 1 < text.size() ? st.tracking : 0.0f);
    }
    if (width) *width = pen - x;
    return out;
}

// ---------------------------------------------------------------- writers ---

void Put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

void InfoHeader(std::vector<uint8_t>& v, int w, int h, int bits, uint32_t imageSize) {
    Put32(v, 40);
    Put32(v, uint32_t(w));
    Put32(v, uint32_t(h));
    Put16(v, 1);
    Put16(v, uint16_t(bits));
    Put32(v, 0);  // BI_RGB
    Put32(v, imageSize);
    Put32(v, 0);
    Put32(v, 0);
    Put32(v, 0);
    Put32(v, 0);
}

// 24-bit uncompressed, bottom-up; the canvas is composed over black (it is
// opaque everywhere for these pictures).
std::vector<uint8_t> EncodeBmp(Canvas& c) {
    const uint32_t stride = (uint32_t(c.w) * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * c.h;
    std::vector<uint8_t> v;
    v.push_back('B');
    v.push_back('M');
    Put32(v, 54 + imageSize);
    Put32(v, 0);
    Put32(v, 54);
    InfoHeader(v, c.w, c.h, 24, imageSize);
    for (int y = c.h - 1; y >= 0; --y) {
        const size_t start = v.size();
        for (int x = 0; x < c.w; ++x)
            for (int ch = 2; ch >= 0; --ch) v.push_back(c.byte(x, y, ch));
        while (v.size() - start < stride) v.push_back(0);
    }
    return v;
}

// 8-bit RGB (channels 3) or RGBA (channels 4) PNG of top-down rows.
std::vector<uint8_t> EncodePng(int w, int h, const std::vector<uint8_t>& pixels, int channels, bool interlaced) {
    std::vector<uint8_t> out;
    // Built before setjmp: a long jump must not skip a destructor.
    std::vector<png_bytep> rows(static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) rows[size_t(y)] = const_cast<uint8_t*>(pixels.data()) + size_t(y) * w * channels;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, size_t length) {
            auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            v->insert(v->end(), data, data + length);
        },
        nullptr);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8,
                 channels == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_interlace_handling(png);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// Straight-alpha bytes of the canvas, top-down, 3 or 4 channels.
std::vector<uint8_t> Pixels(Canvas& c, int channels) {
    std::vector<uint8_t> v;
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x)
            for (int ch = 0; ch < channels; ++ch) v.push_back(c.byte(x, y, ch));
    return v;
}

bool WritePng(const std::string& path, Canvas& c, int channels, bool interlaced) {
    const std::vector<uint8_t> png = EncodePng(c.w, c.h, Pixels(c, channels), channels, interlaced);
    return !png.empty() && WriteFile(path, png);
}

// One 32-bit icon image: header, colours and the AND mask (set where alpha is 0).
std::vector<uint8_t> IconImage(Canvas& c) {
    const uint32_t maskStride = ((uint32_t(c.w) + 31) / 32) * 4;
    std::vector<uint8_t> v;
    InfoHeader(v, c.w, c.h * 2, 32, uint32_t(c.w) * c.h * 4 + maskStride * c.h);
    for (int y = c.h - 1; y >= 0; --y)
        for (int x = 0; x < c.w; ++x)
            for (int ch : {2, 1, 0, 3}) v.push_back(c.byte(x, y, ch));
    for (int y = c.h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int x = 0; x < c.w; ++x)
            if (c.byte(x, y, 3) == 0) row[x / 8] |= uint8_t(0x80 >> (x % 8));
        v.insert(v.end(), row.begin(), row.end());
    }
    return v;
}

// An icon file of the given images, smallest first; a 256-pixel image is
// stored as PNG, which keeps the file small.
std::vector<uint8_t> EncodeIco(std::vector<Canvas>& images, int pngFrom = 256) {
    std::vector<std::vector<uint8_t>> data;
    for (Canvas& c : images)
        data.push_back(c.w >= pngFrom ? EncodePng(c.w, c.h, Pixels(c, 4), 4, false) : IconImage(c));
    std::vector<uint8_t> v;
    Put16(v, 0);
    Put16(v, 1);
    Put16(v, uint16_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        v.push_back(uint8_t(images[i].w));  // 256 is written as 0
        v.push_back(uint8_t(images[i].h));
        v.push_back(0);
        v.push_back(0);
        Put16(v, 1);
        Put16(v, 32);
        Put32(v, uint32_t(data[i].size()));
        Put32(v, offset);
        offset += uint32_t(data[i].size());
    }
    for (const auto& d : data) v.insert(v.end(), d.begin(), d.end());
    return v;
}

// An enlarged, opaque copy: alpha shown over a grey checkerboard.
bool WritePreview(const std::string& path, Canvas& c, int scale) {
    const int w = c.w * scale, h = c.h * scale;
    std::vector<uint8_t> v(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int sx = x / scale, sy = y / scale;
            const float bg = ((x / 8 + y / 8) % 2) ? 0.55f : 0.8f;
            const RGBA& p = c.at(sx, sy);
            uint8_t* d = &v[(size_t(y) * w + x) * 4];
            const float k = 1 - p.a;
            d[0] = uint8_t(std::lround(std::clamp(p.r + bg * k, 0.0f, 1.0f) * 255));
            d[1] = uint8_t(std::lround(std::clamp(p.g + bg * k, 0.0f, 1.0f) * 255));
            d[2] = uint8_t(std::lround(std::clamp(p.b + bg * k, 0.0f, 1.0f) * 255));
            d[3] = 255;
        }
    return WriteFile(path, EncodePng(w, h, v, 4, false));
}

// ---------------------------------------------------------------- pictures --

// Shaded sphere: a lit base colour, darker toward the rim, a soft reflected
// light at the bottom and a specular highlight at the top.
void DrawGlossyBall(Canvas& c, float cx, float cy, float r, RGBA base, RGBA dark, RGBA light, float shine = 0.92f) {
    auto body = [=](float x, float y) {
        const float dx = (x - cx) / r, dy = (y - cy) / r;
        const float d = std::sqrt(dx * dx + dy * dy);
        // Light from the upper left.
        const float lx = -0.45f, ly = -0.6f;
        const float nz = std::sqrt(std::max(0.0f, 1 - d * d));
        const float lambert = std::max(0.0f, dx * lx + dy * ly + nz * 0.66f);
        RGBA col = Mix(dark, base, 0.25f + 0.85f * lambert);
        // Bounce light near the bottom edge.
        const float bounce = std::max(0.0f, dy - 0.25f) * std::max(0.0f, 1 - std::abs(dx) * 1.3f);
        col = Mix(col, light, bounce * 0.9f);
        // Darker rim.
        col = Mix(col, dark, std::pow(std::max(0.0f, d - 0.72f) / 0.28f, 2.0f) * 0.75f);
        return col;
    };
    Fill(c, Circle(cx, cy, r), body, {cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1}, 16);
    // Specular highlight: a white ellipse fading downward.
    const float hy0 = cy - r * 0.86f, hy1 = cy - r * 0.05f;
    Fill(c, Ellipse(cx, cy - r * 0.45f, r * 0.62f, r * 0.42f),
         [=](float, float y) {
             const float t = (y - hy0) / (hy1 - hy0);
             return RGBA{1, 1, 1, std::clamp(shine * (1 - 1.03f * t), 0.0f, 1.0f)};
         },
         {cx - r, cy - r, cx + r, cy}, 16);
}

Canvas Ball(RGBA base, RGBA dark, RGBA light, float k = 1) {
    Canvas c(16, 16, k);
    DrawGlossyBall(c, 8.0f, 8.0f, 7.55f, base, dark, light);
    return c;
}

// The strip behind the controls. Rows 0-7 are transparent; 8-69 opaque.
// The row picks the part of the band, y shades within it.
RGBA BandColour(float x, float y, int col, int row) {
    // Bevels: exact colours, no texture.
    auto bevel = [](int i) { return Mix(Rgb(241, 241, 244), Rgb(178, 178, 194), i / 4.0f); };
    if (row >= 8 && row <= 12) return bevel(row - 8);
    if (row >= 65 && row <= 69) return bevel(row - 65);
    float v;
    if (row <= 15) v = 0.93f + (y - 13) * 0.035f;  // rising out of the bevel's crease
    else if (row <= 22) v = 1.0f;
    else if (row <= 55) v = 1.0f - (y - 22) / 33.0f * (1.0f - 135 / 255.0f);
    else v = 135 / 255.0f - (y - 55) * 0.006f;
    // Faint horizontal brushing, kept below one grey level of average shift.
    v += (LineNoise(x, row, 9.0f, 77) - 0.5f) * 0.018f + (Noise(col, row, 78) - 0.5f) * 0.008f;
    v = std::clamp(v, 0.0f, 1.0f);
    return RGBA{v, v, std::min(1.0f, v * 1.012f), 1};
}

void DrawProductName(Canvas& c, float x0, float x1, float baseline, float capHeight) {
    TextStyle st;
    st.capHeight = capHeight;
    st.xScale = 1.15f;
    st.slant = 0.2f;
    st.stroke = 1.3f;
    // Spaced capitals across the given span.
    float width = 0;
    LayOut("VIREO", 0, 0, st, &width);
    st.tracking = ((x1 - x0) - width) / 4;
    const auto lines = LayOut("VIREO", x0, baseline, st, nullptr);
    // Engraved: a light edge one pixel below, then the grey letters.
    std::vector<Polyline> shadow = lines;
    for (auto& l : shadow)
        for (auto& p : l) p.y += 0.8f, p.x += 0.3f;
    const Box box{x0 - 2, baseline - capHeight - 2, x1 + 4, baseline + 2};
    Fill(c, Strokes(shadow, st.stroke), Solid(Rgb(228, 228, 232, 0.6f)), box);
    Fill(c, Strokes(lines, st.stroke), Solid(Rgb(78, 78, 86)), box);
}

// At any scale the band starts on a whole row (8 k is whole for every drawn
// scale), and no row is partly transparent: the window relies on that.
Canvas Backdrop(float k = 1) {
    Canvas c(795, 70, k);
    Shade(c, BandColour, int(std::lround(8 * k)));
    DrawProductName(c, 689.5f, 789.5f, 61.6f, 9.0f);
    return c;
}

Canvas PlainBackdrop() {
    // The band without its transparent top rows (one more row of the top bevel).
    Canvas c(795, 63);
    for (int y = 0; y < 63; ++y) {
        const int row = std::max(8, y + 7);
        for (int x = 0; x < 795; ++x) c.at(x, y) = BandColour(float(x), float(row), x, row);
    }
    DrawProductName(c, 689.5f, 789.5f, 54.6f, 9.0f);
    return c;
}

const RGBA kInk = Rgb(12, 12, 14);

Canvas Folder(float k = 1) {
    Canvas c = MetalCanvas(37, 23, 0.88f, 0.74f, 11, k);
    const Canvas metal = c;
    // Back of the folder with its tab.
    Fill(c, Polygon({{8, 18}, {8, 6.2f}, {9, 5.2f}, {14.2f, 5.2f}, {16, 7}, {27.2f, 7}, {28, 7.8f}, {28, 11}, {27, 18}}),
         Solid(kInk));
    // The open front flap, separated from the back by a sliver of metal.
    std::vector<P> flap{{11.2f, 10.6f}, {31.5f, 10.6f}, {27, 18.2f}, {7.2f, 18.2f}};
    Fill(c, Strokes({{flap[0], flap[1]}, {flap[0], flap[3]}}, 1.6f), [&metal](float x, float y) {
        return metal.at(std::min(int(x * metal.k), metal.w - 1), std::min(int(y * metal.k), metal.h - 1));
    });
    Fill(c, Polygon(flap), Solid(kInk));
    return c;
}

Canvas PauseBars(bool red, float k = 1) {
    Canvas c = MetalCanvas(42, 14, 0.88f, 0.74f, red ? 31 : 21, k);
    for (float x0 : {16.5f, 22.5f}) {
        const Box box{x0 - 1, 1, x0 + 5, 13};
        if (!red) {
            Fill(c, RoundRect(x0, 2.5f, x0 + 3.2f, 11.5f, 0.5f), Solid(kInk), box);
        } else {
            Fill(c, RoundRect(x0 - 0.3f, 2.2f, x0 + 3.5f, 11.8f, 0.6f), Solid(kInk), box);
            Fill(c, Rect(x0 + 0.75f, 3.25f, x0 + 2.45f, 10.75f),
                 VerticalGradient(3, Rgb(245, 60, 50), 11, Rgb(190, 15, 15)), box);
        }
    }
    return c;
}

Canvas Play(float k = 1) {
    Canvas c = MetalCanvas(42, 15, 0.88f, 0.74f, 41, k);
    Fill(c, Polygon({{17.0f, 2.5f}, {26.0f, 7.5f}, {17.0f, 12.5f}}), Solid(kInk));
    return c;
}

Canvas Stop(float k = 1) {
    Canvas c = MetalCanvas(42, 15, 0.88f, 0.74f, 51, k);
    Fill(c, RoundRect(16.5f, 3.0f, 25.5f, 12.0f, 0.6f), Solid(kInk));
    return c;
}

Canvas User(float k = 1) {
    Canvas c = MetalCanvas(36, 27, 0.95f, 0.84f, 61, k);
    // Headphones: band, yokes and cups.
    const float cx = 18, cy = 12.2f;
    Fill(c, Strokes({Arc(cx, cy, 8.2f, 8.0f, 180, 0, 32)}, 1.9f), Solid(kInk));
    Fill(c, RoundRect(6.2f, 9.6f, 10.6f, 17.0f, 1.6f), Solid(kInk));
    Fill(c, RoundRect(25.4f, 9.6f, 29.8f, 17.0f, 1.6f), Solid(kInk));
    // Ear pads: a lighter inner edge suggesting the cushion.
    Fill(c, Strokes({{{10.2f, 10.8f}, {10.2f, 15.8f}}, {{25.8f, 10.8f}, {25.8f, 15.8f}}}, 0.7f),
         Solid(Rgb(95, 95, 100)));
    // The word, centred.
    TextStyle st;
    st.capHeight = 6.2f;
    st.xScale = 1.05f;
    st.tracking = 0.9f;
    st.stroke = 1.25f;
    float width = 0;
    LayOut("User", 0, 0, st, &width);
    const auto lines = LayOut("User", 18 - width / 2 - 0.2f, 24.6f, st, nullptr);
    Fill(c, Strokes(lines, st.stroke), Solid(Rgb(205, 18, 22)));
    return c;
}

Canvas WebBadge() {
    Canvas c = MetalCanvas(47, 22, 0.9f, 0.76f, 71, 1);
    const Shape badge = RoundRect(3.5f, 3.5f, 43.5f, 18.5f, 6.5f);
    Fill(c, RoundRect(3, 3.6f, 44, 19.4f, 7), Solid(Rgb(0, 0, 0, 0.35f)));  // soft shadow
    Fill(c, badge, VerticalGradient(3.5f, Rgb(80, 150, 230), 18.5f, Rgb(18, 62, 150)));
    Fill(c, Intersect(badge, RoundRect(5, 4.3f, 42, 11, 5.5f)), VerticalGradient(4, Rgb(255, 255, 255, 0.55f), 11, Rgb(255, 255, 255, 0.08f)));
    TextStyle st;
    st.capHeight = 11;
    st.xScale = 0.95f;
    st.tracking = 0.4f;
    st.stroke = 1.5f;
    float width = 0;
    LayOut("www", 0, 0, st, &width);
    Fill(c, Strokes(LayOut("www", 23.5f - width / 2, 15.3f, st, nullptr), st.stroke), Solid(Rgb(255, 255, 255)));
    return c;
}

// A glossy disc for the round icons.
void IconDisc(Canvas& c, RGBA base, RGBA dark, RGBA light) { DrawGlossyBall(c, 8, 8, 7.5f, base, dark, light); }

Canvas Power() {
    Canvas c(16, 16);
    IconDisc(c, Rgb(235, 45, 35), Rgb(120, 8, 8), Rgb(255, 140, 110));
    const RGBA white = Rgb(255, 255, 255);
    Fill(c, Strokes({Arc(8, 8.6f, 3.9f, 3.9f, 55, -235, 28)}, 1.45f), Solid(white));
    Fill(c, Strokes({{{8, 3.4f}, {8, 7.8f}}}, 1.45f), Solid(white));
    return c;
}

Canvas Help() {
    Canvas c(16, 16);
    IconDisc(c, Rgb(50, 120, 225), Rgb(10, 40, 120), Rgb(130, 200, 255));
    Polyline q = Arc(8, 6.2f, 2.6f, 2.3f, 160, -60, 20);
    q.push_back({8, 9.4f});
    Fill(c, Strokes({q, {{8, 12.3f}}}, 1.6f), Solid(Rgb(255, 255, 255)));
    return c;
}

Canvas Info() {
    Canvas c(16, 16);
    IconDisc(c, Rgb(50, 120, 225), Rgb(10, 40, 120), Rgb(130, 200, 255));
    const RGBA white = Rgb(255, 255, 255);
    Fill(c, Circle(8, 4.4f, 1.15f), Solid(white));
    Fill(c, Strokes({{{6.6f, 7.0f}, {8, 7.0f}, {8, 11.8f}}, {{6.5f, 11.8f}, {9.6f, 11.8f}}}, 1.5f), Solid(white));
    return c;
}

void GlobeLines(Canvas& c, float cx, float cy, float r, RGBA line, float width) {
    std::vector<Polyline> lines{Arc(cx, cy, r, r, 0, 360, 40),    Arc(cx, cy, r * 0.45f, r, 0, 360, 40),
                                {{cx, cy - r}, {cx, cy + r}},     {{cx - r, cy}, {cx + r, cy}},
                                Arc(cx, cy + r * 1.6f, r * 1.25f, r * 1.1f, 60, 120, 12),
                                Arc(cx, cy - r * 1.6f, r * 1.25f, r * 1.1f, 240, 300, 12)};
    Fill(c, Intersect(Strokes(lines, width), Circle(cx, cy, r + width)), Solid(line));
}

Canvas Globe() {
    Canvas c(16, 16);
    DrawGlossyBall(c, 7.3f, 7.3f, 6.6f, Rgb(60, 140, 230), Rgb(12, 50, 130), Rgb(140, 210, 255));
    // Land in green, then the grid.
    const Shape sphere = Circle(7.3f, 7.3f, 6.6f);
    Fill(c, Intersect(sphere, Union(Ellipse(5.0f, 5.2f, 2.6f, 1.9f, -30), Ellipse(8.8f, 9.6f, 1.8f, 2.6f, 20))),
         Solid(Rgb(70, 170, 70, 0.85f)));
    GlobeLines(c, 7.3f, 7.3f, 6.6f, Rgb(225, 240, 255, 0.55f), 0.6f);
    // The tick, with a dark outline so it reads over the globe.
    const Polyline tick{{9.0f, 11.6f}, {11.2f, 13.8f}, {15.0f, 8.6f}};
    Fill(c, Strokes({tick}, 3.2f), Solid(Rgb(10, 60, 10)));
    Fill(c, Strokes({tick}, 1.8f), Solid(Rgb(60, 210, 60)));
    return c;
}

Canvas WebEmblem(float k = 1) {
    Canvas c(16, 16, k);
    DrawGlossyBall(c, 8, 8, 7.5f, Rgb(82, 84, 92), Rgb(26, 26, 30), Rgb(110, 112, 120), 0.38f);
    // A plain globe: rim, one meridian, the equator.
    const RGBA light = Rgb(232, 236, 244);
    std::vector<Polyline> lines{Arc(8, 8, 4.6f, 4.6f, 0, 360, 40), Arc(8, 8, 1.9f, 4.6f, 0, 360, 32),
                                {{3.4f, 8}, {12.6f, 8}}};
    Fill(c, Strokes(lines, 1.0f), Solid(light));
    return c;
}

Canvas Minimize() {
    Canvas c(16, 16);
    // A small window: frame, blue title bar, white body.
    Fill(c, RoundRect(0.5f, 1.5f, 12.5f, 11.5f, 0.8f), Solid(Rgb(40, 50, 70)));
    Fill(c, Rect(1.5f, 4.5f, 11.5f, 10.5f), VerticalGradient(4.5f, Rgb(255, 255, 255), 10.5f, Rgb(215, 222, 232)));
    Fill(c, Rect(1.5f, 2.5f, 11.5f, 4.5f), VerticalGradient(2.5f, Rgb(90, 150, 235), 4.5f, Rgb(35, 90, 190)));
    // The arrow, outlined in white so it stands on the window.
    const std::vector<P> arrow{{10.5f, 6.5f}, {13.5f, 6.5f}, {13.5f, 10.5f}, {15.5f, 10.5f},
                               {12.0f, 14.8f}, {8.5f, 10.5f}, {10.5f, 10.5f}};
    std::vector<Polyline> outline{arrow};
    outline[0].push_back(arrow[0]);
    Fill(c, Union(Polygon(arrow), Strokes(outline, 1.6f)), Solid(Rgb(255, 255, 255)));
    Fill(c, Polygon(arrow), VerticalGradient(6.5f, Rgb(70, 190, 80), 14.5f, Rgb(20, 110, 30)));
    return c;
}

// Loudspeaker: magnet box and cone, facing right.
void Speaker(Canvas& c, float x, float y, float s, RGBA top, RGBA bottom) {
    const Shape shape = Union(RoundRect(x, y + 4 * s, x + 3.6f * s, y + 9 * s, 0.5f * s),
                              Polygon({{x + 3.2f * s, y + 4 * s},
                                       {x + 7.6f * s, y + 0.6f * s},
                                       {x + 8.2f * s, y + 0.9f * s},
                                       {x + 8.2f * s, y + 12.1f * s},
                                       {x + 7.6f * s, y + 12.4f * s},
                                       {x + 3.2f * s, y + 9 * s}}));
    Fill(c, shape, VerticalGradient(y, top, y + 13 * s, bottom));
}

Canvas Volume(float k = 1) {
    Canvas c(16, 16, k);
    Speaker(c, 0.6f, 1.5f, 1.0f, Rgb(95, 98, 108), Rgb(22, 22, 28));
    const RGBA wave = Rgb(45, 48, 58);
    Fill(c, Strokes({Arc(8.2f, 8.0f, 2.6f, 2.6f, -50, 50, 12)}, 1.3f), Solid(wave));
    Fill(c, Strokes({Arc(8.2f, 8.0f, 5.2f, 5.2f, -52, 52, 16)}, 1.3f), Solid(wave));
    return c;
}

Canvas Mute() {
    Canvas c(16, 16);
    Speaker(c, 0.6f, 1.5f, 1.0f, Rgb(95, 98, 108), Rgb(22, 22, 28));
    const std::vector<Polyline> cross{{{10.2f, 5.2f}, {15.0f, 10.8f}}, {{15.0f, 5.2f}, {10.2f, 10.8f}}};
    Fill(c, Strokes(cross, 3.0f), Solid(Rgb(255, 255, 255, 0.9f)));
    Fill(c, Strokes(cross, 1.7f), Solid(Rgb(220, 25, 25)));
    return c;
}

// The program icon: a blue pair of beamed notes before a dark loudspeaker.
Canvas ProgramIcon(int size) {
    Canvas c(48, 48, size / 48.0f);
    // Cabinet with a woofer and a tweeter.
    const Shape cabinet = RoundRect(3, 5, 31, 45, 4);
    Fill(c, RoundRect(3.5f, 6.5f, 32, 46.5f, 4.5f), Solid(Rgb(0, 0, 0, 0.3f)));  // shadow
    Fill(c, cabinet, VerticalGradient(5, Rgb(78, 80, 88), 45, Rgb(24, 24, 28)));
    Fill(c, Minus(cabinet, RoundRect(4.3f, 6.3f, 29.7f, 43.7f, 3)), Solid(Rgb(120, 122, 132, 0.8f)));
    auto cone = [&](float cx, float cy, float r) {
        Fill(c, Circle(cx, cy, r), Solid(Rgb(14, 14, 16)));
        Fill(c, Circle(cx, cy, r * 0.86f), [=](float x, float y) {
            const float d = std::hypot(x - cx, y - cy) / (r * 0.86f);
            return Mix(Rgb(70, 72, 80), Rgb(30, 30, 34), d * 0.9f + (y - cy) / r * 0.3f);
        });
        Fill(c, Circle(cx, cy, r * 0.3f), [=](float x, float y) {
            return Mix(Rgb(120, 122, 130), Rgb(40, 40, 44), ((x - cx) + (y - cy)) / (r * 0.6f) + 0.5f);
        });
        Fill(c, Minus(Circle(cx, cy, r), Circle(cx, cy, r - 0.8f)), Solid(Rgb(110, 112, 122, 0.7f)));
    };
    cone(17, 15, 5.2f);
    cone(17, 32, 9.5f);

    // Notes: two heads, two stems, a double beam; white edge first.
    const float slope = -0.22f;
    const P head1{22.5f, 38.5f}, head2{38.5f, 35.0f};
    // Below the design size the stems would blur into faint grey: there each
    // is at least a device pixel wide, centred on a pixel column, and the
    // white edge at least half a pixel.
    const float k = c.k;
    auto column = [k](float x) { return k < 1 ? (std::floor(x * k) + 0.5f) / k : x; };
    const float stem = k < 1 ? std::max(1.9f, 1 / k) : 1.9f, edge = k < 1 ? std::max(1.3f, 0.5f / k) : 1.3f;
    const float sx1 = column(head1.x + 3.5f), sx2 = column(head2.x + 3.5f);
    const float top1 = 11.5f, top2 = top1 + slope * (sx2 - sx1);
    auto notes = [&](float grow) {
        Shape s = Union(Ellipse(head1.x, head1.y, 4.4f + grow, 3.1f + grow, -25),
                        Ellipse(head2.x, head2.y, 4.4f + grow, 3.1f + grow, -25));
        s = Union(s, Strokes({{{sx1, head1.y - 0.5f}, {sx1, top1}}, {{sx2, head2.y - 0.5f}, {sx2, top2}}},
                             stem + 2 * grow));
        for (float off : {0.0f, 5.0f})
            s = Union(s, Polygon({{sx1 - stem / 2 - grow, top1 + off - 0.2f - grow},
                                  {sx2 + stem / 2 + grow, top2 + off - 0.2f - grow},
                                  {sx2 + stem / 2 + grow, top2 + off + 3.2f + grow},
                                  {sx1 - stem / 2 - grow, top1 + off + 3.2f + grow}}));
        return s;
    };
    Fill(c, notes(edge), Solid(Rgb(255, 255, 255, 0.95f)));
    Fill(c, notes(0), [](float x, float y) {
        return Mix(Rgb(70, 150, 255), Rgb(10, 55, 170), (y - 10) / 32 + (x - 22) / 60);
    });
    // A little shine on the heads.
    Fill(c, Union(Ellipse(head1.x - 1.2f, head1.y - 1.2f, 1.6f, 0.8f, -25), Ellipse(head2.x - 1.2f, head2.y - 1.2f, 1.6f, 0.8f, -25)),
         Solid(Rgb(255, 255, 255, 0.6f)));
    return c;
}

// ------------------------------------------------------- thumbnail glyphs --

// The transport buttons of the taskbar thumbnail, drawn from convex parts in
// a 16-unit square: white, on a dark edge and a soft shadow, so that they read
// on the light and the dark previews alike.
using Part = std::vector<P>;

Part Bar(float x0, float x1) { return {{x0, 3}, {x1, 3}, {x1, 13}, {x0, 13}}; }
Part Triangle(float x0, float apex) { return {{x0, 3}, {apex, 8}, {x0, 13}}; }

std::vector<Part> TransportParts(const std::string& name) {
    if (name == "play") return {Triangle(5, 13)};
    if (name == "pause") return {Bar(3, 6), Bar(10, 13)};
    if (name == "resume") return {Bar(3, 5), Triangle(8, 14)};
    return {{{4, 4}, {12, 4}, {12, 12}, {4, 12}}};  // stop
}

// Distance from a point to the nearest part, 0 inside one.
float PartsDistance(const std::vector<Part>& parts, P p) {
    float d2 = 1e9f;
    for (const Part& part : parts) {
        if (Polygon(part)(p.x, p.y)) return 0;
        for (size_t i = 0, j = part.size() - 1; i < part.size(); j = i++)
            d2 = std::min(d2, SegmentDistance2(p, part[j], part[i]));
    }
    return std::sqrt(d2);
}

Canvas ThumbGlyph(const std::string& name, int size) {
    Canvas c(16, 16, size / 16.0f);
    const float k = c.k;
    // Every corner on a device pixel, rounded by its distance from the nearer
    // side, so that mirrored edges (the two bars) land alike.
    auto snap = [&](float v) { return (v <= 8 ? std::round(v * k) : size - std::round((16 - v) * k)) / k; };
    std::vector<Part> parts = TransportParts(name);
    for (Part& part : parts)
        for (P& p : part) p = {snap(p.x), snap(p.y)};
    // The edge: one device pixel up to 20 px, then 0.7 unit (1 to 2 pixels).
    const float edge = std::max(1 / k, 0.7f), reach = edge + 1.4f, drop = 0.5f;
    Fill(c, [&](float x, float y) { return PartsDistance(parts, {x, y - drop}) < reach; }, [&](float x, float y) {
        const float t = 1 - PartsDistance(parts, {x, y - drop}) / reach;
        return Rgb(0, 0, 0, 0.32f * t * t);
    });
    Fill(c, [&](float x, float y) { return PartsDistance(parts, {x, y}) <= edge; }, Solid(Rgb(16, 18, 24, 0.72f)));
    Fill(c, [&](float x, float y) { return PartsDistance(parts, {x, y}) == 0; },
         VerticalGradient(3, Rgb(255, 255, 255), 13, Rgb(226, 230, 238)));
    return c;
}

// The scales besides 100 % at which the shown pictures are drawn, percent.
const int kScales[] = {125, 150, 175, 200, 250, 300};

// The program icon's sizes; 48 is its design size.
const int kIconSizes[] = {16, 20, 24, 32, 40, 48, 64, 256};

// The thumbnail glyphs' sizes: the small icon (16 px) at every drawn scale.
const int kThumbSizes[] = {16, 20, 24, 28, 32, 40, 48};

struct Output {
    std::string dir, preview;
    int failures = 0;

    void check(bool ok, const std::string& name) {
        if (!ok) {
            std::fprintf(stderr, "make_art: cannot write %s\n", name.c_str());
            ++failures;
        }
    }
    static bool MakeDir(const std::string& path) {
        std::error_code error;
        std::filesystem::create_directories(path, error);
        return !error;
    }
    std::vector<Canvas> small;

    // Enlarged so that every scale shows at the same size as 100 %.
    void previewOf(const std::string& sub, const std::string& name, Canvas& c) {
        if (preview.empty()) return;
        const std::string at = preview + sub + "/";
        check(MakeDir(at), at);
        auto zoom = [&c](float z) { return std::max(1, int(std::lround(z / c.k))); };
        check(WritePreview(at + name + ".png", c, zoom(c.dw > 100 ? 2 : 12)), name);
        if (c.dw <= 100) {
            small.push_back(c);
        } else {  // the right end, where the name is, closer
            const int ew = int(std::lround(200 * c.k));
            Canvas end(ew, c.h);
            for (int y = 0; y < c.h; ++y)
                for (int x = 0; x < ew; ++x) end.at(x, y) = c.at(c.w - ew + x, y);
            check(WritePreview(at + name + "_end.png", end, zoom(6)), name);
        }
    }

    // The small pictures of one scale side by side on one sheet, as large as
    // at 6 times the 100 % size.
    void sheet(const std::string& sub, float k) {
        if (preview.empty() || small.empty()) return;
        int w = 0, h = 0, x = 0, rowH = 0;
        std::vector<P> at;
        for (const Canvas& c : small) {
            if (x + c.w + 2 > 180 * k) x = 0, h += rowH + 2, rowH = 0;
            at.push_back({float(x + 1), float(h + 1)});
            x += c.w + 2, rowH = std::max(rowH, c.h);
            w = std::max(w, x);
        }
        h += rowH + 2;
        Canvas all(w, h);
        for (size_t i = 0; i < small.size(); ++i)
            for (int y = 0; y < small[i].h; ++y)
                for (int xx = 0; xx < small[i].w; ++xx)
                    all.at(int(at[i].x) + xx, int(at[i].y) + y) = small[i].at(xx, y);
        check(WritePreview(preview + sub + "/sheet.png", all, std::max(1, int(std::lround(6 / k)))), "sheet");
        small.clear();
    }
    void bmp(const std::string& name, Canvas c) {
        check(WriteFile(dir + "/" + name + ".bmp", EncodeBmp(c)), name);
        previewOf("", name, c);
    }
    void ico(const std::string& name, Canvas c) {
        std::vector<Canvas> one{c};
        check(WriteFile(dir + "/" + name + ".ico", EncodeIco(one)), name);
        previewOf("", name, c);
    }
    // An icon of several sizes; the design size goes to the sheet.
    void icon(const std::string& name, std::vector<Canvas> sizes, int designSize, int pngFrom = 256) {
        check(WriteFile(dir + "/" + name + ".ico", EncodeIco(sizes, pngFrom)), name);
        for (Canvas& c : sizes) {
            if (c.w == designSize) previewOf("", name, c);
            else if (!preview.empty())
                check(WritePreview(preview + "/" + name + "_" + std::to_string(c.w) + ".png", c,
                                   std::max(1, 12 * designSize / c.w)), name);
        }
    }
    void png(const std::string& name, Canvas c, bool interlaced) {
        check(WritePng(dir + "/" + name + ".png", c, 4, interlaced), name);
        previewOf("", name, c);
    }
    // A picture drawn for another scale, into s<percent>/.
    void drawn(int percent, const std::string& name, Canvas c, int channels) {
        const std::string sub = "/s" + std::to_string(percent);
        check(MakeDir(dir + sub) && WritePng(dir + sub + "/" + name + ".png", c, channels, false), name);
        previewOf(sub, name, c);
    }
};

}  // namespace

int main(int argc, char** argv) {
    Output out;
    out.dir = "assets";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--out" && i + 1 < argc) out.dir = argv[++i];
        else if (a == "--preview" && i + 1 < argc) out.preview = argv[++i];
        else {
            std::fprintf(stderr, "usage: make_art [--out DIR] [--preview DIR]\n");
            return 2;
        }
    }
    struct BallColours {
        const char* name;
        RGBA base, dark, light;
    };
    const BallColours balls[] = {
        {"21_orange_ball", Rgb(255, 150, 20), Rgb(150, 55, 0), Rgb(255, 215, 120)},
        {"22_red_ball", Rgb(235, 40, 30), Rgb(115, 5, 5), Rgb(255, 130, 110)},
        {"23_blue_ball", Rgb(45, 120, 235), Rgb(8, 35, 120), Rgb(120, 200, 255)},
        {"24_green_ball", Rgb(60, 190, 50), Rgb(10, 85, 10), Rgb(170, 250, 130)},
    };
    out.bmp("00_plain_backdrop", PlainBackdrop());
    out.bmp("01_folder", Folder());
    out.bmp("02_pause", PauseBars(false));
    out.bmp("03_resume", PauseBars(true));
    out.bmp("04_play", Play());
    out.bmp("05_stop", Stop());
    out.bmp("06_user", User());
    out.bmp("07_web_badge", WebBadge());
    out.ico("08_power", Power());
    out.ico("09_help", Help());
    out.ico("10_globe", Globe());
    out.ico("11_web", WebEmblem());
    out.ico("12_info", Info());
    out.ico("13_minimize", Minimize());
    out.ico("14_mute", Mute());
    out.ico("15_volume", Volume());
    out.png("20_backdrop", Backdrop(), true);
    for (const BallColours& b : balls) out.png(b.name, Ball(b.base, b.dark, b.light), false);
    std::vector<Canvas> icons;
    for (int size : kIconSizes) icons.push_back(ProgramIcon(size));
    out.icon("vireo", icons, 48);
    for (const char* name : {"play", "pause", "resume", "stop"}) {
        std::vector<Canvas> sizes;
        for (int size : kThumbSizes) sizes.push_back(ThumbGlyph(name, size));
        // PNG entries (Vista and later) are a tenth of the bitmaps' size.
        out.icon(std::string("thumb_") + name, sizes, 16, 0);
    }
    out.sheet("", 1);

    // The shown pictures again for the other scales: RGB for the bitmaps,
    // RGBA for the rest.
    for (int percent : kScales) {
        const float k = percent / 100.0f;
        out.drawn(percent, "01_folder", Folder(k), 3);
        out.drawn(percent, "02_pause", PauseBars(false, k), 3);
        out.drawn(percent, "03_resume", PauseBars(true, k), 3);
        out.drawn(percent, "04_play", Play(k), 3);
        out.drawn(percent, "05_stop", Stop(k), 3);
        out.drawn(percent, "06_user", User(k), 3);
        out.drawn(percent, "11_web", WebEmblem(k), 4);
        out.drawn(percent, "15_volume", Volume(k), 4);
        out.drawn(percent, "20_backdrop", Backdrop(k), 4);
        for (const BallColours& b : balls) out.drawn(percent, b.name, Ball(b.base, b.dark, b.light, k), 4);
        out.sheet("/s" + std::to_string(percent), k);
    }
    return out.failures == 0 ? 0 : 1;
}
