// Draws the window's images at build time and writes them as the files the
// resource script takes: repeat.bmp (48 x 14, "Repeat"), stop.bmp (32 x 14,
// "Stop"), strip.bmp (20 x 2, plain grey), 24-bit bottom-up BMPs; and
// sonkrate.ico, a speaker with sound waves on a crate at 16 x 16 and
// 32 x 32 (32-bit BGRA with AND masks). Runs on the build machine, so it
// uses the standard library only. Every file is read back and its layout
// checked; a wrong byte fails the build.
//
// usage: make_resources OUTPUT_FOLDER
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
};

// An image with its rows top-down, as it is drawn.
template <typename Pixel>
struct Image {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;
    Image(int w, int h, Pixel fill) : width(w), height(h), pixels(static_cast<std::size_t>(w * h), fill) {}
    Pixel& at(int x, int y) { return pixels[static_cast<std::size_t>(y * width + x)]; }
    const Pixel& at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// The window's button face and the ink of the labels.
constexpr Rgb kFace{212, 208, 200};
constexpr Rgb kInk{0, 0, 128};
constexpr Rgb kStripGrey{128, 128, 128};

// ---- Little-endian writing and reading --------------------------------------------------

void put16(Bytes& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void put32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
}

unsigned get16(const Bytes& in, std::size_t at) {
    if (at + 2 > in.size()) return 0xFFFFFFFFu;
    return static_cast<unsigned>(in[at] | (in[at + 1] << 8));
}

std::int64_t get32(const Bytes& in, std::size_t at) {
    if (at + 4 > in.size()) return -1;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | in[at + static_cast<std::size_t>(i)];
    return static_cast<std::int64_t>(v);
}

// ---- The pixel font ---------------------------------------------------------------------

// 5 x 9 cells: capitals on rows 0-6, small letters on rows 2-6, the
// descender of "p" on rows 7-8.
struct Glyph {
    char letter;
    std::array<std::string_view, 9> rows;
};

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 9;

// clang-format off
constexpr Glyph kGlyphs[] = {
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#", ".....", "....."}},
    {'S', {".###.", "#...#", "#....", ".###.", "....#", "#...#", ".###.", ".....", "....."}},
    {'a', {".....", ".....", ".###.", "....#", ".####", "#...#", ".####", ".....", "....."}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###.", ".....", "....."}},
    {'o', {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###.", ".....", "....."}},
    {'p', {".....", ".....", "####.", "#...#", "#...#", "#...#", "####.", "#....", "#...."}},
    {'t', {".#...", ".#...", "####.", ".#...", ".#...", ".#..#", "..##.", ".....", "....."}},
};
// clang-format on

const Glyph* glyphFor(char c) {
    for (const Glyph& g : kGlyphs)
        if (g.letter == c) return &g;
    return nullptr;
}

int textWidth(std::string_view text) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * (kGlyphWidth + 1) - 1;
}

// The word centred across the image, its capitals from row top.
Image<Rgb> label(int width, int height, std::string_view word, int top) {
    Image<Rgb> image(width, height, kFace);
    int x = (width - textWidth(word)) / 2;
    for (char c : word) {
        const Glyph* g = glyphFor(c);
        for (int row = 0; g && row < kGlyphHeight; ++row)
            for (int col = 0; col < kGlyphWidth; ++col)
                if (g->rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] == '#' && x + col < width &&
                    top + row < height)
                    image.at(x + col, top + row) = kInk;
        x += kGlyphWidth + 1;
    }
    return image;
}

// ---- BMP --------------------------------------------------------------------------------

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

std::uint32_t bmpRowSize(int width, int bitsPerPixel) {
    return static_cast<std::uint32_t>((width * bitsPerPixel + 31) / 32 * 4);
}

void putInfoHeader(Bytes& out, int width, int height, int bits, std::uint32_t imageSize) {
    put32(out, kInfoHeaderSize);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put16(out, 1);  // planes
    put16(out, static_cast<unsigned>(bits));
    put32(out, 0);  // BI_RGB
    put32(out, imageSize);
    put32(out, 2835);  // 72 dots per inch
    put32(out, 2835);
    put32(out, 0);  // colours used
    put32(out, 0);  // important colours
}

Bytes bmpFile(const Image<Rgb>& image) {
    std::uint32_t row = bmpRowSize(image.width, 24);
    std::uint32_t imageSize = row * static_cast<std::uint32_t>(image.height);
    std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize;
    Bytes out;
    out.push_back('B');
    out.push_back('M');
    put32(out, offset + imageSize);
    put32(out, 0);  // reserved
    put32(out, offset);
    putInfoHeader(out, image.width, image.height, 24, imageSize);
    for (int y = image.height - 1; y >= 0; --y) {
        std::size_t start = out.size();
        for (int x = 0; x < image.width; ++x) {
            const Rgb& p = image.at(x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        while (out.size() - start < row) out.push_back(0);
    }
    return out;
}

// ---- The icon ---------------------------------------------------------------------------

// Coverage of a shape over one pixel, from 4 x 4 samples; shapes are given
// in the unit square, y downwards.
template <typename Inside>
double coverage(int px, int py, int size, Inside inside) {
    int hits = 0;
    for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
            double x = (px + (sx + 0.5) / 4.0) / size;
            double y = (py + (sy + 0.5) / 4.0) / size;
            if (inside(x, y)) ++hits;
        }
    return hits / 16.0;
}

void paint(Image<Rgba>& image, Rgb colour, auto inside) {
    int size = image.width;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            double c = coverage(x, y, size, inside);
            if (c <= 0.0) continue;
            Rgba& p = image.at(x, y);
            double a = p.a / 255.0;
            double outA = c + a * (1.0 - c);
            auto mix = [&](std::uint8_t top, std::uint8_t under) {
                double v = (top * c + under * a * (1.0 - c)) / outA;
                return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
            };
            p = {mix(colour.r, p.r), mix(colour.g, p.g), mix(colour.b, p.b),
                 static_cast<std::uint8_t>(std::lround(outA * 255.0))};
        }
}

Image<Rgba> drawIcon(int size) {
    Image<Rgba> image(size, size, Rgba{});
    auto box = [](double x0, double y0, double x1, double y1) {
        return [=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
    };
    // The crate: a dark frame, wooden boards, the seams between them.
    paint(image, {110, 70, 30}, box(0.0, 0.0625, 1.0, 0.9375));
    paint(image, {196, 140, 76}, box(0.0625, 0.125, 0.9375, 0.875));
    paint(image, {150, 100, 50}, box(0.0625, 0.36, 0.9375, 0.39));
    paint(image, {150, 100, 50}, box(0.0625, 0.61, 0.9375, 0.64));
    // The speaker: its magnet and its cone.
    paint(image, {30, 30, 36}, box(0.16, 0.38, 0.32, 0.62));
    paint(image, {30, 30, 36}, [](double x, double y) {
        return x >= 0.30 && x < 0.50 && std::fabs(y - 0.5) <= 0.12 + (x - 0.30) * 0.8;
    });
    // Two waves going out of it.
    for (double radius : {0.17, 0.32}) {
        paint(image, {255, 244, 170}, [radius](double x, double y) {
            double dx = x - 0.50, dy = y - 0.50;
            double r = std::sqrt(dx * dx + dy * dy);
            return dx > 0.0 && std::fabs(dy) < dx * 1.2 && std::fabs(r - radius) < 0.045;
        });
    }
    return image;
}

// One image of an .ico: its BITMAPINFOHEADER (double height for the two
// masks), the BGRA pixels bottom-up, then the AND mask, 1 where the icon is
// transparent, rows padded to 32 bits.
Bytes iconImage(const Image<Rgba>& image) {
    std::uint32_t xorSize = static_cast<std::uint32_t>(image.width * image.height * 4);
    std::uint32_t andRow = bmpRowSize(image.width, 1);
    std::uint32_t andSize = andRow * static_cast<std::uint32_t>(image.height);
    Bytes out;
    putInfoHeader(out, image.width, image.height * 2, 32, xorSize + andSize);
    for (int y = image.height - 1; y >= 0; --y)
        for (int x = 0; x < image.width; ++x) {
            const Rgba& p = image.at(x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
            out.push_back(p.a);
        }
    for (int y = image.height - 1; y >= 0; --y) {
        Bytes row(andRow, 0);
        for (int x = 0; x < image.width; ++x)
            if (image.at(x, y).a == 0) row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

Bytes icoFile(const std::vector<Image<Rgba>>& images) {
    std::vector<Bytes> bodies;
    for (const auto& image : images) bodies.push_back(iconImage(image));
    Bytes out;
    put16(out, 0);  // reserved
    put16(out, 1);  // an icon
    put16(out, static_cast<unsigned>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(images[i].width % 256));  // 256 is written as 0
        out.push_back(static_cast<std::uint8_t>(images[i].height % 256));
        out.push_back(0);  // no palette
        out.push_back(0);
        put16(out, 1);   // planes
        put16(out, 32);  // bits per pixel
        put32(out, static_cast<std::uint32_t>(bodies[i].size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(bodies[i].size());
    }
    for (const Bytes& body : bodies) out.insert(out.end(), body.begin(), body.end());
    return out;
}

// ---- Checks of the written layout -------------------------------------------------------

int failures = 0;

void expect(bool ok, const std::string& file, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "make_resources: %s: %s\n", file.c_str(), what);
    ++failures;
}

// The headers of a 24-bit BMP against the numbers the image must have.
void checkBmp(const Bytes& b, const std::string& name, int width, int height, std::uint32_t fileSize) {
    expect(b.size() == fileSize, name, "file size");
    expect(b.size() >= 54 && b[0] == 'B' && b[1] == 'M', name, "BM signature");
    expect(get32(b, 2) == fileSize, name, "bfSize");
    expect(get32(b, 6) == 0, name, "bfReserved");
    expect(get32(b, 10) == 54, name, "bfOffBits");
    expect(get32(b, 14) == 40, name, "biSize");
    expect(get32(b, 18) == width, name, "biWidth");
    expect(get32(b, 22) == height, name, "biHeight (positive: bottom-up rows)");
    expect(get16(b, 26) == 1, name, "biPlanes");
    expect(get16(b, 28) == 24, name, "biBitCount");
    expect(get32(b, 30) == 0, name, "biCompression");
    expect(get32(b, 34) == static_cast<std::int64_t>(fileSize) - 54, name, "biSizeImage");
}

Rgb bmpPixel(const Bytes& b, int width, int height, int x, int y) {
    std::size_t row = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    std::size_t at = 54 + static_cast<std::size_t>(height - 1 - y) * row + static_cast<std::size_t>(x) * 3;
    if (at + 3 > b.size()) return {};
    return {b[at + 2], b[at + 1], b[at]};
}

bool same(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

// The writer pads rows to 4 bytes; the window's own images happen to need
// no padding, so a 5 x 3 image shows that it works: 15 bytes of a row and 1
// of padding.
void checkPadding() {
    Image<Rgb> odd(5, 3, kFace);
    odd.at(4, 0) = kInk;  // top right
    Bytes b = bmpFile(odd);
    checkBmp(b, "5x3 test image", 5, 3, 54 + 3 * 16);
    expect(b.size() == 102 && b[54 + 15] == 0 && b[54 + 31] == 0 && b[54 + 47] == 0, "5x3 test image", "row padding");
    // The top row is the last in the file: its fifth pixel at 54 + 32 + 12.
    expect(b.size() == 102 && b[54 + 44] == kInk.b && b[54 + 46] == kInk.r, "5x3 test image", "bottom-up row order");
}

void checkLabel(const Bytes& b, const std::string& name, int width, int height, std::uint32_t fileSize,
                int inkX, int inkY) {
    checkBmp(b, name, width, height, fileSize);
    expect(same(bmpPixel(b, width, height, 0, 0), kFace), name, "face colour in the corner");
    expect(same(bmpPixel(b, width, height, inkX, inkY), kInk), name, "the word's first stroke (upside down?)");
    expect(same(bmpPixel(b, width, height, inkX, height - 1 - inkY), kFace), name, "blank below the word");
}

void checkIcon(const Bytes& b, const std::string& name) {
    // 6 + 2 * 16 header bytes; 16 x 16: 40 + 1024 + 16 * 4; 32 x 32: 40 + 4096 + 32 * 4.
    constexpr std::uint32_t kSmall = 1128, kLarge = 4264;
    expect(b.size() == 38 + kSmall + kLarge, name, "file size");
    expect(get16(b, 0) == 0 && get16(b, 2) == 1 && get16(b, 4) == 2, name, "ICONDIR");
    const std::uint32_t sizes[2] = {kSmall, kLarge};
    const std::uint32_t offsets[2] = {38, 38 + kSmall};
    const int sides[2] = {16, 32};
    for (int i = 0; i < 2; ++i) {
        std::size_t e = 6 + 16 * static_cast<std::size_t>(i);
        expect(b.size() > e + 16 && b[e] == sides[i] && b[e + 1] == sides[i] && b[e + 2] == 0 && b[e + 3] == 0, name,
               "entry size and palette");
        expect(get16(b, e + 4) == 1 && get16(b, e + 6) == 32, name, "entry planes and bits");
        expect(get32(b, e + 8) == sizes[i] && get32(b, e + 12) == offsets[i], name, "entry length and offset");
        std::size_t h = offsets[i];
        expect(get32(b, h) == 40 && get32(b, h + 4) == sides[i] && get32(b, h + 8) == 2 * sides[i], name,
               "image header (height counts both masks)");
        expect(get16(b, h + 12) == 1 && get16(b, h + 14) == 32 && get32(b, h + 16) == 0, name, "image format");
        // The top left corner is outside the crate: transparent, its AND bit
        // set. It is the first pixel of the last row.
        std::size_t side = static_cast<std::size_t>(sides[i]);
        std::size_t pixel = h + 40 + (side - 1) * side * 4;
        std::size_t maskRow = h + 40 + side * side * 4 + (side - 1) * 4;
        expect(b.size() > maskRow && b[pixel + 3] == 0 && (b[maskRow] & 0x80), name, "transparent corner");
        std::size_t centre = h + 40 + (side / 2) * side * 4 + (side / 2) * 4;
        expect(b.size() > centre + 3 && b[centre + 3] == 255, name, "opaque centre");
    }
}

bool writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) std::fprintf(stderr, "make_resources: cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_resources OUTPUT_FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    auto path = [&](const char* name) { return folder + "/" + name; };

    checkPadding();
    // Capitals from row 3 down to row 9, only the descender of "p" below.
    bool written = writeFile(path("repeat.bmp"), bmpFile(label(48, 14, "Repeat", 3))) &&
                   writeFile(path("stop.bmp"), bmpFile(label(32, 14, "Stop", 3))) &&
                   writeFile(path("strip.bmp"), bmpFile(Image<Rgb>(20, 2, kStripGrey))) &&
                   writeFile(path("sonkrate.ico"), icoFile({drawIcon(16), drawIcon(32)}));
    if (!written) return 1;

    // 54 header bytes and rows of 144, 96 and 60 bytes.
    checkLabel(readFile(path("repeat.bmp")), "repeat.bmp", 48, 14, 54 + 14 * 144, 6, 3);
    checkLabel(readFile(path("stop.bmp")), "stop.bmp", 32, 14, 54 + 14 * 96, 5, 3);
    Bytes strip = readFile(path("strip.bmp"));
    checkBmp(strip, "strip.bmp", 20, 2, 54 + 2 * 60);
    expect(same(bmpPixel(strip, 20, 2, 19, 1), kStripGrey), "strip.bmp", "plain grey");
    checkIcon(readFile(path("sonkrate.ico")), "sonkrate.ico");
    return failures == 0 ? 0 : 1;
}
