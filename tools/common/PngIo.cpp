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
    bool interlaced = false;
    std::vector<uint8_t> row; // one decoded row, width * 4 bytes
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
    context.interlaced = png_get_interlace_type(context.png, context.info) != PNG_INTERLACE_NONE;
    png_set_expand(context.png);
    png_set_strip_16(context.png);
    png_set_gray_to_rgb(context.png);
    png_set_add_alpha(context.png, 0xFF, PNG_FILLER_AFTER);
    // No interlace handling: libpng would need every row kept whole until
    // the last pass. Each pass comes as its own reduced image instead, and
    // its pixels go straight to their places.
    png_read_update_info(context.png, context.info);
    return true;
}

// The next row of the current pass into context.row; false once libpng has
// given up (context.message says why).
bool ReadRow(PngContext& context) {
    if (setjmp(png_jmpbuf(context.png))) {
        return false;
    }
    png_read_row(context.png, context.row.data(), nullptr);
    return true;
}

bool ReadEnd(PngContext& context) {
    if (setjmp(png_jmpbuf(context.png))) {
        return false;
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

// Only a regular file: anything else is refused without waiting on it.
FILE* OpenInput(const char* path, std::string& error) {
    const char* notRegular = nullptr;
    FILE* file = OpenRegularFile(path, &notRegular);
    if (!file) {
        error = notRegular ? std::string(notRegular) + ", not a regular file"
                           : std::string("cannot open: ") + std::strerror(errno);
    }
    return file;
}

bool StartReading(PngContext& context, uint32_t maxSide, std::string& error) {
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
    context.row.resize(size_t(context.width) * 4);
    return true;
}

// Every row of every pass to onRow, in the order they are decoded.
bool ReadParts(PngContext& context, const PngRowReader& onRow, std::string& error) {
    const int passes = context.interlaced ? 7 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        PngRowPart part = {0, 0, 1, context.width, context.row.data()};
        uint32_t rows = context.height, firstRow = 0, rowStep = 1;
        if (context.interlaced) {
            part.firstColumn = PNG_PASS_START_COL(pass);
            part.columnStep = 1u << PNG_PASS_COL_SHIFT(pass);
            part.count = PNG_PASS_COLS(context.width, pass);
            rows = PNG_PASS_ROWS(context.height, pass);
            firstRow = PNG_PASS_START_ROW(pass);
            rowStep = 1u << PNG_PASS_ROW_SHIFT(pass);
        }
        if (part.count == 0 || rows == 0) {
            continue; // libpng skips an empty pass
        }
        for (uint32_t i = 0; i < rows; ++i) {
            if (!ReadRow(context)) {
                error = std::string("bad PNG: ") + context.message;
                return false;
            }
            part.y = firstRow + i * rowStep;
            if (!onRow(part, error)) {
                return false;
            }
        }
    }
    if (!ReadEnd(context)) {
        error = std::string("bad PNG: ") + context.message;
        return false;
    }
    return true;
}

} // namespace

bool ReadPngRowsFrom(FILE* file, const PngSizeReader& onSize, const PngRowReader& onRow, std::string& error,
                     uint32_t maxSide) {
    PngContext context;
    context.file = file;
    bool ok = false;
    try {
        ok = StartReading(context, maxSide, error) && onSize(context.width, context.height, error) &&
             ReadParts(context, onRow, error);
    } catch (const std::bad_alloc&) {
        error =
            "out of memory for a " + std::to_string(context.width) + "x" + std::to_string(context.height) + " image";
    }
    if (context.png) {
        png_destroy_read_struct(&context.png, context.info ? &context.info : nullptr, nullptr);
    }
    return ok;
}

bool ReadPngRows(const char* path, const PngSizeReader& onSize, const PngRowReader& onRow, std::string& error,
                 uint32_t maxSide) {
    FILE* file = OpenInput(path, error);
    if (!file) {
        return false;
    }
    const bool ok = ReadPngRowsFrom(file, onSize, onRow, error, maxSide);
    std::fclose(file);
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
