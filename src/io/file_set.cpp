#include "io/file_set.h"

#include <vector>

#include "io/binary_file.h"
#include "io/file_system.h"
#include "io/interrupt_cleanup.h"
#include "io/temporary_name.h"
#include "report/messages.h"

namespace typekiln {

namespace {

// A random name is tried again only when something of that name exists; this many collisions in
// a row means something other than chance is at work.
constexpr int kNameAttempts = 100;
// The name an old file has in the staging folder while its new one takes its place.
constexpr char kOldPrefix[] = "old-";

// The staging folder and what is in it, each name entered for removal by an interrupt while it
// exists. What is still entered when it goes is removed.
class Staging {
 public:
  explicit Staging(std::string within) : within_(std::move(within)) {}
  ~Staging() {
    const InterruptsHeld held;
    for (Tracked& file : files_) {
      RemoveFile(file.path);
      StopTracking(file.entry);
    }
    if (!path_.empty()) {
      RemoveEmptyFolder(path_);
      StopTracking(entry_);
    }
  }
  Staging(const Staging&) = delete;
  Staging& operator=(const Staging&) = delete;

  const std::string& path() const { return path_; }

  bool Make() {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
      const std::string path = InFolder(within_, RandomTemporaryName());
      const InterruptsHeld held;
      entry_ = TrackForRemoval(path, true);
      if (entry_ == kNotTracked)
        return false;
      if (MakeFolder(path)) {
        path_ = path;
        return true;
      }
      StopTracking(entry_);
      if (LookAtPath(path, false).kind == EntryKind::Missing)
        return false;  // not a name taken: nothing can be made there
    }
    return false;
  }

  /// Enters `name` in the staging folder for removal; false when the table is full.
  bool Track(const std::string& name) {
    const InterruptsHeld held;
    const std::string path = InFolder(path_, name);
    const int entry = TrackForRemoval(path, false);
    if (entry == kNotTracked)
      return false;
    files_.push_back({path, entry});
    return true;
  }

  /// Writes the whole file and flushes it to the disk. Interrupts wait meanwhile, so that the
  /// file is closed when one removes it: Windows removes an open file only once it is closed,
  /// too late for its folder to go.
  bool Write(const FileSetPiece& piece) {
    const InterruptsHeld held;
    BinaryFile file;
    return Track(piece.name) && Track(kOldPrefix + piece.name) &&
           file.CreateNew(InFolder(path_, piece.name)) &&
           file.Write(piece.bytes.data(), piece.bytes.size()) && file.Flush() && file.Close();
  }

  /// Gives the staging folder the name `folder`; needs interrupts held. Nothing is removed
  /// afterwards: it is the folder now.
  bool Become(const std::string& folder) {
    if (!MoveToFreeName(path_, folder))
      return false;
    Forget();
    return true;
  }

  /// Leaves everything where it is: nothing is removed, now or by an interrupt.
  void Forget() {
    const InterruptsHeld held;
    for (const Tracked& file : files_) StopTracking(file.entry);
    files_.clear();
    StopTracking(entry_);
    path_.clear();
  }

 private:
  struct Tracked {
    std::string path;
    int entry;
  };
  std::string within_;
  std::string path_;
  int entry_ = kNotTracked;
  std::vector<Tracked> files_;
};

// The folder that holds `folder`; "." for the folder the tool runs in.
std::string ParentOf(const std::string& folder) {
  const std::string parent = FolderOf(folder);
  return parent.empty() ? "." : parent;
}

// Puts each staged file in its place in an existing folder, the old one moved aside into the
// staging folder; needs interrupts held. When a move fails, the moves before it are undone.
Failure PutInPlace(const std::string& folder, Staging& staging,
                   std::span<const FileSetPiece> pieces, const std::vector<bool>& existed) {
  struct Moved {
    bool aside = false;
    bool in = false;
  };
  std::vector<Moved> moved(pieces.size());
  std::size_t failed = pieces.size();
  for (std::size_t i = 0; i < pieces.size() && failed == pieces.size(); ++i) {
    const std::string target = InFolder(folder, pieces[i].name);
    const std::string staged = InFolder(staging.path(), pieces[i].name);
    if (existed[i]) {
      KeepPermissions(target, staged);
      moved[i].aside =
          MoveToFreeName(target, InFolder(staging.path(), kOldPrefix + pieces[i].name));
    }
    moved[i].in = (moved[i].aside || !existed[i]) && MoveToFreeName(staged, target);
    if (!moved[i].in)
      failed = i;
  }
  if (failed == pieces.size())
    return {};
  bool undone = true;
  for (std::size_t i = failed + 1; i-- > 0;) {
    const std::string target = InFolder(folder, pieces[i].name);
    if (moved[i].in)
      undone = MoveToFreeName(target, InFolder(staging.path(), pieces[i].name)) && undone;
    if (moved[i].aside)
      undone =
          MoveToFreeName(InFolder(staging.path(), kOldPrefix + pieces[i].name), target) && undone;
  }
  if (!undone) {
    Failure failure = Failure::Because(msg::kFileSetLeftInPart, staging.path().c_str());
    staging.Forget();  // the old files must stay where they are
    return failure;
  }
  return Failure::Because(msg::kFileSetCannotReplace,
                          InFolder(folder, pieces[failed].name).c_str());
}

}  // namespace

Failure WriteFileSet(const std::string& folder, std::span<const FileSetPiece> pieces,
                     bool replace) {
  const char* folderPath = folder.c_str();
  const EntryKind kind = LookAtPath(folder, true).kind;
  if (kind != EntryKind::Folder && kind != EntryKind::Missing)
    return Failure::Because(msg::kFileSetNotAFolder, folderPath);
  const bool newFolder = kind == EntryKind::Missing;

  std::vector<bool> existed(pieces.size(), false);
  for (std::size_t i = 0; i < pieces.size() && !newFolder; ++i) {
    const std::string target = InFolder(folder, pieces[i].name);
    const PathEntry entry = LookAtPath(target, false);
    if (entry.kind == EntryKind::Missing)
      continue;
    if (entry.kind != EntryKind::File)
      return Failure::Because(msg::kFileSetNotAFile, target.c_str());
    if (!replace)
      return Failure::Because(msg::kFileSetExists, target.c_str());
    if (!entry.writable)
      return Failure::Because(msg::kFileSetReadOnly, target.c_str());
    existed[i] = true;
  }

  Staging staging(newFolder ? ParentOf(folder) : folder);
  if (!staging.Make()) {
    if (newFolder)
      return Failure::Because(msg::kFileSetCannotMakeFolder, folderPath);
    return Failure::Because(msg::kCannotCreate,
                            (pieces.empty() ? folder : InFolder(folder, pieces[0].name)).c_str());
  }
  for (const FileSetPiece& piece : pieces)
    if (!staging.Write(piece))
      return Failure::Because(msg::kCannotWrite, InFolder(folder, piece.name).c_str());
  if (!SyncFolder(staging.path()))
    return Failure::Because(msg::kCannotWrite, folderPath);

  if (newFolder) {
    const InterruptsHeld held;
    if (!staging.Become(folder))
      return Failure::Because(msg::kFileSetCannotMakeFolder, folderPath);
  } else {
    const InterruptsHeld held;
    if (Failure failure = PutInPlace(folder, staging, pieces, existed); failure.Failed())
      return failure;
  }
  if (!SyncFolder(newFolder ? ParentOf(folder) : folder))
    return Failure::Because(msg::kCannotWrite, folderPath);
  return {};
}

}  // namespace typekiln
