#include "picture/picture_rows.h"

#include <algorithm>
#include <new>

#include "report/messages.h"

namespace typekiln {

Failure RowCache::Read(const Picture& picture, std::int64_t first, std::int64_t end,
                       PixelRows& rows) {
  const std::int64_t rowBytes = std::int64_t{picture.width} * kBytesPerPixel;
  // The file rows that hold them: they follow each other in the file whichever way it runs.
  const std::int64_t fileFirst = picture.topRowFirst ? first : picture.height - end;
  const std::int64_t fileEnd = fileFirst + (end - first);
  const std::uint8_t* held = nullptr;  // file row fileFirst
  if (!picture.decoded.empty()) {
    held = picture.decoded.data() + fileFirst * rowBytes;
  } else {
    if (load_ != picture.load || fileFirst < fileFirst_ || fileEnd > fileEnd_) {
      if ((fileEnd - fileFirst) * picture.width > kMaxHeldPixels)
        return Failure::Because(msg::kPictureTooLarge, picture.path.c_str());
      const auto size = static_cast<std::size_t>((fileEnd - fileFirst) * rowBytes);
      load_ = 0;
      try {
        held_.clear();  // so that growing it copies nothing
        held_.resize(size);
      } catch (const std::bad_alloc&) {
        return Failure::Because(msg::kPictureTooLarge, picture.path.c_str());
      }
      if (!picture.file.ReadAt(picture.dataOffset + fileFirst * rowBytes, held_.data(), size))
        return Failure::Because(msg::kTruncated, picture.path.c_str());
      load_ = picture.load;
      fileFirst_ = fileFirst;
      fileEnd_ = fileEnd;
    }
    held = held_.data() + (fileFirst - fileFirst_) * rowBytes;
  }
  rows.first = picture.topRowFirst ? held : held + (end - first - 1) * rowBytes;
  rows.step = picture.topRowFirst ? rowBytes : -rowBytes;
  return {};
}

bool VisitRows(const Picture& picture,
               const std::function<bool(std::int64_t y, const std::uint8_t* row)>& visit) {
  // About 1 MiB of pixels at a time, whatever the picture's size.
  const std::int64_t rowsAtOnce =
      std::max<std::int64_t>(1, (std::int64_t{1} << 18) / picture.width);
  RowCache cache;
  for (std::int64_t first = 0; first < picture.height; first += rowsAtOnce) {
    const std::int64_t end = std::min<std::int64_t>(first + rowsAtOnce, picture.height);
    PixelRows rows;
    if (cache.Read(picture, first, end, rows).Failed())
      return false;
    for (std::int64_t y = first; y < end; ++y) {
      if (!visit(y, rows.Row(y - first)))
        return true;
    }
  }
  return true;
}

}  // namespace typekiln
