// The single-choice list: removing an item keeps the user's choice on the same entry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/Widgets.h"

namespace {

TEST(ListBox, DeletingAnItemKeepsTheSameEntrySelected) {
  struct Case {
    int deleted;
    std::vector<std::string> items;
    int selected;  // "c" was selected, at index 2
  } const cases[] = {
      {0, {"b", "c", "d", "e"}, 1},
      {1, {"a", "c", "d", "e"}, 1},
      {2, {"a", "b", "d", "e"}, -1},  // the selected entry itself: nothing stays selected
      {3, {"a", "b", "c", "e"}, 2},
      {4, {"a", "b", "c", "d"}, 2},
      {5, {"a", "b", "c", "d", "e"}, 2},  // no such item: nothing changes
      {-1, {"a", "b", "c", "d", "e"}, 2},
  };
  for (const Case& c : cases) {
    ui::TListBox list(nullptr, "List");
    list.AddAll({"a", "b", "c", "d", "e"});
    list.SetItemIndex(2);

    list.Delete(c.deleted);

    EXPECT_EQ(list.Items(), c.items) << c.deleted;
    EXPECT_EQ(list.ItemIndex(), c.selected) << c.deleted;
  }
}

}  // namespace
