#pragma once

// What stands at a path, and the few changes to folders that writing a set of files needs, each
// one call of the system that says only whether it worked. Paths are as the tools take them: on
// Windows in the system's code page, "\" and "/" both parting folders.

#include <string>

namespace typekiln {

enum class EntryKind {
  Missing,      // nothing stands there
  File,         // a regular file
  Folder,       // a folder
  Other,        // a link not followed, a FIFO, a device, a socket
  Unreachable,  // the system cannot tell (a folder on the way that cannot be searched)
};

struct PathEntry {
  EntryKind kind = EntryKind::Missing;
  bool writable = false;  // a File the caller may write to
};

/// What stands at `path`, following a link at its end when `followLink`.
PathEntry LookAtPath(const std::string& path, bool followLink);

/// The folder that holds what `path` names, whose own separators at its end do not count: "a"
/// for "a/b" and "a/b/", "" for a plain name, "/" for "/b" (on Windows also "C:\" and "C:").
std::string FolderOf(const std::string& path);
/// `name` in `folder`, with a separator between them when `folder` needs one; `name` alone for
/// the folder "".
std::string InFolder(const std::string& folder, const std::string& name);
/// True for a path from the current folder: not from a root, nor (on Windows) from a drive.
bool IsRelativePath(const std::string& path);

/// Makes a new folder, with the permissions of any new folder; false when anything stands there.
bool MakeFolder(const std::string& path);
bool RemoveFile(const std::string& path);
bool RemoveEmptyFolder(const std::string& path);
/// Gives the file or folder at `from` the name `to` on the same volume in one step; false when
/// anything stands at `to` or the move fails.
bool MoveToFreeName(const std::string& from, const std::string& to);
/// Gives the file at `file` the permissions of the file at `model` when that is the caller's own,
/// as an editor keeps them when it saves (on Windows, where the new file takes its folder's,
/// nothing).
void KeepPermissions(const std::string& model, const std::string& file);
/// Makes the folder's entries durable, so that names just moved survive a power cut (on Windows,
/// whose moves are written through, nothing to do).
bool SyncFolder(const std::string& path);

}  // namespace typekiln
