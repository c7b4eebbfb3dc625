// Draws the pages of the bundled sample document and writes them as PPM
// files (page-1.ppm ...) into the folder named on the command line. Every
// page is computed here, so the sample is the same on every build:
//   1. a letter page of text,
//   2. a landscape photo-like colour page,
//   3. a small page with coloured corner marks, for orientation and colour order,
//   4. a second letter page of text with colour swatches.
#include <stb_easy_font.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kInk{30, 30, 36};
constexpr Rgb kHeading{20, 60, 140};

class Canvas {
public:
    Canvas(int width, int height, Rgb background)
        : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, background) {}

    void fill(int x0, int y0, int x1, int y1, Rgb colour) {
        for (int y = std::max(y0, 0); y < std::min(y1, height_); ++y) {
            for (int x = std::max(x0, 0); x < std::min(x1, width_); ++x) at(x, y) = colour;
        }
    }

    // Text from the quads of the vector font, scaled up by `scale`.
    void text(int x, int y, const std::string& line, int scale, Rgb colour) {
        std::vector<char> copy(line.begin(), line.end());
        copy.push_back('\0');
        std::vector<float> vertices(line.size() * 270 + 64);
        unsigned char ignored[4] = {0, 0, 0, 255};
        const int quads = stb_easy_font_print(0, 0, copy.data(), ignored, vertices.data(),
                                              static_cast<int>(vertices.size() * sizeof(float)));
        for (int q = 0; q < quads; ++q) {
            // Four vertices of x, y, z and a packed colour; the first and third are opposite corners.
            const float* v = &vertices[static_cast<std::size_t>(q) * 16];
            fill(x + static_cast<int>(v[0] * scale), y + static_cast<int>(v[1] * scale),
                 x + static_cast<int>(v[8] * scale), y + static_cast<int>(v[9] * scale), colour);
        }
    }

    static int textWidth(const std::string& line, int scale) {
        std::vector<char> copy(line.begin(), line.end());
        copy.push_back('\0');
        return stb_easy_font_width(copy.data()) * scale;
    }

    // Words wrapped to `width`; returns the y below the paragraph.
    int paragraph(int x, int y, int width, const std::string& words, int scale, Rgb colour) {
        const int lineHeight = 12 * scale;
        std::string line;
        std::size_t start = 0;
        while (start < words.size()) {
            std::size_t end = words.find(' ', start);
            if (end == std::string::npos) end = words.size();
            const std::string word = words.substr(start, end - start);
            const std::string longer = line.empty() ? word : line + " " + word;
            if (!line.empty() && textWidth(longer, scale) > width) {
                text(x, y, line, scale, colour);
                y += lineHeight;
                line = word;
            } else {
                line = longer;
            }
            start = end + 1;
        }
        if (!line.empty()) text(x, y, line, scale, colour);
        return y + lineHeight * 2;
    }

    Rgb& at(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    int width() const { return width_; }
    int height() const { return height_; }

    bool save(const std::string& path) const {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) return false;
        std::fprintf(file, "P6\n%d %d\n255\n", width_, height_);
        const bool written = std::fwrite(pixels_.data(), 3, pixels_.size(), file) == pixels_.size();
        return std::fclose(file) == 0 && written;
    }

private:
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};
static_assert(sizeof(Rgb) == 3);

const char* const kIntroduction[] = {
    "This document is bundled with the viewer to show what it does. Every page is a finished raster of 24-bit "
    "colour, stored in the container either as raw pixels or run-length encoded, and decoded in full when the "
    "file is opened.",
    "Use Page Down and Page Up to move between pages, or click a thumbnail in the strip on the left. The mouse "
    "wheel over the page, or the Zoom In and Zoom Out commands, change the scale; over the strip it scrolls the "
    "thumbnails. Fit Width makes the page as wide as the window and Actual Size shows one page pixel per screen "
    "pixel.",
    "The status line at the bottom names the page, the page count, the size of the page in pixels and the "
    "resolution of the document. File > Print sends the pages to any printer, one page per sheet, and the print "
    "preview shows a page as a sheet of paper first.",
};

const char* const kStorage[] = {
    "Text pages like this one are mostly white paper with short stretches of ink, which the run-length encoding "
    "stores in a small fraction of the raw size. The next page is the opposite case: a photo-like picture in "
    "which almost no two neighbouring pixels are equal.",
    "The same four pages come in two files: sample.orva holds them run-length encoded, sample-raw.orva holds "
    "the raw pixels. Both open to the same pictures.",
};

const char* const kColours[] = {
    "Each swatch below is labelled with its colour. A viewer that mixed up the order of the blue and red bytes "
    "would show the first swatch blue and the third one red.",
    "The small page before this one has a coloured mark in each corner: red at the top left, green at the top "
    "right, blue at the bottom left and yellow at the bottom right. Its width of 333 pixels makes rows whose "
    "length is not a multiple of four bytes.",
};

// A letter-sized page, upright or on its side: heading, a rule, paragraphs,
// and the page number.
enum class Orientation { Portrait, Landscape };

