// The picture box's decoding: the kind is told by the first bytes (BMP, JPEG, icon, cursor,
// GIF, PCX, and PNG); anything empty, short, unknown or undecodable is no picture.
#pragma once

#include <QByteArray>
#include <QImage>

#include "text/text.h"

namespace pelorin::qt {

struct DecodedPicture {
  QImage image;          // the still picture (the first frame of an animation)
  bool animated = false; // a GIF of more than one frame: play `data` as a movie
  QByteArray data;
};

// Pictures larger than this many pixels are refused rather than allocated.
inline constexpr long long MaxPicturePixels = 40LL * 1000 * 1000;

DecodedPicture DecodePicture(const Bytes& bytes);

// The JPEG decoder (libjpeg, from memory). A truncated or corrupt file gives a null image.
QImage DecodeJpeg(const unsigned char* data, std::size_t size);
// ZSoft PCX: 1, 4 (planar), 8 (palette) and 24 (three planes) bits per pixel.
QImage DecodePcx(const unsigned char* data, std::size_t size);

}  // namespace pelorin::qt
