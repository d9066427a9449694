// The routines through which a feature edits a text file in place (a browser's policies file):
// read whole, and replaced so that there is never a half-written file where the old one was.
#pragma once

#include <cstddef>
#include <string>

namespace nq {

// The whole file; false when it cannot be read or holds more than `maxBytes` bytes.
bool ReadTextFile(const std::string& path, std::size_t maxBytes, std::string* text);

// Puts `text` in place of the file at `path`: the new text is written whole beside it
// ("<name>.new"), swapped in by one ReplaceFile call that keeps the old file as "<name>.old", and
// the old file then goes to the Recycle Bin (no question asked). At no moment is there no file at
// `path`. Records the replacement (and the recycling of the old file, and of a ".new" left by a run
// cut short); a dry run records them and writes nothing. False when the new text could not be put
// in place: the file stays as it was, and the replacement is recorded as refused.
bool ReplaceTextFile(const std::string& path, const std::string& text);

// A new file holding `bytes` where there is none, and a new folder in an existing one: each recorded
// (refused, with `whyRefused`, when it cannot be made); a dry run records them and makes nothing.
bool WriteNewFile(const std::string& path, const std::string& bytes, const std::string& whyRefused);
bool MakeFolder(const std::string& path, const std::string& whyRefused);

}  // namespace nq
