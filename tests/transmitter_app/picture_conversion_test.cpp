// Video and camera pictures reach the video area through one conversion to RGB on every machine:
// the levels that matter for the air come out exactly, and every way of laying out the same
// samples gives the same picture.

#include "media/av_pointers.h"
#include "media/ffmpeg_support.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <functional>

namespace mosaic {
namespace {

// A frame of the given format whose luminance and colour differences are yuv(x, y) at every pixel
// (the colour of a subsampled pair or block taken from its first pixel).
AvFramePtr frameOf(AVPixelFormat format, int width, int height,
                   const std::function<void(int, int, int&, int&, int&)>& yuv) {
  AvFramePtr frame = makeFrame();
  frame->format = format;
  frame->width = width;
  frame->height = height;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int l, u, v;
      yuv(x, y, l, u, v);
      switch (format) {
        case AV_PIX_FMT_NV12: {
          frame->data[0][y * frame->linesize[0] + x] = static_cast<uint8_t>(l);
          uint8_t* c = frame->data[1] + (y / 2) * frame->linesize[1] + (x / 2) * 2;
          if (x % 2 == 0 && y % 2 == 0)
            c[0] = static_cast<uint8_t>(u), c[1] = static_cast<uint8_t>(v);
          break;
        }
        case AV_PIX_FMT_YUYV422: {
          uint8_t* p = frame->data[0] + y * frame->linesize[0] + (x / 2) * 4;
          p[(x % 2) * 2] = static_cast<uint8_t>(l);
          if (x % 2 == 0) p[1] = static_cast<uint8_t>(u), p[3] = static_cast<uint8_t>(v);
          break;
        }
        default: {  // planar, 4:2:0 or 4:4:4
          const int shift = format == AV_PIX_FMT_YUV444P ? 0 : 1;
          frame->data[0][y * frame->linesize[0] + x] = static_cast<uint8_t>(l);
          if (x % (1 << shift) == 0 && y % (1 << shift) == 0) {
            frame->data[1][(y >> shift) * frame->linesize[1] + (x >> shift)] =
                static_cast<uint8_t>(u);
            frame->data[2][(y >> shift) * frame->linesize[2] + (x >> shift)] =
                static_cast<uint8_t>(v);
          }
        }
      }
    }
  return frame;
}

QColor colourAt(AVPixelFormat format, int l, int u, int v, AVColorRange range = AVCOL_RANGE_MPEG) {
  AvFramePtr frame =
      frameOf(format, 8, 4, [&](int, int, int& y, int& cb, int& cr) { y = l, cb = u, cr = v; });
  frame->color_range = range;
  SwsContextPtr converter;
  const QImage image = frameToImage(*frame, converter);
  return image.isNull() ? QColor() : image.pixelColor(5, 3);
}

bool near(const QColor& a, const QColor& b) {
  return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 &&
         std::abs(a.blue() - b.blue()) <= 2;
}

TEST(PictureConversion, VideoLevelsComeOutExactly) {
  for (AVPixelFormat f :
       {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV444P, AV_PIX_FMT_NV12, AV_PIX_FMT_YUYV422}) {
    EXPECT_EQ(colourAt(f, 235, 128, 128), QColor(255, 255, 255)) << f;
    EXPECT_EQ(colourAt(f, 126, 128, 128), QColor(128, 128, 128)) << f;
    EXPECT_EQ(colourAt(f, 16, 128, 128), QColor(0, 0, 0)) << f;
    // The primaries as BT.601 puts them in video range, to within the rounding of their levels.
    EXPECT_TRUE(near(colourAt(f, 81, 90, 240), QColor(255, 0, 0))) << f;
    EXPECT_TRUE(near(colourAt(f, 145, 54, 34), QColor(0, 255, 0))) << f;
    EXPECT_TRUE(near(colourAt(f, 41, 240, 110), QColor(0, 0, 255))) << f;
  }
  // Full range, as cameras sending JPEG pictures give it.
  EXPECT_EQ(colourAt(AV_PIX_FMT_YUVJ420P, 255, 128, 128), QColor(255, 255, 255));
  EXPECT_EQ(colourAt(AV_PIX_FMT_YUVJ420P, 128, 128, 128), QColor(128, 128, 128));
  EXPECT_EQ(colourAt(AV_PIX_FMT_YUV420P, 255, 128, 128, AVCOL_RANGE_JPEG), QColor(255, 255, 255));
}

TEST(PictureConversion, EveryLayoutOfTheSameSamplesGivesTheSamePicture) {
  auto pattern = [](int x, int y, int& l, int& u, int& v) {
    l = 16 + (x * 7 + y * 13) % 220;
    u = 16 + (x / 2 * 37 + y / 2 * 11) % 225;
    v = 16 + (x / 2 * 19 + y / 2 * 29) % 225;
  };
  SwsContextPtr converter;
  const QImage planar = frameToImage(*frameOf(AV_PIX_FMT_YUV420P, 32, 16, pattern), converter);
  ASSERT_FALSE(planar.isNull());
  EXPECT_EQ(frameToImage(*frameOf(AV_PIX_FMT_NV12, 32, 16, pattern), converter), planar);
  EXPECT_EQ(frameToImage(*frameOf(AV_PIX_FMT_YUV444P, 32, 16, pattern), converter), planar);
}

}  // namespace
}  // namespace mosaic
