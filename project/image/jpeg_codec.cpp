#include "project/image/jpeg_codec.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio> // jpeglib.h needs FILE
#include <jpeglib.h>

namespace tavlo::project {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: jump back to the call.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void errorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

void quietMessage(j_common_ptr) {} // damaged-data warnings are expected, not for stderr

void installErrors(ErrorManager& err) {
    jpeg_std_error(&err.base);
    err.base.error_exit = errorExit;
    err.base.output_message = quietMessage;
}

// A destination that appends to a vector and doubles it whenever libjpeg fills it.
struct VectorDestination {
    jpeg_destination_mgr base;
    std::vector<std::uint8_t>* out;
    std::size_t start;
};

void initDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    std::vector<std::uint8_t>& out = *dest->out;
    const std::size_t initial = 65536;
    out.resize(dest->start + initial);
    dest->base.next_output_byte = out.data() + dest->start;
    dest->base.free_in_buffer = initial;
}

boolean emptyOutput(j_compress_ptr cinfo) {
    // Called when the buffer is full; the whole buffer counts as written.
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    std::vector<std::uint8_t>& out = *dest->out;
    const std::size_t used = out.size();
    out.resize(used + (used - dest->start));
    dest->base.next_output_byte = out.data() + used;
    dest->base.free_in_buffer = out.size() - used;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    dest->out->resize(dest->out->size() - dest->base.free_in_buffer);
}

bool runCompress(jpeg_compress_struct& cinfo, ErrorManager& err, VectorDestination& dest,
                 const std::uint32_t* pixels, int width, int height, int quality) {
    if (setjmp(err.jump)) return false;
    jpeg_create_compress(&cinfo);
    cinfo.dest = &dest.base;
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX; // 0x00RRGGBB in little-endian memory
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    for (int c = 0; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    JSAMPROW rows[16];
    while (cinfo.next_scanline < cinfo.image_height) {
        JDIMENSION n = 0;
        for (; n < 16 && cinfo.next_scanline + n < cinfo.image_height; ++n) {
            // libjpeg takes non-const rows but only reads them.
            rows[n] = reinterpret_cast<JSAMPROW>(
                const_cast<std::uint32_t*>(pixels + static_cast<std::size_t>(cinfo.next_scanline + n) *
                                                        static_cast<std::size_t>(width)));
        }
        jpeg_write_scanlines(&cinfo, rows, n);
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

bool runDecompress(jpeg_decompress_struct& cinfo, ErrorManager& err, std::span<const std::uint8_t> data,
                   int width, int height, std::uint32_t* out) {
    if (setjmp(err.jump)) return false;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return false;
    // The rectangle decides how many pixels we have room for, whatever the image claims.
    if (cinfo.image_width != static_cast<JDIMENSION>(width) ||
        cinfo.image_height != static_cast<JDIMENSION>(height))
        return false;
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 4 || cinfo.output_width != cinfo.image_width ||
        cinfo.output_height != cinfo.image_height)
        return false;
    JSAMPROW rows[16];
    while (cinfo.output_scanline < cinfo.output_height) {
        JDIMENSION n = 0;
        for (; n < 16 && cinfo.output_scanline + n < cinfo.output_height; ++n)
            rows[n] = reinterpret_cast<JSAMPROW>(out + static_cast<std::size_t>(cinfo.output_scanline + n) *
                                                           static_cast<std::size_t>(width));
        const JDIMENSION first = cinfo.output_scanline;
        const JDIMENSION got = jpeg_read_scanlines(&cinfo, rows, n);
        if (got == 0) return false;
        // The filler byte comes out as 0xFF; our pixels keep it 0.
        std::uint32_t* p = out + static_cast<std::size_t>(first) * static_cast<std::size_t>(width);
        const std::size_t total = static_cast<std::size_t>(got) * static_cast<std::size_t>(width);
        for (std::size_t i = 0; i < total; ++i) p[i] &= 0x00FFFFFF;
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

} // namespace

bool encodeJpeg(const std::uint32_t* pixels, int width, int height, int quality,
                std::vector<std::uint8_t>& out) {
    if (width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION) return false;
    const std::size_t start = out.size();
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    installErrors(err);
    cinfo.err = &err.base;
    VectorDestination dest{};
    dest.base.init_destination = initDestination;
    dest.base.empty_output_buffer = emptyOutput;
    dest.base.term_destination = termDestination;
    dest.out = &out;
    dest.start = start;
    const bool ok = runCompress(cinfo, err, dest, pixels, width, height, quality);
    jpeg_destroy_compress(&cinfo);
    if (!ok) out.resize(start);
    return ok;
}

bool decodeJpeg(std::span<const std::uint8_t> data, int width, int height, std::uint32_t* out) {
    if (width <= 0 || height <= 0 || data.empty()) return false;
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    installErrors(err);
    cinfo.err = &err.base;
    const bool ok = runDecompress(cinfo, err, data, width, height, out);
    jpeg_destroy_decompress(&cinfo);
    return ok;
}

} // namespace tavlo::project
