// PNG files in and out of frayline-render: every colour type and depth a
// file may hold comes in as the same 8-bit RGBA, broken files are named as
// such, and a written file appears whole or not at all. Also the two small
// picture helpers the contact sheet rests on.

#include <stdlib.h>

#include <gtest/gtest.h>

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "host/HostError.h"
#include "tools/BitmapFont.h"
#include "tools/ContactSheet.h"
#include "tools/Image.h"

namespace frayline {
namespace {

namespace fs = std::filesystem;

// A PNG as a file stores it: samples of the colour type at the bit depth,
// before any conversion.
struct StoredPng {
    int colourType;
    int bitDepth;
    uint32_t width;
    uint32_t height;
    std::vector<uint16_t> samples;  // channels per pixel as the type has them
    std::vector<png_color> palette = {};
    std::vector<png_byte> paletteAlpha = {};  // tRNS of a palette
    std::vector<uint16_t> transparent = {};   // tRNS key of grey (1) or RGB (3)
    bool interlaced = false;
};

int Channels(int colourType)
{
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
        return 1;
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

// Packs samples into rows the way PNG stores them: 16-bit big-endian, and
// depths under 8 several to a byte, leftmost pixel in the high bits.
std::vector<std::vector<png_byte>> PackRows(const StoredPng& png)
{
    const int channels = Channels(png.colourType);
    const std::size_t bitsPerRow = std::size_t(png.width) * channels * png.bitDepth;
    std::vector<std::vector<png_byte>> rows(png.height,
                                            std::vector<png_byte>((bitsPerRow + 7) / 8, 0));
    for (uint32_t y = 0; y < png.height; ++y) {
        std::size_t bit = 0;
        for (uint32_t s = 0; s < png.width * channels; ++s, bit += png.bitDepth) {
            const uint16_t value = png.samples[std::size_t(y) * png.width * channels + s];
            std::vector<png_byte>& row = rows[y];
            if (png.bitDepth == 16) {
                row[bit / 8] = png_byte(value >> 8);
                row[bit / 8 + 1] = png_byte(value & 0xFF);
            } else if (png.bitDepth == 8) {
                row[bit / 8] = png_byte(value);
            } else {
                row[bit / 8] |= png_byte(value << (8 - png.bitDepth - bit % 8));
            }
        }
    }
    return rows;
}

// The part that libpng may leave by longjmp: nothing here has a destructor.
bool WriteRows(png_structp writer, png_infop info, FILE* file, const StoredPng& png,
               png_bytepp rows)
{
    if (setjmp(png_jmpbuf(writer)))
        return false;
    png_init_io(writer, file);
    png_set_IHDR(writer, info, png.width, png.height, png.bitDepth, png.colourType,
                 png.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!png.palette.empty())
        png_set_PLTE(writer, info, png.palette.data(), int(png.palette.size()));
    if (!png.paletteAlpha.empty())
        png_set_tRNS(writer, info, png.paletteAlpha.data(), int(png.paletteAlpha.size()), nullptr);
    if (!png.transparent.empty()) {
        png_color_16 key{};
        if (png.transparent.size() == 1) {
            key.gray = png.transparent[0];
        } else {
            key.red = png.transparent[0];
            key.green = png.transparent[1];
            key.blue = png.transparent[2];
        }
        png_set_tRNS(writer, info, nullptr, 0, &key);
    }
    png_write_info(writer, info);
    png_write_image(writer, rows);
    png_write_end(writer, nullptr);
    return true;
}

void WriteStoredPng(const std::string& path, const StoredPng& png)
{
    std::vector<std::vector<png_byte>> rows = PackRows(png);
    std::vector<png_bytep> pointers;
    for (auto& row : rows)
        pointers.push_back(row.data());
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(writer);
    const bool written = WriteRows(writer, info, file, png, pointers.data());
    png_destroy_write_struct(&writer, &info);
    std::fclose(file);
    ASSERT_TRUE(written) << path;
}

class ImageFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A fresh directory per run: builds of other configurations may run
        // the same test at the same time.
        std::string pattern = (fs::temp_directory_path() / ("frayline-image-XXXXXX")).string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr) << "mkdtemp " << pattern;
        directory = pattern;
    }
    void TearDown() override { fs::remove_all(directory); }

    std::string Path(const std::string& name) const { return (directory / name).string(); }

    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory))
            names.push_back(entry.path().filename().string());
        return names;
    }

    fs::path directory;
};

