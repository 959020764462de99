#pragma once
// Durable replacement of a file. A complete temporary file takes the place of the final name by one
// rename, so after a crash or a power loss the folder holds the old file or the new one, whole, and
// never an empty or torn one: the temporary file's data reaches the disk (fsync) before the rename,
// and the folder (fsync) after it, so that the rename itself survives.
//
// The first two functions report errno values and raise nothing, so that the archiver plugin, which
// links nothing of the core, builds durable_file.cpp into itself. The others raise EInOutError
// (EDiskFull for a full disk) and remove the temporary file when they fail; the old file then stays.
#include <string>
#include <string_view>

#include "support/unique_fd.h"

namespace arl {

// fsync of a folder ("" is the current one): a rename or a new file in it survives a power loss.
// 0, or the errno of the open or the fsync that failed.
int SyncFolder(const std::string& folder);
// fsync of the complete temporary file `fileFd`, rename of `tempName` onto `name` inside the folder
// `folderFd` (AT_FDCWD for names relative to the current folder or absolute), fsync of the folder.
// 0, or the errno of the step that failed; the temporary file is then the caller's to remove.
int PutInPlaceAt(int fileFd, int folderFd, const std::string& tempName, const std::string& name);

// PutInPlaceAt by paths, then closes `file`.
void ReplaceFile(UniqueFd& file, const std::string& tempPath, const std::string& path);
// Writes `content` to path + ".tmp" (a fixed name: what a killed process left there is replaced by
// the next save), keeping the mode of the file it replaces, and puts it in place of `path`.
void WriteFileAtomically(const std::string& path, std::string_view content);
// fsync of a file that was changed in place (cut, appended to), once its writes are done.
void SyncWritten(const UniqueFd& file, const std::string& path);

// Flushes everything written to the file system that holds `folder`: one flush for many files that
// each need no order among themselves. Raises EInOutError.
void SyncFileSystemOf(const std::string& folder);

}  // namespace arl