Canvas textPage(Orientation orientation, const char* heading, std::span<const char* const> paragraphs,
                const char* subheading, std::span<const char* const> more, int number, int pageCount) {
    const bool landscape = orientation == Orientation::Landscape;
    Canvas page(landscape ? 1650 : 1275, landscape ? 1275 : 1650, kWhite);
    const int margin = 110;
    const int width = page.width() - 2 * margin;
    int y = margin;
    page.text(margin, y, heading, 5, kHeading);
    y += 90;
    page.fill(margin, y, page.width() - margin, y + 4, kHeading);
    y += 40;
    for (const char* text : paragraphs) y = page.paragraph(margin, y, width, text, 3, kInk);
    page.text(margin, y, subheading, 4, kHeading);
    y += 70;
    for (const char* text : more) y = page.paragraph(margin, y, width, text, 3, kInk);
    if (number == pageCount) {
        // Swatches labelled with their colour: the bytes must land in the right channels.
        const Rgb swatches[] = {{230, 30, 30}, {30, 170, 60}, {30, 70, 220}, {250, 210, 40}, {0, 0, 0}};
        const char* names[] = {"RED", "GREEN", "BLUE", "YELLOW", "BLACK"};
        for (int i = 0; i < 5; ++i) {
            const int x = margin + i * 215;
            page.fill(x, y, x + 180, y + 150, swatches[i]);
            page.text(x, y + 165, names[i], 3, kInk);
        }
    }
    const std::string footer = "Page " + std::to_string(number) + " of " + std::to_string(pageCount);
    page.text(page.width() / 2 - Canvas::textWidth(footer, 3) / 2, page.height() - 80, footer, 3, kInk);
    return page;
}

Canvas photoPage() {
    Canvas page(1650, 1275, kWhite);
    std::uint32_t noise = 12345;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const double u = static_cast<double>(x) / page.width();
            const double v = static_cast<double>(y) / page.height();
            // A sky-to-sunset gradient with soft ripples and two glowing discs.
            double r = 40 + 200 * v + 15 * std::sin(x * 0.021 + y * 0.013);
            double g = 90 + 110 * (1 - std::abs(u - 0.5) * 2) * (1 - v) + 12 * std::sin(y * 0.03);
            double b = 220 - 150 * v + 10 * std::cos(x * 0.017);
            const double d1 = std::hypot(x - 1150.0, y - 420.0), d2 = std::hypot(x - 420.0, y - 860.0);
            const double glow1 = std::exp(-d1 * d1 / (2 * 160.0 * 160.0)), glow2 = std::exp(-d2 * d2 / (2 * 220.0 * 220.0));
            r += 120 * glow1 + 20 * glow2;
            g += 90 * glow1 + 100 * glow2;
            b += -40 * glow1 + 60 * glow2;
            noise = noise * 1103515245u + 12345u;
            const double grain = static_cast<double>((noise >> 16) % 13) - 6;
            auto clamp = [](double c) { return static_cast<std::uint8_t>(c < 0 ? 0 : c > 255 ? 255 : c); };
            page.at(x, y) = {clamp(r + grain), clamp(g + grain), clamp(b + grain)};
        }
    }
    page.text(62, 62, "Photo-like page: few equal neighbours", 4, kInk);
    page.text(60, 60, "Photo-like page: few equal neighbours", 4, kWhite);
    return page;
}

Canvas cornerPage() {
    Canvas page(333, 222, {235, 235, 235});
    const int s = 40;
    page.fill(0, 0, s, s, {255, 0, 0});
    page.fill(page.width() - s, 0, page.width(), s, {0, 255, 0});
    page.fill(0, page.height() - s, s, page.height(), {0, 0, 255});
    page.fill(page.width() - s, page.height() - s, page.width(), page.height(), {255, 255, 0});
    page.text(s + 6, 14, "RED", 1, kInk);
    page.text(page.width() - s - 6 - Canvas::textWidth("GREEN", 1), 14, "GREEN", 1, kInk);
    page.text(s + 6, page.height() - 26, "BLUE", 1, kInk);
    page.text(page.width() - s - 6 - Canvas::textWidth("YELLOW", 1), page.height() - 26, "YELLOW", 1, kInk);
    page.text(page.width() / 2 - Canvas::textWidth("TOP", 2) / 2, 8, "TOP", 2, kInk);
    page.text(70, 100, "333 x 222 pixels: rows", 1, kInk);
    page.text(70, 114, "not a multiple of 4 bytes", 1, kInk);
    return page;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: samplegen OUTDIR\n");
        return 2;
    }
    const std::string folder = argv[1];
    // The first page lies on its side so that, at the width of the window,
    // it is seen whole with the status line below it.
    const Canvas pages[] = {textPage(Orientation::Landscape, "OrvaReader sample document", kIntroduction,
                                     "How pages are stored", kStorage, 1, 4),
                            photoPage(), cornerPage(),
                            textPage(Orientation::Portrait, "Colour and orientation", kColours, "Colour order", {}, 4, 4)};
    for (int n = 0; n < 4; ++n) {
        const std::string path = folder + "/page-" + std::to_string(n + 1) + ".ppm";
        if (!pages[n].save(path)) {
            std::fprintf(stderr, "samplegen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
