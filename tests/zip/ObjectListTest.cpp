// Tests of the object lists: ownership, capacity growth, index errors, neighbours, and the sorted
// list's duplicates policies and binary search.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "zip/Exceptions.h"
#include "zip/TObjectList.h"

namespace zip {
namespace {

// A list item that counts how many of its kind are alive, so frees and leaks are visible.
struct Item {
  static inline int live = 0;
  static std::string ClassName() { return "TItem"; }

  Item(int k, int t = 0) : key(k), tag(t) { ++live; }
  ~Item() { --live; }
  Item(const Item&) = delete;
  Item& operator=(const Item&) = delete;

  int key;
  int tag;
};

class ObjectListTest : public ::testing::Test {
 protected:
  void SetUp() override { Item::live = 0; }
  void TearDown() override { EXPECT_EQ(Item::live, 0) << "items leaked or freed twice"; }
};

// Sorted by key; equal keys compare equal.
class KeyList : public TSortedObjectList<Item> {
 public:
  using TSortedObjectList::TSortedObjectList;
  int Compare(const Item* a, const Item* b) const override {
    return a->key < b->key ? -1 : a->key > b->key ? 1 : 0;
  }
};

// Sorted by key with a comparison that never says equal (a tie counts as "before").
class NeverEqualList : public TSortedObjectList<Item> {
 public:
  using TSortedObjectList::TSortedObjectList;
  int Compare(const Item* a, const Item* b) const override { return a->key > b->key ? 1 : -1; }
};

template <class List>
std::vector<std::pair<int, int>> KeysAndTags(const List& list) {
  std::vector<std::pair<int, int>> out;
  for (const Item* item : list) out.emplace_back(item->key, item->tag);
  return out;
}

std::string ErrorText(const std::function<void()>& action) {
  try {
    action();
  } catch (const EListError& e) {
    return e.what();
  }
  return "<no EListError>";
}

using ObjectList = ObjectListTest;
using SortedObjectList = ObjectListTest;

TEST_F(ObjectList, CapacityGrowsBy4Then8Then16) {
  for (bool viaInsert : {false, true}) {
    TObjectList<Item> list;
    std::vector<int> capacities;
    for (int i = 0; i < 70; ++i) {
      if (viaInsert)
        list.Insert(0, new Item(i));
      else
        list.Add(new Item(i));
      if (capacities.empty() || capacities.back() != list.Capacity())
        capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 16, 32, 48, 64, 80})) << "insert " << viaInsert;
  }
  // Growth continues from a capacity set by hand: 5 to 8 grows by 8, above 8 by 16.
  for (auto [start, grown] : {std::pair{5, 13}, {8, 16}, {9, 25}, {3, 7}}) {
    TObjectList<Item> list;
    list.SetCapacity(start);
    for (int i = 0; i <= start; ++i) list.Add(new Item(i));
    EXPECT_EQ(list.Capacity(), grown) << "from " << start;
  }
}

TEST_F(ObjectList, CapacityOutsideCountAndMaximumIsRefused) {
  TObjectList<Item> list;
  for (int i = 0; i < 3; ++i) list.Add(new Item(i));
  EXPECT_EQ(ErrorText([&] { list.SetCapacity(2); }), "List index out of bounds (2)");
  EXPECT_EQ(ErrorText([&] { list.SetCapacity(TObjectList<Item>::kMaxCapacity + 1); }),
            "List index out of bounds (536870911)");
  list.SetCapacity(3);
  EXPECT_EQ(list.Capacity(), 3);
  EXPECT_EQ(list.Count(), 3);
}

