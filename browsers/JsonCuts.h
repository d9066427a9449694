// Editing a JSON text in place: the bytes of chosen members or elements are cut out and every other
// byte stays as it was (numbers and strings in their own spelling, comments, a byte-order mark). A
// parsed and re-serialised text would come back spelt differently. The walk is by offsets over a
// text the parser has already accepted; the caller reads the result back to check the edit.
#pragma once

#include <algorithm>
#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nq {

// A cut: bytes [begin, end) of the text go.
using Cut = std::pair<std::size_t, std::size_t>;

// Walks a JSON text by offsets, so that an edit can take out exactly the bytes of one member or
// element. Comments (// and /* */, which Chromium's reader allows) count as blanks; a text parsed
// without them has none outside its strings. Every step is bounded by the text's end: on anything
// unexpected it reports failure rather than reading past it.
class Walker {
 public:
  static constexpr std::size_t kNone = std::string_view::npos;

  explicit Walker(std::string_view text) : text_(text) {}

  std::size_t SkipBlanks(std::size_t pos) const {
    while (pos < text_.size() && (text_[pos] == ' ' || text_[pos] == '\t' || text_[pos] == '\n' || text_[pos] == '\r')) {
      ++pos;
    }
    return pos;
  }

  // Past blanks and comments.
  std::size_t SkipSpace(std::size_t pos) const {
    for (;;) {
      pos = SkipBlanks(pos);
      const std::size_t after = CommentEnd(pos);
      if (after == kNone) return pos;
      pos = after;
    }
  }

  // One past the comment that begins at `pos` (an unclosed one runs to the end); kNone when no
  // comment begins there.
  std::size_t CommentEnd(std::size_t pos) const {
    if (At(pos) != '/') return kNone;
    if (At(pos + 1) == '/') return std::min(text_.find_first_of("\r\n", pos + 2), text_.size());
    if (At(pos + 1) != '*') return kNone;
    const std::size_t close = text_.find("*/", pos + 2);
    return close == kNone ? text_.size() : close + 2;
  }

  char At(std::size_t pos) const { return pos < text_.size() ? text_[pos] : '\0'; }

  // One past the closing quote of the string whose opening quote is at `pos`.
  std::size_t StringEnd(std::size_t pos) const {
    if (At(pos) != '"') return kNone;
    for (std::size_t i = pos + 1; i < text_.size(); ++i) {
      if (text_[i] == '\\') ++i;
      else if (text_[i] == '"') return i + 1;
    }
    return kNone;
  }

  // One past the value that begins at `pos`.
  std::size_t ValueEnd(std::size_t pos) const {
    const char first = At(pos);
    if (first == '"') return StringEnd(pos);
    if (first == '{' || first == '[') {
      int depth = 0;
      for (std::size_t i = pos; i < text_.size(); ++i) {
        const char c = text_[i];
        if (c == '"') {
          const std::size_t end = StringEnd(i);
          if (end == kNone) return kNone;
          i = end - 1;
        } else if (const std::size_t end = CommentEnd(i); end != kNone) {
          i = end - 1;
        } else if (c == '{' || c == '[') {
          ++depth;
        } else if ((c == '}' || c == ']') && --depth == 0) {
          return i + 1;
        }
      }
      return kNone;
    }
    // A number, true, false or null.
    std::size_t i = pos;
    while (i < text_.size() && std::string_view(",}] \t\r\n/").find(text_[i]) == std::string_view::npos) ++i;
    return i == pos ? kNone : i;
  }

  // A string token's text, escapes undone.
  std::string Decoded(std::size_t begin, std::size_t end) const {
    const std::string_view token = text_.substr(begin, end - begin);
    if (token.find('\\') == std::string_view::npos) return std::string(token.substr(1, token.size() - 2));
    const nlohmann::ordered_json value = nlohmann::ordered_json::parse(token, nullptr, false);
    return value.is_string() ? value.get<std::string>() : std::string();
  }

