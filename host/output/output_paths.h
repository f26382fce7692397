// What an output's name stands for on disk: the file it ends at through
// links, whether it is another name of an input, the names beside it that a
// render writes, and how a name that cannot be used is described.
#pragma once
#include <string>

namespace velmo {

// The same existing file, however named (links, hard links, "./").
bool sameFile(const std::string& a, const std::string& b);
// The name a chain of symbolic links ends at, whether or not a file is there
// (a dangling link gives the file it would create); `path` itself when it is
// no link. A loop gives `path`, which then fails as it would anyway.
std::string throughLinks(const std::string& path);
// "song.mp4" with `tag` before its extension: "song.partial.mp4" (after the
// whole name without `beforeExtension`). The stem is cut (where a character
// starts) so that the name fits in a folder entry.
std::string nameBeside(const std::string& name, const std::string& tag, bool beforeExtension = true);
// The folder part of a path with its slash ("out/"), empty for a bare name.
std::string folderPart(const std::string& path);
// Why `path` (given to be made a folder) is none: "is a file, not a folder",
// "is a link to out/x, which does not exist", ...; empty when nothing is there.
std::string notAFolder(const std::string& path);
// A name as a list shows it: as it is, or in double quotes with control
// characters, quotes and backslashes escaped when it holds any, or ", ".
std::string shownName(const std::string& name);

}  // namespace velmo
