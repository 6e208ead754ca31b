#include "io/binary_file.h"

#include "io/byte_order.h"

namespace typekiln {

BinaryFile::~BinaryFile() { Close(); }

void BinaryFile::Adopt(std::intptr_t handle) {
  Close();
  handle_ = handle;
}

bool BinaryFile::WriteU8(std::int64_t value) {
  const std::uint8_t byte = LowByte(value);
  return Write(&byte, 1);
}

bool BinaryFile::WriteBE32(std::uint32_t value) {
  std::uint8_t bytes[4];
  PutBE32(bytes, value);
  return Write(bytes, sizeof bytes);
}

}  // namespace typekiln
