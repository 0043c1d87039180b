#include "media/capture_devices.h"

#include <algorithm>
#include <filesystem>

#ifdef __linux__
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace mosaic {

std::vector<std::string> listCaptureDevices() {
  std::vector<std::string> devices;
#ifdef __linux__
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("video", 0) == 0) devices.push_back(entry.path().string());
  }
  std::sort(devices.begin(), devices.end());
#endif
  return devices;
}

std::vector<FrameSize> captureFrameSizes(const std::string& device) {
  std::vector<FrameSize> sizes;
#ifdef __linux__
  const int fd = ::open(device.c_str(), O_RDWR | O_NONBLOCK);
  if (fd < 0) return sizes;
  v4l2_fmtdesc format{};
  format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  for (format.index = 0; ::ioctl(fd, VIDIOC_ENUM_FMT, &format) == 0; ++format.index) {
    v4l2_frmsizeenum size{};
    size.pixel_format = format.pixelformat;
    for (size.index = 0; ::ioctl(fd, VIDIOC_ENUM_FRAMESIZES, &size) == 0; ++size.index) {
      // Stepwise ranges are offered by their largest and smallest sizes.
      if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
        sizes.push_back(
            {static_cast<int>(size.discrete.width), static_cast<int>(size.discrete.height)});
      } else {
        sizes.push_back({static_cast<int>(size.stepwise.max_width),
                         static_cast<int>(size.stepwise.max_height)});
        sizes.push_back({static_cast<int>(size.stepwise.min_width),
                         static_cast<int>(size.stepwise.min_height)});
        break;
      }
    }
  }
  ::close(fd);
#endif
  std::sort(sizes.begin(), sizes.end(), [](const FrameSize& a, const FrameSize& b) {
    return a.width * a.height != b.width * b.height ? a.width * a.height > b.width * b.height
                                                    : a.width > b.width;
  });
  sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
  return sizes;
}

}  // namespace mosaic