  // A member of an object (with its key) or an element of an array: [begin, end) is the whole of
  // it, from the key's opening quote or the value's first byte to the value's last. `next` is past
  // the comma after it and the blanks after that (where a comment before the next item begins), or
  // kNone for the last item.
  struct Item {
    std::string key;
    std::size_t begin = 0, value = 0, end = 0, next = kNone;
  };

  // The members of the object, or the elements of the array, that begins at `pos`.
  bool Items(std::size_t pos, std::vector<Item>* items) const {
    const char open = At(pos);
    if (open != '{' && open != '[') return false;
    const char close = open == '{' ? '}' : ']';
    std::size_t i = SkipSpace(pos + 1);
    if (At(i) == close) return true;
    for (;;) {
      Item item;
      item.begin = i;
      if (open == '{') {
        const std::size_t keyEnd = StringEnd(i);
        if (keyEnd == kNone) return false;
        item.key = Decoded(i, keyEnd);
        i = SkipSpace(keyEnd);
        if (At(i) != ':') return false;
        i = SkipSpace(i + 1);
      }
      item.value = i;
      item.end = ValueEnd(i);
      if (item.end == kNone) return false;
      items->push_back(std::move(item));
      i = SkipSpace(items->back().end);
      if (At(i) == close) return true;
      if (At(i) != ',') return false;
      items->back().next = SkipBlanks(i + 1);
      i = SkipSpace(i + 1);
    }
  }

  // Where the values of the object's members named `key` begin, for those that are objects
  // (`kind` '{') or arrays ('['). A key may appear more than once; each is taken.
  std::vector<std::size_t> Members(std::size_t object, std::string_view key, char kind) const {
    std::vector<std::size_t> found;
    std::vector<Item> items;
    if (At(object) != '{' || !Items(object, &items)) return found;
    for (const Item& item : items) {
      if (item.key == key && At(item.value) == kind) found.push_back(item.value);
    }
    return found;
  }

 private:
  std::string_view text_;
};

// The cuts that take the marked items out of their container, commas with them: a run of items
// goes with the separator before it when a kept item precedes it (and so with a comment between the
// two), else with the separator after it (a comment before the next item stays); when nothing is
// kept, the items go and the brackets stay.
inline void CutItems(const std::vector<Walker::Item>& items, const std::vector<bool>& remove, std::vector<Cut>* cuts) {
  const std::size_t count = items.size();
  std::size_t i = 0;
  while (i < count) {
    if (!remove[i]) {
      ++i;
      continue;
    }
    std::size_t last = i;
    while (last + 1 < count && remove[last + 1]) ++last;
    if (i > 0) cuts->emplace_back(items[i - 1].end, items[last].end);
    else if (last + 1 < count) cuts->emplace_back(items[i].begin, items[last].next);
    else cuts->emplace_back(items[i].begin, items[last].end);
    i = last + 1;
  }
}

inline bool Listed(const std::vector<std::string>& ids, const std::string& id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// Cuts the members of the object at `object` whose keys are among `ids`.
inline void CutMembers(const Walker& walker, std::size_t object, const std::vector<std::string>& ids, std::vector<Cut>* cuts) {
  std::vector<Walker::Item> items;
  if (!walker.Items(object, &items)) return;
  std::vector<bool> remove(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) remove[i] = Listed(ids, items[i].key);
  CutItems(items, remove, cuts);
}

// The text without the cut bytes; false when two cuts overlap (no edit here makes such cuts).
inline bool ApplyCuts(const std::string& text, std::vector<Cut> cuts, std::string* result) {
  std::sort(cuts.begin(), cuts.end());
  std::string edited;
  edited.reserve(text.size());
  std::size_t kept = 0;
  for (const auto& [begin, end] : cuts) {
    if (begin < kept || end < begin || end > text.size()) return false;
    edited.append(text, kept, begin - kept);
    kept = end;
  }
  edited.append(text, kept, std::string::npos);
  *result = std::move(edited);
  return true;
}

}  // namespace nq
