#pragma once
// The station's pictures folder as the web page sees it: the PNG files directly in it, newest
// first. Files are opened only by a plain name within the folder and never through a link, so
// nothing outside the folder can be reached through the page.

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace mosaic::web {

class PictureFolder {
 public:
  // A picture's text chunks, as (key, value).
  using Details = std::vector<std::pair<QString, QString>>;

  explicit PictureFolder(std::string path);

  // Whether `name` can name a picture: one plain file name, not hidden, ending in ".png".
  static bool isPictureName(std::string_view name);

  // The pictures' names, newest first by the UTC time they are named by (a second picture of
  // the same second, "...Z-2.png", after the first). Read again only when the folder changed.
  const std::vector<std::string>& names();

  // The picture `name` opened for reading with its size in bytes: a regular file directly in
  // the folder, reached without following a link. -1 when there is no such picture.
  int open(const std::string& name, std::uint64_t& size) const;

  bool contains(const std::string& name) const;

  // The text chunks of picture `name` ("Received", "Tuning", "Clock", "SNR" first, in that
  // order; the others after, by key). Empty when it is not a picture of the folder.
  Details details(const std::string& name);

 private:
  struct CachedDetails {
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    Details details;
  };

  std::string path_;
  std::vector<std::string> names_;
  // The folder's modification time when `names_` was read; a listing read within a second of
  // it is read again, since two changes within the file system's clock step look alike.
  std::int64_t listedModifiedNs_ = -1;
  bool listingMayBeStale_ = true;
  std::unordered_map<std::string, CachedDetails> details_;
};

}  // namespace mosaic::web
