#include "tools/Image.h"

#include <png.h>

#include <atomic>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "host/HostError.h"

namespace frayline {
namespace {

// libpng reports errors by longjmp. Every function below that calls into it
// sets its jump point first and keeps no object with a destructor in its
// frame, so a jump skips nothing; the C++ side around them owns the memory.
struct PngState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    FILE* file = nullptr;
    const char* prefix = "";  // put before libpng's own messages
    char message[256] = "";
};

void OnError(png_structp png, png_const_charp text)
{
    auto* state = static_cast<PngState*>(png_get_error_ptr(png));
    if (state->message[0] == '\0')
        std::snprintf(state->message, sizeof state->message, "%s%s", state->prefix, text);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp)
{
}

void ReadData(png_structp png, png_bytep data, size_t length)
{
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (std::fread(data, 1, length, state->file) == length)
        return;
    if (std::ferror(state->file))
        std::snprintf(state->message, sizeof state->message, "%s", std::strerror(errno));
    else
        std::snprintf(state->message, sizeof state->message, "corrupt PNG: the file ends early");
    png_error(png, state->message);
}

void WriteData(png_structp png, png_bytep data, size_t length)
{
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, length, state->file) != length) {
        std::snprintf(state->message, sizeof state->message, "%s", std::strerror(errno));
        png_error(png, state->message);
    }
}

void FlushData(png_structp)
{
}

// Reads the header and asks libpng for 8-bit RGBA whatever the file holds.
bool ReadHeader(PngState& state, uint32_t* width, uint32_t* height)
{
    if (setjmp(png_jmpbuf(state.png)))
        return false;
    png_set_read_fn(state.png, &state, ReadData);
    png_set_sig_bytes(state.png, 8);
    // Larger than any texture the host can make; refuses absurd headers
    // before they become allocations.
    png_set_user_limits(state.png, 1u << 15, 1u << 15);
    png_read_info(state.png, state.info);
    png_set_expand(state.png);    // palette to RGB, low-bit grey to 8, tRNS to alpha
    png_set_scale_16(state.png);  // 16 to 8 bits, rounded
    png_set_gray_to_rgb(state.png);
    png_set_add_alpha(state.png, 0xFF, PNG_FILLER_AFTER);  // only where there is none
    png_set_interlace_handling(state.png);
    png_read_update_info(state.png, state.info);
    *width = png_get_image_width(state.png, state.info);
    *height = png_get_image_height(state.png, state.info);
    if (png_get_rowbytes(state.png, state.info) != std::size_t(*width) * 4)
        png_error(state.png, "unexpected row layout after conversion");
    return true;
}

bool ReadRows(PngState& state, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(state.png)))
        return false;
    png_read_image(state.png, rows);
    png_read_end(state.png, nullptr);
    return true;
}

bool WriteRows(PngState& state, uint32_t width, uint32_t height, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(state.png)))
        return false;
    png_set_write_fn(state.png, &state, WriteData, FlushData);
    png_set_IHDR(state.png, state.info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(state.png, state.info);
    png_write_image(state.png, rows);
    png_write_end(state.png, nullptr);
    return true;
}

std::vector<png_bytep> RowPointers(uint8_t* pixels, uint32_t width, uint32_t height)
{
    std::vector<png_bytep> rows(height);
    for (uint32_t y = 0; y < height; ++y)
        rows[y] = pixels + std::size_t(y) * width * 4;
    return rows;
}

[[noreturn]] void CannotRead(const std::string& path, const std::string& why)
{
    throw HostError("cannot read " + path + ": " + why);
}

[[noreturn]] void CannotWrite(const std::string& path, const std::string& why)
{
    throw HostError("cannot write " + path + ": " + why);
}

}  // namespace

Image::Image(uint32_t width, uint32_t height)
    : width(width), height(height), rgba(std::size_t(width) * height * 4, 0)
{
}

std::vector<uint8_t> FlipRows(const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height)
{
    std::vector<uint8_t> flipped(rgba.size());
    const std::size_t row = std::size_t(width) * 4;
    for (uint32_t y = 0; y < height; ++y)
        std::memcpy(&flipped[(height - 1 - y) * row], &rgba[y * row], row);
    return flipped;
}

Image ReadPng(const std::string& path)
{
    PngState state;
    state.prefix = "corrupt PNG: ";
    state.file = std::fopen(path.c_str(), "rb");
    if (!state.file)
        CannotRead(path, std::strerror(errno));
    struct Closer {
        PngState& state;
        ~Closer()
        {
            png_destroy_read_struct(&state.png, state.info ? &state.info : nullptr, nullptr);
            std::fclose(state.file);
        }
    } closer{state};

    png_byte signature[8];
    const std::size_t got = std::fread(signature, 1, sizeof signature, state.file);
    if (got != sizeof signature && std::ferror(state.file))
        CannotRead(path, std::strerror(errno));
    if (got != sizeof signature || png_sig_cmp(signature, 0, sizeof signature) != 0)
        CannotRead(path, "not a PNG file");

    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
    if (state.png)
        state.info = png_create_info_struct(state.png);
    if (!state.png || !state.info)
        CannotRead(path, "out of memory");

    uint32_t width = 0, height = 0;
    if (!ReadHeader(state, &width, &height))
        CannotRead(path, state.message);
    Image image(width, height);
    std::vector<png_bytep> rows = RowPointers(image.rgba.data(), width, height);
    if (!ReadRows(state, rows.data()))
        CannotRead(path, state.message);
    return image;
}

void WritePng(const std::string& path, const Image& image)
{
    if (image.width == 0 || image.height == 0 ||
        image.rgba.size() != std::size_t(image.width) * image.height * 4)
        CannotWrite(path, "empty or inconsistent image");

    // Beside the final name, so the rename stays on one file system. The
    // counter keeps names apart when several threads write at once.
    static std::atomic<unsigned> serial{0};
    const std::string temporary =
        path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
    const int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0)
        CannotWrite(path, std::strerror(errno));

    PngState state;
    state.file = fdopen(descriptor, "wb");
    if (!state.file) {
        const int error = errno;
        close(descriptor);
        unlink(temporary.c_str());
        CannotWrite(path, std::strerror(error));
    }
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
    if (state.png)
        state.info = png_create_info_struct(state.png);

    // libpng reads the rows without changing them; its interface is not const.
    std::vector<png_bytep> rows =
        RowPointers(const_cast<uint8_t*>(image.rgba.data()), image.width, image.height);
    bool written =
        state.png && state.info && WriteRows(state, image.width, image.height, rows.data());
    std::string why = state.png && state.info ? state.message : "out of memory";
    png_destroy_write_struct(&state.png, state.info ? &state.info : nullptr);
    if (written && std::fflush(state.file) != 0) {
        written = false;
        why = std::strerror(errno);
    }
    if (std::fclose(state.file) != 0 && written) {
        written = false;
        why = std::strerror(errno);
    }
    if (written && std::rename(temporary.c_str(), path.c_str()) != 0) {
        written = false;
        why = std::strerror(errno);
    }
    if (!written) {
        unlink(temporary.c_str());
        CannotWrite(path, why);
    }
}

}  // namespace frayline
