#include "ui/JpegPicture.h"

#include <csetjmp>
#include <cstdio>
#include <string>

// libjpeg's header needs the declarations of <cstdio> before it.
#include <jpeglib.h>

namespace fx {

namespace {

// libjpeg reports errors through a callback that must not return; it jumps back to the
// decoder instead, carrying libjpeg's own text. Nothing with a destructor lives in the
// frames it jumps over.
struct TJpegErrors {
  jpeg_error_mgr Manager;
  std::jmp_buf Return;
  char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr info) {
  auto* errors = reinterpret_cast<TJpegErrors*>(info->err);
  info->err->format_message(info, errors->Message);
  std::longjmp(errors->Return, 1);
}

// Warnings (msg_level -1) tell of corrupt data that libjpeg would paper over with grey;
// a damaged picture is reported rather than shown half grey. Trace messages are dropped.
void EmitMessage(j_common_ptr info, int level) {
  if (level < 0) ErrorExit(info);
}

enum class TDecodeResult { Ok, Failed, TooLarge };

// Only plain C data here: libjpeg may jump out of any call below.
TDecodeResult DecodeInto(const unsigned char* bytes, unsigned long size, TJpegErrors& errors,
                         TPixels& pixels) {
  jpeg_decompress_struct info{};
  info.err = jpeg_std_error(&errors.Manager);
  errors.Manager.error_exit = ErrorExit;
  errors.Manager.emit_message = EmitMessage;
  errors.Message[0] = '\0';
  if (setjmp(errors.Return) != 0) {
    jpeg_destroy_decompress(&info);
    return TDecodeResult::Failed;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes, size);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  const std::uint64_t count = std::uint64_t{info.output_width} * info.output_height;
  if (count > kMaxJpegPixels || info.output_components != 3) {
    jpeg_destroy_decompress(&info);
    return TDecodeResult::TooLarge;
  }
  pixels.Width = static_cast<int>(info.output_width);
  pixels.Height = static_cast<int>(info.output_height);
  pixels.Rgb.resize(count * 3);
  const std::size_t stride = std::size_t{info.output_width} * 3;
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = pixels.Rgb.data() + stride * info.output_scanline;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return TDecodeResult::Ok;
}

}  // namespace

TPixels DecodeJpeg(std::string_view data) {
  if (data.empty()) throw EPictureError("The picture is empty.");
  TJpegErrors errors{};
  TPixels pixels;
  switch (DecodeInto(reinterpret_cast<const unsigned char*>(data.data()),
                     static_cast<unsigned long>(data.size()), errors, pixels)) {
    case TDecodeResult::Ok:
      return pixels;
    case TDecodeResult::TooLarge:
      throw EPictureError("The picture is too large to be shown.");
    case TDecodeResult::Failed:
      break;
  }
  throw EPictureError(std::string("The picture is damaged: ") + errors.Message);
}

}  // namespace fx