TEST_F(ObjectList, BadIndexRaisesListErrorWithTheIndex) {
  TObjectList<Item> list;
  for (int i = 0; i < 3; ++i) list.Add(new Item(i));
  Item spare(99);
  struct Case {
    const char* what;
    std::function<void()> action;
    const char* text;
  } cases[] = {
      {"Items(-1)", [&] { list.Items(-1); }, "List index out of bounds (-1)"},
      {"Items(3)", [&] { list.Items(3); }, "List index out of bounds (3)"},
      {"[5]", [&] { (void)list[5]; }, "List index out of bounds (5)"},
      {"Insert(4)", [&] { list.Insert(4, &spare); }, "List index out of bounds (4)"},
      {"Insert(-1)", [&] { list.Insert(-1, &spare); }, "List index out of bounds (-1)"},
      {"Put(3)", [&] { list.Put(3, &spare); }, "List index out of bounds (3)"},
      {"Delete(3)", [&] { list.Delete(3); }, "List index out of bounds (3)"},
      {"Extract(-2)", [&] { list.Extract(-2); }, "List index out of bounds (-2)"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorText(c.action), c.text) << c.what;
  EXPECT_EQ(list.Count(), 3);
}

TEST_F(ObjectList, AddInsertAndIdentitySearch) {
  TObjectList<Item> list;
  Item* a = new Item(1);
  Item* b = new Item(2);
  Item* c = new Item(3);
  Item* d = new Item(4);
  EXPECT_EQ(list.Add(a), 0);
  EXPECT_EQ(list.Add(b), 1);
  list.Insert(0, c);             // c a b
  list.Insert(list.Count(), d);  // c a b d
  EXPECT_EQ(KeysAndTags(list), (std::vector<std::pair<int, int>>{{3, 0}, {1, 0}, {2, 0}, {4, 0}}));
  EXPECT_EQ(list.IndexOf(b), 2);
  Item lookalike(2);  // same value, different object
  EXPECT_EQ(list.IndexOf(&lookalike), -1);
  EXPECT_EQ(list.Add(nullptr), 4);
  EXPECT_EQ(list.IndexOf(nullptr), 4);
}

TEST_F(ObjectList, Neighbour) {
  TObjectList<Item> list;
  Item* a = new Item(1);
  Item* b = new Item(2);
  Item* c = new Item(3);
  for (Item* i : {a, b, c}) list.Add(i);
  struct Case {
    Item* from;
    bool forward;
    Item* expected;
  } cases[] = {
      {nullptr, true, a}, {nullptr, false, c}, {a, true, b},        {b, true, c},
      {c, true, nullptr}, {c, false, b},       {a, false, nullptr},
  };
  for (const Case& k : cases)
    EXPECT_EQ(list.Neighbour(k.from, k.forward), k.expected)
        << (k.from ? k.from->key : 0) << " forward " << k.forward;

  TObjectList<Item> empty;
  EXPECT_EQ(empty.Neighbour(nullptr, true), nullptr);
  EXPECT_EQ(empty.Neighbour(nullptr, false), nullptr);

  Item stranger(7);
  EXPECT_EQ(ErrorText([&] { list.Neighbour(&stranger, true); }), "tObject TItem not in item list");
}

TEST_F(ObjectList, OwningListFreesItsItemsAndOthersDoNot) {
  {
    TObjectList<Item> list;
    for (int i = 0; i < 5; ++i) list.Add(new Item(i));
    list.Delete(0);
    EXPECT_EQ(Item::live, 4);
    list.Put(0, new Item(10));  // frees the item it replaces
    EXPECT_EQ(Item::live, 4);
    list.Put(0, list[0]);  // putting the same item back keeps it
    EXPECT_EQ(list[0]->key, 10);
    std::unique_ptr<Item> taken(list.Extract(1));
    EXPECT_EQ(Item::live, 4);
    list.SetCount(1);  // drops and frees two
    EXPECT_EQ(Item::live, 2);
    list.SetCount(3);  // grows with empty slots
    EXPECT_EQ(list[2], nullptr);
    list.Clear();
    EXPECT_EQ(Item::live, 1);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
    list.Add(new Item(20));  // freed by the destructor
  }
  EXPECT_EQ(Item::live, 0);

  std::vector<std::unique_ptr<Item>> owned;
  for (int i = 0; i < 5; ++i) owned.push_back(std::make_unique<Item>(i));
  {
    TObjectList<Item> index(false);
    EXPECT_FALSE(index.OwnsItems());
    for (auto& item : owned) index.Add(item.get());
    index.Delete(0);
    index.Put(0, owned[0].get());
    index.SetCount(2);
    index.Clear();
    for (auto& item : owned) index.Add(item.get());
  }
  EXPECT_EQ(Item::live, 5);
}

TEST_F(SortedObjectList, DuplicatePolicies) {
  // (key, tag) in insertion order.
  const std::vector<std::pair<int, int>> input = {{5, 0}, {1, 1}, {3, 2}, {1, 3}, {5, 4}, {1, 5}};
  {
    KeyList list(dupIgnore);
    std::vector<std::unique_ptr<Item>> rejected;
    for (auto [k, t] : input) {
      auto* item = new Item(k, t);
      int before = list.Count();
      EXPECT_EQ(list.Add(item), 0);
      if (list.Count() == before) rejected.emplace_back(item);  // left out: still ours
    }
    EXPECT_EQ(KeysAndTags(list), (std::vector<std::pair<int, int>>{{1, 1}, {3, 2}, {5, 0}}));
    EXPECT_EQ(rejected.size(), 3u);
  }
  {
    KeyList list(dupAccept);
    for (auto [k, t] : input) list.Add(new Item(k, t));
    // Each equal key goes before the earlier ones: reverse insertion order.
    EXPECT_EQ(KeysAndTags(list),
              (std::vector<std::pair<int, int>>{{1, 5}, {1, 3}, {1, 1}, {3, 2}, {5, 4}, {5, 0}}));
  }
  {
    KeyList list(dupError);
    for (int i = 0; i < 3; ++i) list.Add(new Item(input[i].first, input[i].second));
    auto duplicate = std::make_unique<Item>(1, 3);
    EXPECT_EQ(ErrorText([&] { list.Add(duplicate.get()); }), "Duplicate Object index");
    EXPECT_EQ(ErrorText([&] { list.AddOwned(std::make_unique<Item>(5, 9)); }),
              "Duplicate Object index");
    EXPECT_EQ(KeysAndTags(list), (std::vector<std::pair<int, int>>{{1, 1}, {3, 2}, {5, 0}}));
  }
}

TEST_F(SortedObjectList, AddOwnedFreesAnIgnoredDuplicate) {
  KeyList list(dupIgnore);
  EXPECT_TRUE(list.AddOwned(std::make_unique<Item>(2, 0)));
  EXPECT_FALSE(list.AddOwned(std::make_unique<Item>(2, 1)));
  EXPECT_EQ(Item::live, 1);
  EXPECT_EQ(list[0]->tag, 0);
}

TEST_F(SortedObjectList, NeverEqualComparisonKeepsInsertionOrder) {
  for (TDuplicates policy : {dupIgnore, dupAccept, dupError}) {
    NeverEqualList list(policy);
    const std::pair<int, int> input[] = {{2, 0}, {1, 1}, {2, 2}, {1, 3}, {2, 4}, {0, 5}};
    for (auto [k, t] : input) list.Add(new Item(k, t));
    EXPECT_EQ(KeysAndTags(list),
              (std::vector<std::pair<int, int>>{{0, 5}, {1, 1}, {1, 3}, {2, 0}, {2, 2}, {2, 4}}))
        << "policy " << policy;
  }
}

TEST_F(SortedObjectList, FindGivesTheInsertionPoint) {
  KeyList accept(dupAccept);
  KeyList ignore(dupIgnore);
  for (int k : {1, 3, 3, 3, 5}) accept.Add(new Item(k));
  for (int k : {1, 3, 5}) ignore.Add(new Item(k));
  struct Case {
    const KeyList* list;
    int key;
    bool found;
    int index;
  } cases[] = {
      {&accept, 0, false, 0}, {&accept, 1, true, 0},  {&accept, 3, true, 1},
      {&accept, 4, false, 4}, {&accept, 5, true, 4},  {&accept, 9, false, 5},
      {&ignore, 0, false, 0}, {&ignore, 3, true, 1},  {&ignore, 4, false, 2},
      {&ignore, 5, true, 2},  {&ignore, 6, false, 3},
  };
  for (const Case& c : cases) {
    Item key(c.key);
    int index = -99;
    EXPECT_EQ(c.list->Find(&key, index), c.found) << c.key;
    EXPECT_EQ(index, c.index) << c.key << (c.list == &accept ? " accept" : " ignore");
  }
  KeyList empty(dupAccept);
  Item key(1);
  int index = -99;
  EXPECT_FALSE(empty.Find(&key, index));
  EXPECT_EQ(index, 0);
}

TEST_F(SortedObjectList, RandomInsertsMatchAModel) {
  std::mt19937 rng(12345);
  for (TDuplicates policy : {dupIgnore, dupAccept}) {
    KeyList list(policy);
    std::vector<std::pair<int, int>> model;
    for (int tag = 0; tag < 300; ++tag) {
      int key = static_cast<int>(rng() % 40);
      auto at = std::lower_bound(model.begin(), model.end(), key,
                                 [](const auto& e, int k) { return e.first < k; });
      bool present = at != model.end() && at->first == key;
      if (policy == dupAccept || !present) model.insert(at, {key, tag});
      EXPECT_EQ(list.AddOwned(std::make_unique<Item>(key, tag)), policy == dupAccept || !present);
    }
    ASSERT_EQ(KeysAndTags(list), model) << "policy " << policy;
  }
}

TEST_F(SortedObjectList, PutInsertAndIndexOf) {
  KeyList list(dupAccept);
  EXPECT_EQ(ErrorText([&] { list.Put(0, nullptr); }), "Cannot <Put> an Object in a sorted list!");
  Item* three = new Item(3);
  list.Insert(-7, three);  // the index is ignored
  list.Insert(1000, new Item(1));
  list.Insert(0, new Item(5));
  EXPECT_EQ(KeysAndTags(list), (std::vector<std::pair<int, int>>{{1, 0}, {3, 0}, {5, 0}}));

  // IndexOf searches by key, not identity.
  Item lookalike(3);
  Item absent(4);
  EXPECT_EQ(list.IndexOf(three), 1);
  EXPECT_EQ(list.IndexOf(&lookalike), 1);
  EXPECT_EQ(list.IndexOf(&absent), -1);
  EXPECT_EQ(list.Neighbour(three, true)->key, 5);
  EXPECT_EQ(list.Neighbour(three, false)->key, 1);
  EXPECT_EQ(ErrorText([&] { list.Neighbour(&absent, true); }), "tObject TItem not in item list");

  // Sorted inserts grow the capacity the same way as appends.
  for (int i = 0; i < 6; ++i) list.Add(new Item(i));
  EXPECT_EQ(list.Count(), 9);
  EXPECT_EQ(list.Capacity(), 16);
}

}  // namespace
}  // namespace zip
