#pragma once

#include <string>

namespace Core {

/** Turns every "\" of a path into "/" in place. */
void toForwardSlashes(std::string& path);
void toForwardSlashes(char* path);

/** The separator form the system expects; "/" on Linux, so the path is returned unchanged. */
std::string toNativeSeparators(std::string path);

// Splitting takes "/" and "\\" as separators on every system.

/** The path with a trailing "/" unless it is empty or already ends in a separator. */
std::string withTrailingSlash(std::string path);

/** The last path component without its extension ("a/b/Name.fxp" gives "Name"). */
std::string fileStem(const std::string& path);

/** Everything up to and including the last separator ("" when there is none). */
std::string folderPart(const std::string& path);

/** The extension of the last component including its dot ("" when there is none). */
std::string fileExtension(const std::string& path);

bool equalsIgnoringCase(const std::string& a, const std::string& b);

} // namespace Core
