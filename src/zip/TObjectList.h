// TObjectList: an ordered list of object pointers that owns (frees) its items unless told not to;
// TSortedObjectList: the same, kept in the order of a comparison, with a duplicates policy.
#pragma once

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "zip/Exceptions.h"

namespace zip {

template <class T>
class TObjectList {
 public:
  static constexpr int kMaxCapacity = 536870910;

  explicit TObjectList(bool ownsItems = true) : owns_(ownsItems) {}
  virtual ~TObjectList() { Clear(); }
  TObjectList(const TObjectList&) = delete;
  TObjectList& operator=(const TObjectList&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  int Capacity() const { return capacity_; }
  bool OwnsItems() const { return owns_; }
  void SetOwnsItems(bool owns) { owns_ = owns; }

  // The item at index; throws EListError for an index outside 0 to Count - 1.
  T* Items(int index) const {
    CheckIndex(index, Count() - 1);
    return items_[static_cast<std::size_t>(index)];
  }
  T* operator[](int index) const { return Items(index); }

  // Appends item (owned from now on by an owning list) and returns its index.
  virtual int Add(T* item) {
    GrowIfFull();
    items_.push_back(item);
    return Count() - 1;
  }
  // Inserts at index 0 to Count; later items move up. Throws EListError for a bad index.
  virtual void Insert(int index, T* item) {
    CheckIndex(index, Count());
    GrowIfFull();
    items_.insert(items_.begin() + index, item);
  }
  // Replaces the item at index, freeing the old one in an owning list.
  virtual void Put(int index, T* item) {
    CheckIndex(index, Count() - 1);
    T*& slot = items_[static_cast<std::size_t>(index)];
    if (slot != item) FreeItem(slot);
    slot = item;
  }
  // Position of this very object (identity), -1 when absent.
  virtual int IndexOf(const T* item) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (items_[i] == item) return static_cast<int>(i);
    return -1;
  }
  // Removes every item (freeing them in an owning list); count and capacity become 0.
  virtual void Clear() {
    for (T* item : items_) FreeItem(item);
    items_.clear();
    items_.shrink_to_fit();
    capacity_ = 0;
  }
  // Removes the item at index and frees it in an owning list.
  void Delete(int index) {
    T* item = Extract(index);
    FreeItem(item);
  }
  // Removes the item at index without freeing it; the caller owns it.
  T* Extract(int index) {
    T* item = Items(index);
    items_.erase(items_.begin() + index);
    return item;
  }
  T* First() const { return items_.empty() ? nullptr : items_.front(); }
  T* Last() const { return items_.empty() ? nullptr : items_.back(); }
  // The item after (forward) or before item; with no item, the first or the last. Null beyond
  // the ends. Throws EListError "tObject <class> not in item list" for an item not in the list.
  T* Neighbour(const T* item, bool forward) const {
    if (!item) return forward ? First() : Last();
    int i = IndexOf(item);
    if (i < 0) throw EListError("tObject " + ClassName() + " not in item list");
    i += forward ? 1 : -1;
    return (i < 0 || i >= Count()) ? nullptr : items_[static_cast<std::size_t>(i)];
  }
  // Capacity below the count or above the maximum throws EListError.
  void SetCapacity(int capacity) {
    if (capacity < Count() || capacity > kMaxCapacity) throw EListError(ListIndexText(capacity));
    capacity_ = capacity;
    items_.reserve(static_cast<std::size_t>(capacity));
  }
  // Grows with null slots or shrinks (freeing the dropped items in an owning list).
  void SetCount(int count) {
    if (count < 0 || count > kMaxCapacity) throw EListError(ListIndexText(count));
    while (Count() > count) {
      FreeItem(items_.back());
      items_.pop_back();
    }
    if (count > capacity_) SetCapacity(count);
    items_.resize(static_cast<std::size_t>(count), nullptr);
  }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 protected:
  virtual void FreeItem(T* item) {
    if (owns_) delete item;
  }
  static void CheckIndex(int index, int last) {
    if (index < 0 || index > last) throw EListError(ListIndexText(index));
  }
  static std::string ClassName() {
    if constexpr (requires { T::ClassName(); }) return T::ClassName();
    return typeid(T).name();
  }
  void InsertAt(int index, T* item) {
    GrowIfFull();
    items_.insert(items_.begin() + index, item);
  }

 private:
  void GrowIfFull() {
    if (Count() < capacity_) return;
    int delta = capacity_ > 8 ? 16 : capacity_ > 4 ? 8 : 4;
    SetCapacity(capacity_ + delta);
  }

  bool owns_;
  int capacity_ = 0;
  std::vector<T*> items_;
};

enum TDuplicates : unsigned char { dupIgnore = 0, dupAccept = 1, dupError = 2 };

template <class T>
class TSortedObjectList : public TObjectList<T> {
 public:
  explicit TSortedObjectList(TDuplicates duplicates, bool ownsItems = true)
      : TObjectList<T>(ownsItems), duplicates_(duplicates) {}

  TDuplicates Duplicates() const { return duplicates_; }

  // The key an item is sorted by; the item itself unless a subclass says otherwise.
  virtual const T* KeyOf(const T* item) const { return item; }
  // Negative when key1 sorts before key2, zero when equal, positive after.
  virtual int Compare(const T* key1, const T* key2) const = 0;

  // Binary search: index is where key is or would be inserted. With policy accept an equal key
  // lands before the first of its equals.
  virtual bool Find(const T* key, int& index) const {
    int lo = 0, hi = this->Count() - 1;
    bool found = false;
    while (hi >= lo) {
      int mid = (lo + hi) / 2;
      int c = Compare(KeyOf(this->Items(mid)), key);
      if (c < 0) {
        lo = mid + 1;
      } else {
        hi = mid - 1;
        if (c == 0) {
          found = true;
          if (duplicates_ != dupAccept) lo = mid;
        }
      }
    }
    index = lo;
    return found;
  }

  void Put(int, T*) override { throw EListError("Cannot <Put> an Object in a sorted list!"); }
  // Ignores index and places item at its sorted position. A duplicate under policy ignore is left
  // out and stays the caller's; under policy error it throws EListError "Duplicate Object index"
  // and stays the caller's.
  void Insert(int, T* item) override { InsertSorted(item); }
  // Inserts at the sorted position and returns 0.
  int Add(T* item) override {
    InsertSorted(item);
    return 0;
  }
  // Adds an item the caller owns: the list takes it over when it was inserted; an ignored
  // duplicate is freed with the unique_ptr.
  bool AddOwned(std::unique_ptr<T> item) {
    if (!InsertSorted(item.get())) return false;
    item.release();
    return true;
  }
  int IndexOf(const T* item) const override {
    int index;
    return Find(KeyOf(item), index) ? index : -1;
  }

 protected:
  bool InsertSorted(T* item) {
    int index;
    if (Find(KeyOf(item), index)) {
      if (duplicates_ == dupIgnore) return false;
      if (duplicates_ == dupError) throw EListError("Duplicate Object index");
    }
    this->InsertAt(index, item);
    return true;
  }

 private:
  TDuplicates duplicates_;
};

}  // namespace zip
