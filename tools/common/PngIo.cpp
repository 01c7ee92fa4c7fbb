#include "tools/common/PngIo.h"

#include "platform/RegularFile.h"
#include "tools/common/OutputFile.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

// libpng reports errors by calling back and never returning: the callback
// keeps the message and jumps back to the setjmp of the step that was
// running. Each such step keeps all of its state in a record owned by its
// caller, so the jump skips no destructor and leaves no local half-updated;
// the caller releases libpng's structures and the FILE* on every path.
struct PngContext {
    FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    char message[256] = {};
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int passes = 1;
};

void OnPngError(png_structp png, png_const_charp message) {
    auto* context = static_cast<PngContext*>(png_get_error_ptr(png));
    std::snprintf(context->message, sizeof context->message, "%s", message);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {
    // Warnings (odd ancillary chunks, colour profiles) do not affect the pixels.
}

bool ReadHeader(PngContext& context) {
    if (setjmp(png_jmpbuf(context.png))) {
        return false;
    }
    png_init_io(context.png, context.file);
    png_set_sig_bytes(context.png, 8);
    png_read_info(context.png, context.info);
    context.width = png_get_image_width(context.png, context.info);
    context.height = png_get_image_height(context.png, context.info);
    png_set_expand(context.png);
    png_set_strip_16(context.png);
    png_set_gray_to_rgb(context.png);
    png_set_add_alpha(context.png, 0xFF, PNG_FILLER_AFTER);
    context.passes = png_set_interlace_handling(context.png);
    png_read_update_info(context.png, context.info);
    return true;
}

// Rows in the order their first pixels arrive: slots[y] is where row y is
// kept, kNoRow until then.
struct DecodedRows {
    static constexpr uint32_t kNoRow = UINT32_MAX;
    std::vector<uint8_t> pixels;
    std::vector<uint32_t> slots;
    uint32_t stored = 0;
};

// Memory grows only as rows arrive, so a header that claims a huge image
// costs nothing until its pixels are really there. An interlaced image
// reaches its rows pass after pass; each row gets its place when the first
// pass that holds it comes.
bool ReadRows(PngContext& context, int passes, size_t rowBytes, DecodedRows& rows) {
    if (setjmp(png_jmpbuf(context.png))) {
        return false;
    }
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < context.height; ++y) {
            png_bytep row = nullptr;
            if (passes == 1 || PNG_ROW_IN_INTERLACE_PASS(y, pass)) {
                if (rows.slots[y] == DecodedRows::kNoRow) {
                    rows.slots[y] = rows.stored++;
                    rows.pixels.resize(rows.stored * rowBytes);
                }
                row = rows.pixels.data() + rows.slots[y] * rowBytes;
            }
            png_read_row(context.png, row, nullptr);
        }
    }
    png_read_end(context.png, nullptr);
    return true;
}

