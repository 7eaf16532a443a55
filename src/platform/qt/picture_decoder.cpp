#include "platform/qt/picture_decoder.h"

#include <QBuffer>
#include <QImageReader>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace pelorin::qt {
namespace {

struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  bool truncated;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

void OnJpegMessage(j_common_ptr info, int level) {
  // A file that ends early still decodes (grey below the cut); we count it as undecodable.
  if (level == -1 && info->err->msg_code == JWRN_JPEG_EOF) {
    reinterpret_cast<JpegErrors*>(info->err)->truncated = true;
  }
}

// Only C objects live in this frame, so returning here by longjmp skips no destructor.
bool DecodeJpegInto(const unsigned char* data, unsigned long size, QImage* out) {
  jpeg_decompress_struct info;
  JpegErrors errors;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = OnJpegError;
  errors.manager.emit_message = OnJpegMessage;
  errors.truncated = false;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, size);
  jpeg_read_header(&info, TRUE);
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBX;
  jpeg_calc_output_dimensions(&info);
  if (info.output_width == 0 || info.output_height == 0 ||
      static_cast<long long>(info.output_width) * info.output_height > MaxPicturePixels) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  *out = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                QImage::Format_RGBX8888);
  if (out->isNull()) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_start_decompress(&info);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out->scanLine(static_cast<int>(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
    if (cmyk) {
      // Adobe writes CMYK inverted; each pixel becomes R G B X in place.
      for (unsigned x = 0; x < info.output_width; ++x) {
        unsigned char* p = row + 4 * x;
        const unsigned k = p[3];
        p[0] = static_cast<unsigned char>(p[0] * k / 255);
        p[1] = static_cast<unsigned char>(p[1] * k / 255);
        p[2] = static_cast<unsigned char>(p[2] * k / 255);
        p[3] = 255;
      }
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return !errors.truncated;
}

QImage ReadWithQt(const QByteArray& data, const char* format) {
  QBuffer buffer;
  buffer.setData(data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  const QSize size = reader.size();
  if (size.isValid() && static_cast<long long>(size.width()) * size.height() > MaxPicturePixels) {
    return {};
  }
  return reader.read();
}

bool StartsWith(const Bytes& bytes, std::string_view prefix) {
  return bytes.View().substr(0, prefix.size()) == prefix;
}

}  // namespace

QImage DecodeJpeg(const unsigned char* data, std::size_t size) {
  QImage image;
  if (!DecodeJpegInto(data, static_cast<unsigned long>(size), &image)) return {};
  return image;
}

QImage DecodePcx(const unsigned char* data, std::size_t size) {
  if (size < 128 || data[0] != 0x0A) return {};
  auto word = [data](std::size_t at) { return static_cast<int>(data[at] | (data[at + 1] << 8)); };
  const int encoding = data[2];
  const int bits = data[3];
  const int width = word(8) - word(4) + 1;
  const int height = word(10) - word(6) + 1;
  const int planes = data[65];
  const int bytesPerLine = word(66);
  if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > MaxPicturePixels) {
    return {};
  }
  const bool supported = (bits == 8 && (planes == 1 || planes == 3)) ||
                         (bits == 1 && (planes == 1 || planes == 4));
  if (!supported || bytesPerLine * 8 < width * bits) return {};

  const std::size_t lineBytes = static_cast<std::size_t>(bytesPerLine) * planes;
  std::vector<unsigned char> line(lineBytes);
  std::size_t at = 128;
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return {};
  const unsigned char* palette256 = nullptr;
  if (bits == 8 && planes == 1) {
    if (size < 128 + 769 || data[size - 769] != 0x0C) return {};
    palette256 = data + size - 768;
  }
  for (int y = 0; y < height; ++y) {
    std::size_t filled = 0;
    while (filled < lineBytes) {
      if (at >= size) return {};  // cut short
      unsigned char byte = data[at++];
      std::size_t count = 1;
      if (encoding == 1 && (byte & 0xC0) == 0xC0) {
        count = byte & 0x3F;
        if (at >= size) return {};
        byte = data[at++];
      }
      while (count-- > 0 && filled < lineBytes) line[filled++] = byte;
    }
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      if (palette256 != nullptr) {
        const unsigned char* c = palette256 + 3 * line[static_cast<std::size_t>(x)];
        out[x] = qRgb(c[0], c[1], c[2]);
      } else if (bits == 8) {
        out[x] = qRgb(line[static_cast<std::size_t>(x)],
                      line[static_cast<std::size_t>(bytesPerLine + x)],
                      line[static_cast<std::size_t>(2 * bytesPerLine + x)]);
      } else {
        int index = 0;
        for (int p = 0; p < planes; ++p) {
          const unsigned char b = line[static_cast<std::size_t>(p * bytesPerLine + x / 8)];
          index |= ((b >> (7 - x % 8)) & 1) << p;
        }
        if (planes == 1) {
          out[x] = index ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        } else {
          const unsigned char* c = data + 16 + 3 * index;  // the header's 16-colour palette
          out[x] = qRgb(c[0], c[1], c[2]);
        }
      }
    }
  }
  return image;
}

DecodedPicture DecodePicture(const Bytes& bytes) {
  DecodedPicture picture;
  if (bytes.Size() < 6) return picture;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.Data().data());
  const QByteArray array(bytes.Data().data(), static_cast<qsizetype>(bytes.Size()));
  if (StartsWith(bytes, "BM")) {
    picture.image = ReadWithQt(array, "BMP");
  } else if (data[0] == 0xFF && data[1] == 0xD8) {
    picture.image = DecodeJpeg(data, bytes.Size());
  } else if (StartsWith(bytes, std::string_view("\0\0\1\0", 4))) {
    picture.image = ReadWithQt(array, "ICO");
  } else if (StartsWith(bytes, std::string_view("\0\0\2\0", 4))) {
    picture.image = ReadWithQt(array, "CUR");
  } else if (StartsWith(bytes, "GIF87a") || StartsWith(bytes, "GIF89a")) {
    picture.image = ReadWithQt(array, "GIF");
    QBuffer buffer;
    buffer.setData(array);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "GIF");
    picture.animated = !picture.image.isNull() && reader.supportsAnimation() && reader.imageCount() > 1;
    if (picture.animated) picture.data = array;
  } else if (data[0] == 0x0A) {
    picture.image = DecodePcx(data, bytes.Size());
  } else if (StartsWith(bytes, "\x89PNG\r\n\x1A\n")) {
    picture.image = ReadWithQt(array, "PNG");
  }
  return picture;
}

}  // namespace pelorin::qt
