#include "widgets/jpeg_loader.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return. We jump back to
// the decoder with the library's own message; no C++ object with a destructor lives in
// the frames that the jump leaves.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void OnJpegError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings (level -1) are how libjpeg reports corrupt and truncated data before padding
// the picture with grey; a damaged photograph is refused rather than shown half grey.
// Trace messages are dropped so that nothing reaches the terminal.
extern "C" void OnJpegMessage(j_common_ptr cinfo, int level) {
    if (level < 0) {
        OnJpegError(cinfo);
    }
}

enum class DecodeResult { ok, libraryError, tooLarge };

// The image is the caller's, so the jump out of libjpeg skips no destructor.
DecodeResult DecodeInto(const unsigned char* data, unsigned long size, QImage& image,
                        ErrorManager& err) {
    jpeg_decompress_struct cinfo{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnJpegError;
    err.pub.emit_message = OnJpegMessage;
    if (setjmp(err.jump) != 0) {
        jpeg_destroy_decompress(&cinfo);
        return DecodeResult::libraryError;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);

    image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                   QImage::Format_RGB888);
    if (image.isNull()) {
        jpeg_destroy_decompress(&cinfo);
        return DecodeResult::tooLarge;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return DecodeResult::ok;
}

} // namespace

QImage DecodeJpeg(const QByteArray& bytes) {
    if (bytes.isEmpty()) {
        throw EJpegError("Cannot decode JPEG picture: no data");
    }
    QImage image;
    ErrorManager err{};
    switch (DecodeInto(reinterpret_cast<const unsigned char*>(bytes.constData()),
                       static_cast<unsigned long>(bytes.size()), image, err)) {
    case DecodeResult::ok:
        return image.convertToFormat(QImage::Format_RGB32);
    case DecodeResult::tooLarge:
        throw EJpegError("Cannot decode JPEG picture: too large to hold in memory");
    case DecodeResult::libraryError:
        break;
    }
    throw EJpegError(std::string("Cannot decode JPEG picture: ") + err.message);
}