bool WriteRows(PngContext& context, const PngImage& image, png_bytepp rows) {
    if (setjmp(png_jmpbuf(context.png))) {
        return false;
    }
    png_init_io(context.png, context.file);
    png_set_IHDR(context.png, context.info, image.width, image.height, 8,
                 image.channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(context.png, context.info);
    png_write_image(context.png, rows);
    png_write_end(context.png, nullptr);
    return true;
}

bool ReadPngFromFile(PngContext& context, PngImage& image, std::string& error, uint32_t maxSide) {
    png_byte signature[8];
    if (std::fread(signature, 1, sizeof signature, context.file) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0) {
        error = "not a PNG file";
        return false;
    }
    context.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &context, OnPngError, OnPngWarning);
    if (context.png) {
        context.info = png_create_info_struct(context.png);
    }
    if (!context.png || !context.info) {
        error = "out of memory";
        return false;
    }
    if (!ReadHeader(context)) {
        error = std::string("bad PNG: ") + context.message;
        return false;
    }
    if (context.width > maxSide || context.height > maxSide) {
        error = "image is " + std::to_string(context.width) + "x" + std::to_string(context.height) +
                " pixels, more than the " + std::to_string(maxSide) + " pixels allowed in each direction";
        return false;
    }
    if (png_get_channels(context.png, context.info) != 4 || png_get_bit_depth(context.png, context.info) != 8 ||
        png_get_rowbytes(context.png, context.info) != size_t(context.width) * 4) {
        error = "unsupported PNG layout";
        return false;
    }

    const size_t rowBytes = size_t(context.width) * 4;
    DecodedRows rows;
    try {
        rows.slots.assign(context.height, DecodedRows::kNoRow);
        if (!ReadRows(context, context.passes, rowBytes, rows)) {
            error = std::string("bad PNG: ") + context.message;
            return false;
        }
        if (context.passes > 1) {
            std::vector<uint8_t> ordered(rows.pixels.size());
            for (png_uint_32 y = 0; y < context.height; ++y) {
                std::memcpy(ordered.data() + y * rowBytes, rows.pixels.data() + rows.slots[y] * rowBytes, rowBytes);
            }
            rows.pixels.swap(ordered);
        }
    } catch (const std::bad_alloc&) {
        error =
            "out of memory for a " + std::to_string(context.width) + "x" + std::to_string(context.height) + " image";
        return false;
    }
    image.width = context.width;
    image.height = context.height;
    image.channels = 4;
    image.pixels.swap(rows.pixels);
    return true;
}

} // namespace

bool ReadPngRgba(const char* path, PngImage& image, std::string& error, uint32_t maxSide) {
    const char* notRegular = nullptr;
    FILE* file = OpenRegularFile(path, &notRegular);
    if (!file) {
        error = notRegular ? std::string(notRegular) + ", not a regular file"
                           : std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    const bool ok = ReadPngRgbaFrom(file, image, error, maxSide);
    std::fclose(file);
    return ok;
}

bool ReadPngRgbaFrom(FILE* file, PngImage& image, std::string& error, uint32_t maxSide) {
    PngContext context;
    context.file = file;
    const bool ok = ReadPngFromFile(context, image, error, maxSide);
    if (context.png) {
        png_destroy_read_struct(&context.png, context.info ? &context.info : nullptr, nullptr);
    }
    return ok;
}

bool WritePng(const char* path, const PngImage& image, std::string& error) {
    if ((image.channels != 3 && image.channels != 4) || image.width == 0 || image.height == 0 ||
        image.pixels.size() != size_t(image.width) * image.height * image.channels) {
        error = "cannot write an image of " + std::to_string(image.width) + "x" + std::to_string(image.height) +
                " pixels with " + std::to_string(image.channels) + " channels";
        return false;
    }
    std::vector<png_bytep> rows(image.height);
    size_t rowBytes = size_t(image.width) * image.channels;
    for (uint32_t y = 0; y < image.height; ++y) {
        rows[y] = const_cast<png_bytep>(image.pixels.data() + rowBytes * y);
    }

    OutputFile out;
    if (!OpenOutputFile(out, path, error)) {
        return false;
    }
    PngContext context;
    context.file = out.file;
    context.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &context, OnPngError, OnPngWarning);
    if (context.png) {
        context.info = png_create_info_struct(context.png);
    }
    bool ok = context.png && context.info;
    if (!ok) {
        error = "out of memory";
    } else if (!WriteRows(context, image, rows.data())) {
        error = std::string("cannot write PNG: ") + context.message;
        ok = false;
    }
    if (context.png) {
        png_destroy_write_struct(&context.png, context.info ? &context.info : nullptr);
    }
    if (!ok) {
        DiscardOutputFile(out);
        return false;
    }
    return CommitOutputFile(out, error);
}

PngImage Rgb565Image(const uint16_t* pixels, uint32_t width, uint32_t height) {
    PngImage image;
    image.width = width;
    image.height = height;
    image.channels = 3;
    image.pixels.resize(size_t(width) * height * 3);
    for (size_t i = 0; i < size_t(width) * height; ++i) {
        UnpackRgb565(pixels[i], image.pixels[i * 3], image.pixels[i * 3 + 1], image.pixels[i * 3 + 2]);
    }
    return image;
}