TEST_F(ImageFiles, EveryStoredFormatReadsAsEightBitRGBA)
{
    struct Case {
        const char* name;
        StoredPng png;
        std::vector<uint8_t> rgba;  // what ReadPng must give, top row first
    };
    const std::vector<png_color> palette = {{10, 20, 30}, {40, 50, 60}, {200, 100, 0}, {1, 2, 3}};
    // 16 to 8 bits is v / 257 rounded: 0x12F0 gives 19 where its high byte
    // alone would give 18, 0x0080 gives 0 and 0x8000 gives 128.
    const Case cases[] = {
        {"16-bit RGBA",
         {PNG_COLOR_TYPE_RGB_ALPHA,
          16,
          2,
          1,
          {0x12F0, 0xFFFF, 0x0000, 0x7F80, 0x0101, 0xFEFF, 0x8000, 0x0080}},
         {19, 255, 0, 127, 1, 254, 128, 0}},
        {"16-bit RGB",
         {PNG_COLOR_TYPE_RGB, 16, 1, 2, {0x12F0, 0x0000, 0xFFFF, 0x7F7F, 0x00FF, 0xFF00}},
         {19, 0, 255, 255, 127, 1, 254, 255}},
        {"16-bit grey",
         {PNG_COLOR_TYPE_GRAY, 16, 2, 1, {0x12F0, 0xFFFF}},
         {19, 19, 19, 255, 255, 255, 255, 255}},
        {"16-bit grey+alpha",
         {PNG_COLOR_TYPE_GRAY_ALPHA, 16, 1, 1, {0xFFFF, 0x12F0}},
         {255, 255, 255, 19}},
        {"8-bit grey",
         {PNG_COLOR_TYPE_GRAY, 8, 3, 1, {0, 77, 255}},
         {0, 0, 0, 255, 77, 77, 77, 255, 255, 255, 255, 255}},
        {"8-bit grey+alpha",
         {PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2, 1, {77, 0, 200, 128}},
         {77, 77, 77, 0, 200, 200, 200, 128}},
        {"4-bit grey",
         {PNG_COLOR_TYPE_GRAY, 4, 3, 1, {0, 1, 15}},
         {0, 0, 0, 255, 17, 17, 17, 255, 255, 255, 255, 255}},
        {"2-bit grey",
         {PNG_COLOR_TYPE_GRAY, 2, 2, 1, {1, 2}},
         {85, 85, 85, 255, 170, 170, 170, 255}},
        {"1-bit grey, two rows",
         {PNG_COLOR_TYPE_GRAY, 1, 3, 2, {1, 0, 1, 0, 1, 0}},
         {255, 255, 255, 255, 0,   0,   0,   255, 255, 255, 255, 255,
          0,   0,   0,   255, 255, 255, 255, 255, 0,   0,   0,   255}},
        {"8-bit grey with a transparent key",
         {PNG_COLOR_TYPE_GRAY, 8, 2, 1, {9, 10}, {}, {}, {9}},
         {9, 9, 9, 0, 10, 10, 10, 255}},
        {"8-bit RGB", {PNG_COLOR_TYPE_RGB, 8, 1, 1, {1, 2, 3}}, {1, 2, 3, 255}},
        {"8-bit RGB with a transparent key",
         {PNG_COLOR_TYPE_RGB, 8, 2, 1, {1, 2, 3, 1, 2, 4}, {}, {}, {1, 2, 3}},
         {1, 2, 3, 0, 1, 2, 4, 255}},
        {"8-bit RGBA", {PNG_COLOR_TYPE_RGB_ALPHA, 8, 1, 1, {1, 2, 3, 4}}, {1, 2, 3, 4}},
        {"8-bit palette",
         {PNG_COLOR_TYPE_PALETTE, 8, 3, 1, {2, 0, 3}, palette},
         {200, 100, 0, 255, 10, 20, 30, 255, 1, 2, 3, 255}},
        // Entries past the end of tRNS are opaque.
        {"8-bit palette with transparency",
         {PNG_COLOR_TYPE_PALETTE, 8, 3, 1, {0, 1, 2}, palette, {0, 128}},
         {10, 20, 30, 0, 40, 50, 60, 128, 200, 100, 0, 255}},
        {"2-bit palette, two rows",
         {PNG_COLOR_TYPE_PALETTE, 2, 2, 2, {3, 1, 0, 2}, palette},
         {1, 2, 3, 255, 40, 50, 60, 255, 10, 20, 30, 255, 200, 100, 0, 255}},
        {"1-bit palette",
         {PNG_COLOR_TYPE_PALETTE, 1, 2, 1, {1, 0}, {palette[0], palette[1]}},
         {40, 50, 60, 255, 10, 20, 30, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Path("in.png");
        WriteStoredPng(path, c.png);
        const Image image = ReadPng(path);
        EXPECT_EQ(image.width, c.png.width);
        EXPECT_EQ(image.height, c.png.height);
        EXPECT_EQ(image.rgba, c.rgba);
    }
}

// Adam7 sends the pixels in seven passes; all must land in their places.
TEST_F(ImageFiles, InterlacedFileReadsLikeTheSamePixelsPlain)
{
    StoredPng png{PNG_COLOR_TYPE_RGB_ALPHA, 8, 11, 9, {}};
    for (uint32_t i = 0; i < png.width * png.height; ++i)
        png.samples.insert(png.samples.end(),
                           {uint16_t(i), uint16_t(255 - i), uint16_t(i * 3 % 256), 200});
    WriteStoredPng(Path("plain.png"), png);
    png.interlaced = true;
    WriteStoredPng(Path("interlaced.png"), png);
    EXPECT_EQ(ReadPng(Path("interlaced.png")).rgba, ReadPng(Path("plain.png")).rgba);
}

TEST_F(ImageFiles, WrittenFileReadsBackWithItsAlphaAndLeavesNothingElse)
{
    Image image(3, 2);
    for (std::size_t i = 0; i < image.rgba.size(); ++i)
        image.rgba[i] = uint8_t(i * 11);
    WritePng(Path("out.png"), image);
    EXPECT_EQ(ReadPng(Path("out.png")).rgba, image.rgba);
    // Written again over the old one, still nothing beside it.
    image.rgba[3] = 1;
    WritePng(Path("out.png"), image);
    EXPECT_EQ(ReadPng(Path("out.png")).rgba, image.rgba);
    EXPECT_EQ(Files(), std::vector<std::string>{"out.png"});
}

TEST_F(ImageFiles, FailedWriteKeepsTheOldFileAndLeavesNothingElse)
{
    Image old(1, 1);
    WritePng(Path("out.png"), old);
    Image noisy(64, 64);
    uint32_t state = 1;
    for (uint8_t& byte : noisy.rgba)
        byte = uint8_t((state = state * 1664525u + 1013904223u) >> 24);

    // The file system refuses the data half-way: a file size limit for this
    // process, which makes write() fail instead of raising a signal.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    rlimit small = limit;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    std::string message = "(no HostError)";
    try {
        WritePng(Path("out.png"), noisy);
    } catch (const HostError& error) {
        message = error.what();
    }
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(message, "cannot write " + Path("out.png") + ": " + std::strerror(EFBIG));
    EXPECT_EQ(ReadPng(Path("out.png")).rgba, old.rgba);
    EXPECT_EQ(Files(), std::vector<std::string>{"out.png"});

    // A directory in the way of the rename: the temporary file is written
    // whole, then must go.
    fs::create_directories(directory / "taken.png" / "inside");
    EXPECT_THROW(WritePng(Path("taken.png"), old), HostError);
    EXPECT_THROW(WritePng(Path("missing/out.png"), old), HostError);
    EXPECT_EQ(Files().size(), 2u);
}

TEST_F(ImageFiles, BrokenFilesAreNamedForWhatIsWrong)
{
    Image image(16, 16);
    WritePng(Path("good.png"), image);
    std::ifstream in(Path("good.png"), std::ios::binary);
    const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    struct Case {
        const char* name;
        std::function<std::string(std::string)> damage;
        std::string message;
    };
    const Case cases[] = {
        {"empty", [](std::string) { return std::string(); }, "not a PNG file"},
        {"text", [](std::string) { return std::string("P6\n16 16\n255\n"); }, "not a PNG file"},
        {"cut after the signature", [](std::string b) { return b.substr(0, 8); },
         "corrupt PNG: the file ends early"},
        {"cut in the pixels", [](std::string b) { return b.substr(0, b.size() - 20); },
         "corrupt PNG: "},
        {"a flipped bit in the header",
         // The width's top byte, under the header's checksum.
         [](std::string b) { return b.substr(0, 16) + char(b[16] ^ 0x40) + b.substr(17); },
         "corrupt PNG: IHDR: CRC error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            std::ofstream out(Path("bad.png"), std::ios::binary);
            out << c.damage(good);
        }
        try {
            ReadPng(Path("bad.png"));
            ADD_FAILURE() << "no HostError";
        } catch (const HostError& error) {
            EXPECT_EQ(std::string(error.what())
                          .rfind("cannot read " + Path("bad.png") + ": " + c.message, 0),
                      0u)
                << error.what();
        }
    }
    EXPECT_THROW(ReadPng(Path("missing.png")), HostError);
}

TEST(ContactSheetShrink, AveragesByAlphaSoTransparentPixelsLendNoColour)
{
    Image picture(2, 2);
    const uint8_t pixels[] = {200, 0, 0, 255, 0, 0, 200, 0, 100, 0, 0, 255, 0, 0, 200, 0};
    picture.rgba.assign(std::begin(pixels), std::end(pixels));
    const Image small = ContactSheet::Shrink(picture, 2);
    ASSERT_EQ(small.width, 1u);
    ASSERT_EQ(small.height, 1u);
    EXPECT_EQ(small.rgba, (std::vector<uint8_t>{150, 0, 0, 128}));
}

TEST(BitmapFontGlyphs, EveryPrintableCharacterHasItsOwn)
{
    for (char c = ' '; c <= '~'; ++c)
        EXPECT_TRUE(BitmapFont::HasGlyph(c)) << "'" << c << "'";
    EXPECT_FALSE(BitmapFont::HasGlyph('\t'));
    EXPECT_EQ(BitmapFont::TextWidth("Ab", 2), (2 * BitmapFont::CellWidth - 1) * 2);
}

}  // namespace
}  // namespace frayline
