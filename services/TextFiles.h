// The routines through which a feature edits a text file in place (a browser's policies file):
// read whole, and replaced so that there is never a half-written file where the old one was.
#pragma once

#include <cstddef>
#include <string>

namespace nq {

// The whole file; false when it cannot be read or holds more than `maxBytes` bytes.
bool ReadTextFile(const std::string& path, std::size_t maxBytes, std::string* text);

// Puts `text` in place of the file at `path`: the new text is written whole beside it, the old
// file goes to the Recycle Bin (no question asked) and the new one is moved into its place. Records
// the old file's recycling and the new file's arrival; a dry run records them and writes nothing.
// False when a step failed: before the old file went it stays as it was, and the step that failed
// is recorded as refused.
bool ReplaceTextFile(const std::string& path, const std::string& text);

}  // namespace nq
