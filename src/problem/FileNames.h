// File names as the program stores them: relative to the start directory, with
// "\" as separator. Stored names are turned into native paths only at the
// moment a file is opened.
#pragma once

#include <string>

namespace zem {

struct TFileNameParts {
    std::string Dir;   // text before the last "\", empty when there is none
    std::string Base;  // the rest up to its last "."
    std::string Ext;   // after that ".", empty when there is none
};

TFileNameParts SplitFileName(const std::string& path);

// Dir + "\" + Base + "." + Ext, with the given extension or base name.
std::string ChangeFileExtension(const std::string& path, const std::string& ext);
std::string ChangeFileBase(const std::string& path, const std::string& base);

// True when the path is not empty and names a regular file that opens for
// reading (never a directory, pipe or device; a name the system cannot take
// gives false). Takes a stored or native path.
bool FileCanOpen(const std::string& path);

// A stored path made full against the start directory ("..\" components climb
// out of it). An absolute path (one that starts with "\" or a drive "X:") is
// returned as it stands.
std::string ToAbsolutePath(const std::string& startDir, const std::string& path);

// A full path made relative to the start directory: a file inside it gets its
// bare name, a file elsewhere climbs out with "..\". A path with nothing in
// common with the start directory (another drive) stays absolute.
std::string ToRelativePath(const std::string& startDir, const std::string& path);

// Conversions between the stored form ("\" separators) and the form the
// operating system takes ("/").
std::string NativePath(const std::string& stored);
std::string StoredPath(const std::string& native);

// The current directory in stored form.
std::string CurrentDirStored();

}  // namespace zem
