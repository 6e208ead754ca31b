#include "io/output_file.h"

namespace typekiln {

OutputFile::~OutputFile() { Discard(); }

void OutputFile::Write(const void* bytes, std::size_t count) {
  if (!failed_ && !file_.Write(bytes, count))
    failed_ = true;
}

bool OutputFile::Commit() {
  if (temporary_.empty()) {  // written straight into
    if (!file_.Close())
      failed_ = true;
    return !failed_;
  }
  if (!failed_ && !file_.Flush())
    failed_ = true;
  if (!file_.Close())
    failed_ = true;
  const bool kept = !failed_ && PutInPlace();
  Discard();
  return kept;
}

}  // namespace typekiln
