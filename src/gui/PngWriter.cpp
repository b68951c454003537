#include "gui/PngWriter.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <fstream>

namespace Mirda {
namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

} // namespace

bool encodePNG(const CPixelBuffer& buffer, std::vector<uint8_t>& out) {
    if (!buffer.isValid()) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    std::vector<uint8_t> row(static_cast<size_t>(buffer.width) * 4);
    out.clear();
    bool ok = false;
    if (info && setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, &out, appendBytes, nullptr);
        png_set_IHDR(png, info, static_cast<png_uint_32>(buffer.width),
                     static_cast<png_uint_32>(buffer.height), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int32_t y = 0; y < buffer.height; ++y) {
            const uint8_t* p = buffer.row(y);
            for (int32_t x = 0; x < buffer.width; ++x, p += 4) {
                const unsigned a = p[3];
                const auto unpremultiply = [a](unsigned c) {
                    return static_cast<uint8_t>(a == 0 ? 0 : std::min(255u, (c * 255 + a / 2) / a));
                };
                uint8_t* q = &row[static_cast<size_t>(x) * 4];
                q[0] = unpremultiply(p[2]);
                q[1] = unpremultiply(p[1]);
                q[2] = unpremultiply(p[0]);
                q[3] = static_cast<uint8_t>(a);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return ok;
}

bool writePNGFile(const CPixelBuffer& buffer, const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!encodePNG(buffer, bytes)) return false;
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

} // namespace Mirda
