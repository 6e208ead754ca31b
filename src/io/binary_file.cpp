#include "io/binary_file.h"

#include "io/file_system.h"

namespace typekiln {

BinaryFile::~BinaryFile() { Close(); }

void BinaryFile::Adopt(std::intptr_t handle) {
  Close();
  handle_ = handle;
}

bool MayTakePlaceOf(const std::string& path, std::string_view signature) {
  if (LookAtPath(path, true).kind != EntryKind::File)
    return true;  // nothing, a device, or what cannot be written anyway, which is said then
  BinaryFile file;
  switch (file.OpenRegularRead(path)) {
    case BinaryFile::RegularOpen::Opened:
      break;
    case BinaryFile::RegularOpen::NotRegular:
      return true;
    case BinaryFile::RegularOpen::CannotOpen:
      return false;
  }
  std::string start(signature.size(), '\0');
  return file.Size() == 0 || (file.Read(start.data(), start.size()) && start == signature);
}

WholeFileRead ReadWholeFile(const std::string& path, std::int64_t limit,
                            std::vector<std::uint8_t>& bytes, bool regularOnly) {
  BinaryFile file;
  if (path.find('\0') != std::string::npos)
    return WholeFileRead::CannotOpen;
  if (regularOnly) {
    switch (file.OpenRegularRead(path)) {
      case BinaryFile::RegularOpen::Opened:
        break;
      case BinaryFile::RegularOpen::NotRegular:
        return WholeFileRead::NotRegular;
      case BinaryFile::RegularOpen::CannotOpen:
        return WholeFileRead::CannotOpen;
    }
  } else if (!file.OpenRead(path)) {
    return WholeFileRead::CannotOpen;
  }
  const std::int64_t size = file.Size();
  if (size > limit)
    return WholeFileRead::TooLarge;
  if (size < 0)
    return WholeFileRead::CannotRead;
  bytes.resize(static_cast<std::size_t>(size));
  if (size > 0 && !file.Read(bytes.data(), bytes.size()))
    return WholeFileRead::CannotRead;
  return WholeFileRead::Read;
}

}  // namespace typekiln
