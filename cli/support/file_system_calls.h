#pragma once

#include <filesystem>
#include <string>

#include "cli/support/file_descriptor.h"

namespace horaz::cli {

// The system's side of writing files whole (atomic_file.h), one version per
// system. A failure is reported as its reason ("Permission denied") for the
// caller to put in a message.

// Creates and opens for writing a file in `folder` named `prefix`, a part
// no other file there has, then `extension`; the file gets the usual
// permissions. `created` gets its path. An empty result on failure, with
// `reason` set.
UniqueFd createUniqueFile(const std::filesystem::path& folder, const std::string& prefix, const std::string& extension,
                          std::filesystem::path& created, std::string& reason);

// Creates a folder in `folder` named `prefix` and a part no other entry
// there has; its path, or an empty path on failure, with `reason` set.
std::filesystem::path createUniqueFolder(const std::filesystem::path& folder, const std::string& prefix,
                                         std::string& reason);

// Creates (or empties) the file at `path` and opens it for writing; an
// empty result on failure, with `reason` set.
UniqueFd createFile(const std::filesystem::path& path, std::string& reason);

// Moves `from` to `to`, replacing a file there; false on failure, with
// `reason` set.
bool moveOver(const std::filesystem::path& from, const std::filesystem::path& to, std::string& reason);

// isSpecialFile (atomic_file.h) is defined beside these, one per system.

}  // namespace horaz::cli
